#include "ui/control_styling.h"

#include <gtest/gtest.h>

#include <uxtheme.h>

#include <fstream>
#include <memory>
#include <vector>

#include "platform/utf16.h"
#include "test_folder.h"
#include "test_message_pump.h"
#include "test_pictures.h"

namespace vellum {
namespace {

using ui::ControlDesign;
using ui::ControlKind;

// One control of every kind, and a control array of option buttons.
ui::FormDesign StylingDesign() {
    ui::FormDesign f;
    f.name = "StylingTest";
    f.caption = "styling";
    f.clientWidth = 4800;
    f.clientHeight = 3000;
    auto& v = f.controls;
    v.push_back(
        ui::MakeControl("Cmd", ControlKind::PushButton, "", "按钮", {150, 150, 1500, 600}, 0));
    v.push_back(
        ui::MakeControl("Chk", ControlKind::CheckBox, "", "选项", {150, 900, 1500, 300}, 1));
    v.push_back(
        ui::MakeControl("Op", ControlKind::OptionButton, "", "甲", {150, 1350, 1500, 300}, 2, 0));
    v.push_back(
        ui::MakeControl("Op", ControlKind::OptionButton, "", "乙", {150, 1800, 1500, 300}, 3, 1));
    v.push_back(
        ui::MakeControl("Lbl", ControlKind::Label, "", "标签文字", {2100, 150, 2400, 300}, 4));
    v.push_back(
        ui::MakeControl("Txt", ControlKind::TextBox, "", "文本", {2100, 600, 2400, 330}, 5));
    v.push_back(
        ui::MakeControl("Lst", ControlKind::DropDownList, "", "", {2100, 1050, 2400, 330}, 6));
    v.push_back(
        ui::MakeControl("Grp", ControlKind::GroupBox, "", "框", {2100, 1500, 2400, 1200}, 7));
    v.push_back(ui::MakeControl("Tmr", ControlKind::Timer, "", "", {}, -1));
    v.back().timerInterval = 1000;
    return f;
}

class StylingForm : public ui::Form {
  public:
    explicit StylingForm(const ui::FormDesign& design) : ui::Form(design) {}
    bool Create() {
        return CreateForm(L"VellumStylingTest", WS_POPUP | WS_CAPTION | WS_SYSMENU, nullptr);
    }

  protected:
    void OnControlEvent(ui::Control&, ui::ControlEvent, LPARAM) override {}
};

std::vector<LONG_PTR> Styles(const ui::Form& form) {
    std::vector<LONG_PTR> styles;
    for (const ui::Control& c : form.controls())
        styles.push_back(c.hwnd() ? GetWindowLongPtrW(c.hwnd(), GWL_STYLE) : 0);
    return styles;
}

TEST(StyleFormControls, AddsTheFlatBitToButtonsOptionsAndCheckBoxesOnly) {
    const ui::FormDesign design = StylingDesign();
    StylingForm form(design);
    ASSERT_TRUE(form.Create());
    const std::vector<LONG_PTR> before = Styles(form);
    StyleFormControls(form);
    const std::vector<LONG_PTR> after = Styles(form);
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i) {
        const ui::Control& c = form.controls()[i];
        const bool styled = c.kind() == ControlKind::PushButton ||
                            c.kind() == ControlKind::CheckBox ||
                            c.kind() == ControlKind::OptionButton;
        EXPECT_EQ(before[i] & BS_FLAT, 0) << c.name() << c.index();
        EXPECT_EQ(after[i], styled ? before[i] | BS_FLAT : before[i]) << c.name() << c.index();
    }
    // Only added, never toggled: a second call changes nothing.
    StyleFormControls(form);
    EXPECT_EQ(Styles(form), after);
}

TEST(SetFlatStyle, TheClearFlagWritesTheStyleBackUnchanged) {
    const ui::FormDesign design = StylingDesign();
    StylingForm form(design);
    ASSERT_TRUE(form.Create());
    HWND button = form.Get("Cmd").hwnd();
    const LONG_PTR style = GetWindowLongPtrW(button, GWL_STYLE);
    SetFlatStyle(button, false);
    EXPECT_EQ(GetWindowLongPtrW(button, GWL_STYLE), style);
    SetFlatStyle(button, true);
    EXPECT_EQ(GetWindowLongPtrW(button, GWL_STYLE), style | BS_FLAT);
    SetFlatStyle(button, false);
    EXPECT_EQ(GetWindowLongPtrW(button, GWL_STYLE), style | BS_FLAT);
    SetFlatStyle(nullptr, true);  // no window: nothing to do
}

// The controls of the program's own windows come from common controls version 6, as its
// manifest asks; the test program has no manifest, so the same is asked for here.
class CommonControls6 {
  public:
    CommonControls6() {
        const std::string manifest = folder_.path() + "cc6.manifest";
        std::ofstream(manifest) <<
            R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">
  <dependency><dependentAssembly>
    <assemblyIdentity type="win32" name="Microsoft.Windows.Common-Controls" version="6.0.0.0"
                      processorArchitecture="*" publicKeyToken="6595b64144ccf1df" language="*"/>
  </dependentAssembly></dependency>
</assembly>
)";
        const std::wstring path = Widen(manifest);
        ACTCTXW context{};
        context.cbSize = sizeof(context);
        context.lpSource = path.c_str();
        context_ = CreateActCtxW(&context);
        if (context_ != INVALID_HANDLE_VALUE && !ActivateActCtx(context_, &cookie_))
            cookie_ = 0;
    }
    ~CommonControls6() {
        if (cookie_)
            DeactivateActCtx(0, cookie_);
        if (context_ != INVALID_HANDLE_VALUE)
            ReleaseActCtx(context_);
    }
    bool active() const { return cookie_ != 0; }

  private:
    TestFolder folder_{"cc6"};
    HANDLE context_ = INVALID_HANDLE_VALUE;
    ULONG_PTR cookie_ = 0;
};

// The screen's pixels of a control as 0x00RRGGBB, row by row.
std::vector<uint32_t> PixelsOnScreen(HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    std::vector<uint32_t> pixels = testing::Rgb32Pixels(bitmap, w, h);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

struct Look {
    std::vector<uint32_t> button, check, option, label, text;
};

Look LookOf(ui::Form& form) {
    return {PixelsOnScreen(form.Get("Cmd").hwnd()), PixelsOnScreen(form.Get("Chk").hwnd()),
            PixelsOnScreen(form.Get("Op", 0).hwnd()), PixelsOnScreen(form.Get("Lbl").hwnd()),
            PixelsOnScreen(form.Get("Txt").hwnd())};
}

// The flat look shows on the screen: the styled controls are drawn differently, the others as
// before. With common controls 6, as the program uses them, the theme would draw the buttons
// and ignore the flat bit. The classic push button shows it as well (Wine's classic check
// boxes and option buttons look the same either way, so only the button is compared there).
TEST(StyleFormControls, TheFlatLookShowsOnScreen) {
    for (bool version6 : {true, false}) {
        SCOPED_TRACE(version6 ? "common controls 6" : "classic controls");
        std::unique_ptr<CommonControls6> context;
        if (version6) {
            context = std::make_unique<CommonControls6>();
            ASSERT_TRUE(context->active());
        }
        const ui::FormDesign design = StylingDesign();
        StylingForm form(design);
        ASSERT_TRUE(form.Create());
        form.Get("Chk").SetValue(1);
        SetWindowPos(form.hwnd(), HWND_TOPMOST, 100, 100, 0, 0,
                     SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
        UpdateWindow(form.hwnd());
        Pump(300);
        const Look plain = LookOf(form);
        HWND button = form.Get("Cmd").hwnd();
        EXPECT_EQ(GetWindowTheme(button) != nullptr, version6);
        StyleFormControls(form);
        EXPECT_EQ(GetWindowTheme(button), nullptr);
        Pump(300);
        const Look flat = LookOf(form);
        EXPECT_NE(flat.button, plain.button);
        if (version6) {
            EXPECT_NE(flat.check, plain.check);
            EXPECT_NE(flat.option, plain.option);
        }
        EXPECT_EQ(flat.label, plain.label);
        EXPECT_EQ(flat.text, plain.text);
    }
}

}  // namespace
}  // namespace vellum
