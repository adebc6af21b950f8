#include "hotkeys/region_selection.h"

#include <gtest/gtest.h>

namespace vellum::hotkeys {
namespace {

using Clock = RegionSelection::Clock;
using std::chrono::milliseconds;

constexpr uint16_t kNone = 0, kShift = 1, kCtrl = 2, kCtrlShift = 3, kAlt = 4;

// Drives a selection as the hooks do, each move 30 ms after the previous one so that none is
// dropped; the event point and the pointer position agree unless a test says otherwise.
class Selection : public ::testing::Test {
  protected:
    std::optional<MoveView> MoveTo(int x, int y, uint16_t mask = kNone) {
        now += milliseconds(30);
        return s.Move(mask, {x, y}, {x, y}, now);
    }
    void DragFrom(int x, int y) {
        s.Begin({x, y});
        s.StartDrag({x, y});
    }

    RegionSelection s;
    Clock::time_point now{milliseconds(1000)};
};

TEST_F(Selection, BeginShowsThePromptBesideThePointer) {
    const Tip tip = s.Begin({300, 400});
    EXPECT_TRUE(s.Running());
    EXPECT_EQ(s.SelectState(), 1);
    EXPECT_FALSE(s.IsDragging());
    EXPECT_EQ(tip.text, "请拖曳选取区块.F9或右键取消.\r\nShift选正方形.Ctrl移动选区.");
    EXPECT_EQ(tip.at, (Point{315, 405}));
}

TEST_F(Selection, PromptFollowsThePointerUntilTheButtonGoesDown) {
    s.Begin({0, 0});
    auto v = MoveTo(50, 60);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->tip.text, kSelectionPrompt);
    EXPECT_EQ(v->tip.at, (Point{65, 65}));
    EXPECT_FALSE(v->outline);
    s.StartDrag({50, 60});
    EXPECT_TRUE(s.IsDragging());
    EXPECT_EQ(s.StartPoint(), (Point{50, 60}));
}

TEST_F(Selection, DragInEveryDirectionIsNormalised) {
    const struct {
        Point to;
        Rect rect;
        int growRight, growDown;
    } cases[] = {
        {{400, 350}, {100, 200, 300, 150}, 1, 1},
        {{-200, 50}, {-200, 50, 300, 150}, 0, 0},  // up and left, through negative x
        {{400, 50}, {100, 50, 300, 150}, 1, 0},
        {{-200, 350}, {-200, 200, 300, 150}, 0, 1},
        {{100, 200}, {100, 200, 0, 0}, 1, 1},
    };
    for (const auto& c : cases) {
        RegionSelection fresh;
        s = fresh;
        DragFrom(100, 200);
        auto v = MoveTo(c.to.x, c.to.y);
        ASSERT_TRUE(v && v->outline);
        EXPECT_EQ(*v->outline, c.rect) << c.to.x << "," << c.to.y;
        EXPECT_EQ(s.SelRect(), c.rect);
        EXPECT_EQ(s.GrowRight(), c.growRight);
        EXPECT_EQ(s.GrowDown(), c.growDown);
    }
}

TEST_F(Selection, ReadoutTextAndPlace) {
    DragFrom(100, 200);
    auto v = MoveTo(400, 350);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->tip.text, "起点(100,200) 宽300,高150");
    EXPECT_EQ(v->tip.at, (Point{415, 355}));
    EXPECT_EQ(SizeReadout({-5, 0, 7, 12}), "起点(-5,0) 宽7,高12");
}

TEST_F(Selection, ResizeReadsThePointerNotTheEventPoint) {
    DragFrom(10, 10);
    now += milliseconds(30);
    auto v = s.Move(kNone, {999, 999}, {50, 40}, now);
    ASSERT_TRUE(v && v->outline);
    EXPECT_EQ(*v->outline, (Rect{10, 10, 40, 30}));
}

TEST_F(Selection, ShiftMakesASquareWithTheVerticalSign) {
    const struct {
        Point to;
        Rect rect;
    } cases[] = {
        {{140, 190}, {100, 160, 40, 40}},  // 40 right, 10 up: a square above the anchor
        {{140, 260}, {100, 200, 40, 40}},
        {{60, 201}, {60, 200, 40, 40}},
        {{60, 150}, {60, 160, 40, 40}},
        {{140, 200}, {100, 200, 40, 0}},  // no vertical extent: height 0
    };
    for (const auto& c : cases) {
        RegionSelection fresh;
        s = fresh;
        DragFrom(100, 200);
        auto v = MoveTo(c.to.x, c.to.y, kShift);
        ASSERT_TRUE(v && v->outline);
        EXPECT_EQ(*v->outline, c.rect) << c.to.x << "," << c.to.y;
    }
}

TEST_F(Selection, ShiftWithOtherModifiersIsAPlainResize) {
    for (uint16_t mask : {kCtrlShift, uint16_t(kShift | kAlt), kAlt}) {
        RegionSelection fresh;
        s = fresh;
        DragFrom(100, 200);
        auto v = MoveTo(140, 190, mask);
        ASSERT_TRUE(v && v->outline);
        EXPECT_EQ(*v->outline, (Rect{100, 190, 40, 10})) << mask;
    }
}

TEST_F(Selection, CtrlMovesHoldingTheCornerThenResizesFromTheOppositeOne) {
    DragFrom(100, 200);
    MoveTo(400, 350);  // 300 x 150, pointer at the lower right corner
    auto moved = MoveTo(500, 500, kCtrl);
    ASSERT_TRUE(moved && moved->outline);
    EXPECT_EQ(*moved->outline, (Rect{200, 350, 300, 150}));
    EXPECT_TRUE(s.MovedByCtrl());
    EXPECT_EQ(moved->tip.at, (Point{515, 505}));

    // Ctrl released: the anchor is derived again as the corner opposite the pointer, so the
    // first move keeps the size and later ones resize from that anchor.
    auto first = MoveTo(520, 510);
    ASSERT_TRUE(first && first->outline);
    EXPECT_EQ(*first->outline, (Rect{220, 360, 300, 150}));
    EXPECT_FALSE(s.MovedByCtrl());
    EXPECT_EQ(s.StartPoint(), (Point{220, 360}));
    auto resized = MoveTo(540, 520);
    ASSERT_TRUE(resized && resized->outline);
    EXPECT_EQ(*resized->outline, (Rect{220, 360, 320, 160}));
}

TEST_F(Selection, CtrlMoveAfterAnUpLeftDrag) {
    DragFrom(400, 350);
    MoveTo(100, 200);  // pointer at the upper left corner
    auto moved = MoveTo(50, 60, kCtrl);
    ASSERT_TRUE(moved && moved->outline);
    EXPECT_EQ(*moved->outline, (Rect{50, 60, 300, 150}));
    auto first = MoveTo(40, 50);
    ASSERT_TRUE(first && first->outline);
    EXPECT_EQ(s.StartPoint(), (Point{340, 200}));
    EXPECT_EQ(*first->outline, (Rect{40, 50, 300, 150}));
    auto resized = MoveTo(30, 40);
    ASSERT_TRUE(resized && resized->outline);
    EXPECT_EQ(*resized->outline, (Rect{30, 40, 310, 160}));
}

TEST_F(Selection, MovesCloserThanTwentyMillisecondsAreDropped) {
    DragFrom(0, 0);
    const Clock::time_point t0 = now;
    ASSERT_TRUE(s.Move(kNone, {10, 10}, {10, 10}, t0));
    EXPECT_FALSE(s.Move(kNone, {20, 20}, {20, 20}, t0 + milliseconds(19)));
    EXPECT_EQ(s.SelRect(), (Rect{0, 0, 10, 10}));
    EXPECT_TRUE(s.Move(kNone, {30, 30}, {30, 30}, t0 + milliseconds(20)));
    EXPECT_EQ(s.SelRect(), (Rect{0, 0, 30, 30}));
    // The throttle runs across selections.
    s.Cancel();
    s.Begin({0, 0});
    EXPECT_FALSE(s.Move(kNone, {1, 1}, {1, 1}, t0 + milliseconds(30)));
}

TEST_F(Selection, FirstMoveIsAlwaysProcessed) {
    s.Begin({0, 0});
    EXPECT_TRUE(s.Move(kNone, {1, 1}, {1, 1}, Clock::time_point{}));
}

TEST_F(Selection, FinishGivesTheRectangleOnceThenForgetsItsSize) {
    DragFrom(100, 200);
    MoveTo(400, 350);
    const auto captured = s.Finish();
    ASSERT_TRUE(captured);
    EXPECT_EQ(*captured, (Rect{100, 200, 300, 150}));
    EXPECT_FALSE(s.Running());
    EXPECT_FALSE(s.IsDragging());
    EXPECT_EQ(s.SelRect(), (Rect{100, 200, 0, 0}));
    // A click without a processed move captures nothing.
    DragFrom(5, 5);
    EXPECT_FALSE(s.Finish());
}

TEST_F(Selection, NothingToCaptureWithoutWidthOrHeight) {
    DragFrom(100, 200);
    MoveTo(140, 200, kShift);
    EXPECT_FALSE(s.Finish());
    EXPECT_FALSE(s.Running());
    EXPECT_EQ(s.SelRect(), (Rect{100, 200, 40, 0}));
}

TEST_F(Selection, CancelForgetsTheRectangle) {
    DragFrom(100, 200);
    MoveTo(400, 350);
    s.Cancel();
    EXPECT_FALSE(s.Running());
    EXPECT_FALSE(s.IsDragging());
    EXPECT_EQ(s.SelRect(), Rect{});
    // The next selection finished by a bare click has nothing to capture.
    DragFrom(10, 10);
    EXPECT_FALSE(s.Finish());
}

TEST(EventClock, EventTimesRunForwardAcrossTheirWrapAround) {
    using std::chrono::milliseconds;
    EventClock clock;
    const auto start = clock.At(0xFFFFFFF0u);
    EXPECT_EQ(clock.At(0xFFFFFFFFu) - start, milliseconds(15));
    EXPECT_EQ(clock.At(4u) - start, milliseconds(20));  // the stamp wrapped: 16 + 4 later
    EXPECT_EQ(clock.At(44u) - start, milliseconds(60));
}

}  // namespace
}  // namespace vellum::hotkeys
