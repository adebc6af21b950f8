#include "app/main_window.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "app/main_form_design.h"
#include "app/main_window_rules.h"
#include "base/command_lines.h"
#include "hotkeys/hooks.h"
#include "platform/common_dialogs.h"
#include "platform/registry.h"
#include "platform/scoped_win.h"
#include "platform/utf16.h"
#include "settings/ini_file.h"
#include "test_folder.h"
#include "test_message_pump.h"

namespace vellum {
namespace {

// The settings store of this test program (its executable's base name names it).
const char kStoreKey[] = "Software\\PXGR_vellum_win32_tests\\Form1";

// Forgets the registry store and the control states a closed window left beside the test program.
void ForgetStore() {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\PXGR_vellum_win32_tests");
    DeleteFileW(Widen(DefaultIniPath()).c_str());
}

// Closes the window as the user does, so the closing steps run, and drops the quit message.
void Close(MainWindow& w) {
    DestroyWindow(w.hwnd());
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

// What the window asked of the world outside it. The dialogs answer as a cancel does.
struct Seen {
    struct Box {
        HWND owner;
        std::string text;
        std::string caption;
        UINT style;
    };
    std::vector<Box> boxes;
    std::vector<UINT> beeps;
    std::vector<std::string> commands;     // every one started with SW_SHOWNORMAL
    std::vector<std::string> fileDialogs;  // the path each was pre-filled with
    std::vector<std::string> inputDefaults;
    std::string inputAnswer;                 // what the input box returns
    std::vector<std::string> folderDialogs;  // the folder each was opened at
    std::string chosenFolder;                // what the folder dialog returns ("": a cancel)
    int aboutBoxes = 0;
};

MainWindowActions FakeActions(Seen& seen) {
    MainWindowActions a;
    a.messageBox = [&seen](HWND owner, const std::string& text, const std::string& caption,
                           UINT style) {
        seen.boxes.push_back({owner, text, caption, style});
    };
    a.pickColor = [](HWND) { return LastPickedColor(); };
    a.showFileDialog = [&seen](int, const std::string&, const std::string&, const std::string&) {
        seen.fileDialogs.push_back(LastDialogFile());
        return LastDialogFile();
    };
    a.browseForFolder = [&seen](const std::string& initialFolder, HWND, const std::string&,
                                bool includeFiles) {
        EXPECT_FALSE(includeFiles);
        seen.folderDialogs.push_back(initialFolder);
        return seen.chosenFolder;
    };
    a.inputBox = [&seen](HWND, const std::string&, const std::string&,
                         const std::string& defaultAnswer) {
        seen.inputDefaults.push_back(defaultAnswer);
        return seen.inputAnswer;
    };
    a.showAboutBox = [&seen](HWND) { ++seen.aboutBoxes; };
    a.saveErrorBox = [](const std::wstring& text, const std::wstring&) {
        ADD_FAILURE() << "a save error box: " << Narrow(text);
    };
    a.beep = [&seen](UINT type) { seen.beeps.push_back(type); };
    a.startCommand = [&seen](const std::string& commandLine, int showCommand) {
        EXPECT_EQ(showCommand, SW_SHOWNORMAL) << commandLine;
        seen.commands.push_back(commandLine);
    };
    return a;
}

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ForgetStore();
        ASSERT_TRUE(window.Create());
        window.Get(ctl::kP).SetText(folder.path());
    }
    void TearDown() override { ForgetStore(); }

    ui::Control& Lab() { return window.Get(ctl::kLab); }
    // Saves through the window's save worker and waits for what follows the write.
    MainWindow::SaveOutcome SaveAndWait(UniqueBitmap bitmap) {
        MainWindow::SaveOutcome seen;
        int followed = 0;
        window.SaveP(std::move(bitmap), [&](const MainWindow::SaveOutcome& outcome) {
            seen = outcome;
            ++followed;
        });
        EXPECT_TRUE(window.FinishSaves(std::chrono::seconds(10)));
        EXPECT_EQ(followed, 1);
        return seen;
    }
    UniqueBitmap SmallBitmap() {
        HDC screen = GetDC(nullptr);
        HBITMAP b = CreateCompatibleBitmap(screen, 4, 3);
        ReleaseDC(nullptr, screen);
        return UniqueBitmap(b);
    }

    Seen seen;
    TestFolder folder{"main"};
    MainWindow window{FakeActions(seen)};
};

TEST_F(MainWindowTest, FirstStartDefaults) {
    EXPECT_FALSE(window.IsVisible());
    ui::Control& types = window.Get(ctl::kCmbImgType);
    ASSERT_EQ(types.ListCount(), 5);
    EXPECT_EQ(types.List(0), "bmp");
    EXPECT_EQ(types.List(4), "tiff");
    EXPECT_EQ(types.Text(), "png");
    EXPECT_EQ(window.Get(ctl::kChOp).ToolTipText(), "mspaint.exe");
    EXPECT_EQ(window.Get(ctl::kCheck4).Tag(), "-1");
    EXPECT_EQ(window.Get(ctl::kChOp).Value(), 1);
    EXPECT_EQ(window.CapType(), 0);
}

TEST_F(MainWindowTest, NamesSkipFilesOfEveryAttributeAndFolders) {
    window.Get(ctl::kCmbImgType).SetListIndex(3);
    folder.File("PXGR_Cap_1.png", FILE_ATTRIBUTE_HIDDEN);
    folder.File("PXGR_Cap_2.png", FILE_ATTRIBUTE_READONLY);
    folder.Subfolder("PXGR_Cap_3.png");
    // A file left half written by a killed save is no picture: its number is free.
    folder.File("PXGR_Cap_4.png.vellum-part", FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(window.GetNextFN(), folder.path() + "PXGR_Cap_4.png");
    EXPECT_EQ(window.GetNextFN(), folder.path() + "PXGR_Cap_5.png");
    window.Get(ctl::kTbxQZ).SetText("新前缀_");
    window.Get(ctl::kCmbImgType).SetListIndex(0);
    EXPECT_EQ(window.GetNextFN(), folder.path() + "新前缀_6.bmp");
}

TEST_F(MainWindowTest, SaveReportsTheFileItWrote) {
    for (int format : {0, 3}) {
        window.Get(ctl::kCmbImgType).SetListIndex(format);
        const MainWindow::SaveOutcome saved = SaveAndWait(SmallBitmap());
        const std::string& name = saved.fileName;
        EXPECT_TRUE(saved.written);
        EXPECT_EQ(Lab().Text(), "已保存到:" + name);
        EXPECT_NE(GetFileAttributesW(Widen(name).c_str()), INVALID_FILE_ATTRIBUTES) << name;
    }
}

TEST_F(MainWindowTest, AFailedWriteIsNotReportedAsSaved) {
    for (int format : {0, 3}) {
        window.Get(ctl::kCmbImgType).SetListIndex(format);
        const MainWindow::SaveOutcome failed = SaveAndWait(UniqueBitmap());
        const std::string& name = failed.fileName;
        EXPECT_FALSE(failed.written);
        EXPECT_EQ(Lab().Text(), "保存失败:" + name);
        EXPECT_EQ(GetFileAttributesW(Widen(name).c_str()), INVALID_FILE_ATTRIBUTES) << name;
    }
    window.Get(ctl::kP).SetText(folder.path() + "missing\\");
    const MainWindow::SaveOutcome failed = SaveAndWait(SmallBitmap());
    EXPECT_FALSE(failed.written);
    EXPECT_EQ(Lab().Text(), "保存失败:" + failed.fileName);
}

TEST_F(MainWindowTest, APrintScreenSoundsAndReportsWhatBecameOfTheFile) {
    std::vector<UINT>& beeps = seen.beeps;
    window.Get(ctl::kCmbImgType).SetListIndex(0);
    const auto pressPrintScreen = [&] {
        SendMessageW(window.hwnd(), MainWindow::kMsgHotkey,
                     static_cast<WPARAM>(hotkeys::KeyAction::SaveScreen), 0);
        EXPECT_TRUE(window.FinishSaves(std::chrono::seconds(10)));
    };
    Lab().SetText("before");
    pressPrintScreen();
    EXPECT_EQ(beeps, std::vector<UINT>{MB_OK});
    EXPECT_EQ(Lab().Text(), "before") << "a success leaves the status line";
    const std::string first = folder.path() + "PXGR_Cap_1.bmp";
    EXPECT_NE(GetFileAttributesW(Widen(first).c_str()), INVALID_FILE_ATTRIBUTES);
    // The tool box is checked with the default tool: the file is opened in it.
    EXPECT_EQ(seen.commands, std::vector<std::string>{ToolCommandLine("mspaint.exe", first)});

    const std::string missing = folder.path() + "gone\\";
    window.Get(ctl::kP).SetText(missing);
    pressPrintScreen();
    EXPECT_EQ(beeps, (std::vector<UINT>{MB_OK, MB_ICONHAND})) << "the error sound, no success";
    EXPECT_EQ(Lab().Text(), "保存失败:" + missing + "PXGR_Cap_2.bmp");
    EXPECT_EQ(seen.commands.size(), 1u) << "the tool gets only a file that exists";

    // Asked by message rather than by the key: the same save, without the sounds.
    window.Get(ctl::kP).SetText(folder.path());
    SendMessageW(window.hwnd(), MainWindow::kMsgSaveCurrentScreen, 0, 0);
    EXPECT_TRUE(window.FinishSaves(std::chrono::seconds(10)));
    EXPECT_EQ(beeps.size(), 2u);
    EXPECT_EQ(seen.commands.size(), 2u);
    EXPECT_NE(GetFileAttributesW(Widen(folder.path() + "PXGR_Cap_3.bmp").c_str()),
              INVALID_FILE_ATTRIBUTES);
}

TEST_F(MainWindowTest, TheDirectXTypeSavesNothingAndTakesNoName) {
    window.Get(ctl::kOp, 3).SetValue(1);
    ASSERT_EQ(window.CapType(), 3);
    EXPECT_EQ(window.Get(ctl::kOp, 0).Value(), 0);
    const std::string status = Lab().Text();
    bool followed = false;
    window.SaveP(SmallBitmap(), [&](const MainWindow::SaveOutcome&) { followed = true; });
    EXPECT_TRUE(window.FinishSaves(std::chrono::seconds(10)));
    EXPECT_FALSE(followed) << "nothing was taken, so nothing follows";
    EXPECT_EQ(Lab().Text(), status);
    EXPECT_EQ(window.GetNextFN(), folder.path() + "PXGR_Cap_1.png");
}

// A screen-sized picture of noise, which the encoders take a while to write.
UniqueBitmap NoisyBitmap(int width, int height) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    uint32_t state = 2463534242u;
    for (uint32_t& p : pixels) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        p = state & 0xFFFFFF;
    }
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    SetDIBits(screen, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return UniqueBitmap(bitmap);
}

TEST_F(MainWindowTest, TheCloseCompletesEverySaveTaken) {
    window.Get(ctl::kCmbImgType).SetListIndex(2);  // gif: the slowest of the program's encoders
    std::vector<std::string> followed;
    for (int i = 0; i < 3; ++i)
        window.SaveP(NoisyBitmap(1920, 1080), [&](const MainWindow::SaveOutcome& outcome) {
            followed.push_back(outcome.fileName);
        });
    // Nothing has followed yet: the after-steps wait for the writes and come by message.
    EXPECT_TRUE(followed.empty());
    Close(window);
    for (int i = 1; i <= 3; ++i) {
        const std::string name = folder.path() + "PXGR_Cap_" + std::to_string(i) + ".gif";
        EXPECT_NE(GetFileAttributesW(Widen(name).c_str()), INVALID_FILE_ATTRIBUTES) << name;
        EXPECT_EQ(GetFileAttributesW(Widen(name + ".vellum-part").c_str()),
                  INVALID_FILE_ATTRIBUTES);
    }
    EXPECT_TRUE(followed.empty()) << "a closed window shows nothing more";
}

// The button clicked as the user's click reaches the window.
void ClickButton(MainWindow& w, const char* name) {
    ui::Control& button = w.Get(name);
    SendMessageW(w.hwnd(), WM_COMMAND, MAKEWPARAM(ui::ControlId(button.design()), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button.hwnd()));
}

TEST_F(MainWindowTest, ContinuousCaptureTakesTheTypedIntervalOrRefusesIt) {
    window.Get(ctl::kCheck1).SetValue(1);
    ui::Control& timer = window.Get(ctl::kTi);
    const struct {
        const char* typed;
        int interval;  // in force after the click; 0 for a refusal, which starts nothing
    } steps[] = {
        {"100000", 0},    {"-5", 0},     {"1.5", 2}, {"2.5", 2}, {"3.5", 4}, {"65536", 0},
        {"65535", 65535}, {"1e3", 1000}, {"abc", 0}, {"0", 0},  // 0 is accepted: a timer that never
                                                                // fires
    };
    for (const auto& step : steps) {
        window.Get(ctl::kText1).SetText(step.typed);
        const bool refused = step.interval == 0 && std::string(step.typed) != "0";
        seen.boxes.clear();
        ClickButton(window, ctl::kCommand2);
        EXPECT_EQ(timer.TimerEnabled(), !refused) << step.typed;
        if (refused) {
            ASSERT_EQ(seen.boxes.size(), 1u) << step.typed;
            EXPECT_EQ(seen.boxes[0].text, "请输入正确的时间间隔!");
            EXPECT_EQ(seen.boxes[0].caption, "Vellum");
            EXPECT_EQ(seen.boxes[0].style, UINT(MB_OK | MB_ICONINFORMATION));
        } else {
            EXPECT_TRUE(seen.boxes.empty()) << step.typed;
            EXPECT_EQ(timer.Interval(), step.interval) << step.typed;
        }
        timer.SetTimerEnabled(false);  // no tick may run into the next step
    }
    // Unchecking the box stops a running capture.
    timer.SetTimerEnabled(true);
    window.Get(ctl::kCheck1).SetValue(0);
    EXPECT_FALSE(timer.TimerEnabled());
    EXPECT_EQ(window.Get(ctl::kCheck1).Text(), "自动抓取(&A)");
    EXPECT_FALSE(window.Get(ctl::kText1).Visible());
}

TEST_F(MainWindowTest, TimedCaptureNamesAMissingFolderAndCapturesNothing) {
    const std::string missing = folder.path() + "不在 这里\\";
    window.Get(ctl::kP).SetText(missing);
    for (int continuous : {1, 0}) {
        window.Get(ctl::kCheck1).SetValue(continuous);
        seen.boxes.clear();
        ClickButton(window, ctl::kCommand2);
        ASSERT_EQ(seen.boxes.size(), 1u) << continuous;
        EXPECT_EQ(seen.boxes[0].owner, window.hwnd());
        EXPECT_EQ(seen.boxes[0].text, "文件夹" + missing + "不存在!");
        EXPECT_EQ(seen.boxes[0].caption, "Vellum");
        EXPECT_EQ(seen.boxes[0].style, UINT(MB_OK | MB_ICONINFORMATION));
        EXPECT_FALSE(window.Get(ctl::kTi).TimerEnabled());
    }
    Pump(2300);  // a single capture would have been taken by now
    EXPECT_TRUE(window.FinishSaves(std::chrono::seconds(10)));
    EXPECT_EQ(window.GetNextFN(), missing + "PXGR_Cap_1.png") << "no name was taken";

    // An empty folder text is refused without a word.
    window.Get(ctl::kP).SetText("");
    seen.boxes.clear();
    ClickButton(window, ctl::kCommand2);
    EXPECT_TRUE(seen.boxes.empty());
}

TEST_F(MainWindowTest, TheMinimiseHintComesOnceAndEveryMinimiseHides) {
    for (int i = 0; i < 2; ++i) {
        ShowWindow(window.hwnd(), SW_SHOWNOACTIVATE);
        SendMessageW(window.hwnd(), WM_SIZE, SIZE_MINIMIZED, 0);
        EXPECT_FALSE(IsWindowVisible(window.hwnd())) << i;
    }
    ASSERT_EQ(seen.boxes.size(), 1u);
    EXPECT_EQ(seen.boxes[0].owner, nullptr) << "a minimised owner would hide its box";
    EXPECT_EQ(seen.boxes[0].text, "Ctrl+F12重新显示.");
    EXPECT_EQ(seen.boxes[0].caption, "Vellum");
    EXPECT_EQ(seen.boxes[0].style, UINT(MB_OK | MB_TASKMODAL | MB_SETFOREGROUND)) << "no icon";
}

// A tool path typed while the tool box is unchecked: the single capture opens its file in it,
// the PrintScreen key and continuous capture do not.
TEST_F(MainWindowTest, EachRoadAsksItsOwnQuestionOfTheToolBox) {
    ShowWindow(window.hwnd(), SW_SHOWNOACTIVATE);  // the box's handling needs a shown window
    ui::Control& chOp = window.Get(ctl::kChOp);
    chOp.SetValue(0);
    ASSERT_EQ(chOp.ToolTipText(), "");
    const std::string tool = "C:\\我的 工具\\看图.exe";
    seen.inputAnswer = tool;
    SendMessageW(chOp.hwnd(), WM_RBUTTONUP, 0, 0);
    EXPECT_EQ(seen.inputDefaults, std::vector<std::string>{""});
    ASSERT_EQ(chOp.ToolTipText(), tool);
    ASSERT_EQ(chOp.Value(), 0);
    ShowWindow(window.hwnd(), SW_HIDE);
    window.Get(ctl::kCmbImgType).SetListIndex(0);  // bmp, the quickest to write

    SendMessageW(window.hwnd(), MainWindow::kMsgHotkey,
                 static_cast<WPARAM>(hotkeys::KeyAction::SaveScreen), 0);
    EXPECT_TRUE(window.FinishSaves(std::chrono::seconds(10)));
    EXPECT_TRUE(seen.commands.empty()) << "PrintScreen wants the box checked";

    ClickButton(window, ctl::kCommand2);  // Check1 unchecked: one capture in two seconds
    EXPECT_FALSE(IsWindowVisible(window.hwnd()));
    Pump(2500);
    EXPECT_TRUE(window.FinishSaves(std::chrono::seconds(10)));
    const std::string single = folder.path() + "PXGR_Cap_2.bmp";
    EXPECT_EQ(seen.commands, std::vector<std::string>{ToolCommandLine(tool, single)});
    EXPECT_EQ(Lab().Text(), "已保存到:" + single);
    EXPECT_TRUE(IsWindowVisible(window.hwnd())) << "the window is back after the capture";

    window.Get(ctl::kCheck1).SetValue(1);
    window.Get(ctl::kText1).SetText("50");
    ClickButton(window, ctl::kCommand2);
    Pump(400);
    window.Get(ctl::kTi).SetTimerEnabled(false);
    EXPECT_TRUE(window.FinishSaves(std::chrono::seconds(10)));
    EXPECT_NE(GetFileAttributesW(Widen(folder.path() + "PXGR_Cap_3.bmp").c_str()),
              INVALID_FILE_ATTRIBUTES)
        << "continuous capture saved";
    EXPECT_EQ(seen.commands.size(), 1u) << "continuous capture opens no tool";
    EXPECT_TRUE(seen.beeps.size() == 1u && seen.beeps[0] == MB_OK) << "only the key sounds";
}

TEST_F(MainWindowTest, TheOutputFolderIsChosenAndOpenedWithoutARealDialog) {
    ui::Control& p = window.Get(ctl::kP);
    const std::string before = p.Text();
    const std::string tipBefore = p.ToolTipText();
    ClickButton(window, ctl::kCommand3);  // cancelled
    EXPECT_EQ(seen.folderDialogs, std::vector<std::string>{before});
    EXPECT_EQ(p.Text(), before);
    EXPECT_EQ(p.ToolTipText(), tipBefore);

    seen.chosenFolder = "D:\\截图 夹";
    ClickButton(window, ctl::kCommand3);
    EXPECT_EQ(p.Text(), "D:\\截图 夹\\");
    EXPECT_EQ(p.ToolTipText(), "D:\\截图 夹");

    SendMessageW(p.hwnd(), WM_LBUTTONDBLCLK, 0, 0);
    EXPECT_EQ(seen.commands, std::vector<std::string>{ExplorerCommandLine("D:\\截图 夹\\")});

    ui::Control& about = window.Get(ctl::kLabel3);
    SendMessageW(window.hwnd(), WM_COMMAND, MAKEWPARAM(ui::ControlId(about.design()), STN_CLICKED),
                 reinterpret_cast<LPARAM>(about.hwnd()));
    EXPECT_EQ(seen.aboutBoxes, 1);
}

// A file list as the shell hands it over in a drop, owned by the receiver (it frees it).
HDROP MakeDrop(const std::vector<std::wstring>& files) {
    std::wstring list;
    for (const std::wstring& f : files) list += f + L'\0';
    list += L'\0';
    const size_t bytes = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, bytes);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(),
           list.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

TEST_F(MainWindowTest, AProgramDroppedOnTheToolBoxBecomesTheToolWithoutADialog) {
    ShowWindow(window.hwnd(), SW_SHOWNOACTIVATE);
    ui::Control& chOp = window.Get(ctl::kChOp);
    {
        chOp.SetValue(0);  // unchecked by the user: the path is put aside
        ASSERT_EQ(chOp.ToolTipText(), "");
        SendMessageW(chOp.hwnd(), WM_DROPFILES,
                     reinterpret_cast<WPARAM>(MakeDrop({L"C:\\工具 一\\看图.exe", L"C:\\b.exe"})),
                     0);
        EXPECT_EQ(chOp.ToolTipText(), "C:\\工具 一\\看图.exe");
        EXPECT_EQ(chOp.Value(), 1);
        // Onto a checked box: the dropped path stays too.
        SendMessageW(chOp.hwnd(), WM_DROPFILES,
                     reinterpret_cast<WPARAM>(MakeDrop({L"D:\\other.exe"})), 0);
        EXPECT_EQ(chOp.ToolTipText(), "D:\\other.exe");
        EXPECT_EQ(chOp.Value(), 1);
        EXPECT_TRUE(seen.fileDialogs.empty()) << "no file dialog may open for a drop";
    }
    ShowWindow(window.hwnd(), SW_HIDE);
}

TEST(MainWindowStore, ClosingWritesBothValuesAndAnEmptyToolPathStaysEmpty) {
    ForgetStore();
    {
        MainWindow w;
        ASSERT_TRUE(w.Create());
        w.Get(ctl::kChOp).SetToolTipText("");
        w.Get(ctl::kCheck4).SetTag("255");
        Close(w);
    }
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kStoreKey, "ChOp_Tip"), std::string());
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kStoreKey, "Check4_Tag"), "255");
    {
        MainWindow w;
        ASSERT_TRUE(w.Create());
        EXPECT_EQ(w.Get(ctl::kChOp).ToolTipText(), "");
        EXPECT_EQ(w.Get(ctl::kCheck4).Tag(), "255");
        w.Get(ctl::kChOp).SetToolTipText("C:\\我的 工具\\看图.exe");
        Close(w);
    }
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kStoreKey, "ChOp_Tip"),
              "C:\\我的 工具\\看图.exe");
    ForgetStore();
}

std::optional<std::string> StoredPrefix() {
    return ReadIniValueIfPresent(DefaultIniPath(), "PXGR_vellum_win32_tests", "Form1_tbxQZ");
}

TEST(MainWindowSession, TheEndOfTheSessionClosesAndSavesOnce) {
    ForgetStore();
    MainWindow w;
    ASSERT_TRUE(w.Create());
    const HWND hwnd = w.hwnd();
    w.Get(ctl::kTbxQZ).SetText("截图 \"x\" ");
    w.Get(ctl::kCheck4).SetTag("255");
    // Asked whether the session may end: yes, at once, and nothing is written yet.
    EXPECT_NE(SendMessageW(hwnd, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), 0);
    // A logoff that another program refused: the program goes on.
    SendMessageW(hwnd, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(StoredPrefix(), std::nullopt);

    SendMessageW(hwnd, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_FALSE(IsWindow(hwnd)) << "the session's end closes the window";
    EXPECT_EQ(StoredPrefix(), "截图 \"x\" ");
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kStoreKey, "ChOp_Tip"), "mspaint.exe");
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kStoreKey, "Check4_Tag"), "255");
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the program ends";
    ForgetStore();
}

TEST(MainWindowSession, AChangeIsWrittenSoonWithoutAClose) {
    ForgetStore();
    MainWindow w;
    ASSERT_TRUE(w.Create());
    Pump(1500);
    EXPECT_EQ(StoredPrefix(), std::nullopt) << "a start that changed nothing writes nothing";
    w.Get(ctl::kTbxQZ).SetText("A");
    Pump(300);
    w.Get(ctl::kTbxQZ).SetText("AB");  // typing on: one write once the typing pauses
    Pump(300);
    EXPECT_EQ(StoredPrefix(), std::nullopt);
    Pump(1500);
    EXPECT_EQ(StoredPrefix(), "AB");
    Close(w);
    ForgetStore();
}

TEST(MainWindowStore, AnExpandableToolPathIsExpandedAndKeepsItsForm) {
    ForgetStore();
    SetEnvironmentVariableW(L"VELLUM_TEST_TOOLS", L"C:\\工具 箱");
    ASSERT_TRUE(SetRegistryValue(HKEY_CURRENT_USER, kStoreKey, "ChOp_Tip",
                                 "%VELLUM_TEST_TOOLS%\\看图.exe", REG_EXPAND_SZ));
    {
        MainWindow w;
        ASSERT_TRUE(w.Create());
        EXPECT_EQ(w.Get(ctl::kChOp).ToolTipText(), "C:\\工具 箱\\看图.exe");
        Close(w);
    }
    std::optional<RegistryString> kept =
        ReadRegistryStringValue(HKEY_CURRENT_USER, kStoreKey, "ChOp_Tip");
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->text, "%VELLUM_TEST_TOOLS%\\看图.exe");
    EXPECT_TRUE(kept->expandable);

    // Changed by the user: stored as the plain text it now is.
    {
        MainWindow w;
        ASSERT_TRUE(w.Create());
        w.Get(ctl::kChOp).SetToolTipText("D:\\other.exe");
        Close(w);
    }
    kept = ReadRegistryStringValue(HKEY_CURRENT_USER, kStoreKey, "ChOp_Tip");
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->text, "D:\\other.exe");
    EXPECT_FALSE(kept->expandable);

    // A value of another type is no path: the default is used.
    UniqueRegKey key;
    ASSERT_EQ(
        RegOpenKeyExW(HKEY_CURRENT_USER, Widen(kStoreKey).c_str(), 0, KEY_SET_VALUE, key.put()),
        ERROR_SUCCESS);
    const DWORD number = 7;
    RegSetValueExW(key.get(), L"ChOp_Tip", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                   sizeof number);
    {
        MainWindow w;
        ASSERT_TRUE(w.Create());
        EXPECT_EQ(w.Get(ctl::kChOp).ToolTipText(), "mspaint.exe");
        Close(w);
    }
    SetEnvironmentVariableW(L"VELLUM_TEST_TOOLS", nullptr);
    ForgetStore();
}

}  // namespace
}  // namespace vellum
