// The motion-blur dialog: angle, length and quality of the blur, with a
// preview on the whole document.
#pragma once

#include "bitmap/FvDIB.h"
#include "platform/ui/Form.h"

#include <cstdint>
#include <memory>

class QLabel;
class QPushButton;
class QScrollBar;

class TMotionBlurForm : public TForm {
public:
    explicit TMotionBlurForm(QWidget* Owner);

    QScrollBar* ScrollBar1;
    QScrollBar* ScrollBar2;
    QScrollBar* ScrollBar3;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
    // The document filtered by the last preview.
    std::unique_ptr<TFvDIB> bmp;

    void FormActivate() override;
    void ScrollBar1Change();
    void ScrollBar2Change();
    void ScrollBar3Change();
    void Button1Click();
    void Button2Click();

private:
    // MotionBlurAngle from ScrollBar1, and the four labels.
    void WriteLabels();
};

// Degrees times the extended constant pi / 180, rounded to a Double.
double DegreesToRadians(int Degrees);

extern TMotionBlurForm* MotionBlurForm;
// Milliseconds the last valid preview took; 0 when there is none.
extern uint32_t MotionBlurProcessTime;
// The angle in radians of ScrollBar1, kept current by the dialog.
extern double MotionBlurAngle;
// Handed back with OK when no preview is valid.
extern int32_t MotionBlurSize;
extern int32_t MotionBlurQuality;
