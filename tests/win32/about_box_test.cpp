#include "about/about_box.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "about/about_design.h"
#include "platform/utf16.h"
#include "test_message_pump.h"

namespace vellum {
namespace {

// What the box did to the world outside.
struct Record {
    int beeps = 0;
    std::vector<std::pair<std::string, int>> commands;
    struct SystemAbout {
        HWND owner;
        std::string application, extra;
        HICON icon;
    };
    std::vector<SystemAbout> systemAbouts;

    AboutBoxActions Actions() {
        AboutBoxActions a;
        a.beep = [this] { ++beeps; };
        a.startCommand = [this](const std::string& line, int show) {
            commands.emplace_back(line, show);
        };
        a.systemAbout = [this](HWND owner, const std::string& app, const std::string& extra,
                               HICON icon) {
            systemAbouts.push_back({owner, app, extra, icon});
        };
        return a;
    }
};

// Steps run one per timer tick inside the box's own message loop. Once they are done, a box
// still open after a while is a failure: it is destroyed so that the test ends.
class Script {
  public:
    explicit Script(std::vector<std::function<void()>> steps) : steps_(std::move(steps)) {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 30, &Script::Tick);
    }
    ~Script() {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    bool timedOut() const { return timedOut_; }
    size_t stepsRun() const { return next_; }

  private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        Script* s = current_;
        if (!s)
            return;
        if (s->next_ < s->steps_.size()) {
            s->steps_[s->next_++]();
            return;
        }
        if (++s->idleTicks_ > 60) {
            s->timedOut_ = true;
            for (HWND w = FindWindowW(L"VellumAbout", nullptr); w;
                 w = FindWindowW(L"VellumAbout", nullptr))
                DestroyWindow(w);
        }
    }

    static Script* current_;
    std::vector<std::function<void()>> steps_;
    size_t next_ = 0;
    int idleTicks_ = 0;
    bool timedOut_ = false;
    UINT_PTR timer_ = 0;
};
Script* Script::current_ = nullptr;

class AboutBoxTest : public ::testing::Test {
  protected:
    void SetUp() override {
        owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 50, 50, 300, 200,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(owner);
        icon = LoadIconW(nullptr, IDI_INFORMATION);
        SendMessageW(owner, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        ShowWindow(owner, SW_SHOW);
    }
    void TearDown() override {
        DestroyWindow(owner);
        PumpMessages();
    }

    HWND owner = nullptr;
    HICON icon = nullptr;
    Record record;
};

std::string TextOf(HWND hwnd) {
    const int n = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), n + 1)));
    return Narrow(text);
}

TEST_F(AboutBoxTest, LoadingFillsTheBoxFromTheExecutable) {
    AboutBox box(record.Actions());
    ASSERT_TRUE(box.Create(owner));
    EXPECT_EQ(record.beeps, 1);
    EXPECT_EQ(GetWindow(box.hwnd(), GW_OWNER), owner);
    EXPECT_FALSE(IsWindowVisible(box.hwnd()));
    EXPECT_EQ(TextOf(box.hwnd()), "关于 vellum_win32_tests --By 栖木软件");
    EXPECT_EQ(box.Get(about_ctl::kImg).Icon(), icon);
    // From this test program's version resource (tests/win32/version_test.rc).
    EXPECT_EQ(box.Get(about_ctl::kLabel1).Text(), "测试产品");
    EXPECT_EQ(box.Get(about_ctl::kLabel2).Text(), "Ver: 3.7.105");
    EXPECT_EQ(box.Get(about_ctl::kText2).Text(), "第一行\r\n第二行 \r\n第三行");
    EXPECT_EQ(box.Get(about_ctl::kLabel9).Text(), "https://vellum.example/");
    EXPECT_EQ(box.Get(about_ctl::kText1).Text(), "vellum@example.com");
    int start = -1, end = -1;
    box.Get(about_ctl::kText1).GetSelection(start, end);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 18);
    // The description box shows several lines and cannot be edited.
    const LONG_PTR style = GetWindowLongPtrW(box.Get(about_ctl::kText2).hwnd(), GWL_STYLE);
    EXPECT_TRUE(style & ES_MULTILINE);
    EXPECT_TRUE(style & ES_READONLY);
    EXPECT_TRUE(style & WS_VSCROLL);
    EXPECT_TRUE(GetWindowLongPtrW(box.Get(about_ctl::kText1).hwnd(), GWL_STYLE) & ES_READONLY);
    EXPECT_FALSE(GetWindowLongPtrW(box.Get(about_ctl::kText1).hwnd(), GWL_STYLE) & ES_MULTILINE);
}

// Esc closes the box when the key is released, wherever the focus is; its press does not.
TEST_F(AboutBoxTest, EscReleasedClosesTheModalBoxAndEnablesTheOwner) {
    for (const char* target : {"", about_ctl::kText1, about_ctl::kText2, about_ctl::kCommand1}) {
        SCOPED_TRACE(*target ? target : "the box itself");
        AboutBox box(record.Actions());
        ASSERT_TRUE(box.Create(owner));
        HWND receiver = *target ? box.Get(target).hwnd() : box.hwnd();
        bool shownModal = false;
        bool openAfterPress = false;
        bool openAfterOtherKey = false;
        Script script({
            [&] {
                shownModal = IsWindowVisible(box.hwnd()) && !IsWindowEnabled(owner);
                PostMessageW(receiver, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
            },
            [&] {
                openAfterPress = box.IsOpen();
                PostMessageW(receiver, WM_KEYUP, VK_RETURN, 0xC01C0001);
            },
            [&] {
                openAfterOtherKey = box.IsOpen();
                PostMessageW(receiver, WM_KEYUP, VK_ESCAPE, 0xC0010001);
            },
        });
        box.ShowModal();
        EXPECT_FALSE(script.timedOut());
        EXPECT_EQ(script.stepsRun(), 3u);
        EXPECT_TRUE(shownModal);
        EXPECT_TRUE(openAfterPress);
        EXPECT_TRUE(openAfterOtherKey);
        EXPECT_FALSE(box.IsOpen());
        EXPECT_TRUE(IsWindowEnabled(owner));
    }
}

TEST_F(AboutBoxTest, TheCloseCommandClosesItToo) {
    AboutBox box(record.Actions());
    ASSERT_TRUE(box.Create(owner));
    Script script({[&] { PostMessageW(box.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0); }});
    box.ShowModal();
    EXPECT_FALSE(script.timedOut());
    EXPECT_FALSE(box.IsOpen());
    EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(AboutBoxTest, EachOpeningIsAFreshBoxThatBeepsOnce) {
    std::vector<std::string> descriptions;
    std::vector<int> beepsWhileOpen;
    auto closeAfterEdit = [&] {
        HWND box = FindWindowW(L"VellumAbout", nullptr);
        HWND text2 = GetDlgItem(box, ui::kControlIdBase + 4);
        descriptions.push_back(TextOf(text2));
        beepsWhileOpen.push_back(record.beeps);
        SetWindowTextW(text2, L"changed");
        PostMessageW(box, WM_KEYUP, VK_ESCAPE, 0xC0010001);
    };
    Script script({closeAfterEdit, [] {}, [] {}, closeAfterEdit});
    ShowAboutBox(owner, record.Actions());
    ShowAboutBox(owner, record.Actions());
    EXPECT_FALSE(script.timedOut());
    EXPECT_EQ(descriptions, (std::vector<std::string>{"第一行\r\n第二行 \r\n第三行",
                                                      "第一行\r\n第二行 \r\n第三行"}));
    EXPECT_EQ(beepsWhileOpen, (std::vector<int>{1, 2}));
    EXPECT_FALSE(FindWindowW(L"VellumAbout", nullptr));
}

TEST_F(AboutBoxTest, ButtonAndLinksCallTheSystemAboutAndStartTheHomePage) {
    AboutBox box(record.Actions());
    ASSERT_TRUE(box.Create(owner));
    SendMessageW(box.Get(about_ctl::kCommand1).hwnd(), BM_CLICK, 0, 0);
    ASSERT_EQ(record.systemAbouts.size(), 1u);
    EXPECT_EQ(record.systemAbouts[0].owner, box.hwnd());
    EXPECT_EQ(record.systemAbouts[0].application, "vellum_win32_tests");
    EXPECT_EQ(record.systemAbouts[0].extra, "栖木软件");
    EXPECT_EQ(record.systemAbouts[0].icon, icon);

    for (const char* link : {about_ctl::kLabel9, about_ctl::kLabel7}) {
        HWND label = box.Get(link).hwnd();
        SendMessageW(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        SendMessageW(label, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    }
    const std::vector<std::pair<std::string, int>> expected = {
        {"explorer \"https://vellum.example/\"", SW_SHOWMINIMIZED},
        {"explorer \"https://vellum.example/\"", SW_SHOWMINIMIZED},
    };
    EXPECT_EQ(record.commands, expected);
    // Other labels start nothing.
    HWND notice = GetDlgItem(box.hwnd(), ui::kControlIdBase + 12);
    SendMessageW(notice, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageW(notice, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(record.commands.size(), 2u);
}

TEST_F(AboutBoxTest, DoubleClickSelectsAllOfTheAddress) {
    AboutBox box(record.Actions());
    ASSERT_TRUE(box.Create(owner));
    ui::Control& text1 = box.Get(about_ctl::kText1);
    SendMessageW(text1.hwnd(), EM_SETSEL, 3, 5);
    SendMessageW(text1.hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(3, 3));
    int start = -1, end = -1;
    text1.GetSelection(start, end);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 18);
}

TEST_F(AboutBoxTest, AQuitMessageClosesTheBoxAndReachesTheOuterLoop) {
    AboutBox box(record.Actions());
    ASSERT_TRUE(box.Create(owner));
    Script script({[] { PostQuitMessage(7); }});
    box.ShowModal();
    EXPECT_FALSE(script.timedOut());
    EXPECT_FALSE(box.IsOpen());
    EXPECT_TRUE(IsWindowEnabled(owner));
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(AboutBoxTest, ClosingTheOwnerEndsTheBox) {
    AboutBox box(record.Actions());
    ASSERT_TRUE(box.Create(owner));
    Script script({[&] {
        DestroyWindow(owner);
        owner = nullptr;
    }});
    box.ShowModal();
    EXPECT_FALSE(script.timedOut());
    EXPECT_FALSE(box.IsOpen());
}

}  // namespace
}  // namespace vellum
