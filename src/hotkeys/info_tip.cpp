#include "hotkeys/info_tip.h"

#include "platform/scoped_win.h"
#include "platform/utf16.h"
#include "ui/control_design.h"
#include "ui/dpi.h"

namespace vellum::hotkeys {

namespace {
constexpr wchar_t kTipClass[] = L"VellumFmInfo";
constexpr UINT kTextFormat = DT_NOPREFIX | DT_EXPANDTABS;
}  // namespace

InfoTip::~InfoTip() {
    CloseIt();
}

bool InfoTip::EnsureWindow() {
    if (hwnd())
        return true;
    dpi_ = ui::SystemDpi();
    margin_ = ui::TwipsToPixelsAtLeastOne(kMarginTwips, dpi_);
    if (!font_) {
        const LOGFONTW lf = ui::MessageFontForDpi(dpi_);
        font_.reset(CreateFontIndirectW(&lf));
    }
    return CreateTopLevel(kTipClass, L"", WS_POPUP,
                          WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, 0, 0, 1, 1, nullptr);
}

SIZE InfoTip::MeasureLabel() const {
    const ScopedGetDC dc(hwnd());
    const ScopedSelectObject font(dc, font_.get());
    RECT r{0, 0, 0, 0};
    DrawTextW(dc, wideText_.c_str(), static_cast<int>(wideText_.size()), &r,
              kTextFormat | DT_CALCRECT);
    return {r.right - r.left, r.bottom - r.top};
}

void InfoTip::ShowInfo(const std::string& info, int32_t x, int32_t y) {
    if (!EnsureWindow())
        return;
    text_ = info;
    wideText_ = Widen(info);
    label_ = MeasureLabel();
    SetWindowPos(hwnd(), HWND_TOPMOST, x, y, label_.cx + 2 * margin_, label_.cy + 2 * margin_,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(hwnd(), nullptr, FALSE);
}

void InfoTip::Hide() {
    if (hwnd())
        ShowWindow(hwnd(), SW_HIDE);
}

void InfoTip::CloseIt() {
    if (hwnd())
        DestroyWindow(hwnd());
    font_.reset();
    text_.clear();
    wideText_.clear();
}

void InfoTip::Paint() {
    const ScopedPaint dc(hwnd());
    RECT client;
    GetClientRect(hwnd(), &client);
    FillRect(dc, &client, UniqueBrush(CreateSolidBrush(kMarginColor)).get());
    RECT label{margin_, margin_, margin_ + label_.cx, margin_ + label_.cy};
    FillRect(dc, &label, UniqueBrush(CreateSolidBrush(kLabelColor)).get());
    const ScopedSelectObject font(dc, font_.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kTextColor);
    DrawTextW(dc, wideText_.c_str(), static_cast<int>(wideText_.size()), &label, kTextFormat);
}

LRESULT InfoTip::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            Paint();
            return 0;
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
    }
    return DefaultHandling(msg, wp, lp);
}

}  // namespace vellum::hotkeys
