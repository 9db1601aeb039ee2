#include "platform/ui/Image.h"

#include "platform/gdi/Gdi.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphic.h"

#include <QBackingStore>
#include <QGuiApplication>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace {

// A memory device context holding a top-down 32-bit DIB section, the
// surface that graphics draw themselves onto.
class TDrawSurface {
public:
    TDrawSurface(int width, int height) : FWidth(width), FHeight(height)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        FDC = CreateCompatibleDC(nullptr);
        FBitmap = CreateDIBSection(FDC, &info, DIB_RGB_COLORS, &FBits, nullptr, 0);
        if (FDC != nullptr && FBitmap != nullptr && FBits != nullptr)
            FOld = SelectObject(FDC, reinterpret_cast<HGDIOBJ>(FBitmap));
    }
    ~TDrawSurface()
    {
        if (FOld != nullptr)
            SelectObject(FDC, FOld);
        if (FBitmap != nullptr)
            DeleteObject(reinterpret_cast<HGDIOBJ>(FBitmap));
        if (FDC != nullptr)
            DeleteDC(FDC);
    }
    TDrawSurface(const TDrawSurface&) = delete;
    TDrawSurface& operator=(const TDrawSurface&) = delete;

    // graphic drawn with its top-left corner at x, y; the image shares the
    // surface's pixels and is valid until the next drawing or the surface's end.
    QImage Draw(TGraphic& graphic, int x, int y)
    {
        if (FOld == nullptr)
            return {};
        TCanvas canvas;
        canvas.SetHandle(FDC);
        canvas.Draw(x, y, graphic);
        // Top-down 32-bit rows are blue, green, red, unused: Qt's RGB32.
        return QImage(static_cast<const uchar*>(FBits), FWidth, FHeight, FWidth * 4, QImage::Format_RGB32);
    }

private:
    int FWidth, FHeight;
    HDC FDC = nullptr;
    HBITMAP FBitmap = nullptr;
    void* FBits = nullptr;
    HGDIOBJ FOld = nullptr;
};

// Rows drawn at a time while painting: one small surface serves the whole
// area, so a large picture costs no fresh memory for every paint.
constexpr int PaintStripRows = 64;

// Where windows report their places on the screens; elsewhere (Wayland) a
// window may be moved without its program knowing.
bool KnowsWindowPlaces()
{
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("xcb") || platform == QLatin1String("offscreen");
}

// The painter paints into the window's own surface, not into a grab or a print.
bool PaintsIntoWindow(QPainter& painter, QWidget& widget)
{
    QBackingStore* store = widget.backingStore();
    return store != nullptr && painter.paintEngine() != nullptr &&
           painter.paintEngine()->paintDevice() == store->paintDevice();
}

} // namespace

QImage RenderGraphic(TGraphic& graphic, const QRect& area)
{
    if (graphic.Empty() || area.isEmpty())
        return {};
    TDrawSurface surface(area.width(), area.height());
    return surface.Draw(graphic, -area.x(), -area.y()).copy();
}

QImage RenderGraphic(TGraphic& graphic)
{
    return RenderGraphic(graphic, QRect(0, 0, graphic.Width(), graphic.Height()));
}

TImage::TImage(QWidget* parent) : QWidget(parent)
{
    // The control paints every pixel itself, so no background is filled under the picture first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

TImage::~TImage() = default;

void TImage::SetGraphic(TGraphic& graphic)
{
    std::unique_ptr<TGraphic> copy = graphic.ClassType()->Create();
    copy->Assign(&graphic);
    FGraphic = std::move(copy);
    FSize = FGraphic->Empty() ? QSize() : QSize(FGraphic->Width(), FGraphic->Height());
    FSkipped = QRegion();
    if (AutoSize)
        resize(FSize);
    update();
}

QImage TImage::Picture() const
{
    return FGraphic ? RenderGraphic(*FGraphic) : QImage();
}

QSize TImage::sizeHint() const
{
    return FSize;
}

QPoint TImage::Origin() const
{
    return Center ? QPoint((width() - FSize.width()) / 2, (height() - FSize.height()) / 2) : QPoint();
}

QRect TImage::OnScreen() const
{
    const QScreen* screen = this->screen();
    if (screen == nullptr || !KnowsWindowPlaces())
        return rect();
    const QRect desktop = screen->virtualGeometry();
    return QRect(mapFromGlobal(desktop.topLeft()), desktop.size()).intersected(rect());
}

void TImage::PaintArrived()
{
    const QRegion arrived = FSkipped.translated(Origin()).intersected(OnScreen());
    if (!arrived.isEmpty())
        update(arrived);
}

void TImage::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QPoint origin = Origin();
    const QRect picture = FGraphic ? QRect(origin, FSize) : QRect();
    for (const QRect& uncovered : QRegion(event->rect()).subtracted(picture))
        painter.fillRect(uncovered, palette().window());
    QRegion asked = event->region().intersected(picture);
    if (PaintsIntoWindow(painter, *this)) {
        // A picture larger than the screen costs a paint of what is on the screen.
        const QRegion shown = asked.intersected(OnScreen());
        FSkipped = FSkipped.united(asked.translated(-origin)).subtracted(shown.translated(-origin));
        asked = shown;
    }
    // Only the part being painted is drawn.
    const QRect area = asked.boundingRect().translated(-origin);
    if (area.isEmpty())
        return;
    TDrawSurface strip(area.width(), std::min(PaintStripRows, area.height()));
    for (int y = area.top(); y <= area.bottom(); y += PaintStripRows) {
        const int rows = std::min(PaintStripRows, area.bottom() + 1 - y);
        painter.drawImage(origin + QPoint(area.x(), y), strip.Draw(*FGraphic, -area.x(), -y),
                          QRect(0, 0, area.width(), rows));
    }
}

void TImage::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    PaintArrived();
}

template <class Watched>
void TImage::Watch(QPointer<Watched>& Field, Watched* Object)
{
    if (Field == Object)
        return;
    if (Field != nullptr)
        Field->removeEventFilter(this);
    Field = Object;
    if (Object != nullptr)
        Object->installEventFilter(this);
}

void TImage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Moves of the window bring parts onto the screen; so may exposures (a
    // screen made larger, for one).
    Watch(FWatchedWindow, window());
    Watch(FWatchedHandle, window()->windowHandle());
}

bool TImage::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == FWatchedWindow && event->type() == QEvent::Move) ||
        (watched == FWatchedHandle && event->type() == QEvent::Expose))
        PaintArrived();
    return QWidget::eventFilter(watched, event);
}
