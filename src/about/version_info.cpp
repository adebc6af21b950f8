#include "about/version_info.h"

#include <windows.h>

#include <vector>

#include "platform/system_library.h"
#include "platform/utf16.h"

namespace vellum {

namespace {

// version.dll is no KnownDLL: bound at run time from system32 only, never imported.
struct VersionApi {
    decltype(&GetFileVersionInfoSizeW) getInfoSize = nullptr;
    decltype(&GetFileVersionInfoW) getInfo = nullptr;
    decltype(&VerQueryValueW) queryValue = nullptr;
};

// Null when version.dll or one of its functions is missing.
const VersionApi* BindVersionApi() {
    static const UniqueModule library = LoadSystemLibrary(L"version.dll");
    static const VersionApi api{
        ModuleFunction<decltype(&GetFileVersionInfoSizeW)>(library, "GetFileVersionInfoSizeW"),
        ModuleFunction<decltype(&GetFileVersionInfoW)>(library, "GetFileVersionInfoW"),
        ModuleFunction<decltype(&VerQueryValueW)>(library, "VerQueryValueW")};
    return api.getInfoSize && api.getInfo && api.queryValue ? &api : nullptr;
}

struct Translation {
    WORD language;
    WORD codePage;
};

std::wstring StringValue(const VersionApi& api, const std::vector<BYTE>& data, const Translation& t,
                         const wchar_t* name, bool& found) {
    wchar_t block[16];
    wsprintfW(block, L"%04x%04x", t.language, t.codePage);
    const std::wstring path = std::wstring(L"\\StringFileInfo\\") + block + L"\\" + name;
    void* value = nullptr;
    UINT length = 0;
    found = api.queryValue(data.data(), path.c_str(), &value, &length) && value;
    if (!found)
        return {};
    // The length counts characters, the terminator included when there is one.
    const wchar_t* text = static_cast<const wchar_t*>(value);
    size_t n = 0;
    while (n < length && text[n] != L'\0') ++n;
    return std::wstring(text, n);
}

std::string FirstStringValue(const VersionApi& api, const std::vector<BYTE>& data,
                             const std::vector<Translation>& translations, const wchar_t* name) {
    for (const Translation& t : translations) {
        bool found = false;
        std::wstring value = StringValue(api, data, t, name, found);
        if (found)
            return Narrow(value);
    }
    return {};
}

}  // namespace

std::optional<VersionInfo> ReadVersionInfo(const std::string& path) {
    const VersionApi* api = BindVersionApi();
    if (!api)
        return std::nullopt;
    const std::wstring file = Widen(path);
    DWORD handle = 0;
    const DWORD size = api->getInfoSize(file.c_str(), &handle);
    if (size == 0)
        return std::nullopt;
    std::vector<BYTE> data(size);
    if (!api->getInfo(file.c_str(), 0, size, data.data()))
        return std::nullopt;

    VersionInfo info;
    void* fixed = nullptr;
    UINT fixedLength = 0;
    if (api->queryValue(data.data(), L"\\", &fixed, &fixedLength) && fixed &&
        fixedLength >= sizeof(VS_FIXEDFILEINFO)) {
        const auto* f = static_cast<const VS_FIXEDFILEINFO*>(fixed);
        info.major = HIWORD(f->dwFileVersionMS);
        info.minor = LOWORD(f->dwFileVersionMS);
        info.revision = HIWORD(f->dwFileVersionLS);
        info.build = LOWORD(f->dwFileVersionLS);
    }

    std::vector<Translation> translations;
    void* list = nullptr;
    UINT listLength = 0;
    if (api->queryValue(data.data(), L"\\VarFileInfo\\Translation", &list, &listLength) && list) {
        const auto* t = static_cast<const Translation*>(list);
        translations.assign(t, t + listLength / sizeof(Translation));
    }
    info.productName = FirstStringValue(*api, data, translations, L"ProductName");
    info.fileDescription = FirstStringValue(*api, data, translations, L"FileDescription");
    return info;
}

}  // namespace vellum
