#include "capture/save_name_rules.h"

#include <gtest/gtest.h>

namespace vellum {
namespace {

TEST(SaveNameRules, NamesThePlatformWouldMisreadAreRefused) {
    const auto kForbidden = NameFault::ForbiddenCharacter;
    const auto kDevice = NameFault::ReservedDeviceName;
    const struct {
        std::string name;
        std::optional<NameFault> fault;
    } cases[] = {
        {"PXGR_Cap_1.png", std::nullopt},
        {"截图 1.png", std::nullopt},
        {" a'b&c^d%e!(1).jpg", std::nullopt},
        {"Cap:1.png", kForbidden},  // a hidden stream of the file "Cap" on NTFS
        {"a\\1.png", kForbidden},
        {"a/1.png", kForbidden},
        {"a*1.png", kForbidden},
        {"a?1.png", kForbidden},
        {"a\"1.png", kForbidden},
        {"a<1.png", kForbidden},
        {"a>1.png", kForbidden},
        {"a|1.png", kForbidden},
        {"a\t1.png", kForbidden},
        {std::string("a\x1f") + "1.png", kForbidden},
        {"CON.png", kDevice},
        {"con.png", kDevice},
        {"Nul.tiff", kDevice},
        {"AUX", kDevice},
        {"PRN .png", kDevice},
        {"COM1.png", kDevice},
        {"lpt9.tar.gz", kDevice},
        {"COM0.png", std::nullopt},
        {"COM10.png", std::nullopt},
        {"CONSOLE.png", std::nullopt},
        {"CON1.png", std::nullopt},  // the prefix "CON" with a number is a plain name
        {"xCON.png", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(CheckFileName(c.name), c.fault) << c.name;
    EXPECT_FALSE(DescribeNameFault(kForbidden).empty());
    EXPECT_NE(DescribeNameFault(kForbidden), DescribeNameFault(kDevice));
}

TEST(SaveNameRules, TheTemporaryNameLiesBesideTheFileAndIsNoPicture) {
    EXPECT_EQ(TemporarySavePath("C:\\截图\\PXGR_Cap_3.png"),
              "C:\\截图\\PXGR_Cap_3.png.vellum-part");
    // Never another capture's name: numbering probes prefix + number + "." + extension only.
    EXPECT_NE(TemporarySavePath("C:\\a\\P_1.png"), "C:\\a\\P_1.png");
}

}  // namespace
}  // namespace vellum
