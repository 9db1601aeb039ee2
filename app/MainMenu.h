// The main window's menu bar as data: one row per menu, item or separator in
// the order they appear, with its caption, shortcut, group number, the
// window's field that keeps it, its command and, for menus, the handler that
// enables its items when it opens.
#pragma once

#include <QKeySequence>

#include <vector>

class QAction;
class QMenuBar;
class TMainForm;
class TMenuEnabler;

struct TMenuRow {
    // 0: on the menu bar; 1: in a menu; 2 and 3: in submenus. A row followed
    // by a deeper one is a menu holding the rows below it.
    int Depth = 0;
    // "-" is a separator.
    const char* Caption = "";
    QKeySequence Shortcut = {};
    // The dispatch key of ButtonClick; kept in the item's data.
    int GroupIndex = 0;
    // The window's field that holds the item (for menus their menu action).
    QAction* TMainForm::*Field = nullptr;
    // The item's own command.
    void (TMainForm::*OnClick)() = nullptr;
    // The item runs ButtonClick, which picks the effect by its group.
    bool ByGroup = false;
    // A menu's enabling handler: runs when it opens and before a shortcut of its items acts.
    void (TMainForm::*OnOpen)() = nullptr;
};

const std::vector<TMenuRow>& MainMenuRows();

// Builds the rows into bar, connecting the commands to form and registering
// the enabling handlers with enabler.
void BuildMainMenu(TMainForm& form, QMenuBar& bar, TMenuEnabler& enabler);
