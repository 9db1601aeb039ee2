// The main window: one image on show in a scroll box, the menu bar, and a
// status bar with the image's size, its file name and the last operation's time.
#pragma once

#include "app/Document.h"
#include "app/FormsEX.h"
#include "app/Settings.h"
#include "susie/SPIs.h"
#include "app/WindowPlacement.h"

#include <QStringList>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QLabel;
class TBitmap;
class TOpenDialog;
class TSaveDialog;
class QScrollArea;
class TImage;
class TMenuEnabler;

class TMainForm;

// The main window while it exists; dialogs reach its image control through it.
extern TMainForm* MainForm;
// The document image, read by every dialog; it lives as long as the main window.
extern TFvDIB* CurrentImage;
// One line per image plug-in, or the single line "None".
extern std::vector<std::string> PluginDescriptions;
// The full path of the settings file.
extern std::string SettingsPath;
// The path of the open file; empty after a paste.
extern std::string CurrentFileName;

// What the plug-in list shows of one plug-in.
struct TPluginDescription {
    std::string FileName;
    std::vector<std::string> ExtNames;
    std::vector<std::string> FileTypes;
};

// The file name in upper case padded to 15 characters, the first extension
// pattern padded to 45, then the first file type; "None" alone for no plug-in.
std::vector<std::string> PluginDescriptionLines(const std::vector<TPluginDescription>& plugins);

// The vertical scroll position after a wheel turn of delta: one step up for
// a positive delta, one step down (at most to maximum) for a negative one.
int WheelScrollPosition(int position, int delta, int step, int maximum);

class TMainForm : public TFormEX {
public:
    // settingsDirectory: where "Farovinter.ini" lives; empty means beside the
    // executable (or the user's configuration folder when that is read-only).
    explicit TMainForm(QWidget* parent = nullptr, const std::string& settingsDirectory = {});
    ~TMainForm() override;

    // Fields of the settings file.
    bool LogFlag = false;
    bool HiddenFunctionFlag = false;
    bool OptiPNGFlag = false;
    bool PNGOutFlag = false;
    bool PNGRewriteFlag = false;
    std::string StdLogPath;
    std::string ErrLogPath;
    std::string OptiPNGPath;
    std::string PNGOutPath;
    std::string PNGRewritePath;

    // The arguments FormShow looks at; the process's own by default.
    QStringList CommandLine;

    TDocument& Document() { return FDocument; }
    QString PanelText(int index) const;
    void SetPanelText(int index, const std::string& text);

    // Status panel 3: the last operation's time, "N ms".
    void ShowOperationTime(uint32_t Milliseconds);
    void Work() { FDocument.Work(); }
    void ImageView(TFvDIB& ViewBitmap);
    void FormSizeChange();
    void LodeImageFile(const std::string& FileName);
    // Writes the settings file's default text (reporting a failure).
    void INICreate();
    // Opens the first dropped file.
    void WMDropFiles(const std::string& FileName);
    // The clipboard holds a device-independent bitmap.
    bool ClipBoardRead();

    // Menu handlers.
    void Close1Click();
    void Undo1Click();
    void Redo1Click();
    void Start1Click();
    void F1Click();
    void Open1Click();
    void Save1Click();
    void Save2Click();
    void CopyClick();
    void PasteClick();
    void M6Click();
    void N6Click();
    void hpClick();
    void mailClick();
    // The parameterless effects: Sender's group picks the operation.
    void ButtonClick(QAction& Sender);
    // The correction dialogs.
    void GaClick();
    void BrigClick();
    void ContClick();
    void ColorClick();
    void HlsRClick();
    void LmsRClick();
    void PostClick();
    // The filter dialogs.
    void Soft1Click();
    void MotionClick();
    void GaussianClick();
    void SharClick();
    void OilClick();
    void KuwaharaK1Click();
    void CustClick();
    // The Help menu's dialogs.
    void SusiePlugIn1Click();
    void About1Click();

    // Enabling handlers of the menus.
    void File1Click();
    void EditClick();
    void EffectClick();
    void M5Click();

    // Components: the menus and the items that the window reaches (a menu
    // is held by its menu action).
    QAction* File1 = nullptr;
    QAction* Open1 = nullptr;
    QAction* Save1 = nullptr;
    QAction* SaveAs1 = nullptr;
    QAction* Close1 = nullptr;
    QAction* Edit1 = nullptr;
    QAction* Undo1 = nullptr;
    QAction* Redo1 = nullptr;
    QAction* Copy1 = nullptr;
    QAction* Paste1 = nullptr;
    QAction* Start1 = nullptr;
    QAction* F1 = nullptr;
    QAction* Effect = nullptr;
    QAction* Correction1 = nullptr;
    QAction* ColorChange1 = nullptr;
    QAction* Rotation1 = nullptr;
    QAction* Filter1 = nullptr;
    QAction* M5 = nullptr;
    QAction* Bit41 = nullptr;
    QAction* Bit81 = nullptr;
    QAction* TrueColor1 = nullptr;
    QAction* M6 = nullptr;
    QAction* Help1 = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    TImage* Image1 = nullptr;
    // The image plug-ins, searched for while the window is created.
    std::unique_ptr<TSPIs> SPIs1;
    std::unique_ptr<TOpenDialog> OpenDialog1;
    std::unique_ptr<TSaveDialog> SaveDialog1;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void FormCreate(const std::string& settingsDirectory);
    void FormShow();
    void FormDestroy();
    void INILoad();
    void INISave();
    bool ScrollBox1MouseWheel(int delta);
    void CreateMenus();
    void CreateStatusBar();
    void LoadBMPFile(const std::string& FileName, TFvDIB& Target);
    void LoadJPGFile(const std::string& FileName, TFvDIB& Target);
    void LoadGIFFile(const std::string& FileName, TFvDIB& Target);
    void LoadPNGFile(const std::string& FileName, TFvDIB& Target);
    // Any format an image plug-in decodes.
    void LoadSPIFile(const std::string& FileName, TFvDIB& Target);
    // Each answers whether the file was written (false: its options were cancelled).
    bool SaveBMPFile(const std::string& FileName, TBitmap& Bitmap);
    bool SaveJPGFile(const std::string& FileName, TBitmap& Bitmap);
    bool SavePNGFile(const std::string& FileName, TBitmap& Bitmap);

    std::string OptiPNGParam;
    std::string PNGOutParam;
    std::string PNGRewriteParam;

    TDocument FDocument;
    TMenuEnabler* FMenuEnabler = nullptr;
    QLabel* FPanels[4] = {};
    // FormShow has run or waits for the window to reach the screen.
    bool FShown = false;
    TWindowPlacement* FPlacement = nullptr;
    // A close asked for while an optimiser ran, carried out after it.
    bool FCloseDeferred = false;
};
