#pragma once
// The four roads that lead to a saved capture, and the steps around each one's save. This is the
// one place that says what happens before and after a capture is written: RowOf holds a row for
// each road, DecideBeforeSave and DecideAfterSave apply it to the window's state, and the main
// window only carries the steps out.
#include <cstddef>
#include <cstdint>

namespace vellum {

enum class CaptureRoad {
    PrintScreen,  // the PrintScreen key, or the whole-screen save posted to the main window
    Region,       // the end of a drag selection
    Single,       // Command2 with Check1 unchecked: one capture two seconds after the click
    Continuous,   // each tick of Ti while Check1 is checked
};

// Where a road's picture comes from.
enum class GrabSource {
    WholeScreen,  // GetWinPic with type 0, whatever the capture type
    Selection,    // CaptureWindow on the desktop with the selected rectangle
    CaptureType,  // GetWinPic with the capture type of the option group
};

// When a written file is opened in the tool. Every rule wants a tool path (ChOp's tooltip text);
// an unchecked tool box normally has none, so the box's own value matters only where it says so.
enum class ToolRule {
    Never,
    PathSet,       // the box's value is not looked at
    BoxChecked,    // the box's value is 1
    BoxAboveZero,  // the box's value is above 0: the grey state counts as well
};

// What a road does, whatever the window's state.
struct CaptureRoadRow {
    GrabSource grab = GrabSource::CaptureType;
    bool nameBeforeGrab = false;       // the file's name is taken first, then the picture
    bool skippedWhenBehind = false;    // no capture while kMaxSavesBehind saves are unfinished
    bool showWindowAfterGrab = false;  // the main window comes back as soon as the picture is taken
    bool clipboardBeforeSave = false;  // Check2 checked: the grabbed picture goes to the clipboard
    bool savedUnderDirectX = false;    // false: capture type 3 takes no name, saves nothing, and
                                       // nothing follows
    bool namesSavedFile = true;        // a written file is named on the status line; one not
                                       // written is reported there on every road
    ToolRule tool = ToolRule::Never;
    bool sounds = false;  // the OK or the error sound, when the trigger asks for one
};

// The continuous road skips a tick while this many saves are still unfinished: ticks that come
// faster than the files are written would otherwise pile pictures up in memory.
inline constexpr size_t kMaxSavesBehind = 2;

// The capture type that grabs nothing ("DirectX图").
inline constexpr int16_t kNoGrabCaptureType = 3;

CaptureRoadRow RowOf(CaptureRoad road);

// The window's state that the steps depend on, read when the steps are decided.
struct CaptureConditions {
    int16_t capType = 0;         // the option group's capture type
    size_t savesUnfinished = 0;  // captures taken whose writes have not ended
    bool clipboardBox = false;   // Check2 is not unchecked
    bool toolPathSet = false;    // ChOp's tooltip text is not empty
    int toolBoxValue = 0;        // ChOp's value: 0 unchecked, 1 checked, 2 grey
    bool soundWanted = false;    // the PrintScreen key asks for the sounds; a posted save does not
    bool written = false;        // the file was written (read only for the steps after the save)
};

// Decided before the grab.
struct StepsBeforeSave {
    bool skip = false;  // no capture now: no grab, no name, no file; the steps below are for a
                        // capture that is taken
    GrabSource grab = GrabSource::CaptureType;
    bool nameBeforeGrab = false;
    bool showWindowAfterGrab = false;
    bool copyToClipboard = false;  // after the grab, before the save
    bool save = true;              // false: the grabbed picture is dropped, no name is taken
};

enum class StatusLine { Unchanged, Saved, Failure };
enum class Sound { None, Ok, Error };

// Decided once the file's write has ended, in this order.
struct StepsAfterSave {
    StatusLine status = StatusLine::Unchanged;
    bool launchTool = false;
    Sound sound = Sound::None;
};

StepsBeforeSave DecideBeforeSave(CaptureRoad road, const CaptureConditions& conditions);
StepsAfterSave DecideAfterSave(CaptureRoad road, const CaptureConditions& conditions);

}  // namespace vellum
