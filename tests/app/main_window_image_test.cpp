#include "AppTestSupport.h"
#include "app/ini.h"
#include "app/main.h"
#include "platform/system/PrivateProfile.h"
#include "platform/ui/Image.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

std::string Folder(const std::filesystem::path& dir)
{
    return dir.string() + "/";
}

TEST(MainWindow, ShortcutsRunTheEditMenusEnablingFirst)
{
    CaptureMessages capture;
    const auto dir = ScratchFolder("shortcut");
    TMainForm form(nullptr, Folder(dir));
    ShowWindow(form);
    TDocument& doc = form.Document();
    TFvDIB image;
    image.SetWidth(4);
    doc.Loaded(image);
    doc.Work();
    image.SetWidth(6);
    doc.CurrentImage().Assign(&image);
    doc.Work();

    // The item was left disabled from before the edits; the shortcut still undoes.
    EXPECT_FALSE(form.Undo1->isEnabled());
    QTest::keyClick(&form, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(doc.UndoPointer, 0);
    EXPECT_EQ(CurrentImage->Width(), 4);

    // Now left enabled although the first entry is on show: Ctrl+Z must do nothing.
    form.Undo1->setEnabled(true);
    QTest::keyClick(&form, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(doc.UndoPointer, 0);
    EXPECT_FALSE(form.Undo1->isEnabled());
    EXPECT_TRUE(form.Redo1->isEnabled());

    QTest::keyClick(&form, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(doc.UndoPointer, 1);
    EXPECT_EQ(CurrentImage->Width(), 6);
    EXPECT_EQ(form.PanelText(1), QStringLiteral("6 × 1  8bpp"));
    QTest::keyClick(&form, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(doc.UndoPointer, 1);
    EXPECT_TRUE(capture.Shown.Exceptions.empty());
}

TEST(MainWindow, EditMenuItemsFollowTheHistory)
{
    CaptureMessages capture;
    const auto dir = ScratchFolder("edit");
    TMainForm form(nullptr, Folder(dir));
    form.EditClick();
    EXPECT_FALSE(form.Undo1->isEnabled());
    EXPECT_FALSE(form.Redo1->isEnabled());
    EXPECT_FALSE(form.Start1->isEnabled());
    EXPECT_TRUE(form.F1->isEnabled());

    TDocument& doc = form.Document();
    TFvDIB image;
    image.SetWidth(4);
    doc.Loaded(image);
    doc.Work();
    for (int width : {5, 6}) {
        image.SetWidth(width);
        doc.CurrentImage().Assign(&image);
        doc.Work();
    }
    // As when the menu opens: the enabling runs before an item is chosen.
    form.EditClick();
    form.Undo1->trigger();
    form.EditClick();
    EXPECT_TRUE(form.Undo1->isEnabled());
    EXPECT_TRUE(form.Redo1->isEnabled());
    EXPECT_TRUE(form.Start1->isEnabled());

    form.F1->trigger();
    form.EditClick();
    EXPECT_EQ(doc.Count(), 1u);
    EXPECT_EQ(CurrentImage->Width(), 5);
    EXPECT_FALSE(form.Undo1->isEnabled());
    EXPECT_FALSE(form.Redo1->isEnabled());

    form.EditClick();
    form.Start1->trigger();
    EXPECT_EQ(CurrentImage->Width(), 4);
    EXPECT_EQ(doc.Count(), 1u);
    EXPECT_TRUE(capture.Shown.Exceptions.empty());
}

TEST(MainWindow, CommandLineBitmapIsOpenedWhenTheWindowShows)
{
    CaptureMessages capture;
    const auto dir = ScratchFolder("cmdline");
    const std::string bmp = std::string(FV_TEST_DATA) + "/bmp/pal8.bmp";
    TMainForm form(nullptr, Folder(dir));
    form.CommandLine = {"farovinter", QString::fromStdString(bmp), "ignored"};
    form.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.Document().OpenFlag; }));
    EXPECT_TRUE(capture.Shown.Dialogs.empty());
    EXPECT_TRUE(capture.Shown.Exceptions.empty());
    EXPECT_EQ(CurrentFileName, bmp);
    EXPECT_EQ(form.PanelText(0), QStringLiteral("Size"));
    EXPECT_EQ(form.PanelText(2), QString::fromStdString(bmp));
    EXPECT_TRUE(form.PanelText(1).endsWith(QStringLiteral("  8bpp")));
    EXPECT_TRUE(form.Document().OpenFlag);
    EXPECT_TRUE(form.Document().UpSaveFlag);
    EXPECT_TRUE(form.Document().ChangeFlag);
    EXPECT_EQ(form.Document().Count(), 1u);
    EXPECT_EQ(form.Image1->Picture().size(), QSize(CurrentImage->Width(), CurrentImage->Height()));
}

TEST(MainWindow, WheelOverTheImageStepsTheVerticalBarOnly)
{
    CaptureMessages capture;
    const auto dir = ScratchFolder("wheel");
    TMainForm form(nullptr, Folder(dir));
    ShowWindow(form);
    TFvDIB image;
    image.SetWidth(1000);
    image.SetHeight(1000);
    form.Document().Loaded(image);
    form.Work();
    form.ImageView(*CurrentImage);
    QApplication::processEvents();
    QScrollBar* bar = form.ScrollBox1->verticalScrollBar();
    ASSERT_GT(bar->maximum(), bar->singleStep());
    const auto turn = [&](int delta) {
        QWheelEvent wheel(QPointF(10, 10), form.ScrollBox1->viewport()->mapToGlobal(QPointF(10, 10)), QPoint(),
                          QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(form.ScrollBox1->viewport(), &wheel);
    };
    turn(-120);
    EXPECT_EQ(bar->value(), bar->singleStep());
    turn(120);
    turn(120);
    EXPECT_EQ(bar->value(), 0);
    bar->setValue(bar->maximum() - 1);
    turn(-120);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(form.ScrollBox1->horizontalScrollBar()->value(), 0);
    EXPECT_TRUE(capture.Shown.Exceptions.empty());
}

} // namespace
