#include "settings/form_state_keeper.h"

#include <windows.h>

#include "settings/form_state.h"
#include "settings/ini_file.h"

namespace vellum {

FormStateKeeper::FormStateKeeper(ui::Form& form, std::string iniPath)
    : form_(form), path_(iniPath.empty() ? DefaultIniPath() : std::move(iniPath)) {}

void FormStateKeeper::Load(int tries, int retryMs) {
    IniFileState state = ProbeIniFile(path_);
    for (int attempt = 1; state == IniFileState::Unreadable && attempt < tries; ++attempt) {
        Sleep(static_cast<DWORD>(retryMs));
        state = ProbeIniFile(path_);
    }
    unreadable_ = state == IniFileState::Unreadable;
    if (!unreadable_)
        LoadFormState(form_, path_);
}

void FormStateKeeper::MarkLoaded() {
    loaded_ = FormStateEntries(form_);
    written_ = loaded_;
}

bool FormStateKeeper::SaveChanges() {
    const std::vector<IniEntry> now = FormStateEntries(form_);
    if (now == written_)
        return true;
    return Write(now, /*all=*/!unreadable_);
}

bool FormStateKeeper::SaveAll() {
    return Write(FormStateEntries(form_), /*all=*/!unreadable_);
}

bool FormStateKeeper::Write(const std::vector<IniEntry>& now, bool all) {
    // After an unreadable start the file's own values stand wherever the user changed nothing.
    const std::vector<IniEntry> entries = all ? now : ChangedEntries(loaded_, now);
    if (entries.empty())
        return true;
    if (!WriteFormStateEntries(path_, entries))
        return false;
    written_ = now;
    return true;
}

}  // namespace vellum
