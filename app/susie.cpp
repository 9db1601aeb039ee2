#include "app/susie.h"

#include "app/main.h"
#include "susie/SPIs.h"

#include <QPlainTextEdit>
#include <QPushButton>

TSusieForm* SusieForm = nullptr;

namespace {

// The designed limits are of the outer window; the classic frame adds 16 x 38
// pixels to the client area, which is what Qt constrains.
constexpr int FrameWidth = 16;
constexpr int FrameHeight = 38;

} // namespace

TSusieForm::TSusieForm(QWidget* owner) : TForm(owner)
{
    setWindowTitle(QStringLiteral("SusiePlugIn"));
    setFont(DesignFont("ＭＳ Ｐゴシック", 12));
    SetBorderStyle(TFormBorderStyle::bsSizeable);
    SetPosition(TFormPosition::poScreenCenter);
    setMinimumSize(350 - FrameWidth, 305 - FrameHeight);
    setMaximumSize(1000 - FrameWidth, 700 - FrameHeight);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setFont(DesignFont("ＭＳ ゴシック", 12));
    Button1 = new QPushButton(QStringLiteral("OK(&O)"), this);
    Button1->resize(75, 25);
    SetButtonModalResult(Button1, mrOk);
    resize(334, 267);
    // Activation may come late or never: the list is there from the start.
    FormActivate();
}

void TSusieForm::FormActivate()
{
    QStringList lines;
    for (const std::string& line : PluginDescriptions)
        lines << QString::fromStdString(line);
    Memo1->setPlainText(lines.join('\n'));
}

void TSusieForm::resizeEvent(QResizeEvent* event)
{
    TForm::resizeEvent(event);
    FormResize();
}

void TSusieForm::FormResize()
{
    const int clientWidth = width();
    const int clientHeight = height();
    // The memo is aligned to the top: it spans the width.
    Memo1->setGeometry(0, 0, clientWidth, clientHeight - Button1->height() - 5);
    Button1->move(clientWidth - Button1->width() - 20, clientHeight - Button1->height() - 2);
}

std::vector<TPluginDescription> DescribePlugins(const TSPIs& spis)
{
    std::vector<TPluginDescription> plugins;
    for (int i = 0; i < spis.Count(); ++i) {
        const TSPI& spi = *spis.Plugins(i);
        plugins.push_back({spi.FileName(), spi.ExtNames(), spi.FileTypes()});
    }
    return plugins;
}
