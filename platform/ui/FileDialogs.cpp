#include "platform/ui/FileDialogs.h"

#include "platform/system/Registry.h"
#include "platform/ui/DesktopLimit.h"
#include "platform/ui/Dialogs.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QScreen>
#include <QShowEvent>
#include <QTreeView>

#include <algorithm>
#include <array>

namespace {

// Where the platform's dialogs remember, per program, the folder last used.
constexpr const char* LastFolderKey = "\\Software\\Farovinter\\FileDialog";
constexpr const char* LastFolderName = "LastFolder";

enum Column { NameColumn, SizeColumn, TypeColumn, DateColumn };

QLocale Japanese()
{
    return {QLocale::Japanese, QLocale::Japan};
}

// Qt's file model writes sizes and dates in the system locale and calls a
// folder "Folder"; the dialog shows them in Japanese form.
class JapaneseColumns : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || files == nullptr || index.column() == NameColumn)
            return QIdentityProxyModel::data(index, role);
        const QFileInfo info = files->fileInfo(mapToSource(index));
        switch (index.column()) {
        case SizeColumn:
            if (info.isDir())
                return QString();
            return Japanese().formattedDataSize(info.size(), 1, QLocale::DataSizeTraditionalFormat);
        case TypeColumn:
            if (info.isDir())
                return QStringLiteral("フォルダー");
            break;
        case DateColumn:
            return Japanese().toString(info.lastModified(), QLocale::ShortFormat);
        default:
            break;
        }
        return QIdentityProxyModel::data(index, role);
    }
};

// The tree view of Qt's file dialog, which shows the columns.
QTreeView* DetailView(QFileDialog& dialog)
{
    return dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
}

// The size, type and date columns as wide as their longest usual text; the
// name column takes the rest.
void WidenColumns(QFileDialog& dialog)
{
    QTreeView* view = DetailView(dialog);
    if (view == nullptr)
        return;
    const QFontMetrics metrics(view->font());
    const int padding = 3 * metrics.height();
    const QDateTime latest(QDate(2000, 12, 28), QTime(23, 58));
    const std::array<std::pair<Column, QString>, 3> widest{{
        {SizeColumn, Japanese().formattedDataSize(1023, 1, QLocale::DataSizeTraditionalFormat)},
        {TypeColumn, QStringLiteral("Windows BMP 画像")},
        {DateColumn, Japanese().toString(latest, QLocale::ShortFormat)},
    }};
    QHeaderView* header = view->header();
    header->setSectionResizeMode(NameColumn, QHeaderView::Stretch);
    for (const auto& [column, text] : widest)
        header->resizeSection(column, std::max(metrics.horizontalAdvance(text) + padding, header->sectionSize(column)));
}

// Asks before an existing file is replaced, through the replaceable message
// dialogs instead of Qt's own question.
class FileDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override
    {
        const QStringList files = selectedFiles();
        if (acceptMode() == AcceptSave && files.size() == 1 && QFileInfo(files.front()).isFile()) {
            const std::string text = files.front().toStdString() + " は既に存在します。\n上書きしますか?";
            if (MessageDlg(text, TMsgDlgType::mtWarning, mbYes | mbNo) != mrYes)
                return;
        }
        QFileDialog::accept();
    }

protected:
    // Once laid out, the dialog grows, as far as the screen allows, until the
    // name column is as wide as the other three together, and stays centred
    // on its owner with its whole frame on the screen.
    void showEvent(QShowEvent* event) override
    {
        QFileDialog::showEvent(event);
        const QTreeView* view = DetailView(*this);
        const QScreen* display = screen();
        if (view == nullptr || display == nullptr)
            return;
        const QWidget* owner = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
        // A new window is framed only after it appears: until then its
        // owner's frame is the best guess at its own.
        QMargins frame = KnownFrameMargins(*this);
        if (frame.isNull() && owner != nullptr)
            frame = KnownFrameMargins(*owner);
        const QHeaderView* header = view->header();
        const int others = header->sectionSize(SizeColumn) + header->sectionSize(TypeColumn) +
                           header->sectionSize(DateColumn);
        const QRect area = display->availableGeometry();
        const QSize outer = size().grownBy(frame);
        const int grow = std::min(others - header->sectionSize(NameColumn), area.width() - outer.width());
        if (grow <= 0)
            return;
        QRect bounds(QPoint(), outer + QSize(grow, 0));
        bounds.moveCenter(owner != nullptr ? owner->frameGeometry().center() : frameGeometry().center());
        bounds.moveLeft(std::clamp(bounds.left(), area.left(), std::max(area.left(), area.right() + 1 - bounds.width())));
        bounds.moveTop(std::clamp(bounds.top(), area.top(), std::max(area.top(), area.bottom() + 1 - bounds.height())));
        resize(size() + QSize(grow, 0));
        move(bounds.topLeft());
    }
};

bool IsFolder(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

// The folder last used in this run, also when the registry cannot be written.
QString& LastFolder()
{
    static QString folder;
    return folder;
}

} // namespace

QStringList QtNameFilters(const std::string& filter)
{
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& text = parts[i];
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns)
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
        const QString list = patterns.join(QLatin1Char(' '));
        filters << (text.endsWith(QLatin1Char('(') + list + QLatin1Char(')')) ? text : text + " (" + list + ")");
    }
    return filters;
}

std::string TFileDialog::StartFolder() const
{
    const QString candidates[] = {
        QString::fromStdString(InitialDir),
        LastFolder(),
        QString::fromStdString(RegistryReadString(LastFolderKey, LastFolderName).value_or("")),
    };
    for (const QString& folder : candidates)
        if (IsFolder(folder))
            return QDir::cleanPath(QFileInfo(folder).absoluteFilePath()).toStdString();
    return QDir::homePath().toStdString();
}

bool TFileDialog::Execute()
{
    FileDialog dialog(FOwner);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setProxyModel(new JapaneseColumns(&dialog));
    dialog.setAcceptMode(Saving() ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(Saving() ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList filters = QtNameFilters(Filter);
    dialog.setNameFilters(filters);
    if (FilterIndex >= 1 && FilterIndex <= filters.size())
        dialog.selectNameFilter(filters[FilterIndex - 1]);
    const QString start = QString::fromStdString(StartFolder());
    dialog.setDirectory(start);
    // The last name is offered again only in its own folder.
    const QFileInfo last(QString::fromStdString(FileName));
    if (!FileName.empty() && QDir::cleanPath(last.absolutePath()) == start)
        dialog.selectFile(last.absoluteFilePath());
    WidenColumns(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    FileName = dialog.selectedFiles().front().toStdString();
    FilterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    LastFolder() = QFileInfo(dialog.selectedFiles().front()).absolutePath();
    // Remembering is a convenience: a registry that cannot be written changes nothing else.
    RegistryWriteString(LastFolderKey, LastFolderName, LastFolder().toStdString());
    return true;
}
