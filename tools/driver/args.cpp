// Command-line parsing of the driver.
#include "driver.h"

#include <cerrno>
#include <cwchar>

#include "platform/utf16.h"
#include "tool_text.h"

namespace driver {

Args::Args(int argc, wchar_t** argv, int first) {
    for (int i = first; i < argc; ++i) {
        std::wstring word = argv[i];
        if (word.size() > 2 && word.compare(0, 2, L"--") == 0) {
            const size_t eq = word.find(L'=');
            if (eq == std::wstring::npos) {
                options_.emplace(word.substr(2), L"");
            } else {
                options_.emplace(word.substr(2, eq - 2), word.substr(eq + 1));
            }
        } else {
            positional_.push_back(word);
        }
    }
}

std::wstring Args::Text(size_t index) const {
    if (index >= positional_.size()) {
        throw UsageError{L"missing argument " + std::to_wstring(index + 1)};
    }
    return DecodeText(positional_[index]);
}

long long Args::Number(size_t index) const {
    return ParseNumber(Text(index));
}

HWND Args::Window(size_t index) const {
    return ParseWindow(Text(index));
}

bool Args::Has(const std::wstring& name) const {
    return options_.count(name) != 0;
}

std::wstring Args::Option(const std::wstring& name, const std::wstring& fallback) const {
    const auto it = options_.find(name);
    return it == options_.end() ? fallback : DecodeText(it->second);
}

std::vector<std::wstring> Args::OptionList(const std::wstring& name) const {
    std::vector<std::wstring> values;
    const auto range = options_.equal_range(name);
    for (auto it = range.first; it != range.second; ++it) values.push_back(DecodeText(it->second));
    return values;
}

long long Args::OptionNumber(const std::wstring& name, long long fallback) const {
    return Has(name) ? ParseNumber(Option(name)) : fallback;
}

std::wstring DecodeText(const std::wstring& arg) {
    const std::optional<std::string> text = tools::DecodeTextArgument(arg);
    if (!text)
        throw UsageError{L"bad hex text in " + arg};
    return vellum::Widen(*text);
}

long long ParseNumber(const std::wstring& text) {
    if (text.empty())
        throw UsageError{L"empty number"};
    wchar_t* end = nullptr;
    errno = 0;
    const long long value = std::wcstoll(text.c_str(), &end, 0);
    if (errno != 0 || end == text.c_str() || *end != L'\0') {
        throw UsageError{L"not a number: " + text};
    }
    return value;
}

HWND ParseWindow(const std::wstring& text) {
    if (text == L"desktop")
        return GetDesktopWindow();
    const size_t slash = text.find(L'/');
    HWND hwnd = reinterpret_cast<HWND>(static_cast<INT_PTR>(ParseNumber(text.substr(0, slash))));
    if (slash != std::wstring::npos) {
        const int id = static_cast<int>(ParseNumber(text.substr(slash + 1)));
        HWND child = GetDlgItem(hwnd, id);
        if (child == nullptr) {
            throw UsageError{L"no control with ID " + std::to_wstring(id) + L" in " +
                             text.substr(0, slash)};
        }
        hwnd = child;
    }
    if (!IsWindow(hwnd))
        throw UsageError{L"not a window: " + text};
    return hwnd;
}

}  // namespace driver
