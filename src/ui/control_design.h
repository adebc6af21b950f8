#pragma once
// A window's design: its controls as a table, positions in twips (15 twips per pixel at 96 DPI).
#include <cstdint>
#include <string>
#include <vector>

namespace vellum::ui {

enum class ControlKind {
    TextBox,
    PushButton,
    Label,
    DropDownList,  // a combo box that takes no free text
    GroupBox,
    CheckBox,
    OptionButton,
    Timer,  // no window of its own
    Image,  // an icon in a static control
};

// 0x00BBGGRR, or this for "the platform's default".
constexpr uint32_t kDefaultColor = 0xFFFFFFFFu;
// The ID of a control's window is this base plus its tab index.
constexpr int kControlIdBase = 1000;

struct TwipsRect {
    int left = 0, top = 0, width = 0, height = 0;
};

struct PixelRect {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const PixelRect& o) const {
        return left == o.left && top == o.top && width == o.width && height == o.height;
    }
};

struct ControlDesign {
    std::string name;
    int index = -1;  // element of a control array, or -1
    ControlKind kind = ControlKind::Label;
    std::string container;  // name of the group box it sits in, or empty for the window
    std::string caption;
    TwipsRect rect;     // relative to the container
    int tabIndex = -1;  // -1 for controls without a window
    bool visible = true;
    bool enabled = true;
    int value = 0;  // check box state 0/1/2; option button selected 1
    uint32_t foreColor = kDefaultColor;
    uint32_t backColor = kDefaultColor;
    std::string fontName;  // empty: the window's font
    int fontPoints = 0;
    std::string toolTip;
    bool acceptsFiles = false;
    int timerInterval = 0;   // milliseconds, timers only
    bool multiLine = false;  // text boxes: wrapped lines and a vertical scroll bar
    bool locked = false;     // text boxes: read-only, the text can still be selected and copied
};

struct FormDesign {
    std::string name;
    std::string caption;
    int clientWidth = 0;                  // twips
    int clientHeight = 0;                 // twips
    std::vector<ControlDesign> controls;  // in creation order, which is the tab order
};

// A control of a design table: the fields every control has; the others keep their defaults.
ControlDesign MakeControl(const char* name, ControlKind kind, const char* container,
                          const char* caption, TwipsRect rect, int tabIndex, int index = -1);

// Twips (1/1440 inch) to pixels at a DPI, rounded to the nearest pixel (halves away from zero).
int TwipsToPixels(int twips, int dpi);
// A design length that must stay visible: never thinner than one pixel.
int TwipsToPixelsAtLeastOne(int twips, int dpi);

// The control's rectangle in the window's client area, in pixels at the given DPI. Edges are
// converted, not sizes, so neighbouring controls stay aligned at every scale.
PixelRect ResolvePixelRect(const FormDesign& form, const ControlDesign& control, int dpi);

int ControlId(const ControlDesign& control);

// Font height in pixels for a point size at a DPI (negative: character height, as fonts take it).
int FontHeightForPoints(int points, int dpi);

}  // namespace vellum::ui
