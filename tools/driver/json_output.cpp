// JSON lines on stdout, UTF-8 whatever the console code page.
#include "driver.h"

#include "platform/utf16.h"
#include "tool_text.h"

namespace driver {

std::string JsonString(const std::wstring& value) {
    return tools::JsonQuote(vellum::Narrow(value));
}

void JsonLine::Key(const char* key) {
    if (!body_.empty())
        body_ += ",";
    body_ += "\"";
    body_ += key;
    body_ += "\":";
}

JsonLine& JsonLine::Str(const char* key, const std::wstring& value) {
    Key(key);
    body_ += JsonString(value);
    return *this;
}

JsonLine& JsonLine::Int(const char* key, long long value) {
    Key(key);
    body_ += std::to_string(value);
    return *this;
}

JsonLine& JsonLine::Bool(const char* key, bool value) {
    Key(key);
    body_ += value ? "true" : "false";
    return *this;
}

JsonLine& JsonLine::Handle(const char* key, const void* handle) {
    return Int(key, static_cast<long long>(reinterpret_cast<INT_PTR>(handle)));
}

JsonLine& JsonLine::Rect(const char* key, const RECT& rect) {
    Key(key);
    body_ += "[" + std::to_string(rect.left) + "," + std::to_string(rect.top) + "," +
             std::to_string(rect.right) + "," + std::to_string(rect.bottom) + "]";
    return *this;
}

JsonLine& JsonLine::StrList(const char* key, const std::vector<std::wstring>& values) {
    Key(key);
    body_ += "[";
    for (size_t i = 0; i < values.size(); ++i) {
        if (i)
            body_ += ",";
        body_ += JsonString(values[i]);
    }
    body_ += "]";
    return *this;
}

JsonLine& JsonLine::Raw(const char* key, const std::string& json) {
    Key(key);
    body_ += json;
    return *this;
}

void JsonLine::Emit() const {
    WriteStdout(Text() + "\n");
}

void WriteStdout(const std::string& utf8) {
    // WriteFile, not the C runtime: no newline translation and no code-page conversion.
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD written = 0;
    WriteFile(out, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

void PrintError(const std::wstring& message) {
    const std::string line = "vellum_driver: " + vellum::Narrow(message) + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), line.data(), static_cast<DWORD>(line.size()),
              &written, nullptr);
}

}  // namespace driver
