// The JPEG options dialog: quality, progressive, grey and down-sampling with
// its sampling factors for a JPEG save, and a preview that compresses the
// current image with them to show the file size and the compressed look.
#pragma once

#include "platform/ui/Form.h"

#include <memory>

class QCheckBox;
class QLabel;
class QPushButton;
class QScrollBar;
class QSpinBox;
class TBitmap;
class TJPEGImage;

// The values stored on OK (set to their defaults when the dialog is created).
extern int JpegQuality;
extern bool JpegProgressive;
extern bool JpegGrayscale;
extern bool JpegDownSampling;
extern int JpegHSampling;
extern int JpegVSampling;

// No sampling factor pair may have both above 2: the one not being edited gives way.
int SamplingGivingWay(int edited, int other);

class TJpegOptionForm : public TForm {
public:
    explicit TJpegOptionForm(QWidget* owner);
    ~TJpegOptionForm() override;

    QLabel* Label1;
    QScrollBar* ScrollBar1;
    QCheckBox* CheckBox1;
    QCheckBox* CheckBox2;
    QCheckBox* CheckBox3;
    QLabel* Label3;
    QSpinBox* SpinEdit1;
    QLabel* Label4;
    QSpinBox* SpinEdit2;
    QLabel* Label2;
    QPushButton* Button2;
    QPushButton* Button1;
    QPushButton* Button3;

    void FormActivate() override;
    void ScrollBar1Change();
    void CheckBox2Click();
    void CheckBox3Click();
    void SpinEdit1Exit();
    void SpinEdit2Exit();
    void Button2Click();
    void Button1Click();

private:
    std::unique_ptr<TBitmap> bmp;
    std::unique_ptr<TJPEGImage> jpg;
};

extern TJpegOptionForm* JpegOptionForm;
