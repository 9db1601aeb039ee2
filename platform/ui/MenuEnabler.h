// Menus whose items are enabled by a handler that runs when the menu opens.
// The class library also ran that handler before one of the menu's shortcuts
// acted; Qt does not, so this filter runs it when a key press is offered as a
// shortcut, and the shortcut then finds the item's state up to date. A
// disabled item's command does not run.
#pragma once

#include <QObject>

#include <functional>
#include <vector>

class QAction;
class QMenu;

class TMenuEnabler : public QObject {
public:
    explicit TMenuEnabler(QObject* parent = nullptr);
    ~TMenuEnabler() override;

    // Runs onOpen when menu is about to show and before any shortcut of an
    // item of menu or of its submenus acts.
    void Register(QMenu* menu, std::function<void()> onOpen);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry {
        QMenu* menu;
        std::function<void()> onOpen;
    };
    std::vector<Entry> FEntries;
};
