// The image control: shows a graphic at its own size. The graphic draws
// itself through its Draw into an off-screen 32-bit image of the control,
// which the control paints centred in its area.
#pragma once

#include <QImage>
#include <QWidget>

class TGraphic;

class TImage : public QWidget {
public:
    explicit TImage(QWidget* parent = nullptr);

    // Draws graphic into the off-screen image; with AutoSize the control
    // takes the graphic's size.
    void SetGraphic(TGraphic& graphic);
    const QImage& Picture() const { return FPicture; }

    bool AutoSize = true;
    bool Center = true;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage FPicture;
};

// graphic drawn at its own size into a new 32-bit image.
QImage RenderGraphic(TGraphic& graphic);
