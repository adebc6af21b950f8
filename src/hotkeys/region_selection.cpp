#include "hotkeys/region_selection.h"

#include <cstdlib>

#include "hotkeys/hotkey_dispatch.h"

namespace vellum::hotkeys {

const char kSelectionPrompt[] = "请拖曳选取区块.F9或右键取消.\r\nShift选正方形.Ctrl移动选区.";

std::string SizeReadout(const Rect& r) {
    return "起点(" + std::to_string(r.left) + "," + std::to_string(r.top) + ") 宽" +
           std::to_string(r.width) + ",高" + std::to_string(r.height);
}

namespace {

Tip PromptAt(Point p) {
    return {kSelectionPrompt, {p.x + 15, p.y + 5}};
}

int64_t Sign(int64_t v) {
    return (v > 0) - (v < 0);
}

}  // namespace

Tip RegionSelection::Begin(Point cursor) {
    selectState_ = 1;
    return PromptAt(cursor);
}

void RegionSelection::StartDrag(Point cursor) {
    startPoint_ = cursor;
    isDragging_ = true;
}

std::optional<MoveView> RegionSelection::Move(uint16_t mask, Point event, Point cursor,
                                              Clock::time_point now) {
    if (lastMoveTime_ && now - *lastMoveTime_ < kMoveInterval)
        return std::nullopt;
    lastMoveTime_ = now;
    if (!isDragging_)
        return MoveView{PromptAt(event), std::nullopt};

    Rect& r = selRect_;
    if (mask == kMaskCtrl) {
        // Move: the pointer keeps holding the same corner.
        startPoint_ = event;
        movedByCtrl_ = true;
        r.left = event.x - r.width * growRight_;
        r.top = event.y - r.height * growDown_;
    } else {
        if (movedByCtrl_) {
            // The anchor becomes the corner opposite the pointer.
            startPoint_.x = event.x - r.width * (growRight_ == 0 ? -1 : 1);
            startPoint_.y = event.y - r.height * (growDown_ == 0 ? -1 : 1);
            movedByCtrl_ = false;
        }
        // 64-bit arithmetic: a square from a far-off anchor must not overflow.
        int64_t width = int64_t{cursor.x} - startPoint_.x;
        int64_t height = int64_t{cursor.y} - startPoint_.y;
        if (mask == kMaskShift)
            height = Sign(height) * std::llabs(width);  // no vertical extent: height 0
        int64_t left = startPoint_.x;
        int64_t top = startPoint_.y;
        if (width < 0) {
            left += width;
            width = -width;
            growRight_ = 0;
        } else {
            growRight_ = 1;
        }
        if (height < 0) {
            top += height;
            height = -height;
            growDown_ = 0;
        } else {
            growDown_ = 1;
        }
        r = {static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(width),
             static_cast<int32_t>(height)};
    }
    return MoveView{{SizeReadout(r), {r.left + r.width + 15, r.top + r.height + 5}}, r};
}

void RegionSelection::End() {
    isDragging_ = false;
    selectState_ = 0;
}

void RegionSelection::Cancel() {
    End();
    selRect_ = {};
}

std::optional<Rect> RegionSelection::Finish() {
    End();
    if (selRect_.width == 0 || selRect_.height == 0)
        return std::nullopt;
    const Rect captured = selRect_;
    selRect_.width = 0;
    selRect_.height = 0;
    return captured;
}

}  // namespace vellum::hotkeys
