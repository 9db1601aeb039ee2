// Building blocks of the correction dialogs: the controls at their places,
// the label texts, and the form settings every one of these dialogs shares.
#pragma once

#include <QRect>
#include <QString>

#include <utility>

class QCheckBox;
class QLabel;
class QPushButton;
class QScrollBar;
class QWidget;
class TForm;
class TImage;

// A label with a horizontal scroll bar under it, the two at left 8 from top.
std::pair<QLabel*, QScrollBar*> NewBarRow(QWidget* parent, const QString& caption, int min, int max, int position, int top, int width);

QLabel* NewLabel(QWidget* parent, const QString& caption, const QRect& bounds);
QPushButton* NewButton(QWidget* parent, const QString& caption, const QRect& bounds);
QCheckBox* NewCheckBox(QWidget* parent, const QString& caption, bool checked, const QRect& bounds);
// The preview control: the picture at its own size, centred, clipped to bounds.
TImage* NewPreview(QWidget* parent, const QRect& bounds);

// Caption, client size, font, a fixed dialog border centred on the screen;
// ok is the default button (Enter), cancel the Cancel button (Esc) with result 2.
void SetUpCorrectionForm(TForm& form, const QString& caption, int clientWidth, int clientHeight, QPushButton* ok,
                         QPushButton* cancel);

// Moves first and second to changed's position. A bar runs its change
// handler only when its position really changes, which ends the chain of
// handlers that linked bars start.
void MoveLinkedBars(QScrollBar* changed, QScrollBar* first, QScrollBar* second);

// prefix followed by value in decimal.
QString PositionCaption(const QString& prefix, int value);
// The gamma value of a scroll position: position / 100.
double GammaOf(int position);
// prefix followed by position / 100 formatted "%4.2f".
QString GammaCaption(const QString& prefix, int position);
