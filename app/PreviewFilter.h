// What the six preview filter dialogs share: their frame, the scroll bars
// with their labels, the preview, OK and cancel buttons, and the preview
// itself, which filters a copy of the whole document and shows it in the
// main window in place of the document.
#pragma once

#include "platform/ui/Form.h"

#include <cstdint>
#include <functional>
#include <memory>

class QGridLayout;
class QLabel;
class QPushButton;
class QScrollBar;
class TFvDIB;
class TRadioGroup;

// Caption, dialog border, centred on the screen, the design font; answers the
// grid that the controls go into, one row each.
QGridLayout* SetUpFilterForm(TForm& Form, const QString& Caption);

// A horizontal scroll bar from Min to Max at Position with its label beside
// it, on the next row of Grid; Change runs when the position really changes.
QScrollBar* AddScrollBar(TForm& Form, QGridLayout& Grid, int Min, int Max, int Position, QLabel*& Label,
                         const std::function<void()>& Change);

// A control across the next row of Grid.
void AddRow(QGridLayout& Grid, QWidget* Control);

// The colour-count group of the oil-paint and Kuwahara dialogs, "32色" selected.
TRadioGroup* NewColourCountGroup(QWidget* Parent);

// Button1 "プレビュー（&P）" (the default button, running Preview), Button2
// "OK(&O)" (running OK) and Button3 "キャンセル(&C)" (the cancel button, modal
// result 2) on the last row of Grid.
void AddPreviewButtons(TForm& Form, QGridLayout& Grid, QPushButton*& Button1, QPushButton*& Button2,
                       QPushButton*& Button3, const std::function<void()>& Preview,
                       const std::function<void()>& OK);

// OK with a valid preview (ProcessTime not 0): closes Form with the result that
// hands the finished preview over instead of filtering again, and answers true.
bool ClosePreviewed(TForm& Form, uint32_t ProcessTime);

// A new image holding a copy of the document.
std::unique_ptr<TFvDIB> CopyOfDocument();

// Result := a fresh copy of the document, Operation runs on it and
// ProcessTime := the milliseconds it took; then the main window shows Result.
// ProcessTime stays 0 while the operation runs, so a preview that fails
// leaves no valid preview behind.
void RunPreview(TFvDIB& Result, uint32_t& ProcessTime, const std::function<void(TFvDIB&)>& Operation);

