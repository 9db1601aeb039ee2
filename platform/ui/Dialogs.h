// Message boxes and message dialogs of the platform. Every one goes through a
// replaceable presenter, so tests can read and answer them without a screen.
#pragma once

#include "platform/core/MessageHook.h"

#include <functional>
#include <string>

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// Buttons, combined as a set.
constexpr unsigned mbYes = 0x01;
constexpr unsigned mbNo = 0x02;
constexpr unsigned mbOK = 0x04;
constexpr unsigned mbCancel = 0x08;

// Modal results.
constexpr int mrNone = 0;
constexpr int mrOk = 1;
constexpr int mrCancel = 2;
constexpr int mrYes = 6;
constexpr int mrNo = 7;

struct TDialogRequest {
    std::string Text;
    std::string Caption;
    TMsgDlgType Type = TMsgDlgType::mtCustom;
    unsigned Buttons = mbOK;
};

// The plain message box, ShowMessage of MessageHook.h, is shown with an OK
// button and the application's title once the application object exists.
// Every box is centred on the window in use (else the main window) and is
// wide enough to show its whole caption.
// A message box with its own caption and icon.
void MessageBox(const std::string& text, const std::string& caption, TMsgDlgType type);
// A message dialog of a type, captioned by the type's name (エラー, 情報,
// 警告, 確認; the application's title for mtCustom); answers the modal result of the button pressed (Esc
// answers mrCancel when there is a Cancel button, else mrNo or mrOk).
int MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons);

// Shows every request from now on; answers its modal result. An empty
// function restores the real message boxes.
using DialogPresenter = std::function<int(const TDialogRequest&)>;
void SetDialogPresenter(DialogPresenter presenter);
