#include "settings/form_state.h"

#include <vector>

#include "app/main_window_rules.h"
#include "platform/process.h"
#include "settings/form_state_rules.h"
#include "settings/ini_file.h"

namespace vellum {
namespace {

using ui::ControlKind;

std::string SectionOfThisProgram() {
    return ApplicationName(ExeBaseName(ExecutablePath()));
}

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
        SplitListItems(ReadIniValue(path, section, key + "List", ""));
    list.ClearList();
    for (const std::string& item : items) list.AddItem(item);
    list.SetText(ReadIniValue(path, section, key, list.Text()));
    if (const std::optional<int> index =
            ParseListIndex(ReadIniValue(path, section, key + "Index", "-1")))
        list.SetListIndex(*index);
}

}  // namespace

std::string ControlIndexSuffix(const ui::Control& control) {
    return vellum::ControlIndexSuffix(control.index());
}

void SaveFormState(ui::Form& form, std::string& iniPath) {
    if (iniPath.empty())
        iniPath = DefaultIniPath();
    const std::string section = SectionOfThisProgram();
    for (const ui::Control& control : form.controls()) {
        const std::string key = BaseKey(form, control);
        switch (control.kind()) {
            case ControlKind::TextBox:
                WriteIniValue(iniPath, section, key, control.Text(), false);
                break;
            case ControlKind::DropDownList:
                WriteIniValue(iniPath, section, key + "List", JoinListItems(ListItems(control)),
                              false);
                WriteIniValue(iniPath, section, key, control.Text(), false);
                WriteIniValue(iniPath, section, key + "Index", std::to_string(control.ListIndex()),
                              false);
                break;
            case ControlKind::CheckBox:
                WriteIniValue(iniPath, section, key, CheckStateText(control.Value()), false);
                break;
            case ControlKind::OptionButton:
                WriteIniValue(iniPath, section, key, OptionStateText(control.Value() != 0), false);
                break;
            case ControlKind::PushButton:
            case ControlKind::Label:
            case ControlKind::GroupBox:
            case ControlKind::Timer:
            case ControlKind::Image:
                break;
        }
    }
}

void LoadFormState(ui::Form& form, std::string& iniPath) {
    if (iniPath.empty())
        iniPath = DefaultIniPath();
    const std::string section = SectionOfThisProgram();
    for (ui::Control& control : form.controls()) {
        const std::string key = BaseKey(form, control);
        switch (control.kind()) {
            case ControlKind::TextBox: {
                const std::string current = control.Text();
                const std::string stored = ReadIniValue(iniPath, section, key, current);
                if (stored != current)
                    control.SetText(stored);
                break;
            }
            case ControlKind::DropDownList:
                LoadList(control, iniPath, section, key);
                break;
            case ControlKind::CheckBox:
                if (const std::optional<int> state = ParseCheckState(
                        ReadIniValue(iniPath, section, key, CheckStateText(control.Value()))))
                    control.SetValue(*state);
                break;
            case ControlKind::OptionButton:
                if (const std::optional<bool> selected = ParseOptionState(
                        ReadIniValue(iniPath, section, key, OptionStateText(control.Value() != 0))))
                    control.SetValue(*selected ? 1 : 0);
                break;
            case ControlKind::PushButton:
            case ControlKind::Label:
            case ControlKind::GroupBox:
            case ControlKind::Timer:
            case ControlKind::Image:
                break;
        }
    }
}

}  // namespace vellum
