// The image control: shows a graphic at its own size. It keeps its own copy
// of the graphic (a bitmap's copy shares the pixels) and, when painted, has
// the graphic draw through its Draw only the part being painted into an
// off-screen 32-bit image, which the control paints centred in its area.
// In its window it paints only what lies on a screen: the parts of a picture
// larger than the screen are painted when they come onto it.
#pragma once

#include <QImage>
#include <QPointer>
#include <QRegion>
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
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPoint Origin() const;
    // The part of the control on the screens, all of it where the places of windows are unknown.
    QRect OnScreen() const;
    // Asks for a paint of the skipped parts that are on a screen now.
    void PaintArrived();
    // Field becomes Object, whose events this control then filters.
    template <class Watched>
    void Watch(QPointer<Watched>& Field, Watched* Object);

    std::unique_ptr<TGraphic> FGraphic;
    QSize FSize;
    // Parts of the picture (in its own pixels) left unpainted in the window because they were off the screens.
    QRegion FSkipped;
    // The window whose moves and exposures can bring skipped parts onto a screen.
    QPointer<QWidget> FWatchedWindow;
    QPointer<QWindow> FWatchedHandle;
};

// The area of graphic (in its own pixels) drawn into a new 32-bit image.
QImage RenderGraphic(TGraphic& graphic, const QRect& area);
// graphic drawn at its own size into a new 32-bit image.
QImage RenderGraphic(TGraphic& graphic);
