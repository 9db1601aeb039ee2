#include "app/main.h"

#include "app/EffectDispatch.h"
#include "app/MainMenu.h"
#include "app/ini.h"
#include "app/susie.h"
#include "platform/core/TickCount.h"
#include "platform/system/Files.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/FileDialogs.h"
#include "platform/ui/Form.h"
#include "platform/ui/Image.h"
#include "platform/ui/MenuEnabler.h"

#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>

#include <algorithm>
#include <cctype>
#include <filesystem>

TMainForm* MainForm = nullptr;
TFvDIB* CurrentImage = nullptr;
std::vector<std::string> PluginDescriptions;
std::string SettingsPath;
std::string CurrentFileName;

namespace {

// Pads text with blanks to width characters (UTF-8 counted by characters); longer text stays whole.
std::string PadRight(const std::string& text, size_t width)
{
    size_t characters = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80)
            ++characters;
    return characters >= width ? text : text + std::string(width - characters, ' ');
}

// Between the panels of the status bar.
constexpr int PanelSpacing = 2;

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

std::vector<std::string> PluginDescriptionLines(const std::vector<TPluginDescription>& plugins)
{
    if (plugins.empty())
        return {"None"};
    std::vector<std::string> lines;
    for (const TPluginDescription& plugin : plugins) {
        const std::string name = std::filesystem::path(plugin.FileName).filename().string();
        lines.push_back(PadRight(Upper(name), 15) +
                        PadRight(plugin.ExtNames.empty() ? "" : plugin.ExtNames.front(), 45) +
                        (plugin.FileTypes.empty() ? "" : plugin.FileTypes.front()));
    }
    return lines;
}

int WheelScrollPosition(int position, int delta, int step, int maximum)
{
    if (delta > 0)
        return std::max(0, position - step);
    if (delta < 0)
        return position < maximum - step ? position + step : maximum;
    return position;
}

TMainForm::TMainForm(QWidget* parent, const std::string& settingsDirectory) : TFormEX(parent)
{
    MainForm = this;
    setObjectName("MainForm");
    setWindowTitle(QStringLiteral("Farovinterぽるてぃか"));
    setFont(DesignFont("ＭＳ Ｐゴシック", -12));

    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setAlignment(Qt::AlignCenter);
    ScrollBox1->setWidgetResizable(false);
    Image1 = new TImage;
    ScrollBox1->setWidget(Image1);
    ScrollBox1->horizontalScrollBar()->setTracking(true);
    ScrollBox1->verticalScrollBar()->setTracking(true);
    ScrollBox1->viewport()->installEventFilter(this);
    setCentralWidget(ScrollBox1);

    CreateMenus();
    CreateStatusBar();
    OpenDialog1 = std::make_unique<TOpenDialog>(this);
    SaveDialog1 = std::make_unique<TSaveDialog>(this);

    // The designed place and size: left 191, top 104, client area 369 x 328.
    setMinimumSize(332, 200);
    move(191, 104);
    resize(369, 328 + menuBar()->sizeHint().height());

    FPlacement = new TWindowPlacement(this);
    SPIs1 = std::make_unique<TSPIs>();
    SPIs1->SearchOptions = {spsSusieDir, spsAppDir};
    SPIs1->GraphicPreview = false;
    SPIs1->Loaded();
    FormCreate(settingsDirectory);
    // The items start as their menus' rules set them.
    File1Click();
    EditClick();
    EffectClick();
    M5Click();
    CommandLine = QCoreApplication::arguments();
}

TMainForm::~TMainForm()
{
    FormDestroy();
    MainForm = nullptr;
}

void TMainForm::CreateMenus()
{
    FMenuEnabler = new TMenuEnabler(this);
    BuildMainMenu(*this, *menuBar(), *FMenuEnabler);
}

void TMainForm::CreateStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setFixedHeight(18);
    bar->setSizeGripEnabled(false);
    // The panels lie side by side in one strip of their whole width: in a
    // narrower window the window's edge cuts the strip off, where the status
    // bar's own layout would squeeze the panels onto each other.
    auto* strip = new QWidget(bar);
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(PanelSpacing);
    const int widths[4] = {30, 130, 300, 50};
    int stripWidth = 3 * PanelSpacing;
    for (int i = 0; i < 4; ++i) {
        stripWidth += widths[i];
        FPanels[i] = new QLabel(strip);
        FPanels[i]->setFixedWidth(widths[i]);
        FPanels[i]->setFrameShape(QFrame::Panel);
        FPanels[i]->setFrameShadow(QFrame::Sunken);
        row->addWidget(FPanels[i]);
    }
    strip->setFixedWidth(stripWidth);
    bar->addWidget(strip);
    FPanels[1]->setAlignment(Qt::AlignCenter);
    FPanels[0]->setText(QStringLiteral("Size"));
}

QString TMainForm::PanelText(int index) const
{
    return FPanels[index]->text();
}

void TMainForm::SetPanelText(int index, const std::string& text)
{
    FPanels[index]->setText(QString::fromStdString(text));
}

void TMainForm::ShowOperationTime(uint32_t Milliseconds)
{
    SetPanelText(3, std::to_string(Milliseconds) + " ms");
}

void TMainForm::FormCreate(const std::string& settingsDirectory)
{
    const std::string directory =
        settingsDirectory.empty() ? SettingsDirectory(GetExecutableDirectory()) : settingsDirectory;
    SettingsPath = MigrateSettings(directory);
    INILoad();
    FDocument.OpenFlag = false;
    FDocument.ChangeFlag = false;
    SetFittingThreshold(true);
    CurrentImage = &FDocument.CurrentImage();
    setAcceptDrops(true);
    PluginDescriptions = PluginDescriptionLines(DescribePlugins(*SPIs1));
    FDocument.UndoPointer = 0;
    ScrollBox1->setFocus();
}

void TMainForm::showEvent(QShowEvent* event)
{
    TFormEX::showEvent(event);
    // The window is shown before the file named at start is opened, so a
    // message about that file appears over it: FormShow waits until the
    // window is on the screen.
    if (!FShown && windowHandle() != nullptr)
        windowHandle()->installEventFilter(this);
}

void TMainForm::FormShow()
{
    if (CommandLine.size() > 1 && QFileInfo(CommandLine[1]).isFile()) {
        CurrentFileName = CommandLine[1].toStdString();
        LodeImageFile(CurrentFileName);
    }
    raise();
    activateWindow();
}

void TMainForm::FormDestroy()
{
    INISave();
    PluginDescriptions.clear();
    FDocument.FreeHistory();
    CurrentImage = nullptr;
}

void TMainForm::INILoad()
{
    // A file that exists but cannot be examined is no missing file: the default text must not replace it.
    std::error_code unknown;
    if (!std::filesystem::exists(SettingsPath, unknown) && !unknown) {
        INICreate();
        return;
    }
    const TSettingsValues values = ReadSettings(SettingsPath);
    SetFittingThresholdValue(values.FittingThreshold);
    FPlacement->Place(values.FormRect);
    if (values.Maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
    HiddenFunctionFlag = values.HiddenFunctionFlag;
    LogFlag = values.LogFlag;
    StdLogPath = values.StdLogPath;
    ErrLogPath = values.ErrLogPath;
    OptiPNGFlag = values.OptiPNG.Flag;
    OptiPNGPath = values.OptiPNG.Path;
    OptiPNGParam = values.OptiPNG.Param;
    PNGOutFlag = values.PNGOut.Flag;
    PNGOutPath = values.PNGOut.Path;
    PNGOutParam = values.PNGOut.Param;
    PNGRewriteFlag = values.PNGRewrite.Flag;
    PNGRewritePath = values.PNGRewrite.Path;
    PNGRewriteParam = values.PNGRewrite.Param;
}

void TMainForm::INISave()
{
    WriteWindowSettings(SettingsPath, FittingThresholdValue(), FPlacement->NormalFrame(), isMaximized());
}

void TMainForm::INICreate()
{
    try {
        CreateDefaultIni(SettingsPath, HiddenFunctionFlag);
    } catch (...) {
        MessageDlg("Error\n\rFarovinter.iniが生成できません。", TMsgDlgType::mtError, mbOK);
        std::error_code ignored;
        std::filesystem::remove(SettingsPath, ignored);
    }
}

void TMainForm::ImageView(TFvDIB& ViewBitmap)
{
    FDocument.View(ViewBitmap);
    TFvDIB& image = FDocument.CurrentImage();
    Image1->SetGraphic(image);
    SetPanelText(1, SizeStatusText(image.Width(), image.Height(), image.BitCount()));
    SetPanelText(2, CurrentFileName);
}

void TMainForm::FormSizeChange()
{
    // The client area is the scroll box and the status bar; the menu bar sits above it.
    TFvDIB& image = FDocument.CurrentImage();
    const int clientHeight = image.Height() + statusBar()->height() + 5;
    const int clientWidth = image.Width() + 5;
    resize(clientWidth, clientHeight + menuBar()->height());
    FPlacement->KeepOnScreen();
}

void TMainForm::LoadBMPFile(const std::string& FileName, TFvDIB& Target)
{
    Target.LoadFromFile(FileName);
}

void TMainForm::Close1Click()
{
    close();
}

void TMainForm::Undo1Click()
{
    if (TFvDIB* entry = FDocument.UndoStep()) {
        ImageView(*entry);
        FormSizeChange();
    }
}

void TMainForm::Redo1Click()
{
    if (TFvDIB* entry = FDocument.RedoStep()) {
        ImageView(*entry);
        FormSizeChange();
    }
}

void TMainForm::Start1Click()
{
    FDocument.Revert();
    ImageView(FDocument.CurrentImage());
    FormSizeChange();
}

void TMainForm::F1Click()
{
    FDocument.ClearHistory();
}

void TMainForm::ButtonClick(QAction& Sender)
{
    const uint32_t start = GetTickCount();
    if (const TEffectOperation operation = EffectOfGroup(Sender.data().toInt()))
        operation(*CurrentImage);
    ShowOperationTime(GetTickCount() - start);
    Work();
    ImageView(*CurrentImage);
    FormSizeChange();
}

void TMainForm::File1Click()
{
    Save1->setEnabled(FDocument.ChangeFlag && FDocument.UpSaveFlag);
    SaveAs1->setEnabled(FDocument.OpenFlag);
}

void TMainForm::EditClick()
{
    Undo1->setEnabled(FDocument.CanUndo());
    Redo1->setEnabled(FDocument.CanRedo());
    Copy1->setEnabled(FDocument.OpenFlag);
    Paste1->setEnabled(ClipBoardRead());
    Start1->setEnabled(FDocument.OpenFlag);
}

void TMainForm::EffectClick()
{
    // Effects work on true colour only; other depths must be converted first.
    const bool trueColor = FDocument.OpenFlag && FDocument.CurrentBitCount == 24;
    for (QAction* item : {Correction1, ColorChange1, Rotation1, Filter1, M6})
        item->setEnabled(trueColor);
    M5->setEnabled(FDocument.OpenFlag);
}

void TMainForm::M5Click()
{
    FDocument.CurrentBitCount = static_cast<uint8_t>(CurrentImage->BitCount());
    const bool trueColor = FDocument.CurrentBitCount == 24;
    Bit41->setEnabled(trueColor);
    Bit81->setEnabled(trueColor);
    TrueColor1->setEnabled(!trueColor);
}

bool TMainForm::ScrollBox1MouseWheel(int delta)
{
    QScrollBar* bar = ScrollBox1->verticalScrollBar();
    bar->setValue(WheelScrollPosition(bar->value(), delta, bar->singleStep(), bar->maximum()));
    return true;
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == windowHandle() && event->type() == QEvent::Expose && !FShown && windowHandle()->isExposed()) {
        FShown = true;
        windowHandle()->removeEventFilter(this);
        // After the window has painted what it was exposed for.
        QTimer::singleShot(0, this, [this] { FormShow(); });
    }
    if (watched == ScrollBox1->viewport() && event->type() == QEvent::Wheel)
        return ScrollBox1MouseWheel(static_cast<QWheelEvent*>(event)->angleDelta().y());
    return TFormEX::eventFilter(watched, event);
}
