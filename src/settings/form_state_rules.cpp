#include "settings/form_state_rules.h"

#include <cctype>
#include <climits>
#include <map>

namespace vellum {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string TrimBlanks(const std::string& text) {
    std::string::size_type begin = 0;
    std::string::size_type end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

// A whole decimal integer with an optional sign and surrounding blanks; nothing on overflow.
std::optional<long long> ParseInteger(const std::string& text) {
    const std::string t = TrimBlanks(text);
    std::string::size_type i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-'))
        negative = t[i++] == '-';
    if (i == t.size())
        return std::nullopt;
    long long value = 0;
    for (; i < t.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(t[i])))
            return std::nullopt;
        if (value > (LLONG_MAX - 9) / 10)
            return std::nullopt;
        value = value * 10 + (t[i] - '0');
    }
    return negative ? -value : value;
}

bool EqualsIgnoringCase(const std::string& a, const char* b) {
    std::string::size_type i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != b[i])
            return false;
    return i == a.size() && !b[i];
}

}  // namespace

std::string ControlIndexSuffix(int index) {
    return index >= 0 ? "-" + std::to_string(index) : std::string();
}

std::string ControlBaseKey(const std::string& formName, const std::string& controlName, int index) {
    return formName + "_" + controlName + ControlIndexSuffix(index);
}

std::string JoinListItems(const std::vector<std::string>& items) {
    std::string joined;
    for (const std::string& item : items) joined += "\t" + item;
    return joined.empty() ? joined : joined.substr(1);
}

std::vector<std::string> SplitListItems(const std::string& text) {
    std::vector<std::string> items;
    if (text.empty())
        return items;
    std::string::size_type start = 0;
    for (;;) {
        const std::string::size_type tab = text.find('\t', start);
        items.push_back(text.substr(start, tab - start));
        if (tab == std::string::npos)
            return items;
        start = tab + 1;
    }
}

std::string CheckStateText(int state) {
    return std::to_string(state);
}

std::string OptionStateText(bool selected) {
    return selected ? "True" : "False";
}

std::optional<int> ParseCheckState(const std::string& text) {
    const std::optional<long long> value = ParseInteger(text);
    if (!value || *value < 0 || *value > 2)
        return std::nullopt;
    return static_cast<int>(*value);
}

std::optional<bool> ParseOptionState(const std::string& text) {
    const std::string t = TrimBlanks(text);
    if (EqualsIgnoringCase(t, "true"))
        return true;
    if (EqualsIgnoringCase(t, "false"))
        return false;
    if (const std::optional<long long> value = ParseInteger(t))
        return *value != 0;
    return std::nullopt;
}

std::optional<int> ParseListIndex(const std::string& text) {
    const std::optional<long long> value = ParseInteger(text);
    if (!value || *value < -1 || *value > INT_MAX)
        return std::nullopt;
    return static_cast<int>(*value);
}

std::vector<IniEntry> ChangedEntries(const std::vector<IniEntry>& before,
                                     const std::vector<IniEntry>& now) {
    std::map<std::string, const std::string*> earlier;
    for (const IniEntry& entry : before) earlier[entry.key] = &entry.value;
    std::vector<IniEntry> changed;
    for (const IniEntry& entry : now) {
        const auto found = earlier.find(entry.key);
        if (found == earlier.end() || *found->second != entry.value)
            changed.push_back(entry);
    }
    return changed;
}

}  // namespace vellum
