#include "settings/form_state.h"

#include <vector>

#include "platform/process.h"
#include "settings/form_state_rules.h"
#include "settings/ini_file.h"

namespace vellum {
namespace {

using ui::StoredState;

std::string BaseKey(const ui::Form& form, const ui::Control& control) {
    return ControlBaseKey(form.design().name, control.name(), control.index());
}

std::vector<std::string> ListItems(const ui::Control& list) {
    std::vector<std::string> items;
    const int count = list.ListCount();
    for (int i = 0; i < count; ++i) items.push_back(list.List(i));
    return items;
}

void LoadList(ui::Control& list, const std::string& path, const std::string& section,
              const std::string& key) {
    const std::vector<std::string> items =
        SplitListItems(ReadIniValueIfPresent(path, section, key + "List").value_or(""));
    list.ClearList();
    for (const std::string& item : items) list.AddItem(item);
    if (const std::optional<std::string> text = ReadIniValueIfPresent(path, section, key))
        list.SetText(*text);
    if (const std::optional<int> index =
            ParseListIndex(ReadIniValueIfPresent(path, section, key + "Index").value_or("-1")))
        list.SetListIndex(*index);
}

}  // namespace

std::string ControlIndexSuffix(const ui::Control& control) {
    return vellum::ControlIndexSuffix(control.index());
}

std::vector<IniEntry> FormStateEntries(const ui::Form& form) {
    std::vector<IniEntry> entries;
    for (const ui::Control& control : form.controls()) {
        const std::string key = BaseKey(form, control);
        switch (ui::FactsOf(control.kind()).stored) {
            case StoredState::Text:
                entries.push_back({key, control.Text()});
                break;
            case StoredState::List:
                entries.push_back({key + "List", JoinListItems(ListItems(control))});
                entries.push_back({key, control.Text()});
                entries.push_back({key + "Index", std::to_string(control.ListIndex())});
                break;
            case StoredState::Check:
                entries.push_back({key, CheckStateText(control.Value())});
                break;
            case StoredState::Option:
                entries.push_back({key, OptionStateText(control.Value() != 0)});
                break;
            case StoredState::None:
                break;
        }
    }
    return entries;
}

bool WriteFormStateEntries(const std::string& iniPath, const std::vector<IniEntry>& entries) {
    const std::string section = SettingsApplicationName();
    return ReplaceIniFile(iniPath, [&](const std::string& copy) {
        for (const IniEntry& entry : entries)
            if (!StoreIniValue(copy, section, entry.key, entry.value))
                return false;
        return true;
    });
}

bool SaveFormState(ui::Form& form, std::string& iniPath) {
    if (iniPath.empty())
        iniPath = DefaultIniPath();
    return WriteFormStateEntries(iniPath, FormStateEntries(form));
}

void LoadFormState(ui::Form& form, std::string& iniPath) {
    if (iniPath.empty())
        iniPath = DefaultIniPath();
    const std::string section = SettingsApplicationName();
    for (ui::Control& control : form.controls()) {
        const std::string key = BaseKey(form, control);
        switch (ui::FactsOf(control.kind()).stored) {
            case StoredState::Text: {
                const std::optional<std::string> stored =
                    ReadIniValueIfPresent(iniPath, section, key);
                if (stored && *stored != control.Text())
                    control.SetText(*stored);
                break;
            }
            case StoredState::List:
                LoadList(control, iniPath, section, key);
                break;
            case StoredState::Check:
                if (const std::optional<std::string> stored =
                        ReadIniValueIfPresent(iniPath, section, key))
                    if (const std::optional<int> state = ParseCheckState(*stored))
                        control.SetValue(*state);
                break;
            case StoredState::Option:
                if (const std::optional<std::string> stored =
                        ReadIniValueIfPresent(iniPath, section, key))
                    if (const std::optional<bool> selected = ParseOptionState(*stored))
                        control.SetValue(*selected ? 1 : 0);
                break;
            case StoredState::None:
                break;
        }
    }
}

}  // namespace vellum
