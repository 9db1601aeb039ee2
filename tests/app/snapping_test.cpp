#include "app/Snapping.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

const TRect WorkArea{0, 0, 1920, 1040};

TRect Moved(TRect r, int dx, int dy)
{
    return TRect{r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}

TEST(Snapping, MoveSnapsToTheWorkAreaWithinTheDistanceOnly)
{
    TRect near{7, 300, 407, 600};
    SnapMove(near, WorkArea, {}, 10);
    EXPECT_EQ(near, (TRect{0, 300, 400, 600}));

    TRect far{11, 300, 411, 600};
    SnapMove(far, WorkArea, {}, 10);
    EXPECT_EQ(far, (TRect{11, 300, 411, 600}));
}

TEST(Snapping, ZeroDistanceSnapsOnlyCoincidingEdges)
{
    TRect off{1, 1, 101, 101};
    SnapMove(off, WorkArea, {}, 0);
    EXPECT_EQ(off, (TRect{1, 1, 101, 101}));
    TRect touching{0, 5, 100, 105};
    EXPECT_TRUE(SnapShiftX(touching, WorkArea, 0));
    EXPECT_EQ(touching, (TRect{0, 5, 100, 105}));
}

TEST(Snapping, ShiftTriesEdgesInOrderAndNeedsTheOtherAxisToMeet)
{
    const TRect other{500, 100, 700, 300};
    // Left to other's right (third rule) when no earlier rule holds.
    TRect m{705, 150, 805, 250};
    EXPECT_TRUE(SnapShiftX(m, other, 10));
    EXPECT_EQ(m.Left, 700);
    // Right to other's left (fourth rule).
    m = {395, 150, 495, 250};
    EXPECT_TRUE(SnapShiftX(m, other, 10));
    EXPECT_EQ(m.Right, 500);
    // Vertically more than t apart: no horizontal snap.
    m = {705, 311, 805, 411};
    EXPECT_FALSE(SnapShiftX(m, other, 10));
    // Within t vertically still counts.
    m = {705, 310, 805, 410};
    EXPECT_TRUE(SnapShiftX(m, other, 10));
    // Right to other's right (second rule).
    m = {520, 150, 695, 250};
    EXPECT_TRUE(SnapShiftX(m, other, 10));
    EXPECT_EQ(m, (TRect{525, 150, 700, 250}));
    // Vertical, each rule in turn: top to top, bottom to bottom, top to bottom, bottom to top.
    const std::pair<TRect, TRect> vertical[] = {{{550, 95, 650, 195}, {550, 100, 650, 200}},
                                                {{550, 209, 650, 309}, {550, 200, 650, 300}},
                                                {{550, 306, 650, 406}, {550, 300, 650, 400}},
                                                {{550, -8, 650, 92}, {550, 0, 650, 100}}};
    for (const auto& [from, to] : vertical) {
        m = from;
        EXPECT_TRUE(SnapShiftY(m, other, 10));
        EXPECT_EQ(m, to);
    }
}

TEST(Snapping, MoveTakesTheWorkAreaFirstThenTheFirstWindowThatShifts)
{
    const TRect first{300, 0, 500, 200};
    const TRect second{0, 0, 508, 200};
    TRect m{505, 50, 605, 150};
    SnapMove(m, WorkArea, {first, second}, 10);
    EXPECT_EQ(m.Left, 500);
    m = {505, 50, 605, 150};
    SnapMove(m, WorkArea, {second, first}, 10);
    EXPECT_EQ(m.Left, 508);
    // The work area, when known, comes before any window.
    TRect n{3, 50, 103, 150};
    SnapMove(n, WorkArea, {TRect{5, 0, 300, 200}}, 10);
    EXPECT_EQ(n.Left, 0);
    n = {3, 50, 103, 150};
    SnapMove(n, std::nullopt, {}, 10);
    EXPECT_EQ(n.Left, 3);
}

TEST(Snapping, SizingSnapsOnlyTheDraggedEdges)
{
    const TRect proposed{5, 6, 1915, 1035};
    EXPECT_EQ(SnapEdges(proposed, WMSZ_BOTTOMRIGHT, {WorkArea}, 10), (TRect{5, 6, 1920, 1040}));
    EXPECT_EQ(SnapEdges(proposed, WMSZ_TOPLEFT, {WorkArea}, 10), (TRect{0, 0, 1915, 1035}));
    EXPECT_EQ(SnapEdges(proposed, WMSZ_LEFT, {WorkArea}, 10), (TRect{0, 6, 1915, 1035}));
    EXPECT_EQ(SnapEdges(proposed, WMSZ_TOP, {WorkArea}, 10), (TRect{5, 0, 1915, 1035}));
}

TEST(Snapping, SizingAppliesEveryCandidateInTurn)
{
    // The second candidate moves the right edge again.
    const std::vector<TRect> candidates{{0, 0, 1000, 1000}, {1004, 0, 1200, 1000}};
    EXPECT_EQ(SnapEdges({100, 100, 992, 500}, WMSZ_RIGHT, candidates, 10).Right, 1004);
    // A left edge dragged near another window's right edge meets it.
    EXPECT_EQ(SnapEdges({1008, 100, 1500, 500}, WMSZ_LEFT, {candidates[0]}, 10).Left, 1000);
    // And a top edge near one's bottom, a bottom edge near one's top.
    const TRect above{300, 0, 700, 400}, below{300, 600, 700, 900};
    EXPECT_EQ(SnapEdges({200, 407, 800, 593}, WMSZ_TOP, {above, below}, 10).Top, 400);
    EXPECT_EQ(SnapEdges({200, 407, 800, 593}, WMSZ_BOTTOM, {above, below}, 10).Bottom, 600);
    EXPECT_EQ(SnapCandidates(WorkArea, candidates), (std::vector<TRect>{WorkArea, candidates[0], candidates[1]}));
    EXPECT_EQ(SnapCandidates(std::nullopt, candidates), candidates);
    // Edges far from every candidate stay where they are.
    EXPECT_EQ(SnapEdges({100, 100, 992, 500}, WMSZ_BOTTOMRIGHT, candidates, 10), (TRect{100, 100, 1004, 500}));
    EXPECT_EQ(SnapEdges({100, 100, 992, 500}, WMSZ_TOPLEFT, candidates, 10), (TRect{100, 100, 992, 500}));
}

TEST(Snapping, MoveStepKeepsTheUnsnappedPositionWhileSnapped)
{
    TMoveSnapper snapper;
    const TRect start{100, 100, 300, 300};
    snapper.EnterSizeMove({100, 100});
    // Dragged to 8 from the left edge: snaps onto it.
    TRect r = snapper.Moving(Moved(start, -92, 0), WorkArea, {}, 10);
    EXPECT_EQ(r.Left, 0);
    // 5 more to the right: the unsnapped position 13 is beyond the distance.
    r = snapper.Moving(Moved(r, 5, 0), WorkArea, {}, 10);
    EXPECT_EQ(r.Left, 13);
    // Back 4 to the left: unsnapped 9 snaps again.
    r = snapper.Moving(Moved(r, -4, 0), WorkArea, {}, 10);
    EXPECT_EQ(r.Left, 0);
    EXPECT_EQ(r.Width(), 200);
    // Down 40: the top follows; the left stays on the edge.
    r = snapper.Moving(Moved(r, 0, 40), WorkArea, {}, 10);
    EXPECT_EQ(r, (TRect{0, 140, 200, 340}));
}

TEST(Snapping, DistanceOutsideTheRangeBecomesTen)
{
    EXPECT_EQ(ValidFittingThreshold(21), 10);
    EXPECT_EQ(ValidFittingThreshold(-1), 10);
    EXPECT_EQ(ValidFittingThreshold(0), 0);
    EXPECT_EQ(ValidFittingThreshold(20), 20);
}

} // namespace
