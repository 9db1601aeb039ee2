// Shared by the menu and dialog-command tests: documents with known pixels
// and the items of the real menu bar found by their captions.
#pragma once

#include "AppTestSupport.h"
#include "app/main.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A bitmap of the given depth with pseudo-random pixels (palette indices below 16).
inline void FillImage(TFvDIB& image, int width, int height, TFvPixelFormat format = fvPf24Bit)
{
    image.SetPixelFormat(format);
    image.SetSize(width, height);
    uint32_t seed = 12345;
    const int rowBytes = (width * image.BitCount() + 7) / 8;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = image.ScanLine(y);
        for (int x = 0; x < rowBytes; ++x) {
            seed = seed * 1103515245u + 12345u;
            row[x] = static_cast<uint8_t>(seed >> 16);
            if (image.BitCount() == 8)
                row[x] &= 15;
        }
    }
}

// Every row of the picture, without padding, and the size.
inline std::vector<uint8_t> PixelBytes(TFvDIB& image)
{
    std::vector<uint8_t> bytes{static_cast<uint8_t>(image.Width()), static_cast<uint8_t>(image.Height()),
                               static_cast<uint8_t>(image.BitCount())};
    const int rowBytes = (image.Width() * image.BitCount() + 7) / 8;
    for (int y = 0; y < image.Height(); ++y) {
        const uint8_t* row = image.ScanLine(y);
        bytes.insert(bytes.end(), row, row + rowBytes);
    }
    return bytes;
}

// Opens image in the window as a load does.
inline void OpenDocument(TMainForm& form, TFvDIB& image)
{
    form.Document().Loaded(image);
    form.FormSizeChange();
    form.Work();
    form.ImageView(*CurrentImage);
}

// The main window with a known true-colour photo opened through the menus'
// own steps: unchanged, with no time on show, the photo kept as it was.
struct TOpenedWindow {
    CaptureMessages capture;
    TMainForm form;
    TFvDIB original;

    TOpenedWindow(const std::string& folder, int width, int height)
        : form(nullptr, ScratchFolder(folder).string() + "/")
    {
        FillImage(original, width, height);
        OpenDocument(form, original);
        form.Document().ChangeFlag = false;
        form.SetPanelText(3, "");
    }

    // The pixels operation makes of the original photo.
    std::vector<uint8_t> Expected(const std::function<void(TFvDIB&)>& operation)
    {
        TFvDIB image;
        image.Assign(&original);
        operation(image);
        return PixelBytes(image);
    }
};

// The item reached through the captions, from the menu bar down; null when missing.
inline QAction* MenuItem(TMainForm& form, const std::vector<const char*>& path)
{
    QList<QAction*> actions = form.menuBar()->actions();
    QAction* found = nullptr;
    for (const char* caption : path) {
        found = nullptr;
        for (QAction* action : actions)
            if (action->text() == QString::fromUtf8(caption))
                found = action;
        if (found == nullptr)
            return nullptr;
        actions = found->menu() != nullptr ? found->menu()->actions() : QList<QAction*>{};
    }
    return found;
}

// Triggers the item reached through the captions; Drive acts on the dialog
// the item shows, once its modal loop runs.
inline void RunMenuDialog(TMainForm& form, const std::vector<const char*>& path,
                          const std::function<void(QWidget&)>& Drive)
{
    QAction* item = MenuItem(form, path);
    ASSERT_NE(item, nullptr);
    ASSERT_TRUE(item->isEnabled());
    bool driven = false;
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        driven = true;
        Drive(*dialog);
    });
    item->trigger();
    EXPECT_TRUE(driven);
}

// Clicks through the menu bar as a user does: each menu opens (running its
// enabling handler) and the last caption's item is clicked. Answers whether
// the item was enabled when clicked; the menus are closed afterwards.
inline bool ClickMenu(TMainForm& form, const std::vector<const char*>& path)
{
    QWidget* widget = form.menuBar();
    QList<QAction*> actions = form.menuBar()->actions();
    bool enabled = false;
    for (const char* caption : path) {
        QAction* item = nullptr;
        for (QAction* action : actions)
            if (action->text() == QString::fromUtf8(caption))
                item = action;
        if (item == nullptr)
            return false;
        const QRect place = widget == form.menuBar() ? form.menuBar()->actionGeometry(item)
                                                     : static_cast<QMenu*>(widget)->actionGeometry(item);
        enabled = item->isEnabled();
        QTest::mouseClick(widget, Qt::LeftButton, {}, place.center());
        if (item->menu() == nullptr)
            break;
        // A submenu opens on hovering after a delay; the arrow key opens the active one at once.
        if (!item->menu()->isVisible())
            QTest::keyClick(widget, Qt::Key_Right);
        if (!item->menu()->isVisible())
            return false;
        widget = item->menu();
        actions = item->menu()->actions();
    }
    while (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
    return enabled;
}
