#include "platform/ui/ScrollBar.h"

#include <QDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(ScrollBar, KeysMoveItAsThePlatformsBarAndEnterReachesTheDefaultButton)
{
    QDialog form;
    TScrollBar bar(Qt::Horizontal, &form);
    bar.setRange(-100, 100);
    bar.setValue(0);
    struct Step {
        Qt::Key Key;
        int Position;
    };
    for (const Step step : {Step{Qt::Key_Right, 1}, {Qt::Key_Down, 2}, {Qt::Key_Left, 1}, {Qt::Key_Up, 0},
                            {Qt::Key_PageDown, 1}, {Qt::Key_PageDown, 2}, {Qt::Key_PageUp, 1}, {Qt::Key_End, 100},
                            {Qt::Key_Home, -100}}) {
        QTest::keyClick(&bar, step.Key);
        EXPECT_EQ(bar.value(), step.Position) << step.Key;
    }

    auto* ok = new QPushButton(QStringLiteral("OK"), &form);
    ok->setDefault(true);
    form.show();
    QSignalSpy clicked(ok, &QPushButton::clicked);
    QTest::keyClick(&bar, Qt::Key_Return);
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(bar.value(), -100);
    // A click on the bar, and the Tab key, give it the keyboard.
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    ok->setFocus();
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(bar.width() / 2, bar.height() / 2));
    EXPECT_TRUE(bar.hasFocus());
    ok->setFocus();
    QTest::keyClick(ok, Qt::Key_Tab);
    EXPECT_TRUE(bar.hasFocus());
}

} // namespace
