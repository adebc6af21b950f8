#include "settings/form_state.h"
#include "settings/form_state_keeper.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/process.h"
#include "platform/utf16.h"
#include "settings/ini_file.h"
#include "test_files.h"
#include "test_folder.h"

namespace vellum {
namespace {

using ui::ControlDesign;
using ui::ControlKind;

ControlDesign Design(const char* name, ControlKind kind, const char* caption, int top, int tab,
                     int index = -1, int value = 0) {
    ControlDesign c;
    c.name = name;
    c.kind = kind;
    c.caption = caption;
    c.rect = {60, top, 1500, 300};
    c.tabIndex = tab;
    c.index = index;
    c.value = value;
    return c;
}

// A window of every kind of control, persisted or not, with an option array whose design-time
// selection is its first element.
const ui::FormDesign& PersistedFormDesign() {
    static const ui::FormDesign design = [] {
        ui::FormDesign f;
        f.name = "FormT";
        f.caption = "form state";
        f.clientWidth = 3000;
        f.clientHeight = 4000;
        f.controls = {
            Design("Name", ControlKind::TextBox, "初始", 0, 0),
            Design("Caption", ControlKind::Label, "label", 300, 1),
            Design("Kind", ControlKind::DropDownList, "", 600, 2),
            Design("Flag", ControlKind::CheckBox, "flag", 900, 3),
            Design("Opt", ControlKind::OptionButton, "a", 1200, 4, 0, 1),
            Design("Opt", ControlKind::OptionButton, "b", 1500, 5, 1),
            Design("Opt", ControlKind::OptionButton, "c", 1800, 6, 2),
            Design("Go", ControlKind::PushButton, "go", 2100, 7),
            Design("Tick", ControlKind::Timer, "", 0, -1),
        };
        return f;
    }();
    return design;
}

struct Event {
    std::string control;
    ui::ControlEvent event;
    bool operator==(const Event& o) const { return control == o.control && event == o.event; }
};

class PersistedForm : public ui::Form {
  public:
    PersistedForm() : ui::Form(PersistedFormDesign()) {}
    ~PersistedForm() override {
        if (hwnd())
            DestroyWindow(hwnd());
    }
    bool Create() { return CreateForm(L"VellumFormStateTest", WS_OVERLAPPEDWINDOW, nullptr); }

    void FillKinds(const std::vector<std::string>& items, int selected) {
        for (const std::string& item : items) Get("Kind").AddItem(item);
        Get("Kind").SetListIndex(selected);
    }
    std::vector<std::string> Kinds() {
        std::vector<std::string> items;
        for (int i = 0; i < Get("Kind").ListCount(); ++i) items.push_back(Get("Kind").List(i));
        return items;
    }
    int SelectedOption() {
        for (int i = 0; i < 3; ++i)
            if (Get("Opt", i).Value())
                return i;
        return -1;
    }

    std::vector<Event> events;

  protected:
    void OnControlEvent(ui::Control& control, ui::ControlEvent event, LPARAM) override {
        events.push_back({control.name() + ControlIndexSuffix(control), event});
    }
};

std::string Section() {
    return SettingsApplicationName();
}

class FormStateTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(form.Create());
        form.FillKinds({"bmp", "jpg", "png"}, 2);
        form.events.clear();
    }

    TestFolder folder{"form_state"};
    std::string ini = folder.path() + "Settings.ini";
    PersistedForm form;
};

TEST_F(FormStateTest, SavesEveryPersistedControlInControlOrder) {
    form.Get("Name").SetText("D:\\截图\\ a");
    form.Get("Flag").SetValue(1);
    form.Get("Opt", 1).SetValue(1);
    std::string path = ini;
    SaveFormState(form, path);
    EXPECT_EQ(path, ini);
    EXPECT_EQ(Utf16FileText(ini), "[" + Section() +
                                      "]\r\n"
                                      "FormT_Name=D:\\截图\\ a\r\n"
                                      "FormT_KindList=bmp\tjpg\tpng\r\n"
                                      "FormT_Kind=png\r\n"
                                      "FormT_KindIndex=2\r\n"
                                      "FormT_Flag=1\r\n"
                                      "FormT_Opt-0=False\r\n"
                                      "FormT_Opt-1=True\r\n"
                                      "FormT_Opt-2=False\r\n");
    // Saving again rewrites the same lines in place; keys the window no longer has stay.
    WriteIniValue(ini, Section(), "FormT_Gone", "kept", false);
    const std::string before = Utf16FileText(ini);
    SaveFormState(form, path);
    EXPECT_EQ(Utf16FileText(ini), before);
}

TEST_F(FormStateTest, RestoresIntoAFreshWindowAsTheUserWouldHaveChangedIt) {
    form.Get("Name").SetText(" 两行\r\n\"第二\"");
    form.Get("Kind").ClearList();
    form.FillKinds({"x y", "", "z"}, 1);
    form.Get("Flag").SetValue(1);
    form.Get("Opt", 2).SetValue(1);
    std::string path = ini;
    SaveFormState(form, path);

    PersistedForm restored;
    ASSERT_TRUE(restored.Create());
    LoadFormState(restored, path);
    EXPECT_EQ(restored.Get("Name").Text(), " 两行\r\n\"第二\"");
    EXPECT_EQ(restored.Kinds(), (std::vector<std::string>{"x y", "", "z"}));
    EXPECT_EQ(restored.Get("Kind").ListIndex(), 1);
    EXPECT_EQ(restored.Get("Flag").Value(), 1);
    // The design selected the first option; the stored one wins.
    EXPECT_EQ(restored.SelectedOption(), 2);
    // Each restored change raised what a user's change raises, so the window's handlers ran.
    const std::vector<Event> expected = {
        {"Name", ui::ControlEvent::Change},
        {"Kind", ui::ControlEvent::Click},
        {"Flag", ui::ControlEvent::Click},
        {"Opt-2", ui::ControlEvent::Click},
    };
    EXPECT_EQ(restored.events, expected);
}

TEST_F(FormStateTest, WithoutAFileListsAreEmptiedAndEverythingElseStays) {
    form.Get("Flag").SetValue(1);
    form.events.clear();
    std::string path = ini;
    LoadFormState(form, path);
    EXPECT_EQ(form.Get("Name").Text(), "初始");
    EXPECT_EQ(form.Get("Kind").ListCount(), 0);
    EXPECT_EQ(form.Get("Kind").ListIndex(), -1);
    EXPECT_EQ(form.Get("Flag").Value(), 1);
    EXPECT_EQ(form.SelectedOption(), 0);
    EXPECT_TRUE(form.events.empty());
    EXPECT_EQ(GetFileAttributesW(Widen(ini).c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FormStateTest, ValuesThatDoNotFitTheirControlAreSkipped) {
    form.Get("Flag").SetValue(1);
    form.Get("Opt", 1).SetValue(1);
    form.events.clear();
    const std::string section = "[" + Section() + "]\r\n";
    WriteUtf16File(ini, section +
                            "FormT_KindList=a\tb\tc\r\n"
                            "FormT_Kind=b\r\n"
                            "FormT_KindIndex=3\r\n"  // beyond the list: the text's choice stays
                            "FormT_Flag=" +
                            std::string(10000, '1') +
                            "\r\n"
                            "FormT_Opt-0=\x01\x02\x7f\r\n"
                            "FormT_Opt-1=yes\r\n"
                            "FormT_Opt-2=\r\n");
    std::string path = ini;
    LoadFormState(form, path);
    EXPECT_EQ(form.Get("Name").Text(), "初始");
    EXPECT_EQ(form.Kinds(), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(form.Get("Kind").ListIndex(), 1);
    EXPECT_EQ(form.Get("Flag").Value(), 1);
    EXPECT_EQ(form.SelectedOption(), 1);

    // A grey state on a two-state box, and a text that is not an item of the list, also change
    // nothing.
    WriteUtf16File(ini, section + "FormT_Flag=2\r\nFormT_KindList=a\tb\r\nFormT_Kind=zz\r\n");
    LoadFormState(form, path);
    EXPECT_EQ(form.Get("Flag").Value(), 1);
    EXPECT_EQ(form.Get("Kind").ListIndex(), -1);
    EXPECT_EQ(form.Kinds(), (std::vector<std::string>{"a", "b"}));
}

TEST_F(FormStateTest, AnEmptyPathMeansSettingsIniBesideTheExecutable) {
    std::string path;
    LoadFormState(form, path);
    EXPECT_EQ(path, DefaultIniPath());
    EXPECT_EQ(ControlIndexSuffix(form.Get("Opt", 2)), "-2");
    EXPECT_EQ(ControlIndexSuffix(form.Get("Flag")), "");
}

bool Exists(const std::string& path) {
    return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

HANDLE LockWithoutSharing(const std::string& path) {
    return CreateFileW(Widen(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

TEST_F(FormStateTest, KeeperWritesOnlyWhenAStateChanged) {
    FormStateKeeper keeper(form, ini);
    keeper.Load();
    keeper.MarkLoaded();
    EXPECT_TRUE(keeper.SaveChanges());
    EXPECT_FALSE(Exists(ini)) << "nothing changed, nothing written";

    form.Get("Name").SetText("截图 ");
    EXPECT_TRUE(keeper.SaveChanges());
    EXPECT_EQ(ReadIniValue(ini, Section(), "FormT_Name", ""), "截图 ");
    EXPECT_EQ(ReadIniValue(ini, Section(), "FormT_Flag", ""), "0") << "every state is written";

    // Written over by hand: an unchanged window does not write again; the end of the run does.
    WriteIniValue(ini, Section(), "FormT_Name", "by hand", false);
    EXPECT_TRUE(keeper.SaveChanges());
    EXPECT_EQ(ReadIniValue(ini, Section(), "FormT_Name", ""), "by hand");
    EXPECT_TRUE(keeper.SaveAll());
    EXPECT_EQ(ReadIniValue(ini, Section(), "FormT_Name", ""), "截图 ");
}

TEST_F(FormStateTest, KeeperWaitsForAFileHeldForAMoment) {
    WriteUtf16File(ini, "[" + Section() + "]\r\nFormT_Name=stored\r\n");
    HANDLE lock = LockWithoutSharing(ini);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    std::thread release([lock] {
        Sleep(300);
        CloseHandle(lock);
    });
    FormStateKeeper keeper(form, ini);
    keeper.Load(/*tries=*/40, /*retryMs=*/50);
    release.join();
    EXPECT_FALSE(keeper.FileWasUnreadable());
    EXPECT_EQ(form.Get("Name").Text(), "stored");
}

TEST_F(FormStateTest, AfterAnUnreadableStartOnlyTheUsersChangesAreWritten) {
    const std::string stored = "[" + Section() +
                               "]\r\nFormT_Name=stored\r\nFormT_Flag=1\r\nFormT_Opt-1=True\r\n"
                               "FormT_Opt-0=False\r\nFormT_KindList=a\tb\r\nFormT_KindIndex=1\r\n";
    WriteUtf16File(ini, stored);
    HANDLE lock = LockWithoutSharing(ini);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    FormStateKeeper keeper(form, ini);
    keeper.Load(/*tries=*/3, /*retryMs=*/20);
    EXPECT_TRUE(keeper.FileWasUnreadable());
    EXPECT_EQ(form.Get("Name").Text(), "初始") << "the controls keep their states";
    keeper.MarkLoaded();

    // Nothing changed: the end of the run leaves the file alone, held or not.
    EXPECT_TRUE(keeper.SaveAll());
    CloseHandle(lock);
    EXPECT_TRUE(keeper.SaveAll());
    EXPECT_EQ(Utf16FileText(ini), stored.substr(0));

    // A change while the file is held again fails and is written at the next save.
    form.Get("Opt", 2).SetValue(1);
    lock = LockWithoutSharing(ini);
    EXPECT_FALSE(keeper.SaveChanges());
    CloseHandle(lock);
    EXPECT_TRUE(keeper.SaveAll());
    EXPECT_EQ(ReadIniValue(ini, Section(), "FormT_Opt-2", ""), "True");
    EXPECT_EQ(ReadIniValue(ini, Section(), "FormT_Opt-0", ""), "False");
    // What the user did not change keeps the file's value.
    EXPECT_EQ(ReadIniValue(ini, Section(), "FormT_Name", ""), "stored");
    EXPECT_EQ(ReadIniValue(ini, Section(), "FormT_Flag", ""), "1");
    EXPECT_EQ(ReadIniValue(ini, Section(), "FormT_KindList", ""), "a\tb");
    EXPECT_EQ(ReadIniValue(ini, Section(), "FormT_Opt-1", ""), "True");
}

}  // namespace
}  // namespace vellum
