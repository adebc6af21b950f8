#pragma once
// A small borderless topmost window showing lines of text at a screen position: a pale-blue
// label with blue text inside a magenta margin. Created on first use; CloseIt destroys it and
// the next ShowInfo makes a new one.
#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/scoped_win.h"
#include "ui/window.h"

namespace vellum::hotkeys {

class InfoTip : public ui::Window {
  public:
    static constexpr int kMarginTwips = 15;
    static constexpr COLORREF kMarginColor = RGB(255, 0, 0xFF);
    static constexpr COLORREF kLabelColor = RGB(192, 192, 255);
    static constexpr COLORREF kTextColor = RGB(0, 0, 255);

    InfoTip() = default;
    ~InfoTip() override;

    // Text in UTF-8, lines split by line breaks and never wrapped. (x, y) is the window's upper
    // left corner in screen pixels; the tip is not kept inside the screen. The window
    // goes to the topmost band and is shown without taking the activation.
    void ShowInfo(const std::string& info, int32_t x, int32_t y);
    void Hide();
    void CloseIt();

    const std::string& Text() const { return text_; }
    int MarginPixels() const { return margin_; }

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    bool EnsureWindow();
    SIZE MeasureLabel() const;
    void Paint();

    std::string text_;
    std::wstring wideText_;
    UniqueFont font_;
    int dpi_ = USER_DEFAULT_SCREEN_DPI;
    int margin_ = 1;
    SIZE label_{0, 0};
};

}  // namespace vellum::hotkeys
