#include "app/Document.h"

#include <gtest/gtest.h>

namespace {

// Images are told apart by their width; 8 bits keeps the palette computation out.
void MakeImage(TFvDIB& image, int width)
{
    image.SetBitCount(8);
    image.SetWidth(width);
    image.SetHeight(3);
}

void Open(TDocument& doc, int width)
{
    TFvDIB file;
    MakeImage(file, width);
    doc.Loaded(file);
    doc.Work();
    doc.View(doc.CurrentImage());
}

void Effect(TDocument& doc, int width)
{
    MakeImage(doc.CurrentImage(), width);
    doc.Work();
    doc.View(doc.CurrentImage());
}

void ShowUndo(TDocument& doc)
{
    TFvDIB* entry = doc.UndoStep();
    ASSERT_NE(entry, nullptr);
    doc.View(*entry);
}

TEST(History, UndoTwiceReturnsToTheLoadedImageAndANewEditDropsTheLaterStates)
{
    TDocument doc;
    Open(doc, 10);
    Effect(doc, 11);
    Effect(doc, 12);
    ShowUndo(doc);
    ShowUndo(doc);
    EXPECT_EQ(doc.CurrentImage().Width(), 10);
    EXPECT_FALSE(doc.CanUndo());
    EXPECT_TRUE(doc.CanRedo());
    EXPECT_EQ(doc.UndoStep(), nullptr);

    TFvDIB* redo = doc.RedoStep();
    ASSERT_NE(redo, nullptr);
    EXPECT_EQ(redo->Width(), 11);
    ShowUndo(doc);

    Effect(doc, 13);
    EXPECT_EQ(doc.Count(), 2u);
    EXPECT_EQ(doc.UndoPointer, 1);
    EXPECT_FALSE(doc.CanRedo());
}

TEST(History, RedoStopsAtTheNewestEntry)
{
    TDocument doc;
    EXPECT_EQ(doc.RedoStep(), nullptr);
    Open(doc, 10);
    // The opened picture alone: redo stays on it.
    EXPECT_EQ(doc.RedoStep(), &doc.Entry(0));
    EXPECT_EQ(doc.UndoPointer, 0);
    Effect(doc, 11);
    TFvDIB* entry = doc.RedoStep();
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->Width(), 11);
    EXPECT_EQ(doc.UndoPointer, 1);
}

TEST(History, LoadingAnotherFileKeepsTheFirstFilesStates)
{
    TDocument doc;
    Open(doc, 10);
    Effect(doc, 11);
    Open(doc, 20);
    EXPECT_EQ(doc.Count(), 3u);
    EXPECT_EQ(doc.BMP().Width(), 20);
    ShowUndo(doc);
    EXPECT_EQ(doc.CurrentImage().Width(), 11);
    EXPECT_EQ(doc.BMP().Width(), 20);
}

TEST(History, ClearKeepsOnlyTheImageOnShow)
{
    TDocument doc;
    Open(doc, 10);
    Effect(doc, 11);
    Effect(doc, 12);
    ShowUndo(doc);
    doc.ClearHistory();
    EXPECT_EQ(doc.Count(), 1u);
    EXPECT_EQ(doc.Entry(0).Width(), 11);
    EXPECT_EQ(doc.CurrentImage().Width(), 11);
    EXPECT_FALSE(doc.CanUndo());
    EXPECT_FALSE(doc.CanRedo());
}

TEST(History, RevertRestoresTheLoadedImageAsTheOnlyEntry)
{
    TDocument doc;
    Open(doc, 10);
    Effect(doc, 11);
    Effect(doc, 12);
    ShowUndo(doc);
    doc.Revert();
    doc.View(doc.CurrentImage());
    EXPECT_EQ(doc.CurrentImage().Width(), 10);
    EXPECT_EQ(doc.Count(), 1u);
    EXPECT_EQ(doc.UndoPointer, 0);
}

TEST(History, AFullHistoryDropsItsOldestEntryAndThePointerStaysOnTheNewest)
{
    TDocument doc;
    Open(doc, 1);
    for (int width = 2; width <= 300; ++width)
        Effect(doc, width);
    EXPECT_EQ(doc.Count(), TDocument::HistoryLimit);
    EXPECT_EQ(doc.UndoPointer, 255);
    EXPECT_EQ(doc.Entry(0).Width(), 45);
    EXPECT_EQ(doc.Entry(255).Width(), 300);
    EXPECT_FALSE(doc.CanRedo());
    ShowUndo(doc);
    EXPECT_EQ(doc.CurrentImage().Width(), 299);
}

TEST(History, ASnapshotSharesThePixelsOfTheImage)
{
    TDocument doc;
    Open(doc, 10);
    EXPECT_EQ(&doc.Entry(0).InternalDIB(), &doc.CurrentImage().InternalDIB());
}

// A 5 x 4 true-colour file with one coloured pixel, loaded as a file is:
// the file's image is gone before the image is shown.
void OpenTrueColour(TDocument& doc)
{
    {
        TFvDIB file;
        file.SetPixelFormat(fvPf24Bit);
        file.SetSize(5, 4);
        file.SetPixels(1, 1, 0x00FF0000);
        doc.Loaded(file);
    }
    doc.Work();
    doc.View(doc.CurrentImage());
}

TEST(History, ShowingATrueColourEditCopiesNoPixelsAndUndoShowsTheStateBefore)
{
    TDocument doc;
    OpenTrueColour(doc);
    doc.CurrentImage().SetPixels(2, 2, 0x0000FF00);
    doc.Work();
    doc.View(doc.CurrentImage());
    // The palette went into the storage that the newest entry shares.
    EXPECT_EQ(&doc.Entry(1).InternalDIB(), &doc.CurrentImage().InternalDIB());
    EXPECT_EQ(doc.CurrentImage().PaletteSize(), 3);
    ShowUndo(doc);
    EXPECT_EQ(doc.CurrentImage().GetPixels(2, 2), 0u);
    EXPECT_EQ(doc.CurrentImage().GetPixels(1, 1), 0x00FF0000u);
    EXPECT_EQ(doc.CurrentImage().PaletteSize(), 2);
}

TEST(History, ShowingALoadedTrueColourImageCopiesNoPixelsAndRevertStillGivesIt)
{
    TDocument doc;
    OpenTrueColour(doc);
    EXPECT_EQ(&doc.BMP().InternalDIB(), &doc.CurrentImage().InternalDIB());
    EXPECT_EQ(&doc.Entry(0).InternalDIB(), &doc.CurrentImage().InternalDIB());
    EXPECT_EQ(doc.CurrentImage().PaletteSize(), 2);

    doc.CurrentImage().SetPixels(2, 2, 0x0000FF00);
    doc.Work();
    doc.View(doc.CurrentImage());
    EXPECT_EQ(doc.BMP().GetPixels(2, 2), 0u);
    doc.Revert();
    doc.View(doc.CurrentImage());
    EXPECT_EQ(doc.CurrentImage().GetPixels(2, 2), 0u);
    EXPECT_EQ(doc.CurrentImage().GetPixels(1, 1), 0x00FF0000u);
    EXPECT_EQ(doc.CurrentImage().PaletteSize(), 2);
    EXPECT_EQ(doc.Count(), 1u);
}

TEST(View, AnIndexedImageKeepsItsPaletteAndSetsTheFlags)
{
    TDocument doc;
    EXPECT_FALSE(doc.ChangeFlag);
    Open(doc, 10);
    EXPECT_TRUE(doc.OpenFlag);
    EXPECT_TRUE(doc.ChangeFlag);
    EXPECT_EQ(doc.CurrentBitCount, 8);
    EXPECT_EQ(doc.CurrentImage().PaletteSize(), 256);
}

TEST(View, StatusTextShowsSizeAndDepth)
{
    EXPECT_EQ(SizeStatusText(640, 480, 24), "640 × 480  24bpp");
    EXPECT_EQ(SizeStatusText(1, 1, 8), "1 × 1  8bpp");
}

} // namespace
