#pragma once
// A top-level window with named, indexed controls created from a design table.
#include <windows.h>

#include <functional>
#include <memory>
#include <utility>
#include <string>
#include <vector>

#include "ui/control_design.h"
#include "ui/control_kinds.h"
#include "ui/window.h"

namespace vellum::ui {

class Form;

class Control {
  public:
    Control(Form& form, const ControlDesign& design);

    const ControlDesign& design() const { return *design_; }
    const std::string& name() const { return design_->name; }
    int index() const { return design_->index; }
    ControlKind kind() const { return design_->kind; }
    HWND hwnd() const { return hwnd_; }

    std::string Text() const;
    void SetText(const std::string& text);

    // Check box: 0 unchecked, 1 checked, 2 grey. Option button: 1 selected, 0 not.
    int Value() const;
    // Raises Click when the state changes, as a user's click would; selecting an option button
    // clears the other options of its array. The grey state is refused by a two-state box.
    void SetValue(int value);

    bool Enabled() const;
    void SetEnabled(bool enabled);
    bool Visible() const;
    void SetVisible(bool visible);
    void Focus();
    void SelectAllText();
    // Text boxes: the selection as start and end character positions.
    void GetSelection(int& start, int& end) const;

    // Images: the icon shown (not owned: the caller keeps it alive while it is shown).
    HICON Icon() const;
    void SetIcon(HICON icon);

    // Lists (drop-down list boxes).
    int ListCount() const;
    std::string List(int index) const;
    void ClearList();
    void AddItem(const std::string& item);
    int ListIndex() const;
    // Raises Click when the selection changes; an index outside the list changes nothing.
    void SetListIndex(int index);

    // Extra text a control carries for the program: its tooltip, and a free tag.
    const std::string& ToolTipText() const { return toolTip_; }
    void SetToolTipText(const std::string& text);
    const std::string& Tag() const { return tag_; }
    void SetTag(const std::string& tag) { tag_ = tag; }

    // Timers.
    bool TimerEnabled() const { return timerEnabled_; }
    void SetTimerEnabled(bool enabled);
    int Interval() const { return interval_; }
    void SetInterval(int milliseconds);

    // What runs when the control raises `event`, after the form's OnControlEvent. Attached
    // where the form is built; a second handler for the same event replaces the first.
    using Handler = std::function<void(Control& control, LPARAM param)>;
    void On(ControlEvent event, Handler handler);

  private:
    friend class Form;
    void ApplyTimer();
    const Handler* HandlerFor(ControlEvent event) const;

    Form* form_;
    const ControlDesign* design_;
    HWND hwnd_ = nullptr;
    std::string toolTip_;
    std::string tag_;
    bool timerEnabled_ = false;
    int interval_ = 0;
    UINT_PTR timerId_ = 0;
    std::vector<std::pair<ControlEvent, Handler>> handlers_;
};

class Form : public Window {
  public:
    explicit Form(const FormDesign& design);
    ~Form() override;

    const FormDesign& design() const { return design_; }
    // In control order: the order the design creates them in.
    std::vector<Control>& controls() { return controls_; }
    const std::vector<Control>& controls() const { return controls_; }
    // The control of that name (and array index); the design guarantees it exists.
    Control& Get(const std::string& name, int index = -1);
    Control* FindByHwnd(HWND hwnd);
    // Attaches a handler to the control of that name, to every element of a control array.
    void On(const std::string& name, ControlEvent event, const Control::Handler& handler);

    bool IsVisible() const { return hwnd() && IsWindowVisible(hwnd()); }
    int dpi() const { return dpi_; }

  protected:
    // Creates the window, hidden and centred on the primary display, with all its controls.
    bool CreateForm(const wchar_t* className, DWORD style, HWND owner);

    // Every event of every control, before the control's own handler: for what a form does
    // whatever changed.
    virtual void OnControlEvent(Control& /*control*/, ControlEvent /*event*/, LPARAM /*param*/) {}
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

    void RaiseEvent(Control& control, ControlEvent event, LPARAM param = 0);

  private:
    friend class Control;
    struct GdiResources;

    void CreateControls();
    void ApplyLayout();
    void ApplyFonts();
    void UpdateToolTip(const Control& control);
    LRESULT OnCtlColor(HDC dc, HWND child);
    void OnCommand(int id, int code);
    static LRESULT CALLBACK ControlSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                                                UINT_PTR id, DWORD_PTR refData);

    const FormDesign& design_;
    std::vector<Control> controls_;
    HWND toolTip_ = nullptr;
    int dpi_ = USER_DEFAULT_SCREEN_DPI;
    bool raisesEvents_ = true;  // off once the derived form is gone
    std::unique_ptr<GdiResources> gdi_;
};

}  // namespace vellum::ui
