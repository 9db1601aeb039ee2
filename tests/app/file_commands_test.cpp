#include "AppTestSupport.h"
#include "MenuTestSupport.h"
#include "ModalDriver.h"
#include "app/FileNames.h"
#include "app/executeprocess.h"
#include "app/jpegoption.h"
#include "app/main.h"
#include "app/pngoption.h"
#include "jpeg/jpegSIMD.h"
#include "platform/graphics/GifImage.h"
#include "platform/graphics/PngImage.h"
#include "platform/system/Registry.h"
#include "platform/ui/Image.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDropEvent>
#include <QFileDialog>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>

namespace {

struct Window {
    explicit Window(const std::string& name) : Dir(ScratchFolder(name)), Form(nullptr, Dir.string() + "/")
    {
        Form.CommandLine = {"farovinter"};
    }
    std::filesystem::path Dir;
    TMainForm Form;
};

template <class Form>
void Answer(int result)
{
    WhenShown<Form>([=](Form& f) {
        if (result == mrOk)
            f.Button1->click();
        else
            f.SetModalResult(result);
    });
}

std::string WriteBmp(const std::filesystem::path& path, int width = 9, int height = 7)
{
    TFvDIB image;
    FillImage(image, width, height);
    image.SaveToFile(path.string());
    return path.string();
}

void Dirty(TMainForm& form)
{
    form.ImageView(*CurrentImage);
}

// The opened picture holds what the file's graphic gives when assigned: header, table and pixels.
template <class Graphic>
void ExpectOpenedAsAssigned(const TFvDIB& opened, const std::string& path)
{
    Graphic graphic;
    graphic.LoadFromFile(path);
    TBitmap bitmap;
    bitmap.Assign(&graphic);
    TFvDIB assigned;
    assigned.Assign(&bitmap);
    const TFvDIBInfos& a = opened.InternalDIB().DIBInfos;
    const TFvDIBInfos& b = assigned.InternalDIB().DIBInfos;
    EXPECT_EQ(std::memcmp(a.Dummy, b.Dummy, sizeof a.Dummy), 0) << path;
    ASSERT_EQ(a.BitsSize, b.BitsSize) << path;
    EXPECT_EQ(std::memcmp(a.pBits, b.pBits, static_cast<size_t>(a.BitsSize)), 0) << path;
}

TEST(FileCommands, OpenEveryKindThroughTheDialogADropAndTheCommandLine)
{
    CaptureMessages capture;
    Window w("open_kinds");
    TMainForm& form = w.Form;
    const std::string bmp = WriteBmp(w.Dir / "a.Bmp");
    const std::string jpg = (w.Dir / "b.JPG").string();
    std::filesystem::copy_file(FV_TEST_DATA "/jpeg/baseline420.jpg", jpg);
    const std::string gif = (w.Dir / "c.gif").string();
    std::filesystem::copy_file(FV_TEST_DATA "/gif/gradient.gif", gif);
    const std::string png = (w.Dir / "dir.x" / "d.png").string();
    std::filesystem::create_directories(w.Dir / "dir.x");
    TPngImage pngImage;
    TBitmap source;
    source.SetPixelFormat(pf8bit);
    source.SetSize(4, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            source.ScanLine(y)[x] = static_cast<uint8_t>(97 * x + 31 * y + 5);
    pngImage.Assign(&source);
    pngImage.SaveToFile(png);

    struct Case {
        std::string path;
        int width, bits;
    };
    for (const Case& c : {Case{bmp, 9, 24}, Case{jpg, 0, 24}, Case{gif, 7, 8}, Case{png, 4, 8}}) {
        ChooseFile(c.path);
        form.Open1Click();
        EXPECT_EQ(CurrentFileName, c.path);
        EXPECT_EQ(form.PanelText(2).toStdString(), c.path);
        EXPECT_EQ(CurrentImage->BitCount(), c.bits) << c.path;
        if (c.width) {
            EXPECT_EQ(CurrentImage->Width(), c.width);
        }
        if (c.path == gif)
            ExpectOpenedAsAssigned<TGIFImage>(*CurrentImage, gif);
        if (c.path == png)
            ExpectOpenedAsAssigned<TPngImage>(*CurrentImage, png);
        EXPECT_TRUE(form.Document().UpSaveFlag);
    }
    EXPECT_EQ(form.Document().Count(), 4u);
    EXPECT_TRUE(capture.Shown.Dialogs.empty());

    // A drop opens the first file, with its whole path however long. It is
    // taken as a copy, or as a link where no copy is offered, whatever the
    // source proposes (Shift proposes a move): a source told "move" may delete
    // the file. A drop offering only a move is refused and opens nothing.
    std::filesystem::create_directories(w.Dir / std::string(200, 'd'));
    const std::string longName = (w.Dir / std::string(200, 'd') / (std::string(100, 'n') + ".bmp")).string();
    std::filesystem::copy_file(bmp, longName);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(longName)), QUrl::fromLocalFile(QString::fromStdString(gif))});
    struct DropCase {
        Qt::DropActions offered;
        Qt::DropAction taken;
    };
    const Qt::DropActions all = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    for (const DropCase c : {DropCase{all, Qt::CopyAction}, DropCase{Qt::CopyAction, Qt::CopyAction},
                             DropCase{Qt::MoveAction, Qt::IgnoreAction}, DropCase{Qt::LinkAction, Qt::LinkAction},
                             DropCase{Qt::MoveAction | Qt::LinkAction, Qt::LinkAction}}) {
        for (const Qt::KeyboardModifiers keys : {Qt::KeyboardModifiers(Qt::NoModifier), Qt::KeyboardModifiers(Qt::ShiftModifier),
                                                 Qt::ControlModifier | Qt::ShiftModifier}) {
            SCOPED_TRACE(testing::Message() << "offered " << int(c.offered) << ", keys " << int(keys));
            CurrentFileName.clear();
            QDragEnterEvent enter(QPoint(5, 5), c.offered, &data, Qt::LeftButton, keys);
            QDragMoveEvent move(QPoint(6, 5), c.offered, &data, Qt::LeftButton, keys);
            QDropEvent drop(QPointF(6, 5), c.offered, &data, Qt::LeftButton, keys);
            const bool taken = c.taken != Qt::IgnoreAction;
            for (QDropEvent* event : {static_cast<QDropEvent*>(&enter), static_cast<QDropEvent*>(&move), &drop}) {
                QApplication::sendEvent(&form, event);
                EXPECT_EQ(event->isAccepted(), taken) << "event " << int(event->type());
                if (taken) {
                    EXPECT_EQ(event->dropAction(), c.taken) << "event " << int(event->type());
                }
            }
            EXPECT_EQ(CurrentFileName, taken ? longName : "");
        }
    }
    // Both file dialogs start beside the open picture, not where the last one was used.
    EXPECT_EQ(StartFolderOf([&] { form.Open1Click(); }), (w.Dir / std::string(200, 'd')).string());
    EXPECT_EQ(StartFolderOf([&] { form.Save2Click(); }), (w.Dir / std::string(200, 'd')).string());
    // A web address is no file: its drop is refused and opens nothing.
    QMimeData web;
    web.setUrls({QUrl("https://example.com/a.bmp")});
    QDragEnterEvent webEnter(QPoint(5, 5), Qt::CopyAction, &web, Qt::LeftButton, Qt::NoModifier);
    QDropEvent webDrop(QPointF(6, 5), Qt::CopyAction, &web, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &webEnter);
    QApplication::sendEvent(&form, &webDrop);
    EXPECT_FALSE(webDrop.isAccepted());
    EXPECT_EQ(CurrentFileName, longName);
    // While an optimiser works on a saved file, no drop is taken.
    const std::string slow = (w.Dir / "slow.sh").string();
    WriteFile(slow, "#!/bin/sh\nsleep 0.5\n");
    ::chmod(slow.c_str(), 0755);
    bool takenWhileBusy = true;
    QTimer::singleShot(50, [&] {
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QDragMoveEvent move(QPoint(6, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QDropEvent drop(QPointF(6, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        takenWhileBusy = false;
        for (QDropEvent* event : {static_cast<QDropEvent*>(&enter), static_cast<QDropEvent*>(&move), &drop}) {
            QApplication::sendEvent(&form, event);
            takenWhileBusy = takenWhileBusy || event->isAccepted();
        }
    });
    CurrentFileName.clear();
    RunOptimisers({{true, slow, ""}}, "f.png", false, "", "");
    EXPECT_FALSE(takenWhileBusy);
    EXPECT_EQ(CurrentFileName, "");
    EXPECT_EQ(CurrentImage->Width(), 9);

    // Other extensions (photo.jpeg, none) are no built-in reader's: the document stays.
    for (const std::string name : {"photo.jpeg", "noext"}) {
        std::filesystem::copy_file(jpg, w.Dir / name);
        form.WMDropFiles((w.Dir / name).string());
        EXPECT_FALSE(form.Document().UpSaveFlag);
        EXPECT_EQ(CurrentImage->Width(), 9);
    }
    ASSERT_EQ(capture.Shown.Dialogs.size(), 2u);
    EXPECT_EQ(capture.Shown.Dialogs[0].Text, "未対応の形式です。");
    EXPECT_EQ(form.Document().Count(), 16u);
}

TEST(FileCommands, TheCommandLineFileOpensWhenTheWindowShows)
{
    CaptureMessages capture;
    const auto dir = ScratchFolder("open_command_line");
    const std::string gif = (dir / "c.gif").string();
    std::filesystem::copy_file(FV_TEST_DATA "/gif/gradient.gif", gif);
    TMainForm form(nullptr, dir.string() + "/");
    form.CommandLine = {"farovinter", QString::fromStdString(gif)};
    form.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.Document().OpenFlag; }));
    EXPECT_EQ(CurrentFileName, gif);
    EXPECT_EQ(CurrentImage->Width(), 7);
    EXPECT_TRUE(capture.Shown.Dialogs.empty());
}

TEST(FileCommands, SaveAsWritesTheChosenFormatUnderTheNameActuallyWritten)
{
    CaptureMessages capture;
    Window w("save_as");
    TMainForm& form = w.Form;
    form.WMDropFiles(WriteBmp(w.Dir / "pic.bmp"));
    const std::vector<uint8_t> pixels = PixelBytes(*CurrentImage);

    ChooseFile((w.Dir / "out.png").string(), 1);
    form.Save2Click();
    EXPECT_EQ(CurrentFileName, (w.Dir / "out.bmp").string());
    EXPECT_EQ(form.PanelText(2).toStdString(), CurrentFileName);
    EXPECT_FALSE(std::filesystem::exists(w.Dir / "out.png"));

    ChooseFile((w.Dir / "out").string(), 3);
    Answer<TPNGOptionForm>(mrOk);
    form.Save2Click();
    EXPECT_EQ(CurrentFileName, (w.Dir / "out.png").string());

    // Choosing an existing name asks first.
    capture.Shown.Answer = mrYes;
    ChooseFile((w.Dir / "out.bmp").string(), 2);
    // Sampling factors set, then down-sampling turned off again: the file is not down-sampled.
    WhenShown<TJpegOptionForm>([](TJpegOptionForm& f) {
        f.CheckBox3->click();
        f.SpinEdit1->setValue(2);
        f.SpinEdit2->setValue(2);
        f.CheckBox3->click();
        f.ScrollBar1->setValue(37);
        f.Button1->click();
    });
    form.Save2Click();
    EXPECT_EQ(CurrentFileName, (w.Dir / "out.jpg").string());
    ASSERT_EQ(capture.Shown.Dialogs.size(), 1u);
    EXPECT_NE(capture.Shown.Dialogs[0].Text.find("out.bmp は既に存在します。"), std::string::npos);
    // Answered No, the dialog stays open, and cancelled it saves nothing.
    capture.Shown.Answer = mrNo;
    bool stayed = false;
    WhenShown<QFileDialog>([&](QFileDialog& d) {
        d.selectFile(QString::fromStdString((w.Dir / "out.bmp").string()));
        static_cast<QDialog&>(d).accept();
        stayed = d.isVisible();
        d.reject();
    });
    form.Save2Click();
    EXPECT_TRUE(stayed);
    EXPECT_EQ(CurrentFileName, (w.Dir / "out.jpg").string());

    TFvDIB back;
    back.LoadFromFile((w.Dir / "out.bmp").string());
    EXPECT_EQ(PixelBytes(back), pixels);
    TPngImage png;
    png.LoadFromFile((w.Dir / "out.png").string());
    TBitmap bitmap;
    bitmap.Assign(&png);
    back.Assign(&bitmap);
    EXPECT_EQ(PixelBytes(back), pixels);
    TJPEGImage jpeg;
    jpeg.LoadFromFile((w.Dir / "out.jpg").string());
    EXPECT_EQ(jpeg.Width(), 9);
    const std::string written = ReadFile(w.Dir / "out.jpg");
    const size_t frame = written.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    EXPECT_EQ(written[frame + 11], '\x11');
    // Quality 37 scales the first luminance step, 16, to 22.
    const size_t tables = written.find("\xFF\xDB");
    ASSERT_NE(tables, std::string::npos);
    EXPECT_EQ(written[tables + 5], '\x16');

    // Cancelled options write nothing and change nothing.
    ChooseFile((w.Dir / "other.png").string(), 3);
    Answer<TPNGOptionForm>(mrCancel);
    form.Save2Click();
    EXPECT_FALSE(std::filesystem::exists(w.Dir / "other.png"));
    EXPECT_EQ(CurrentFileName, (w.Dir / "out.jpg").string());
}

TEST(FileCommands, SaveOverwritesByExtensionAndClearsTheChangeOnlyWhenWritten)
{
    CaptureMessages capture;
    Window w("save");
    TMainForm& form = w.Form;
    const std::string bmp = WriteBmp(w.Dir / "pic.bmp");
    ::chmod(bmp.c_str(), 0640);
    form.WMDropFiles(bmp);
    form.ButtonClick(*MenuItem(form, {"イメージ(&I)", "カラー変更(&C)", "ネガポジ反転(&I)"}));
    const std::vector<uint8_t> negative = PixelBytes(*CurrentImage);
    form.Save1Click();
    EXPECT_FALSE(form.Document().ChangeFlag);
    {
        TFvDIB back;
        back.LoadFromFile(bmp);
        EXPECT_EQ(PixelBytes(back), negative);
        struct stat info {};
        ::stat(bmp.c_str(), &info);
        EXPECT_EQ(info.st_mode & 0777, 0640u);
    }
    form.Save1Click();
    ASSERT_EQ(capture.Shown.Dialogs.size(), 1u);
    EXPECT_EQ(capture.Shown.Dialogs[0].Text, "ファイルは変更されていません。");
    EXPECT_EQ(capture.Shown.Dialogs[0].Type, TMsgDlgType::mtError);

    // A file gone meanwhile is written again.
    std::filesystem::remove(bmp);
    Dirty(form);
    form.Save1Click();
    EXPECT_TRUE(std::filesystem::exists(bmp));

    // PNG: cancelled options leave the change set; confirmed ones write.
    const std::string png = (w.Dir / "pic.png").string();
    ChooseFile(png, 3);
    Answer<TPNGOptionForm>(mrOk);
    form.Save2Click();
    Dirty(form);
    const auto written = std::filesystem::last_write_time(png);
    Answer<TPNGOptionForm>(mrCancel);
    form.Save1Click();
    EXPECT_TRUE(form.Document().ChangeFlag);
    EXPECT_EQ(std::filesystem::last_write_time(png), written);
    std::filesystem::remove(png);
    Answer<TPNGOptionForm>(mrOk);
    form.Save1Click();
    EXPECT_FALSE(form.Document().ChangeFlag);
    EXPECT_TRUE(std::filesystem::exists(png));

    // JPEG likewise, and the file reads back.
    const std::string jpg = (w.Dir / "pic.jpg").string();
    ChooseFile(jpg, 2);
    Answer<TJpegOptionForm>(mrOk);
    form.Save2Click();
    std::filesystem::remove(jpg);
    Dirty(form);
    Answer<TJpegOptionForm>(mrCancel);
    form.Save1Click();
    EXPECT_TRUE(form.Document().ChangeFlag);
    EXPECT_FALSE(std::filesystem::exists(jpg));
    // Down-sampled one way only: the first component samples 1 across and 2 down.
    WhenShown<TJpegOptionForm>([](TJpegOptionForm& f) {
        if (!f.CheckBox3->isChecked())
            f.CheckBox3->click();
        f.SpinEdit1->setValue(1);
        f.SpinEdit2->setValue(2);
        f.Button1->click();
    });
    form.Save1Click();
    EXPECT_FALSE(form.Document().ChangeFlag);
    TJPEGImage jpeg;
    jpeg.LoadFromFile(jpg);
    EXPECT_EQ(jpeg.Width(), 9);
    const std::string bytes = ReadFile(jpg);
    const size_t frame = bytes.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    EXPECT_EQ(bytes[frame + 11], '\x12');

    // A GIF document is saved as a BMP beside it; the GIF stays and stays the document's name.
    const std::string gif = (w.Dir / "anim.gif").string();
    std::filesystem::copy_file(FV_TEST_DATA "/gif/gradient.gif", gif);
    form.WMDropFiles(gif);
    capture.Shown.Dialogs.clear();
    form.Save1Click();
    ASSERT_EQ(capture.Shown.Dialogs.size(), 1u);
    EXPECT_EQ(capture.Shown.Dialogs[0].Text, "対応していません。\"BMP\"で保存します。");
    EXPECT_TRUE(std::filesystem::exists(w.Dir / "anim.bmp"));
    EXPECT_EQ(ReadFile(gif), ReadFile(FV_TEST_DATA "/gif/gradient.gif"));
    EXPECT_EQ(CurrentFileName, gif);
}

TEST(FileCommands, AJpegSaveThatFailsStillPutsTheDocumentBackOnShow)
{
    CaptureMessages capture;
    Window w("save_jpeg_fails");
    TMainForm& form = w.Form;
    form.WMDropFiles(WriteBmp(w.Dir / "pic.bmp", 64, 48));
    CurrentFileName = (w.Dir / "gone" / "pic.jpg").string();
    WhenShown<TJpegOptionForm>([](TJpegOptionForm& f) {
        f.ScrollBar1->setValue(1);
        f.Button2->click();
        f.Button1->click();
    });
    EXPECT_ANY_THROW(form.Save1Click());
    EXPECT_TRUE(form.Image1->Picture() == RenderGraphic(*CurrentImage));
}

TEST(FileCommands, SavingKeepsAReadOnlyFileAndWritesWhereADanglingLinkLeads)
{
    CaptureMessages capture;
    capture.Shown.Answer = mrYes;
    Window w("save_kept");
    TMainForm& form = w.Form;
    ShowWindow(form);
    const std::string bmp = WriteBmp(w.Dir / "pic.bmp");
    const std::string before = ReadFile(bmp);
    ::chmod(bmp.c_str(), 0444);
    form.WMDropFiles(bmp);
    EXPECT_TRUE(ClickMenu(form, {"イメージ(&I)", "カラー変更(&C)", "ネガポジ反転(&I)"}));
    const std::vector<uint8_t> negative = PixelBytes(*CurrentImage);
    EXPECT_TRUE(ClickMenu(form, {"ファイル(&F)", "保存(&S)..."}));
    ChooseFile(bmp, 1);
    EXPECT_TRUE(ClickMenu(form, {"ファイル(&F)", "名付けて保存(&A)..."}));
    const std::string refusal = "ファイル \"" + bmp + "\" を作成できません。アクセスが拒否されました。";
    EXPECT_EQ(capture.Shown.Exceptions, (std::vector<std::string>{refusal, refusal}));
    EXPECT_EQ(ReadFile(bmp), before);
    EXPECT_TRUE(form.Document().ChangeFlag);

    std::filesystem::remove(bmp);
    std::filesystem::create_symlink("missing.bmp", bmp);
    EXPECT_TRUE(ClickMenu(form, {"ファイル(&F)", "保存(&S)..."}));
    EXPECT_EQ(capture.Shown.Exceptions.size(), 2u);
    EXPECT_FALSE(form.Document().ChangeFlag);
    EXPECT_TRUE(std::filesystem::is_symlink(bmp));
    TFvDIB back;
    back.LoadFromFile((w.Dir / "missing.bmp").string());
    EXPECT_EQ(PixelBytes(back), negative);
}

TEST(FileCommands, CopyAndPasteGoThroughTheDesktopClipboard)
{
    CaptureMessages capture;
    {
        // A clipboard without a picture offers no paste, and a paste opens nothing.
        Window empty("clipboard_empty");
        QApplication::clipboard()->setText("no picture");
        empty.Form.EditClick();
        EXPECT_FALSE(empty.Form.Paste1->isEnabled());
        EXPECT_THROW(empty.Form.PasteClick(), Exception);
        EXPECT_FALSE(empty.Form.Document().OpenFlag);
    }
    std::vector<uint8_t> pixels;
    {
        Window w("clipboard");
        w.Form.WMDropFiles(WriteBmp(w.Dir / "pic.bmp", 13, 5));
        pixels = PixelBytes(*CurrentImage);
        w.Form.CopyClick();
        w.Form.EditClick();
        EXPECT_TRUE(w.Form.Paste1->isEnabled());
    }
    // Nothing open: nothing to ask.
    Window w("clipboard_paste");
    TMainForm& form = w.Form;
    form.PasteClick();
    EXPECT_TRUE(capture.Shown.Dialogs.empty());
    EXPECT_EQ(PixelBytes(*CurrentImage), pixels);
    EXPECT_TRUE(form.Document().OpenFlag);
    EXPECT_FALSE(form.Document().UpSaveFlag);
    EXPECT_EQ(CurrentFileName, "");
    EXPECT_EQ(form.Document().Count(), 1u);

    // With an image open the user is asked; No changes nothing, Yes restarts the history.
    form.ButtonClick(*MenuItem(form, {"イメージ(&I)", "回転(&R)", "右90度回転(&0)"}));
    capture.Shown.Answer = mrNo;
    form.PasteClick();
    ASSERT_EQ(capture.Shown.Dialogs.size(), 1u);
    EXPECT_EQ(capture.Shown.Dialogs[0].Text, "現在のデータを破棄して開きますか？");
    EXPECT_EQ(CurrentImage->Width(), 5);
    EXPECT_EQ(form.Document().Count(), 2u);
    capture.Shown.Answer = mrYes;
    form.PasteClick();
    EXPECT_EQ(PixelBytes(*CurrentImage), pixels);
    EXPECT_EQ(form.Document().Count(), 1u);
    // A pasted picture has no folder: the dialogs start where one was last used.
    ASSERT_TRUE(RegistryWriteString("\\Software\\Farovinter\\FileDialog", "LastFolder", w.Dir.string()));
    EXPECT_EQ(StartFolderOf([&] { form.Open1Click(); }), w.Dir.string());

    // Named by 名付けて保存, the pasted picture can be saved in place.
    ChooseFile((w.Dir / "pasted.bmp").string(), 1);
    form.Save2Click();
    form.File1Click();
    EXPECT_TRUE(form.Save1->isEnabled());
}

TEST(FileNames, ExtensionsComeFromTheFileNamePartOnly)
{
    EXPECT_EQ(UpperExtension("/a.b/pic.Jpg"), ".JPG");
    EXPECT_EQ(UpperExtension("/a.b/pic"), "");
    EXPECT_EQ(ChangeFileExt("/a.b/pic", ".bmp"), "/a.b/pic.bmp");
    EXPECT_EQ(ChangeFileExt("/a/pic.png", ".bmp"), "/a/pic.bmp");
    EXPECT_EQ(FileFolder("/a.b/pic.Jpg"), "/a.b");
    EXPECT_EQ(FileFolder("pic.bmp"), std::filesystem::current_path().string());
    EXPECT_EQ(FileFolder(""), "");
}

} // namespace
