#include "AppTestSupport.h"
#include "MenuTestSupport.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

struct Window {
    CaptureMessages capture;
    std::filesystem::path dir = ScratchFolder("menu");
    TMainForm form{nullptr, dir.string() + "/"};

    Window()
    {
        form.CommandLine = {"farovinter"};
        form.show();
        form.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
    }
};

TEST(MainMenu, ShortcutsOfEffectsDoNothingWithoutADocument)
{
    Window w;
    QTest::keyClick(&w.form, Qt::Key_T, Qt::ControlModifier);
    QTest::keyClick(&w.form, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(w.form.Document().Count(), 0u);
    EXPECT_EQ(w.form.PanelText(3), "");
    EXPECT_TRUE(w.capture.Shown.Exceptions.empty());
}

} // namespace
