// The image control: shows a graphic at its own size. It keeps its own copy
// of the graphic (a bitmap's copy shares the pixels) and, when painted, has
// the graphic draw through its Draw only the part being painted into an
// off-screen 32-bit image, which the control paints centred in its area.
#pragma once

#include <QImage>
#include <QWidget>

#include <memory>

class TGraphic;

class TImage : public QWidget {
public:
    explicit TImage(QWidget* parent = nullptr);
    ~TImage() override;

    // Shows graphic as it is now; with AutoSize the control takes its size.
    void SetGraphic(TGraphic& graphic);
    // The whole picture on show, drawn afresh.
    QImage Picture() const;

    bool AutoSize = true;
    bool Center = true;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::unique_ptr<TGraphic> FGraphic;
    QSize FSize;
};

// The area of graphic (in its own pixels) drawn into a new 32-bit image.
QImage RenderGraphic(TGraphic& graphic, const QRect& area);
// graphic drawn at its own size into a new 32-bit image.
QImage RenderGraphic(TGraphic& graphic);
