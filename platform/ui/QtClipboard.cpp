#include "platform/ui/QtClipboard.h"

#include "platform/graphics/Clipboard.h"
#include "platform/ui/ClipboardBmp.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

namespace {

const QString BmpMime = QStringLiteral("image/bmp");

class QtClipboardBackend : public ClipboardBackend {
public:
    bool HasFormat(unsigned format) override
    {
        if (format != CF_DIB)
            return false;
        const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
        return mime != nullptr && (mime->hasFormat(BmpMime) || mime->hasImage());
    }

    HGLOBAL GetData(unsigned format) override
    {
        if (format != CF_DIB)
            return nullptr;
        const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
        if (mime == nullptr)
            return nullptr;
        std::vector<unsigned char> dib;
        if (mime->hasFormat(BmpMime))
            dib = DibFromBmpFile(mime->data(BmpMime));
        if (dib.empty() && mime->hasImage()) {
            // Another program's picture: let Qt write it as a BMP file first.
            const QImage image = qvariant_cast<QImage>(mime->imageData());
            QByteArray file;
            QBuffer buffer(&file);
            buffer.open(QIODevice::WriteOnly);
            if (!image.isNull() && image.save(&buffer, "BMP"))
                dib = DibFromBmpFile(file);
        }
        return dib.empty() ? nullptr : GlobalAllocCopy(dib.data(), dib.size());
    }

    void SetData(unsigned format, HGLOBAL data) override
    {
        if (format == CF_DIB && data != nullptr) {
            const auto* dib = static_cast<const unsigned char*>(GlobalLock(data));
            const QByteArray file = BmpFileFromDib(dib, GlobalSize(data));
            GlobalUnlock(data);
            if (!file.isEmpty()) {
                auto* mime = new QMimeData;
                mime->setData(BmpMime, file);
                // Programs that do not read BMP data still get the picture.
                const QImage image = QImage::fromData(file, "BMP");
                if (!image.isNull())
                    mime->setImageData(image);
                QGuiApplication::clipboard()->setMimeData(mime);
            }
        }
        GlobalFree(data);
    }

    void Clear() override { QGuiApplication::clipboard()->clear(); }
};

} // namespace

void InstallQtClipboard()
{
    SetClipboardBackend(std::make_unique<QtClipboardBackend>());
}
