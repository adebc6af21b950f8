#include "settings/form_state_rules.h"

#include <gtest/gtest.h>

namespace vellum {
namespace {

TEST(FormStateRules, KeysJoinWindowControlAndArrayIndex) {
    EXPECT_EQ(ControlBaseKey("Form1", "Op", 2), "Form1_Op-2");
    EXPECT_EQ(ControlBaseKey("Form1", "Op", 0), "Form1_Op-0");
    EXPECT_EQ(ControlBaseKey("Form1", "Check1", -1), "Form1_Check1");
    EXPECT_EQ(ControlIndexSuffix(12), "-12");
    EXPECT_EQ(ControlIndexSuffix(-1), "");
}

TEST(FormStateRules, ListItemsJoinWithTabsAndSplitBack) {
    const struct {
        std::vector<std::string> items;
        std::string joined;
    } cases[] = {
        {{"bmp", "jpg", "gif", "png", "tiff"}, "bmp\tjpg\tgif\tpng\ttiff"},
        {{"only"}, "only"},
        {{"a", "", "b"}, "a\t\tb"},
        {{"", "x"}, "\tx"},
        {{"x", ""}, "x\t"},
        {{"截图", " 前导空格"}, "截图\t 前导空格"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JoinListItems(c.items), c.joined);
        EXPECT_EQ(SplitListItems(c.joined), c.items) << c.joined;
    }
    EXPECT_EQ(JoinListItems({}), "");
    EXPECT_TRUE(SplitListItems("").empty());
    // An item that held a tab comes back as two.
    EXPECT_EQ(SplitListItems(JoinListItems({"a\tb"})), (std::vector<std::string>{"a", "b"}));
    // A lone empty item cannot be told from no items: it comes back as none.
    EXPECT_TRUE(SplitListItems(JoinListItems({""})).empty());
}

TEST(FormStateRules, StatesWriteAsTheyReadBack) {
    for (int state : {0, 1, 2}) EXPECT_EQ(ParseCheckState(CheckStateText(state)), state);
    EXPECT_EQ(OptionStateText(true), "True");
    EXPECT_EQ(OptionStateText(false), "False");
    EXPECT_EQ(ParseOptionState(OptionStateText(true)), true);
    EXPECT_EQ(ParseOptionState(OptionStateText(false)), false);
}

TEST(FormStateRules, StoredTextsThatAreNoStateAreRefused) {
    const struct {
        std::string text;
        std::optional<int> check;
        std::optional<bool> option;
        std::optional<int> index;
    } cases[] = {
        {"1", 1, true, 1},
        {" 2\t", 2, true, 2},
        {"+0", 0, false, 0},
        {"-1", std::nullopt, true, -1},
        {"3", std::nullopt, true, 3},
        {"-2", std::nullopt, true, std::nullopt},
        {"TRUE", std::nullopt, true, std::nullopt},
        {"false", std::nullopt, false, std::nullopt},
        {"Truth", std::nullopt, std::nullopt, std::nullopt},
        {"", std::nullopt, std::nullopt, std::nullopt},
        {"  ", std::nullopt, std::nullopt, std::nullopt},
        {"-", std::nullopt, std::nullopt, std::nullopt},
        {"1.0", std::nullopt, std::nullopt, std::nullopt},
        {"1x", std::nullopt, std::nullopt, std::nullopt},
        {"0x1", std::nullopt, std::nullopt, std::nullopt},
        {"１", std::nullopt, std::nullopt, std::nullopt},  // a full-width digit
        {"2147483648", std::nullopt, true, std::nullopt},
        {std::string(10000, '9'), std::nullopt, std::nullopt, std::nullopt},
        {std::string("\x01\xff\x00", 3), std::nullopt, std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseCheckState(c.text), c.check) << c.text.substr(0, 20);
        EXPECT_EQ(ParseOptionState(c.text), c.option) << c.text.substr(0, 20);
        EXPECT_EQ(ParseListIndex(c.text), c.index) << c.text.substr(0, 20);
    }
}

TEST(FormStateRules, ChangedEntriesAreThoseWithANewTextOrANewKey) {
    const std::vector<IniEntry> before = {
        {"Form1_P", "C:\\a\\"}, {"Form1_Check1", "0"}, {"Form1_tbxQZ", "PXGR_Cap_"}};
    const std::vector<IniEntry> now = {{"Form1_P", "C:\\a\\"},
                                       {"Form1_tbxQZ", "截图 "},
                                       {"Form1_Check1", "0"},
                                       {"Form1_Check4", "1"}};
    EXPECT_EQ(ChangedEntries(before, now),
              (std::vector<IniEntry>{{"Form1_tbxQZ", "截图 "}, {"Form1_Check4", "1"}}));
    EXPECT_TRUE(ChangedEntries(now, now).empty());
    EXPECT_EQ(ChangedEntries({}, now), now);
    // Text is compared exactly: a trailing blank is a change.
    EXPECT_EQ(ChangedEntries({{"K", "a"}}, {{"K", "a "}}), (std::vector<IniEntry>{{"K", "a "}}));
}

}  // namespace
}  // namespace vellum
