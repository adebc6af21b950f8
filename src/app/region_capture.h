#pragma once
// The rubber-band capture of a screen rectangle on the user-interface thread: the selection's
// state, the mouse capture and pointer, the outline and the tip, driven by the mouse events that
// the low-level mouse hook posts. What happens to the chosen rectangle is the host's business.
#include <windows.h>

#include <memory>

#include "hotkeys/hooks.h"
#include "hotkeys/info_tip.h"
#include "hotkeys/outline_overlay.h"
#include "hotkeys/region_selection.h"

namespace vellum {

class RegionCapture {
  public:
    class Host {
      public:
        // Receives the mouse capture and the posted mouse events.
        virtual HWND SelectionWindow() = 0;
        // A selection has started (the main window hides itself).
        virtual void OnSelectionStarted() = 0;
        // A selection has ended, captured or not (the status line says so).
        virtual void OnSelectionEnded() = 0;
        // The left button went up over a rectangle of nonzero size.
        virtual void CaptureRegion(const hotkeys::Rect& rect) = 0;

      protected:
        ~Host() = default;
    };

    // mouseMessage: the message the mouse hook posts to the host's window; the hooks are the
    // program's, whose keyboard hook this selection tells when it runs.
    RegionCapture(Host& host, hotkeys::Hooks& hooks, UINT mouseMessage);
    ~RegionCapture();
    RegionCapture(const RegionCapture&) = delete;
    RegionCapture& operator=(const RegionCapture&) = delete;

    bool Running() const { return selection_.Running(); }
    const hotkeys::RegionSelection& Selection() const { return selection_; }

    // Starts a selection; a running one is cancelled instead.
    void Begin();
    // Ends a running selection without capturing.
    void Cancel();
    // One posted mouse event of the hook.
    void OnMouse(WPARAM wp, LPARAM lp);

    // The single outline overlay and tip window, created on first use.
    hotkeys::OutlineOverlay& Outline();
    hotkeys::InfoTip& Tip();
    // Closes the tip window; the next use makes a new one.
    void CloseTip();
    // Destroys the outline's windows.
    void ReleaseOutline();

  private:
    void End();

    Host& host_;
    hotkeys::Hooks& hooks_;
    UINT mouseMessage_;
    hotkeys::RegionSelection selection_;
    std::unique_ptr<hotkeys::OutlineOverlay> outline_;
    std::unique_ptr<hotkeys::InfoTip> tip_;
    hotkeys::EventClock eventClock_;
};

// The program's pointer override for its own windows (null: none, the windows' own pointers).
HCURSOR ProgramCursor();
void SetProgramCursor(HCURSOR cursor);

}  // namespace vellum
