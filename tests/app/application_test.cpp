#include "AppTestSupport.h"
#include "ModalDriver.h"
#include "platform/core/Exceptions.h"
#include "platform/system/Registry.h"
#include "platform/ui/Application.h"
#include "platform/ui/FileDialogs.h"

#include <QAbstractProxyModel>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QTreeView>
#include <QFontMetrics>
#include <QMainWindow>
#include <QMessageBox>
#include <QObject>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <functional>
#include <filesystem>
#include <new>
#include <stdexcept>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

class Thrower : public QObject {
public:
    int kind = 0;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        switch (kind) {
        case 0:
            throw EConvertError("Cannot assign a TFvDIB to a TPicture");
        case 1:
            throw EAbort();
        case 2:
            throw std::bad_alloc();
        default:
            throw std::runtime_error("plain");
        }
    }
};

TEST(Application, ExceptionsLeavingAnEventHandlerAreShownAndTheProgramGoesOn)
{
    CaptureMessages capture;
    Thrower thrower;
    for (int kind = 0; kind < 4; ++kind) {
        thrower.kind = kind;
        QEvent event(QEvent::User);
        QCoreApplication::sendEvent(&thrower, &event);
    }
    // The silent exception shows nothing.
    EXPECT_EQ(capture.Shown.Exceptions,
              (std::vector<std::string>{"Cannot assign a TFvDIB to a TPicture", "Out of memory", "plain"}));
}

TEST(Application, GuardedSlotsReportInsteadOfThrowing)
{
    CaptureMessages capture;
    QPushButton button;
    QObject::connect(&button, &QPushButton::clicked, &button,
                     Guarded([](bool) { throw EInvalidOperation("Canvas does not allow drawing"); }));
    button.click();
    EXPECT_EQ(capture.Shown.Exceptions, std::vector<std::string>{"Canvas does not allow drawing"});
}

TEST(Application, PlainMessagesCarryTheTitleAndDialogsTheirType)
{
    CaptureMessages capture;
    capture.Shown.Answer = mrNo;
    ShowMessage("ファイルは存在しません");
    EXPECT_EQ(MessageDlg("現在のデータを破棄して開きますか？", TMsgDlgType::mtInformation, mbYes | mbNo), mrNo);
    for (TMsgDlgType type : {TMsgDlgType::mtWarning, TMsgDlgType::mtError, TMsgDlgType::mtConfirmation,
                             TMsgDlgType::mtCustom})
        MessageDlg("x", type, mbOK);
    ASSERT_EQ(capture.Shown.Dialogs.size(), 6u);
    EXPECT_EQ(capture.Shown.Dialogs[0].Caption, "Farovinter ぽるてぃか");
    EXPECT_EQ(capture.Shown.Dialogs[1].Caption, "情報");
    EXPECT_EQ(capture.Shown.Dialogs[1].Buttons, mbYes | mbNo);
    EXPECT_EQ(capture.Shown.Dialogs[2].Caption, "警告");
    EXPECT_EQ(capture.Shown.Dialogs[3].Caption, "エラー");
    EXPECT_EQ(capture.Shown.Dialogs[4].Caption, "確認");
    EXPECT_EQ(capture.Shown.Dialogs[5].Caption, "Farovinter ぽるてぃか");
}

TEST(Application, RealBoxesShowTheWholeCaptionCentredOnTheMainWindow)
{
    QMainWindow main;
    main.setGeometry(17, 41, 430, 190);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    struct Seen {
        std::string caption;
        QRect box;
        int needed = 0;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
    };
    const auto show = [](const std::function<void()>& message) {
        Seen seen;
        WhenShown<QMessageBox>([&](QMessageBox& box) {
            seen.caption = box.windowTitle().toStdString();
            seen.box = box.frameGeometry();
            seen.icon = box.icon();
            QFont bold = box.font();
            bold.setBold(true);
            const QFontMetrics metrics(bold);
            seen.needed = metrics.horizontalAdvance(box.windowTitle()) + 4 * metrics.height();
            QTest::keyClick(&box, Qt::Key_Escape);
        });
        message();
        return seen;
    };
    const Seen plain = show([] { ShowMessage("未対応の形式です。"); });
    EXPECT_EQ(plain.caption, "Farovinter ぽるてぃか");
    EXPECT_GE(plain.box.width(), plain.needed);
    EXPECT_LE(std::abs(plain.box.center().x() - main.frameGeometry().center().x()), 1);
    EXPECT_LE(std::abs(plain.box.center().y() - main.frameGeometry().center().y()), 1);
    // A dropped file leaves another program's window active: still over the main window, not over
    // another visible window nor a hidden main window (a dozen of each, as windows come in no set order).
    std::array<QWidget, 12> others;
    std::array<QMainWindow, 12> hidden;
    for (QWidget& other : others) {
        other.setGeometry(700, 500, 60, 40);
        other.show();
    }
    for (QMainWindow& window : hidden)
        window.setGeometry(700, 500, 60, 40);
    QApplication::setActiveWindow(nullptr);
    ASSERT_EQ(QApplication::activeWindow(), nullptr);
    const Seen dialog = show([] { EXPECT_EQ(MessageDlg("上書きしますか?", TMsgDlgType::mtWarning, mbYes | mbNo), mrNo); });
    EXPECT_EQ(dialog.caption, "警告");
    EXPECT_GE(dialog.box.width(), dialog.needed);
    EXPECT_LE(std::abs(dialog.box.center().x() - main.frameGeometry().center().x()), 1);
    EXPECT_LE(std::abs(dialog.box.center().y() - main.frameGeometry().center().y()), 1);
    // Each type of box has its own icon; Escape is Cancel where the box offers it.
    EXPECT_EQ(plain.icon, QMessageBox::NoIcon);
    EXPECT_EQ(dialog.icon, QMessageBox::Warning);
    const std::pair<TMsgDlgType, QMessageBox::Icon> icons[] = {{TMsgDlgType::mtError, QMessageBox::Critical},
                                                               {TMsgDlgType::mtInformation, QMessageBox::Information},
                                                               {TMsgDlgType::mtConfirmation, QMessageBox::Question}};
    for (const auto& [type, icon] : icons) {
        const TMsgDlgType shown = type;
        EXPECT_EQ(show([shown] { EXPECT_EQ(MessageDlg("x", shown, mbYes | mbNo | mbCancel), mrCancel); }).icon, icon);
    }
}

TEST(Application, QtsOwnDialogsSpeakJapaneseWhateverTheLocale)
{
    QMessageBox box;
    EXPECT_EQ(box.addButton(QMessageBox::Yes)->text().toStdString(), "はい(&Y)");
    EXPECT_EQ(box.addButton(QMessageBox::No)->text().toStdString(), "いいえ(&N)");
    // Sizes on both sides of a kilobyte, a folder, a date with two-digit parts.
    const auto dir = ScratchFolder("dialog_columns");
    std::filesystem::create_directory(dir / "sub");
    WriteFile(dir / "a.bmp", std::string(1023, 'a'));
    WriteFile(dir / "b.png", std::string(1536, 'b'));
    const QDateTime stamp(QDate(2021, 11, 24), QTime(17, 5));
    for (const char* name : {"a.bmp", "b.png", "sub"}) {
        const timespec times[2] = {{stamp.toSecsSinceEpoch(), 0}, {stamp.toSecsSinceEpoch(), 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, (dir / name).c_str(), times, 0), 0);
    }
    // An owner in a corner of the screen: the dialog centred on it must still stay on the screen.
    QWidget owner;
    owner.setGeometry(0, 0, 240, 150);
    owner.show();
    TOpenDialog open(&owner);
    open.Filter = "すべてのファイル|*.*";
    open.InitialDir = dir.string();
    std::string accept, reject, name;
    std::vector<std::vector<std::string>> rows;
    std::vector<bool> fits;
    // At a small font the name column starts as the widest: the dialog is not narrowed to even it up.
    const QFont font = QApplication::font();
    QFont small = font;
    small.setPixelSize(5);
    QApplication::setFont(small);
    WhenShown<QFileDialog>([](QFileDialog& d) {
        const QHeaderView* header = d.findChild<QTreeView*>("treeView")->header();
        EXPECT_GT(header->sectionSize(0), header->length() - header->sectionSize(0));
        // "*.*" is every file, names without a dot too.
        EXPECT_EQ(d.nameFilters(), QStringList{QStringLiteral("すべてのファイル (*)")});
        d.reject();
    });
    EXPECT_FALSE(open.Execute());
    QApplication::setFont(font);
    // The second dialog starts from the column widths the first one left.
    for (int run = 0; run < 2; ++run) {
        // Then in the opposite corner.
        if (run == 1)
            owner.move(owner.screen()->availableGeometry().bottomRight() - QPoint(239, 149));
        WhenShown<QFileDialog>([&](QFileDialog& d) {
            accept = d.labelText(QFileDialog::Accept).toStdString();
            reject = d.labelText(QFileDialog::Reject).toStdString();
            name = d.labelText(QFileDialog::FileName).toStdString();
            auto* view = d.findChild<QTreeView*>("treeView");
            const QAbstractItemModel* model = view->model();
            const QModelIndex root = view->rootIndex();
            if (QTest::qWaitFor([&] { return model->rowCount(root) == 3; })) {
                view->sortByColumn(0, Qt::AscendingOrder);
                const QFontMetrics metrics(view->font());
                for (int row = 0; row < 3; ++row) {
                    rows.emplace_back();
                    for (int column = 0; column < 4; ++column) {
                        // Only the text shown is ours: other roles are the file system's.
                        const QModelIndex cell = model->index(row, column, root);
                        const auto* proxy = qobject_cast<const QAbstractProxyModel*>(model);
                        ASSERT_NE(proxy, nullptr);
                        EXPECT_EQ(cell.data(Qt::TextAlignmentRole),
                                  proxy->mapToSource(cell).data(Qt::TextAlignmentRole));
                        const QString text = cell.data().toString();
                        rows.back().push_back(text.toStdString());
                        fits.push_back(metrics.horizontalAdvance(text) + 2 * metrics.height() <=
                                       view->header()->sectionSize(column));
                        // The bitmap's row holds the widest size, type and date: just what they need.
                        if (row == 1 && column > 0)
                            fits.push_back(view->header()->sectionSize(column) ==
                                           metrics.horizontalAdvance(text) + 3 * metrics.height());
                    }
                }
                // No sideways scrolling; the name column as wide as the rest, as far as the screen allows.
                const QHeaderView* header = view->header();
                fits.push_back(header->length() <= view->viewport()->width());
                fits.push_back(header->sectionSize(0) >= header->length() / 2 ||
                               d.frameGeometry().width() >= d.screen()->availableGeometry().width());
                fits.push_back(d.screen()->availableGeometry().contains(d.frameGeometry()));
                // Centred on the owner in the bottom corner, it comes as close as the screen lets it.
                if (run == 1)
                    fits.push_back(d.frameGeometry().bottomRight() == d.screen()->availableGeometry().bottomRight());
            }
            d.reject();
        });
        EXPECT_FALSE(open.Execute());
    }
    EXPECT_EQ(accept, "開く(&O)");
    EXPECT_EQ(reject, "キャンセル");
    EXPECT_EQ(name, "ファイル名(&N):");
    const std::vector<std::vector<std::string>> shown{
        {"sub", "", "フォルダー", "2021/11/24 17:05"},
        {"a.bmp", "1,023 バイト", "Windows BMP 画像", "2021/11/24 17:05"},
        {"b.png", "1.5 KB", "PNG 画像", "2021/11/24 17:05"},
    };
    std::vector<std::vector<std::string>> expected = shown;
    expected.insert(expected.end(), shown.begin(), shown.end());
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(fits, std::vector<bool>(37, true));
}

TEST(Application, FileDialogsStartInTheirFolderElseWhereTheLastOneWasUsedElseHome)
{
    const auto dir = ScratchFolder("dialog_start");
    std::filesystem::create_directories(dir / "last");
    std::filesystem::create_directories(dir / "chosen");
    const std::string home = QDir::homePath().toStdString();
    TOpenDialog open(nullptr);
    open.Filter = "すべてのファイル|*.*";
    EXPECT_EQ(open.StartFolder(), home);
    open.InitialDir = (dir / "missing").string();
    EXPECT_EQ(open.StartFolder(), home);
    // A folder remembered in an earlier run, while it exists.
    ASSERT_TRUE(RegistryWriteString("\\Software\\Farovinter\\FileDialog", "LastFolder", (dir / "gone").string()));
    EXPECT_EQ(open.StartFolder(), home);
    ASSERT_TRUE(RegistryWriteString("\\Software\\Farovinter\\FileDialog", "LastFolder", (dir / "last").string()));
    EXPECT_EQ(open.StartFolder(), (dir / "last").string());
    EXPECT_EQ(StartFolderOf([&] { open.Execute(); }), (dir / "last").string());

    // Any dialog's choice is where the next one starts, in this run and the next.
    WriteFile(dir / "chosen" / "a.bmp", "BM");
    ChooseFile((dir / "chosen" / "a.bmp").string());
    ASSERT_TRUE(open.Execute());
    EXPECT_EQ(RegistryReadString("\\software\\farovinter\\filedialog\\", "lastfolder"), (dir / "chosen").string());
    ASSERT_TRUE(RegistryWriteString("\\Software\\Farovinter\\FileDialog", "LastFolder", (dir / "last").string()));
    TSaveDialog save(nullptr);
    save.FileName = (dir / "last" / "b.bmp").string();
    // The last name is offered again only in its own folder.
    const auto shown = [&] {
        std::pair<std::string, std::string> nameAndFolder;
        WhenShown<QFileDialog>([&](QFileDialog& d) {
            nameAndFolder = {d.findChild<QLineEdit*>("fileNameEdit")->text().toStdString(),
                             d.directory().absolutePath().toStdString()};
            d.reject();
        });
        save.Execute();
        return nameAndFolder;
    };
    EXPECT_EQ(shown(), std::pair(std::string(), (dir / "chosen").string()));
    // Its own folder comes first.
    save.InitialDir = (dir / "last" / ".." / "last").string();
    EXPECT_EQ(shown(), std::pair(std::string("b.bmp"), (dir / "last").string()));
}

} // namespace
