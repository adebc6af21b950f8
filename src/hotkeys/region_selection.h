#pragma once
// The drag selection of a screen rectangle: its state and what each step shows. The caller
// brings the pointer positions and the time, and draws the outline and the tip it is given.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace vellum::hotkeys {

struct Point {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const Point& a, const Point& b) { return a.x == b.x && a.y == b.y; }
};

// Screen pixels; width and height are never negative.
struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    friend bool operator==(const Rect& a, const Rect& b) {
        return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
    }
};

// Text (UTF-8, lines split by "\r\n") and the screen position of the tip's upper left corner.
struct Tip {
    std::string text;
    Point at;
};

// What a processed mouse move shows: always a tip; while dragging also the outline.
struct MoveView {
    Tip tip;
    std::optional<Rect> outline;
};

extern const char kSelectionPrompt[];
// "起点(L,T) 宽W,高H"
std::string SizeReadout(const Rect& r);

// Turns the input events' millisecond stamps, which wrap around after 49.7 days, into a clock
// that never runs backwards: the throttle measures the user's moves, not when they are handled.
class EventClock {
  public:
    std::chrono::steady_clock::time_point At(uint32_t eventTime) {
        if (last_)
            elapsedMs_ += static_cast<uint32_t>(eventTime - *last_);
        last_ = eventTime;
        return std::chrono::steady_clock::time_point(std::chrono::milliseconds(elapsedMs_));
    }

  private:
    std::optional<uint32_t> last_;
    uint64_t elapsedMs_ = 0;
};

class RegionSelection {
  public:
    using Clock = std::chrono::steady_clock;
    // Moves closer together than this are dropped.
    static constexpr Clock::duration kMoveInterval = std::chrono::milliseconds(20);

    bool Running() const { return selectState_ != 0; }
    int16_t SelectState() const { return selectState_; }
    bool IsDragging() const { return isDragging_; }
    Point StartPoint() const { return startPoint_; }
    Rect SelRect() const { return selRect_; }
    int32_t GrowRight() const { return growRight_; }
    int32_t GrowDown() const { return growDown_; }
    bool MovedByCtrl() const { return movedByCtrl_; }

    // Starts a selection (the caller cancels a running one instead) and returns the prompt tip
    // for the pointer position.
    Tip Begin(Point cursor);
    // Left button down: the anchor is the pointer position.
    void StartDrag(Point cursor);
    // One mouse move: mask of held modifiers, the event's point, the pointer position read now
    // and the time now. Nothing when the move is dropped by the throttle.
    std::optional<MoveView> Move(uint16_t mask, Point event, Point cursor, Clock::time_point now);
    // Cancel: ends the selection and forgets the rectangle, so that a later click without a
    // processed move cannot capture a stale one.
    void Cancel();
    // Left button up: ends the selection and returns the rectangle to capture, or nothing when
    // its width or height is 0. A returned rectangle is consumed (width and height become 0).
    std::optional<Rect> Finish();

  private:
    void End();

    int16_t selectState_ = 0;
    bool isDragging_ = false;
    Point startPoint_;
    Rect selRect_;
    int32_t growRight_ = 0;
    int32_t growDown_ = 0;
    bool movedByCtrl_ = false;
    std::optional<Clock::time_point> lastMoveTime_;  // kept across selections
};

}  // namespace vellum::hotkeys
