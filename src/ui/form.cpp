#include "ui/form.h"

#include <commctrl.h>
#include <shellapi.h>

#include <stdexcept>

#include "platform/scoped_win.h"
#include "platform/utf16.h"
#include "ui/dpi.h"

namespace vellum::ui {

namespace {

// Room below a drop-down list's field for its open list.
constexpr int kDropDownListRows = 8;

UniqueFont CreateFontFor(const ControlDesign& design, int dpi) {
    LOGFONTW font = MessageFontForDpi(dpi);
    if (!design.fontName.empty()) {
        font.lfHeight = FontHeightForPoints(design.fontPoints, dpi);
        font.lfWidth = 0;
        font.lfCharSet = DEFAULT_CHARSET;
        lstrcpynW(font.lfFaceName, Widen(design.fontName).c_str(), LF_FACESIZE);
    }
    return UniqueFont(CreateFontIndirectW(&font));
}

}  // namespace

// Fonts and brushes the form's controls paint with; deleted with the form.
struct Form::GdiResources {
    std::vector<UniqueFont> fonts;     // one per control with a window (none for the others)
    std::vector<UniqueBrush> brushes;  // one per control with a back colour
};

// ---- Control ----

void Control::On(ControlEvent event, Handler handler) {
    for (auto& [attached, existing] : handlers_)
        if (attached == event) {
            existing = std::move(handler);
            return;
        }
    handlers_.emplace_back(event, std::move(handler));
}

const Control::Handler* Control::HandlerFor(ControlEvent event) const {
    for (const auto& [attached, handler] : handlers_)
        if (attached == event && handler)
            return &handler;
    return nullptr;
}

Control::Control(Form& form, const ControlDesign& design)
    : form_(&form),
      design_(&design),
      toolTip_(design.toolTip),
      timerEnabled_(design.kind == ControlKind::Timer && design.enabled),
      interval_(design.timerInterval) {}

std::string Control::Text() const {
    if (!hwnd_)
        return {};
    const int n = GetWindowTextLengthW(hwnd_);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd_, text.data(), n + 1)));
    return Narrow(text);
}

void Control::SetText(const std::string& text) {
    if (!hwnd_)
        return;
    if (kind() == ControlKind::DropDownList) {
        // A list that takes no free text can only show one of its items.
        const LRESULT i = SendMessageW(hwnd_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(Widen(text).c_str()));
        if (i != CB_ERR)
            SetListIndex(static_cast<int>(i));
        return;
    }
    SetWindowTextW(hwnd_, Widen(text).c_str());
}

int Control::Value() const {
    if (!hwnd_)
        return 0;
    return static_cast<int>(SendMessageW(hwnd_, BM_GETCHECK, 0, 0));
}

void Control::SetValue(int value) {
    if (!hwnd_)
        return;
    if (kind() == ControlKind::OptionButton) {
        const bool select = value != 0;
        if (select == (Value() == BST_CHECKED))
            return;
        if (!select) {
            SendMessageW(hwnd_, BM_SETCHECK, BST_UNCHECKED, 0);
            return;
        }
        for (Control& other : form_->controls_)
            if (&other != this && other.kind() == ControlKind::OptionButton &&
                other.name() == name())
                SendMessageW(other.hwnd_, BM_SETCHECK, BST_UNCHECKED, 0);
        SendMessageW(hwnd_, BM_SETCHECK, BST_CHECKED, 0);
        form_->RaiseEvent(*this, ControlEvent::Click);
        return;
    }
    if (kind() != ControlKind::CheckBox || value < 0 || value > 2 || value == Value())
        return;
    // A two-state box cannot show the grey state: the platform would show it checked.
    const LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE) & BS_TYPEMASK;
    if (value == BST_INDETERMINATE && style != BS_3STATE && style != BS_AUTO3STATE)
        return;
    SendMessageW(hwnd_, BM_SETCHECK, static_cast<WPARAM>(value), 0);
    form_->RaiseEvent(*this, ControlEvent::Click);
}

bool Control::Enabled() const {
    return hwnd_ ? IsWindowEnabled(hwnd_) != FALSE : design_->enabled;
}
void Control::SetEnabled(bool enabled) {
    if (hwnd_)
        EnableWindow(hwnd_, enabled);
}

bool Control::Visible() const {
    return hwnd_ && (GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
}
void Control::SetVisible(bool visible) {
    if (hwnd_)
        ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}

void Control::Focus() {
    if (hwnd_)
        SetFocus(hwnd_);
}

void Control::SelectAllText() {
    if (hwnd_)
        SendMessageW(hwnd_, EM_SETSEL, 0, -1);
}

void Control::GetSelection(int& start, int& end) const {
    DWORD from = 0;
    DWORD to = 0;
    if (hwnd_ && kind() == ControlKind::TextBox)
        SendMessageW(hwnd_, EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                     reinterpret_cast<LPARAM>(&to));
    start = static_cast<int>(from);
    end = static_cast<int>(to);
}

HICON Control::Icon() const {
    if (!hwnd_ || kind() != ControlKind::Image)
        return nullptr;
    return reinterpret_cast<HICON>(SendMessageW(hwnd_, STM_GETICON, 0, 0));
}

void Control::SetIcon(HICON icon) {
    if (hwnd_ && kind() == ControlKind::Image)
        SendMessageW(hwnd_, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
}

int Control::ListCount() const {
    if (!hwnd_ || kind() != ControlKind::DropDownList)
        return 0;
    const LRESULT n = SendMessageW(hwnd_, CB_GETCOUNT, 0, 0);
    return n == CB_ERR ? 0 : static_cast<int>(n);
}

std::string Control::List(int index) const {
    if (index < 0 || index >= ListCount())
        return {};
    const LRESULT n = SendMessageW(hwnd_, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (n == CB_ERR)
        return {};
    std::wstring item(static_cast<size_t>(n) + 1, L'\0');
    SendMessageW(hwnd_, CB_GETLBTEXT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(item.data()));
    item.resize(static_cast<size_t>(n));
    return Narrow(item);
}

void Control::ClearList() {
    if (hwnd_ && kind() == ControlKind::DropDownList)
        SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
}

void Control::AddItem(const std::string& item) {
    if (hwnd_ && kind() == ControlKind::DropDownList)
        SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(item).c_str()));
}

int Control::ListIndex() const {
    if (!hwnd_ || kind() != ControlKind::DropDownList)
        return -1;
    const LRESULT i = SendMessageW(hwnd_, CB_GETCURSEL, 0, 0);
    return i == CB_ERR ? -1 : static_cast<int>(i);
}

void Control::SetListIndex(int index) {
    if (index < -1 || index >= ListCount() || index == ListIndex())
        return;
    SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    form_->RaiseEvent(*this, ControlEvent::Click);
}

void Control::SetToolTipText(const std::string& text) {
    toolTip_ = text;
    form_->UpdateToolTip(*this);
}

void Control::SetTimerEnabled(bool enabled) {
    timerEnabled_ = enabled;
    ApplyTimer();
}

void Control::SetInterval(int milliseconds) {
    interval_ = milliseconds;
    ApplyTimer();
}

void Control::ApplyTimer() {
    HWND owner = form_->hwnd();
    if (!owner || !timerId_)
        return;
    KillTimer(owner, timerId_);
    // An interval of 0 never fires (the platform would take it as its shortest period).
    if (timerEnabled_ && interval_ > 0)
        SetTimer(owner, timerId_, static_cast<UINT>(interval_), nullptr);
}

// ---- Form ----

Form::Form(const FormDesign& design) : design_(design), gdi_(std::make_unique<GdiResources>()) {
    controls_.reserve(design.controls.size());
    for (const ControlDesign& c : design.controls) controls_.emplace_back(*this, c);
}

Form::~Form() {
    // The controls' subclass data points into this object: destroy the windows first, with no
    // handler of the derived form (already destroyed) called on the way.
    raisesEvents_ = false;
    if (hwnd())
        DestroyWindow(hwnd());
}

Control& Form::Get(const std::string& name, int index) {
    for (Control& c : controls_)
        if (c.name() == name && c.index() == index)
            return c;
    throw std::logic_error("no control " + name);
}

void Form::On(const std::string& name, ControlEvent event, const Control::Handler& handler) {
    for (Control& c : controls_)
        if (c.name() == name)
            c.On(event, handler);
}

Control* Form::FindByHwnd(HWND hwnd) {
    if (!hwnd)
        return nullptr;
    for (Control& c : controls_)
        if (c.hwnd_ == hwnd)
            return &c;
    return nullptr;
}

bool Form::CreateForm(const wchar_t* className, DWORD style, HWND owner) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&icc);

    dpi_ = SystemDpi();
    const SIZE outer =
        OuterSizeForClient(TwipsToPixels(design_.clientWidth, dpi_),
                           TwipsToPixels(design_.clientHeight, dpi_), style, 0, dpi_);
    const int x = (GetSystemMetrics(SM_CXSCREEN) - outer.cx) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - outer.cy) / 2;
    if (!CreateTopLevel(className, Widen(design_.caption).c_str(), style, 0, x, y, outer.cx,
                        outer.cy, owner))
        return false;

    const int windowDpi = WindowDpi(hwnd());
    if (windowDpi != dpi_) {
        dpi_ = windowDpi;
        const SIZE s =
            OuterSizeForClient(TwipsToPixels(design_.clientWidth, dpi_),
                               TwipsToPixels(design_.clientHeight, dpi_), style, 0, dpi_);
        SetWindowPos(hwnd(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - s.cx) / 2,
                     (GetSystemMetrics(SM_CYSCREEN) - s.cy) / 2, s.cx, s.cy,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    CreateControls();
    ApplyFonts();
    ApplyLayout();
    return true;
}

void Form::CreateControls() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    toolTip_ =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                        WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr, instance, nullptr);
    gdi_->brushes.clear();
    gdi_->brushes.resize(controls_.size());
    UINT_PTR nextTimerId = 1;
    for (size_t i = 0; i < controls_.size(); ++i) {
        Control& c = controls_[i];
        const ControlDesign& d = c.design();
        if (d.kind == ControlKind::Timer) {
            c.timerId_ = nextTimerId++;
            c.ApplyTimer();
            continue;
        }
        const ControlKindFacts& facts = FactsOf(d.kind);
        DWORD style = WS_CHILD | facts.style;
        if (d.kind == ControlKind::TextBox && d.multiLine)
            style = (style & ~ES_AUTOHSCROLL) | ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL;
        if (d.kind == ControlKind::TextBox && d.locked)
            style |= ES_READONLY;
        if (d.visible)
            style |= WS_VISIBLE;
        if (!d.enabled)
            style |= WS_DISABLED;
        DWORD exStyle = facts.exStyle;
        if (d.acceptsFiles)
            exStyle |= WS_EX_ACCEPTFILES;
        c.hwnd_ = CreateWindowExW(
            exStyle, facts.windowClass, Widen(d.caption).c_str(), style, 0, 0, 1, 1, hwnd(),
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(d))), instance, nullptr);
        if (!c.hwnd_)
            continue;
        SetWindowSubclass(c.hwnd_, &Form::ControlSubclassProc, 1, reinterpret_cast<DWORD_PTR>(&c));
        if (d.kind == ControlKind::CheckBox || d.kind == ControlKind::OptionButton)
            SendMessageW(c.hwnd_, BM_SETCHECK, static_cast<WPARAM>(d.value), 0);
        if (d.backColor != kDefaultColor)
            gdi_->brushes[i].reset(CreateSolidBrush(d.backColor));
        if (toolTip_) {
            TTTOOLINFOW info{};
            info.cbSize = sizeof(info);
            info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
            info.hwnd = hwnd();
            info.uId = reinterpret_cast<UINT_PTR>(c.hwnd_);
            std::wstring text = Widen(c.toolTip_);
            info.lpszText = text.data();
            SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
        }
    }
}

void Form::UpdateToolTip(const Control& control) {
    if (!toolTip_ || !control.hwnd_)
        return;
    TTTOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.hwnd = hwnd();
    info.uId = reinterpret_cast<UINT_PTR>(control.hwnd_);
    std::wstring text = Widen(control.toolTip_);
    info.lpszText = text.data();
    SendMessageW(toolTip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

void Form::ApplyFonts() {
    std::vector<UniqueFont> fonts(controls_.size());
    for (size_t i = 0; i < controls_.size(); ++i) {
        Control& c = controls_[i];
        if (!c.hwnd_)
            continue;
        fonts[i] = CreateFontFor(c.design(), dpi_);
        SendMessageW(c.hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts[i].get()), TRUE);
    }
    // The old fonts are released only once no control uses them any more.
    gdi_->fonts = std::move(fonts);
}

void Form::ApplyLayout() {
    for (Control& c : controls_) {
        if (!c.hwnd_)
            continue;
        const PixelRect r = ResolvePixelRect(design_, c.design(), dpi_);
        int height = r.height;
        if (c.kind() == ControlKind::DropDownList) {
            const LRESULT item = SendMessageW(c.hwnd_, CB_GETITEMHEIGHT, 0, 0);
            height += kDropDownListRows * (item > 0 ? static_cast<int>(item) : r.height);
        }
        SetWindowPos(c.hwnd_, nullptr, r.left, r.top, r.width, height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

LRESULT Form::OnCtlColor(HDC dc, HWND child) {
    Control* c = FindByHwnd(child);
    if (c && c->design().foreColor != kDefaultColor)
        SetTextColor(dc, c->design().foreColor);
    if (c && c->design().backColor != kDefaultColor) {
        SetBkColor(dc, c->design().backColor);
        return reinterpret_cast<LRESULT>(
            gdi_->brushes[static_cast<size_t>(c - controls_.data())].get());
    }
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void Form::RaiseEvent(Control& control, ControlEvent event, LPARAM param) {
    if (!raisesEvents_)
        return;
    OnControlEvent(control, event, param);
    if (const Control::Handler* handler = control.HandlerFor(event)) {
        // A copy: the handler may attach another in its place while it runs.
        const Control::Handler run = *handler;
        run(control, param);
    }
}

void Form::OnCommand(int id, int code) {
    Control* target = nullptr;
    for (Control& c : controls_)
        if (c.hwnd_ && ControlId(c.design()) == id)
            target = &c;
    if (!target)
        return;
    const ControlKindFacts& facts = FactsOf(target->kind());
    if (facts.notification == kNoNotification || code != facts.notification)
        return;
    // A click on an option that is not selected selects it, which raises its Click.
    if (target->kind() == ControlKind::OptionButton && target->Value() != BST_CHECKED)
        target->SetValue(1);
    else
        RaiseEvent(*target, facts.event);
}

LRESULT Form::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND:
            if (lp) {
                OnCommand(LOWORD(wp), HIWORD(wp));
                return 0;
            }
            break;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return OnCtlColor(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
        case WM_TIMER:
            for (Control& c : controls_) {
                if (c.timerId_ == wp && c.kind() == ControlKind::Timer) {
                    RaiseEvent(c, ControlEvent::Timer);
                    return 0;
                }
            }
            break;
        case WM_DPICHANGED: {
            dpi_ = HIWORD(wp);
            ApplyFonts();
            ApplyLayout();
            const RECT* r = reinterpret_cast<const RECT*>(lp);
            SetWindowPos(hwnd(), nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        default:
            break;
    }
    return DefaultHandling(msg, wp, lp);
}

LRESULT CALLBACK Form::ControlSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                           DWORD_PTR refData) {
    Control& c = *reinterpret_cast<Control*>(refData);
    switch (msg) {
        case WM_KILLFOCUS: {
            const LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
            c.form_->RaiseEvent(c, ControlEvent::LostFocus);
            return r;
        }
        case WM_LBUTTONDBLCLK: {
            const LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
            c.form_->RaiseEvent(c, ControlEvent::DoubleClick);
            return r;
        }
        case WM_KEYUP: {
            const LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
            c.form_->RaiseEvent(c, ControlEvent::KeyUp, static_cast<LPARAM>(wp));
            return r;
        }
        case WM_RBUTTONUP: {
            const LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
            c.form_->RaiseEvent(c, ControlEvent::RightButtonUp);
            return r;
        }
        case WM_DROPFILES:
            c.form_->RaiseEvent(c, ControlEvent::FilesDropped, static_cast<LPARAM>(wp));
            DragFinish(reinterpret_cast<HDROP>(wp));
            return 0;
        case WM_NCDESTROY:
            RemoveWindowSubclass(hwnd, &Form::ControlSubclassProc, id);
            c.hwnd_ = nullptr;
            break;
        default:
            break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace vellum::ui
