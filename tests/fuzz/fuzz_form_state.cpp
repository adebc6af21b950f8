// The stored texts of the controls' states: each parser takes exactly the texts of its kind, a
// parsed state is written back as a text that parses to it again, list texts split and join
// without loss, and only entries that differ from the stored ones count as changed.
#include <fuzzer/FuzzedDataProvider.h>

#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "settings/form_state_rules.h"

namespace {

void Check(bool holds) {
    if (!holds)
        __builtin_trap();
}

std::string WithoutBlanks(const std::string& text) {
    const std::string::size_type begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return {};
    return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

// An integer as stored: blanks, an optional sign, decimal digits, blanks. Whether the text is
// one, and its value when that fits 18 digits (beyond, no state of any kind).
struct Integer {
    bool is = false;
    std::optional<long long> value;
};

Integer AsInteger(const std::string& text) {
    const std::string t = WithoutBlanks(text);
    const size_t digitsAt = !t.empty() && (t[0] == '+' || t[0] == '-') ? 1 : 0;
    if (t.size() == digitsAt || t.find_first_not_of("0123456789", digitsAt) != std::string::npos)
        return {};
    Integer integer{true, std::nullopt};
    const size_t significant = t.find_first_not_of('0', digitsAt);
    if (significant == std::string::npos || t.size() - significant <= 18) {
        errno = 0;
        integer.value = std::strtoll(t.c_str(), nullptr, 10);
        Check(errno == 0);
    }
    return integer;
}

bool IsWord(const std::string& text, const char* word) {
    const std::string t = WithoutBlanks(text);
    std::string lower;
    for (const char c : t) lower += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return lower == word;
}

void CheckParsers(const std::string& text) {
    const Integer integer = AsInteger(text);

    const std::optional<int> check = vellum::ParseCheckState(text);
    if (integer.value && *integer.value >= 0 && *integer.value <= 2)
        Check(check == *integer.value);
    else
        Check(!check);
    if (check)
        Check(vellum::ParseCheckState(vellum::CheckStateText(*check)) == check);

    const std::optional<int> index = vellum::ParseListIndex(text);
    if (integer.value && *integer.value >= -1 && *integer.value <= INT_MAX)
        Check(index == *integer.value);
    else
        Check(!index);
    if (index)
        Check(vellum::ParseListIndex(std::to_string(*index)) == index);

    const std::optional<bool> option = vellum::ParseOptionState(text);
    if (IsWord(text, "true"))
        Check(option == true);
    else if (IsWord(text, "false"))
        Check(option == false);
    else if (integer.value)
        Check(option == (*integer.value != 0));
    else if (integer.is)
        Check(option != false);  // too long to hold, but never zero: selected or left alone
    else
        Check(!option);
    if (option)
        Check(vellum::ParseOptionState(vellum::OptionStateText(*option)) == option);
}

size_t Tabs(const std::string& text) {
    size_t tabs = 0;
    for (const char c : text) tabs += c == '\t';
    return tabs;
}

void CheckListText(const std::string& text) {
    const std::vector<std::string> items = vellum::SplitListItems(text);
    Check(vellum::JoinListItems(items) == text);
    Check(items.size() == (text.empty() ? 0 : Tabs(text) + 1));
    for (const std::string& item : items) Check(item.find('\t') == std::string::npos);
}

void CheckListItems(FuzzedDataProvider& data) {
    std::vector<std::string> items(data.ConsumeIntegralInRange(0, 6));
    size_t tabs = 0;
    for (std::string& item : items) {
        item = data.ConsumeRandomLengthString(16);
        tabs += Tabs(item);
    }
    const std::string joined = vellum::JoinListItems(items);
    const std::vector<std::string> back = vellum::SplitListItems(joined);
    if (items.empty() || (items.size() == 1 && items[0].empty())) {
        Check(back.empty());
    } else {
        Check(back.size() == items.size() + tabs);
        if (tabs == 0)
            Check(back == items);
    }
}

void CheckWrittenStates(FuzzedDataProvider& data) {
    const int state = data.ConsumeIntegral<int>();
    const std::optional<int> check = vellum::ParseCheckState(vellum::CheckStateText(state));
    Check(state >= 0 && state <= 2 ? check == state : !check);
    const std::optional<int> index = vellum::ParseListIndex(std::to_string(state));
    Check(state >= -1 ? index == state : !index);
    Check(vellum::ParseOptionState(vellum::CheckStateText(state)) == (state != 0));
    const bool selected = data.ConsumeBool();
    Check(vellum::ParseOptionState(vellum::OptionStateText(selected)) == selected);

    const std::string suffix = vellum::ControlIndexSuffix(state);
    if (state < 0)
        Check(suffix.empty());
    else
        Check(suffix[0] == '-' && vellum::ParseListIndex(suffix.substr(1)) == state);
    const std::string form = data.ConsumeRandomLengthString(8);
    const std::string control = data.ConsumeRandomLengthString(8);
    Check(vellum::ControlBaseKey(form, control, state) == form + "_" + control + suffix);
}

// Entries with keys from a few letters, so that keys meet; each key once in a section.
std::vector<vellum::IniEntry> Section(FuzzedDataProvider& data) {
    std::vector<vellum::IniEntry> section;
    for (int n = data.ConsumeIntegralInRange(0, 5); n > 0; --n) {
        vellum::IniEntry entry{std::string(1, data.PickValueInArray({'a', 'b', 'c', 'd'})),
                               data.ConsumeRandomLengthString(4)};
        bool known = false;
        for (const vellum::IniEntry& other : section) known = known || other.key == entry.key;
        if (!known)
            section.push_back(entry);
    }
    return section;
}

void CheckChangedEntries(FuzzedDataProvider& data) {
    const std::vector<vellum::IniEntry> before = Section(data);
    const std::vector<vellum::IniEntry> now = Section(data);
    std::vector<vellum::IniEntry> expected;
    for (const vellum::IniEntry& entry : now) {
        bool same = false;
        for (const vellum::IniEntry& old : before) same = same || old == entry;
        if (!same)
            expected.push_back(entry);
    }
    Check(vellum::ChangedEntries(before, now) == expected);
    Check(vellum::ChangedEntries(now, now).empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const std::string text(reinterpret_cast<const char*>(bytes), size);
    CheckParsers(text);
    CheckListText(text);

    FuzzedDataProvider data(bytes, size);
    CheckWrittenStates(data);
    CheckListItems(data);
    CheckChangedEntries(data);
    return 0;
}
