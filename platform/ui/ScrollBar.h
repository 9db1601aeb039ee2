// The class library's scroll bar on a Qt one: a tab stop whose keys and
// clicks in its trough move it as the platform's did, by one. Qt's own scroll bar turns the arrow keys round (its
// controls are inverted for the mouse wheel), so Left would move right.
#pragma once

#include <QScrollBar>

class TScrollBar : public QScrollBar {
public:
    TScrollBar(Qt::Orientation orientation, QWidget* parent);

protected:
    // Left, Up and Page Up towards the minimum; Right, Down and Page Down
    // towards the maximum; Home and End to the ends. Other keys go on to the
    // form (Enter and Esc reach its default and cancel buttons).
    void keyPressEvent(QKeyEvent* event) override;
};
