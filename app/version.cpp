#include "app/version.h"

#include "app/ProgramIcon.h"
#include "app/VersionInfo.h"
#include "app/main.h"
#include "platform/system/Files.h"
#include "platform/ui/Application.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>

#include <filesystem>

TVersionForm* VersionForm = nullptr;

namespace {

// The credit line's name: a neutral stand-in, never a real person's.
const char* const AuthorName = "Farovinter Project";

} // namespace

TVersionForm::TVersionForm(QWidget* owner) : TForm(owner)
{
    setWindowTitle(QStringLiteral("バージョン情報"));
    setFont(DesignFont("ＭＳ Ｐゴシック", 12));
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetPosition(TFormPosition::poScreenCenter);
    resize(330, 100);

    Image1 = new QLabel(this);
    Image1->setGeometry(8, 8, 33, 33);
    Image1->installEventFilter(this);
    Label1 = new QLabel(this);
    Label1->setFont(DesignFont("ＭＳ Ｐゴシック", 16));
    Label1->move(56, 8);
    Label2 = new QLabel(QString::fromUtf8("製作者 ") + QString::fromUtf8(AuthorName), this);
    Label2->move(168, 32);
    Label2->adjustSize();
    Button1 = new QPushButton(QStringLiteral("OK(&O)"), this);
    Button1->setGeometry(128, 64, 75, 25);
    SetButtonModalResult(Button1, mrOk);
    SetDefaultButton(Button1);
    FormCreate();
}

void TVersionForm::FormCreate()
{
    Image1->setPixmap(ProgramIcon().pixmap(Image1->size()));
    TVersionInfo info;
    ReadVersionInfo(GetExecutablePath(), info);
    Label1->setText(QString::fromStdString("Farovinter ぽるてぃか ver" + info.FileVersion));
    Label1->adjustSize();
}

bool TVersionForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Image1 && event->type() == QEvent::MouseButtonDblClick) {
        Guarded([this] { Image1DblClick(); })();
        return true;
    }
    return TForm::eventFilter(watched, event);
}

void TVersionForm::Image1DblClick()
{
    if (MessageDlg("隠し機能を有効にしますか？\r\n(Farovinter.iniが初期に戻されます。)", TMsgDlgType::mtInformation,
                   mbYes | mbNo) == mrNo)
        return;
    MainForm->HiddenFunctionFlag = true;
    std::error_code ignored;
    std::filesystem::remove(SettingsPath, ignored);
    MainForm->INICreate();
}
