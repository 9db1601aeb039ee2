#include "platform/ui/Image.h"

#include "platform/gdi/Gdi.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphic.h"

#include <QPainter>

QImage RenderGraphic(TGraphic& graphic)
{
    const int width = graphic.Width();
    const int height = graphic.Height();
    if (graphic.Empty() || width <= 0 || height <= 0)
        return {};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC dc = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    HBITMAP target = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    QImage image;
    if (dc != nullptr && target != nullptr && bits != nullptr) {
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(target));
        try {
            TCanvas canvas;
            canvas.SetHandle(dc);
            canvas.Draw(0, 0, graphic);
            // Top-down 32-bit rows are blue, green, red, unused: Qt's RGB32.
            image = QImage(static_cast<const uchar*>(bits), width, height, width * 4, QImage::Format_RGB32).copy();
        } catch (...) {
            SelectObject(dc, old);
            DeleteObject(reinterpret_cast<HGDIOBJ>(target));
            DeleteDC(dc);
            throw;
        }
        SelectObject(dc, old);
    }
    if (target != nullptr)
        DeleteObject(reinterpret_cast<HGDIOBJ>(target));
    if (dc != nullptr)
        DeleteDC(dc);
    return image;
}

TImage::TImage(QWidget* parent) : QWidget(parent) {}

void TImage::SetGraphic(TGraphic& graphic)
{
    FPicture = RenderGraphic(graphic);
    if (AutoSize)
        resize(FPicture.size());
    update();
}

QSize TImage::sizeHint() const
{
    return FPicture.size();
}

void TImage::paintEvent(QPaintEvent*)
{
    if (FPicture.isNull())
        return;
    QPainter painter(this);
    const int x = Center ? (width() - FPicture.width()) / 2 : 0;
    const int y = Center ? (height() - FPicture.height()) / 2 : 0;
    painter.drawImage(x, y, FPicture);
}
