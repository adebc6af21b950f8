#include "ui/control_design.h"

#include <algorithm>
#include <cstdint>

namespace vellum::ui {

namespace {

int RoundedRatio(int64_t num, int64_t den) {
    // Round half away from zero.
    return static_cast<int>(num >= 0 ? (num + den / 2) / den : -((-num + den / 2) / den));
}

}  // namespace

ControlDesign MakeControl(const char* name, ControlKind kind, const char* container,
                          const char* caption, TwipsRect rect, int tabIndex, int index) {
    ControlDesign c;
    c.name = name;
    c.kind = kind;
    c.container = container;
    c.caption = caption;
    c.rect = rect;
    c.tabIndex = tabIndex;
    c.index = index;
    return c;
}

int TwipsToPixels(int twips, int dpi) {
    return RoundedRatio(int64_t{twips} * dpi, 1440);
}

int TwipsToPixelsAtLeastOne(int twips, int dpi) {
    return std::max(1, TwipsToPixels(twips, dpi));
}

PixelRect ResolvePixelRect(const FormDesign& form, const ControlDesign& control, int dpi) {
    int left = control.rect.left;
    int top = control.rect.top;
    if (!control.container.empty()) {
        for (const ControlDesign& c : form.controls) {
            if (c.name == control.container) {
                left += c.rect.left;
                top += c.rect.top;
                break;
            }
        }
    }
    const int l = TwipsToPixels(left, dpi);
    const int t = TwipsToPixels(top, dpi);
    const int r = TwipsToPixels(left + control.rect.width, dpi);
    const int b = TwipsToPixels(top + control.rect.height, dpi);
    return {l, t, r > l ? r - l : 1, b > t ? b - t : 1};
}

int ControlId(const ControlDesign& control) {
    return control.tabIndex < 0 ? 0 : kControlIdBase + control.tabIndex;
}

int FontHeightForPoints(int points, int dpi) {
    return -RoundedRatio(int64_t{points} * dpi, 72);
}

}  // namespace vellum::ui
