#include "platform/ui/Image.h"

#include "platform/gdi/Gdi.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphic.h"

#include <QPaintEvent>
#include <QPainter>
#include <QRegion>

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

void TImage::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QPoint origin = Center ? QPoint((width() - FSize.width()) / 2, (height() - FSize.height()) / 2) : QPoint();
    const QRect picture = FGraphic ? QRect(origin, FSize) : QRect();
    for (const QRect& uncovered : QRegion(event->rect()).subtracted(picture))
        painter.fillRect(uncovered, palette().window());
    // Only the part being painted is drawn.
    const QRect area = event->rect().intersected(picture).translated(-origin);
    if (area.isEmpty())
        return;
    TDrawSurface strip(area.width(), std::min(PaintStripRows, area.height()));
    for (int y = area.top(); y <= area.bottom(); y += PaintStripRows) {
        const int rows = std::min(PaintStripRows, area.bottom() + 1 - y);
        painter.drawImage(origin + QPoint(area.x(), y), strip.Draw(*FGraphic, -area.x(), -y),
                          QRect(0, 0, area.width(), rows));
    }
}
