#include "platform/ui/MenuEnabler.h"

#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>

namespace {

bool HasShortcut(const QMenu* menu, const QKeySequence& pressed)
{
    for (QAction* action : menu->actions()) {
        if (action->menu() != nullptr && HasShortcut(action->menu(), pressed))
            return true;
        for (const QKeySequence& shortcut : action->shortcuts())
            if (shortcut.matches(pressed) == QKeySequence::ExactMatch)
                return true;
    }
    return false;
}

} // namespace

TMenuEnabler::TMenuEnabler(QObject* parent) : QObject(parent)
{
    qApp->installEventFilter(this);
}

TMenuEnabler::~TMenuEnabler()
{
    if (qApp != nullptr)
        qApp->removeEventFilter(this);
}

void TMenuEnabler::Register(QMenu* menu, std::function<void()> onOpen)
{
    connect(menu, &QMenu::aboutToShow, this, [onOpen] { onOpen(); });
    FEntries.push_back({menu, std::move(onOpen)});
}

bool TMenuEnabler::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QKeySequence pressed(key->keyCombination());
        for (const Entry& entry : FEntries)
            if (HasShortcut(entry.menu, pressed))
                entry.onOpen();
    }
    return QObject::eventFilter(watched, event);
}
