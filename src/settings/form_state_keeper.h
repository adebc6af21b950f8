#pragma once
// Keeps one window's control states in Settings.ini over a run: restored at start, written soon
// after the user changes them and at the end, and never replaced by defaults when the file could
// not be read at start.
#include <string>
#include <vector>

#include "settings/form_state_rules.h"
#include "ui/form.h"

namespace vellum {

class FormStateKeeper {
  public:
    // How long a file held by another program (a backup or virus scanner at logon) is waited for.
    static constexpr int kReadTries = 20;
    static constexpr int kReadRetryMs = 100;

    // An empty path means Settings.ini beside the executable.
    explicit FormStateKeeper(ui::Form& form, std::string iniPath = "");

    // Restores the controls from the file. When the file stays unreadable, the controls keep
    // their states, and every later save writes only what the user changed from them, so that
    // the settings in the file survive the run.
    void Load(int tries = kReadTries, int retryMs = kReadRetryMs);
    // The states once the window has finished loading: what the saves compare with.
    void MarkLoaded();
    // Writes the states when they differ from those last written or loaded. Returns false when a
    // needed write failed (it is tried again at the next save).
    bool SaveChanges();
    // Writes the states at the end of the run (all of them, unless the file was unreadable).
    bool SaveAll();

    bool FileWasUnreadable() const { return unreadable_; }
    const std::string& path() const { return path_; }

  private:
    bool Write(const std::vector<IniEntry>& now, bool all);

    ui::Form& form_;
    std::string path_;
    bool unreadable_ = false;
    std::vector<IniEntry> loaded_;   // the states once loaded
    std::vector<IniEntry> written_;  // the states last written, or loaded
};

}  // namespace vellum
