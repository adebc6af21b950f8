#include "app/capture_roads.h"

#include <gtest/gtest.h>

#include <string>

namespace vellum {
namespace {

const char* NameOf(CaptureRoad road) {
    switch (road) {
        case CaptureRoad::PrintScreen:
            return "PrintScreen";
        case CaptureRoad::Region:
            return "Region";
        case CaptureRoad::Single:
            return "Single";
        case CaptureRoad::Continuous:
            return "Continuous";
    }
    return "?";
}

constexpr CaptureRoad kRoads[] = {CaptureRoad::PrintScreen, CaptureRoad::Region,
                                  CaptureRoad::Single, CaptureRoad::Continuous};

// What follows a write, by road, tool path, tool box (0 unchecked, 1 checked, 2 grey), outcome
// and whether the trigger asked for sounds.
TEST(CaptureRoads, WhatFollowsTheWrite) {
    using S = StatusLine;
    const struct {
        CaptureRoad road;
        bool toolPath;
        int box;
        bool written;
        bool soundWanted;
        StatusLine status;
        bool tool;
        Sound sound;
    } cases[] = {
        // The PrintScreen key: the tool with a path and a box above 0; a success leaves the status
        // line; the sounds only when the key asked for them.
        {CaptureRoad::PrintScreen, true, 1, true, true, S::Unchanged, true, Sound::Ok},
        {CaptureRoad::PrintScreen, true, 2, true, false, S::Unchanged, true, Sound::None},
        {CaptureRoad::PrintScreen, true, 0, true, true, S::Unchanged, false, Sound::Ok},
        {CaptureRoad::PrintScreen, false, 1, true, true, S::Unchanged, false, Sound::Ok},
        {CaptureRoad::PrintScreen, true, 1, false, true, S::Failure, false, Sound::Error},
        {CaptureRoad::PrintScreen, true, 1, false, false, S::Failure, false, Sound::None},
        // A region: the tool only with the box checked (value 1), never with the grey state.
        {CaptureRoad::Region, true, 1, true, false, S::Saved, true, Sound::None},
        {CaptureRoad::Region, true, 2, true, false, S::Saved, false, Sound::None},
        {CaptureRoad::Region, true, 0, true, false, S::Saved, false, Sound::None},
        {CaptureRoad::Region, false, 1, true, false, S::Saved, false, Sound::None},
        {CaptureRoad::Region, true, 1, false, true, S::Failure, false, Sound::None},
        // The single capture: the tool whenever there is a path, the box not looked at.
        {CaptureRoad::Single, true, 0, true, false, S::Saved, true, Sound::None},
        {CaptureRoad::Single, true, 1, true, false, S::Saved, true, Sound::None},
        {CaptureRoad::Single, false, 1, true, false, S::Saved, false, Sound::None},
        {CaptureRoad::Single, true, 1, false, true, S::Failure, false, Sound::None},
        // Continuous capture: the status line and nothing else.
        {CaptureRoad::Continuous, true, 1, true, true, S::Saved, false, Sound::None},
        {CaptureRoad::Continuous, true, 1, false, true, S::Failure, false, Sound::None},
    };
    for (const auto& c : cases) {
        CaptureConditions conditions;
        conditions.toolPathSet = c.toolPath;
        conditions.toolBoxValue = c.box;
        conditions.written = c.written;
        conditions.soundWanted = c.soundWanted;
        const std::string where = std::string(NameOf(c.road)) + " path " +
                                  std::to_string(c.toolPath) + " box " + std::to_string(c.box) +
                                  " written " + std::to_string(c.written) + " sound " +
                                  std::to_string(c.soundWanted);
        const StepsAfterSave steps = DecideAfterSave(c.road, conditions);
        EXPECT_EQ(steps.status, c.status) << where;
        EXPECT_EQ(steps.launchTool, c.tool) << where;
        EXPECT_EQ(steps.sound, c.sound) << where;
    }
}

// What comes before the save, by road, capture type, unfinished saves and the clipboard box.
TEST(CaptureRoads, WhatComesBeforeTheSave) {
    const struct {
        CaptureRoad road;
        int16_t capType;
        size_t unfinished;
        bool clipboardBox;
        bool skip;
        GrabSource grab;
        bool nameFirst;
        bool showWindow;
        bool clipboard;
        bool save;
    } cases[] = {
        // The PrintScreen key takes its name first and saves the whole screen even under the
        // type that grabs nothing; it never copies, never waits for earlier saves.
        {CaptureRoad::PrintScreen, 1, 0, true, false, GrabSource::WholeScreen, true, false, false,
         true},
        {CaptureRoad::PrintScreen, 3, 5, false, false, GrabSource::WholeScreen, true, false, false,
         true},
        // A region is copied to the clipboard before its save, as the box says; under type 3 the
        // copy is still made but nothing is saved.
        {CaptureRoad::Region, 0, 0, true, false, GrabSource::Selection, false, false, true, true},
        {CaptureRoad::Region, 0, 5, false, false, GrabSource::Selection, false, false, false, true},
        {CaptureRoad::Region, 3, 0, true, false, GrabSource::Selection, false, false, true, false},
        // The single capture brings the window back after its grab, also under type 3.
        {CaptureRoad::Single, 1, 5, true, false, GrabSource::CaptureType, false, true, false, true},
        {CaptureRoad::Single, 3, 0, false, false, GrabSource::CaptureType, false, true, false,
         false},
        // A tick is skipped while two saves are unfinished, not while one is. The skip is the
        // tick's alone: a picture already grabbed is still saved however many are unfinished.
        {CaptureRoad::Continuous, 0, 1, true, false, GrabSource::CaptureType, false, false, false,
         true},
        {CaptureRoad::Continuous, 0, 2, false, true, GrabSource::CaptureType, false, false, false,
         true},
        {CaptureRoad::Continuous, 3, 0, false, false, GrabSource::CaptureType, false, false, false,
         false},
    };
    for (const auto& c : cases) {
        CaptureConditions conditions;
        conditions.capType = c.capType;
        conditions.savesUnfinished = c.unfinished;
        conditions.clipboardBox = c.clipboardBox;
        const std::string where =
            std::string(NameOf(c.road)) + " type " + std::to_string(c.capType) + " unfinished " +
            std::to_string(c.unfinished) + " clipboard " + std::to_string(c.clipboardBox);
        const StepsBeforeSave steps = DecideBeforeSave(c.road, conditions);
        EXPECT_EQ(steps.skip, c.skip) << where;
        EXPECT_EQ(steps.save, c.save) << where;
        EXPECT_EQ(steps.grab, c.grab) << where;
        EXPECT_EQ(steps.nameBeforeGrab, c.nameFirst) << where;
        EXPECT_EQ(steps.showWindowAfterGrab, c.showWindow) << where;
        EXPECT_EQ(steps.copyToClipboard, c.clipboard) << where;
    }
}

// The outcome alone decides the status line and the sound; the other options never do, and no
// road hands a file that was not written to the tool.
TEST(CaptureRoads, AFailureIsNeverReportedAsASuccess) {
    for (CaptureRoad road : kRoads)
        for (bool toolPath : {false, true})
            for (int box : {0, 1, 2})
                for (bool sound : {false, true}) {
                    CaptureConditions failed;
                    failed.toolPathSet = toolPath;
                    failed.toolBoxValue = box;
                    failed.soundWanted = sound;
                    failed.written = false;
                    const StepsAfterSave steps = DecideAfterSave(road, failed);
                    EXPECT_EQ(steps.status, StatusLine::Failure) << NameOf(road);
                    EXPECT_FALSE(steps.launchTool) << NameOf(road);
                    EXPECT_NE(steps.sound, Sound::Ok) << NameOf(road);
                }
}

}  // namespace
}  // namespace vellum
