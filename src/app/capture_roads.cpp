#include "app/capture_roads.h"

namespace vellum {

CaptureRoadRow RowOf(CaptureRoad road) {
    CaptureRoadRow row;
    switch (road) {
        case CaptureRoad::PrintScreen:
            // Name, whole screen, file: the key saves even under the capture type that grabs
            // nothing. The window is usually hidden, so a success leaves the status line and the
            // sounds tell what became of the file.
            row.grab = GrabSource::WholeScreen;
            row.nameBeforeGrab = true;
            row.savedUnderDirectX = true;
            row.namesSavedFile = false;
            row.tool = ToolRule::BoxAboveZero;
            row.sounds = true;
            break;
        case CaptureRoad::Region:
            // The clipboard gets the grabbed picture itself, frame included, whatever the file
            // format: a copy made before the save takes the bitmap over.
            row.grab = GrabSource::Selection;
            row.clipboardBeforeSave = true;
            row.tool = ToolRule::BoxChecked;
            break;
        case CaptureRoad::Single:
            // The window may come back while the file is written: the picture is taken. An
            // unchecked tool box has an empty tool path, so the box itself is not asked.
            row.grab = GrabSource::CaptureType;
            row.showWindowAfterGrab = true;
            row.tool = ToolRule::PathSet;
            break;
        case CaptureRoad::Continuous:
            // Ticks that come faster than the files are written are skipped rather than piled up
            // in memory. Each file is named on the status line; nothing else follows.
            row.grab = GrabSource::CaptureType;
            row.skippedWhenBehind = true;
            break;
    }
    return row;
}

StepsBeforeSave DecideBeforeSave(CaptureRoad road, const CaptureConditions& conditions) {
    const CaptureRoadRow row = RowOf(road);
    StepsBeforeSave steps;
    steps.skip = row.skippedWhenBehind && conditions.savesUnfinished >= kMaxSavesBehind;
    steps.grab = row.grab;
    steps.nameBeforeGrab = row.nameBeforeGrab;
    steps.showWindowAfterGrab = row.showWindowAfterGrab;
    steps.copyToClipboard = row.clipboardBeforeSave && conditions.clipboardBox;
    steps.save = row.savedUnderDirectX || conditions.capType != kNoGrabCaptureType;
    return steps;
}

namespace {

bool ToolWanted(ToolRule rule, const CaptureConditions& conditions) {
    if (!conditions.toolPathSet)
        return false;
    switch (rule) {
        case ToolRule::Never:
            return false;
        case ToolRule::PathSet:
            return true;
        case ToolRule::BoxChecked:
            return conditions.toolBoxValue == 1;
        case ToolRule::BoxAboveZero:
            return conditions.toolBoxValue > 0;
    }
    return false;
}

}  // namespace

StepsAfterSave DecideAfterSave(CaptureRoad road, const CaptureConditions& conditions) {
    const CaptureRoadRow row = RowOf(road);
    StepsAfterSave steps;
    if (!conditions.written)
        steps.status = StatusLine::Failure;
    else if (row.namesSavedFile)
        steps.status = StatusLine::Saved;
    // The tool gets only a file that exists.
    steps.launchTool = conditions.written && ToolWanted(row.tool, conditions);
    if (row.sounds && conditions.soundWanted)
        steps.sound = conditions.written ? Sound::Ok : Sound::Error;
    return steps;
}

}  // namespace vellum
