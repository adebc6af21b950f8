#pragma once
// The About window: the program's name, version and description, the maker's contact lines and
// a button that opens the system's own About dialog. Shown modally over the main window.
#include <windows.h>

#include <functional>
#include <string>

#include "ui/form.h"

namespace vellum {

// What the box does to the world outside itself; the platform's calls unless replaced.
struct AboutBoxActions {
    std::function<void()> beep;
    std::function<void(const std::string& commandLine, int showCommand)> startCommand;
    std::function<void(HWND owner, const std::string& application, const std::string& extra,
                       HICON icon)>
        systemAbout;

    static AboutBoxActions Platform();
};

class AboutBox : public ui::Form {
  public:
    explicit AboutBox(AboutBoxActions actions = AboutBoxActions::Platform());
    ~AboutBox() override;

    // Creates the window (hidden), owned by the given window, and runs the loading steps.
    bool Create(HWND owner);
    // Shows the box with its owner disabled and returns once the box is closed. A quit message
    // that arrives meanwhile closes the box and is posted again for the caller's loop.
    void ShowModal();
    // Closes the box: the owner is enabled again first, so that it is the window activated.
    void Close();

    bool IsOpen() const { return hwnd() != nullptr; }

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnControlEvent(ui::Control& control, ui::ControlEvent event, LPARAM param) override;

  private:
    void Load();
    void EnableOwner();
    // What the links and the button do, attached where the box is built.
    void AttachHandlers();

    AboutBoxActions actions_;
    std::string exeBaseName_;
    HWND owner_ = nullptr;
    bool ownerDisabled_ = false;
};

// Opens a fresh About box modally over the owner (the main window) and returns once it is
// closed; each opening runs the loading steps again.
void ShowAboutBox(HWND owner, AboutBoxActions actions = AboutBoxActions::Platform());

}  // namespace vellum
