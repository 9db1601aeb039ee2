// The main window's file and clipboard commands: opening by extension
// (open dialog, dropped file, command line), saving over the open file or
// under a new name with the JPEG and PNG options and the PNG optimisers,
// and copy and paste.
#include "app/main.h"

#include "app/DialogCommand.h"
#include "app/FileNames.h"
#include "app/executeprocess.h"
#include "app/jpegoption.h"
#include "app/pngoption.h"
#include "app/size.h"
#include "effects/Interpolation.h"
#include "jpeg/jpegSIMD.h"
#include "platform/graphics/Clipboard.h"
#include "platform/graphics/GifImage.h"
#include "platform/graphics/PngImage.h"
#include "platform/system/Files.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/FileDialogs.h"
#include "platform/ui/Form.h"
#include "platform/ui/Image.h"
#include "susie/SPIFvDIB.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <algorithm>
#include <type_traits>
#include <utility>

namespace {

// A graphic class reads the file; the picture reaches Target through a bitmap.
template <class Graphic>
void LoadThroughBitmap(const std::string& FileName, TFvDIB& Target)
{
    if constexpr (std::is_base_of_v<TRasterGraphic, Graphic>) {
        // Target takes the graphic's own bitmap over: an assigned bitmap
        // would copy any picture with a palette, as every 8-bit one has.
        Graphic graphic;
        graphic.LoadFromFile(FileName);
        Target.TakeBitmap(graphic.Bitmap());
    } else {
        TBitmap bitmap;
        {
            // The graphic goes first: the picture it shares with the bitmap
            // is then the bitmap's alone, and Target takes it over without a copy.
            Graphic graphic;
            graphic.LoadFromFile(FileName);
            bitmap.Assign(&graphic);
        }
        Target.TakeBitmap(bitmap);
    }
}

void WriteGraphic(const std::string& FileName, TGraphic& graphic)
{
    SaveFileReplacing(FileName, [&](TStream& stream) { graphic.SaveToStream(stream); });
}

// The editor only reads a dropped file, so it takes it as a copy, or as a
// link where the source offers no copy. A source told "move" may delete the
// file once the drop is done, so a drop offering only a move is refused.
bool TakeAsCopy(QDropEvent* event, bool busy)
{
    const Qt::DropActions offered = event->possibleActions();
    const Qt::DropAction action = (offered & Qt::CopyAction)   ? Qt::CopyAction
                                  : (offered & Qt::LinkAction) ? Qt::LinkAction
                                                               : Qt::IgnoreAction;
    if (busy || action == Qt::IgnoreAction || !event->mimeData()->hasUrls()) {
        event->ignore();
        return false;
    }
    event->setDropAction(action);
    event->accept();
    return true;
}

} // namespace

void TMainForm::Open1Click()
{
    OpenDialog1->Filter = "標準対応ファイル|*.bmp;*.jpg;*.png;*.gif|BitMap (*.bmp)|*.bmp|JPEG (*.jpg)|*.jpg|"
                          "PNG (*.png)|*.png|GIF (*.gif)|*.gif|すべてのファイル|*.*";
    // Both dialogs start beside the open picture, not in the working folder.
    OpenDialog1->InitialDir = FileFolder(CurrentFileName);
    if (!OpenDialog1->Execute())
        return;
    CurrentFileName = OpenDialog1->FileName;
    LodeImageFile(CurrentFileName);
}

void TMainForm::WMDropFiles(const std::string& FileName)
{
    CurrentFileName = FileName;
    LodeImageFile(CurrentFileName);
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event)
{
    TakeAsCopy(event, ProcessWaiting());
}

// Every move answers again: the source's proposal changes with the keys held.
void TMainForm::dragMoveEvent(QDragMoveEvent* event)
{
    TakeAsCopy(event, ProcessWaiting());
}

void TMainForm::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.front().isLocalFile()) {
        event->ignore();
        return;
    }
    if (!TakeAsCopy(event, ProcessWaiting()))
        return;
    // The whole path, however long.
    Guarded([&] { WMDropFiles(urls.front().toLocalFile().toStdString()); })();
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    // An optimiser is working on a saved file: the window closes once it is done.
    if (ProcessWaiting()) {
        FCloseDeferred = true;
        event->ignore();
        return;
    }
    TFormEX::closeEvent(event);
}

void TMainForm::LoadJPGFile(const std::string& FileName, TFvDIB& Target)
{
    LoadThroughBitmap<TJPEGImage>(FileName, Target);
}

void TMainForm::LoadGIFFile(const std::string& FileName, TFvDIB& Target)
{
    LoadThroughBitmap<TGIFImage>(FileName, Target);
}

void TMainForm::LoadPNGFile(const std::string& FileName, TFvDIB& Target)
{
    LoadThroughBitmap<TPngImage>(FileName, Target);
}

void TMainForm::LoadSPIFile(const std::string& FileName, TFvDIB& Target)
{
    TSPIFvDIB picture;
    picture.LoadFromFile(FileName);
    Target.Assign(&picture);
}

void TMainForm::LodeImageFile(const std::string& FileName)
{
    FDocument.UpSaveFlag = true;
    // The file's image goes before the image is shown: a storage shared with
    // it would be copied to take the true-colour palette.
    {
        TFvDIB image;
        try {
            const std::string extension = UpperExtension(FileName);
            if (extension == ".BMP")
                LoadBMPFile(FileName, image);
            else if (extension == ".JPG")
                LoadJPGFile(FileName, image);
            else if (extension == ".GIF")
                LoadGIFFile(FileName, image);
            else if (extension == ".PNG")
                LoadPNGFile(FileName, image);
            else {
                LoadSPIFile(FileName, image);
                // None of our writers keeps a plug-in's format: only 名付けて保存 may write it.
                FDocument.UpSaveFlag = false;
            }
        } catch (...) {
            ShowMessage("未対応の形式です。");
            FDocument.UpSaveFlag = false;
            return;
        }
        FDocument.Loaded(image);
    }
    FormSizeChange();
    Work();
    ImageView(FDocument.CurrentImage());
}

bool TMainForm::SaveBMPFile(const std::string& FileName, TBitmap& Bitmap)
{
    WriteGraphic(FileName, Bitmap);
    return true;
}

bool TMainForm::SaveJPGFile(const std::string& FileName, TBitmap& Bitmap)
{
    bool written = false;
    try {
        const TScopedForm<TJpegOptionForm> scoped(JpegOptionForm, this);
        if (JpegOptionForm->ShowModal() == mrOk) {
            TJPEGImage jpeg;
            jpeg.SetCompressionQuality(static_cast<TJPEGQualityRange>(JpegQuality));
            jpeg.SetProgressiveEncoding(JpegProgressive);
            jpeg.SetGrayscale(JpegGrayscale);
            jpeg.SetDownSampling(JpegDownSampling);
            jpeg.SethSamplingFactor(static_cast<uint8_t>(JpegHSampling));
            jpeg.SetvSamplingFactor(static_cast<uint8_t>(JpegVSampling));
            jpeg.Assign(&Bitmap);
            WriteGraphic(FileName, jpeg);
            written = true;
        }
    } catch (...) {
        // A failed write must not leave the preview on show either.
        Image1->SetGraphic(Bitmap);
        throw;
    }
    // The dialog's preview may have left the compressed picture on show.
    Image1->SetGraphic(Bitmap);
    return written;
}

bool TMainForm::SavePNGFile(const std::string& FileName, TBitmap& Bitmap)
{
    const TScopedForm<TPNGOptionForm> scoped(PNGOptionForm, this);
    if (PNGOptionForm->ShowModal() != mrOk)
        return false;
    TPngImage png;
    png.Assign(&Bitmap);
    png.SetCompressionLevel(PngCompressionLevel);
    WriteGraphic(FileName, png);
    RunOptimisers({{OptiPNGFlag, OptiPNGPath, OptiPNGParam},
                   {PNGOutFlag, PNGOutPath, PNGOutParam},
                   {PNGRewriteFlag, PNGRewritePath, PNGRewriteParam}},
                  FileName, LogFlag, StdLogPath, ErrLogPath);
    if (std::exchange(FCloseDeferred, false))
        close();
    return true;
}

void TMainForm::Save1Click()
{
    if (!FDocument.ChangeFlag) {
        MessageDlg("ファイルは変更されていません。", TMsgDlgType::mtError, mbOK);
        return;
    }
    TBitmap bitmap;
    bitmap.Assign(CurrentImage);
    // The file is written by its extension even when it has meanwhile gone.
    const std::string extension = UpperExtension(CurrentFileName);
    bool written = false;
    if (extension == ".BMP") {
        written = SaveBMPFile(CurrentFileName, bitmap);
    } else if (extension == ".JPG") {
        written = SaveJPGFile(CurrentFileName, bitmap);
    } else if (extension == ".PNG") {
        written = SavePNGFile(CurrentFileName, bitmap);
    } else {
        ShowMessage("対応していません。\"BMP\"で保存します。");
        written = SaveBMPFile(ChangeFileExt(CurrentFileName, ".bmp"), bitmap);
    }
    if (written)
        FDocument.ChangeFlag = false;
}

void TMainForm::Save2Click()
{
    TBitmap bitmap;
    bitmap.Assign(CurrentImage);
    SaveDialog1->Filter = "BitMap (*.bmp)|*.bmp|JPEG (*.jpg)|*.jpg|PNG (*.png)|*.png";
    SaveDialog1->InitialDir = FileFolder(CurrentFileName);
    if (!SaveDialog1->Execute())
        return;
    std::string target = SaveDialog1->FileName;
    bool written = false;
    switch (SaveDialog1->FilterIndex) {
    case 1:
        target = ChangeFileExt(target, ".bmp");
        written = SaveBMPFile(target, bitmap);
        break;
    case 2:
        target = ChangeFileExt(target, ".jpg");
        written = SaveJPGFile(target, bitmap);
        break;
    case 3:
        target = ChangeFileExt(target, ".png");
        written = SavePNGFile(target, bitmap);
        break;
    default:
        written = SaveBMPFile(target, bitmap);
        break;
    }
    // The document now belongs to the file actually written.
    if (written) {
        FDocument.UpSaveFlag = true;
        CurrentFileName = target;
        SetPanelText(2, CurrentFileName);
    }
}

void TMainForm::CopyClick()
{
    TClipboard clipboard;
    TBitmap bitmap;
    bitmap.Assign(CurrentImage);
    clipboard.Open();
    clipboard.Assign(&bitmap);
    clipboard.Close();
}

void TMainForm::PasteClick()
{
    if (FDocument.OpenFlag
        && MessageDlg("現在のデータを破棄して開きますか？", TMsgDlgType::mtInformation, mbYes | mbNo) != mrYes)
        return;
    {
        TFvDIB pasted;
        {
            TClipboard clipboard;
            clipboard.Open();
            struct Closing {
                TClipboard& Clipboard;
                ~Closing() { Clipboard.Close(); }
            } closing{clipboard};
            pasted.LoadFromClipboardFormat(CF_DIB, clipboard.GetAsHandle(CF_DIB), nullptr);
        }
        // Only a picture actually taken makes a document.
        FDocument.Loaded(pasted);
    }
    FDocument.FreeHistory();
    FDocument.UpSaveFlag = false;
    CurrentFileName.clear();
    Work();
    ImageView(FDocument.CurrentImage());
    FormSizeChange();
}

bool TMainForm::ClipBoardRead()
{
    TClipboard clipboard;
    return clipboard.HasFormat(CF_DIB);
}

void TMainForm::M6Click()
{
    RunDialogCommand(*this, SizeForm,
                     TDialogRow<TSizeForm>{.Apply =
                                               [](TSizeForm& form) {
                                                   // 1 % of a small image still leaves one pixel.
                                                   ResizeImage(*CurrentImage, std::max(form.CX, 1),
                                                               std::max(form.CY, 1), form.Mode);
                                               },
                                           .Refit = true});
}
