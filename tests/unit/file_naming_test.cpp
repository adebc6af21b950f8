#include "capture/file_naming.h"

#include <gtest/gtest.h>

#include <set>

namespace vellum {
namespace {

FileNamer::Probe TakenIn(std::set<std::string> taken) {
    return [taken](const std::string& p) {
        return taken.count(p) ? FileProbe::Taken : FileProbe::Free;
    };
}

TEST(FileNamer, CountsFromOneInAnEmptyFolder) {
    FileNamer namer;
    auto none = TakenIn({});
    EXPECT_EQ(namer.Next("C:\\T\\", "PXGR_Cap_", "png", none), "C:\\T\\PXGR_Cap_1.png");
    EXPECT_EQ(namer.Next("C:\\T\\", "PXGR_Cap_", "png", none), "C:\\T\\PXGR_Cap_2.png");
    EXPECT_EQ(namer.Next("C:\\T\\", "PXGR_Cap_", "png", none), "C:\\T\\PXGR_Cap_3.png");
}

TEST(FileNamer, SkipsTakenNumbersAndNeverGoesBack) {
    FileNamer namer;
    auto probe = TakenIn({"d\\a1.bmp", "d\\a3.bmp"});
    EXPECT_EQ(namer.Next("d\\", "a", "bmp", probe), "d\\a2.bmp");
    EXPECT_EQ(namer.Next("d\\", "a", "bmp", probe), "d\\a4.bmp");
    // A new prefix keeps counting where the old one stopped.
    EXPECT_EQ(namer.Next("d\\", "b", "bmp", probe), "d\\b5.bmp");
    EXPECT_EQ(namer.counter(), 5);
}

TEST(FileNamer, AnUnknownProbeEndsTheSearchWithThatCandidate) {
    FileNamer namer;
    auto unknown = [](const std::string&) { return FileProbe::Unknown; };
    EXPECT_EQ(namer.Next("?:", "x", "gif", unknown), "?:x1.gif");
}

}  // namespace
}  // namespace vellum
