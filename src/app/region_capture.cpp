#include "app/region_capture.h"

#include "hotkeys/hooks.h"

namespace vellum {

namespace {

HCURSOR programCursor = nullptr;

hotkeys::Point CursorPosition() {
    POINT p{};
    GetCursorPos(&p);
    return {p.x, p.y};
}

}  // namespace

HCURSOR ProgramCursor() {
    return programCursor;
}

void SetProgramCursor(HCURSOR cursor) {
    programCursor = cursor;
    SetCursor(cursor ? cursor : LoadCursor(nullptr, IDC_ARROW));
}

RegionCapture::RegionCapture(Host& host, hotkeys::Hooks& hooks, UINT mouseMessage)
    : host_(host), hooks_(hooks), mouseMessage_(mouseMessage) {}

RegionCapture::~RegionCapture() {
    if (Running())
        Cancel();
}

hotkeys::OutlineOverlay& RegionCapture::Outline() {
    if (!outline_)
        outline_ = std::make_unique<hotkeys::OutlineOverlay>();
    return *outline_;
}

hotkeys::InfoTip& RegionCapture::Tip() {
    if (!tip_)
        tip_ = std::make_unique<hotkeys::InfoTip>();
    return *tip_;
}

void RegionCapture::CloseTip() {
    if (tip_)
        tip_->CloseIt();
}

void RegionCapture::ReleaseOutline() {
    outline_.reset();
}

void RegionCapture::Begin() {
    if (Running()) {
        Cancel();
        return;
    }
    HWND window = host_.SelectionWindow();
    SetCapture(window);
    SetProgramCursor(LoadCursor(nullptr, IDC_CROSS));
    const hotkeys::Tip prompt = selection_.Begin(CursorPosition());
    Tip().ShowInfo(prompt.text, prompt.at.x, prompt.at.y);
    Outline().SetTopMost();
    hooks_.HookMouse(window, mouseMessage_);
    // F9 is a hotkey exactly while a selection runs.
    hooks_.SetSelectionRunning(true);
    host_.OnSelectionStarted();
}

void RegionCapture::End() {
    hooks_.UnhookMouse();
    hooks_.SetSelectionRunning(false);
    SetProgramCursor(nullptr);
    ReleaseCapture();
    Outline().Hide();
    host_.OnSelectionEnded();
    Tip().Hide();
}

void RegionCapture::Cancel() {
    if (!Running())
        return;
    selection_.Cancel();
    End();
}

void RegionCapture::OnMouse(WPARAM wp, LPARAM lp) {
    // Events posted before the selection ended arrive after it: they mean nothing any more.
    if (!Running())
        return;
    const hotkeys::PostedMouse m = hotkeys::ReadPostedMouse(wp, lp);
    switch (m.action) {
        // The event's own point, not the pointer read now: the hook runs on another thread, and
        // until it has returned the platform still reports the pointer where it was before the
        // event, so a read here would lag one event behind (and lose the last move of a drag).
        case hotkeys::MouseAction::Move: {
            const auto view = selection_.Move(m.mask, m.point, m.point, eventClock_.At(m.time));
            if (!view)
                return;
            if (view->outline) {
                const hotkeys::Rect& r = *view->outline;
                Outline().ShowRect(r.left, r.top, r.width, r.height);
            }
            Tip().ShowInfo(view->tip.text, view->tip.at.x, view->tip.at.y);
            return;
        }
        case hotkeys::MouseAction::StartDrag:
            selection_.StartDrag(m.point);
            return;
        case hotkeys::MouseAction::Finish: {
            const auto rect = selection_.Finish();
            End();
            if (rect)
                host_.CaptureRegion(*rect);
            return;
        }
        case hotkeys::MouseAction::Cancel:
            Cancel();
            return;
        case hotkeys::MouseAction::None:
            return;
    }
}

}  // namespace vellum
