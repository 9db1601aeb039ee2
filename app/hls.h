// The HLS dialog: a hue shift of 0 to 360 degrees and lightness and
// saturation of -100 to 100 per cent, previewed on a thumbnail of the
// document. The three values live in this unit, not in the form.
#pragma once

#include "platform/ui/Form.h"

class QLabel;
class QPushButton;
class QScrollBar;
class TImage;

// Handed back on OK, and kept up to date by every scroll change.
extern int HlsHue;
extern int HlsLightness;
extern int HlsSaturation;

class THLSForm : public TForm {
public:
    explicit THLSForm(QWidget* owner);
    ~THLSForm() override;

    TImage* I_1;
    QLabel* L_1;
    QLabel* L_2;
    QLabel* L_3;
    QScrollBar* SB_1;
    QScrollBar* SB_2;
    QScrollBar* SB_3;
    QPushButton* B_1;
    QPushButton* B_2;

    void FormActivate() override;
    void FormDeactivate() override;
    void SB_1Change();
    void SB_2Change();
    void SB_3Change();
    void B_1Click();

private:
    // Copies the positions into the unit's values, then shows the corrected thumbnail.
    void Preview();
};

extern THLSForm* HLSForm;
