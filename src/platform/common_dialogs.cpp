#include "platform/common_dialogs.h"

#include <cderr.h>
#include <commdlg.h>
#include <ole2.h>
#include <shlobj.h>

#include <algorithm>
#include <optional>

#include "platform/scoped_win.h"
#include "platform/utf16.h"

namespace vellum {

namespace {

DialogMemory& Memory() {
    static DialogMemory memory;
    return memory;
}

// The running folder dialog: the folder it selects when it opens, and the path of its current
// selection (both read by BrowseCallback).
struct BrowseState {
    std::wstring initialFolder;
    std::wstring selection;
};

BrowseState& Browse() {
    static BrowseState state;
    return state;
}

// The same folder, whatever the case of its letters and a trailing backslash.
bool SameFolder(std::wstring a, std::wstring b) {
    for (std::wstring* path : {&a, &b}) {
        if (!path->empty() && path->back() == L'\\')
            path->pop_back();
    }
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::optional<std::wstring> PathOfItem(PCIDLIST_ABSOLUTE item) {
    // Deep folders pass MAX_PATH: room for the longest path the platform knows.
    constexpr DWORD kLongestPath = 32768;
    std::wstring path(kLongestPath, L'\0');
    if (!item || !SHGetPathFromIDListEx(item, path.data(), kLongestPath, GPFIDL_DEFAULT))
        return std::nullopt;
    path.resize(wcslen(path.c_str()));
    return path;
}

std::string CurrentDirectory() {
    std::wstring folder(GetCurrentDirectoryW(0, nullptr), L'\0');
    const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
    folder.resize(length < folder.size() ? length : 0);
    return Narrow(folder);
}

const wchar_t* OrNull(const std::wstring& text) {
    return text.empty() ? nullptr : text.c_str();
}

std::string RunFileDialog(int mode, std::string& filter, const std::string& title,
                          const std::string& defaultExtension, size_t bufferLength) {
    DialogMemory& memory = Memory();
    HWND owner = GetForegroundWindow();
    const std::string dialogFilter = DialogFilter(filter);
    const std::wstring initialFolder = Widen(PrepareFileDialog(memory));
    if (!IsFileDialogMode(mode))
        return {};

    // The buffer starts with the remembered path and is NUL after it.
    bufferLength = std::max<size_t>(bufferLength, 2);
    std::wstring buffer(bufferLength, L'\0');
    const std::wstring prefill = Widen(memory.lastFile);
    std::copy_n(prefill.begin(), std::min(prefill.size(), bufferLength - 1), buffer.begin());
    std::wstring fileTitle(2047, L'\0');  // asked for, never read
    const std::wstring wideFilter = Widen(dialogFilter);
    const std::wstring wideTitle = Widen(title);
    const std::wstring wideExtension = Widen(defaultExtension);

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.hInstance = GetModuleHandleW(nullptr);
    ofn.lpstrFilter = wideFilter.c_str();
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(std::min<size_t>(bufferLength, MAXDWORD));
    ofn.lpstrFileTitle = fileTitle.data();
    ofn.nMaxFileTitle = static_cast<DWORD>(fileTitle.size());
    ofn.lpstrInitialDir = OrNull(initialFolder);
    ofn.lpstrTitle = OrNull(wideTitle);
    ofn.Flags = FileDialogFlags(mode);
    ofn.lpstrDefExt = OrNull(wideExtension);

    const bool chosen = mode == kSaveFileMode ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    if (mode != kOpenFilesMode)
        return FinishSingleFileDialog(memory, chosen, Narrow(buffer));

    const std::string list = Narrow(buffer);
    const MultiSelectionEnd end =
        ClassifyMultiSelection(chosen, CommDlgExtendedError() == FNERR_BUFFERTOOSMALL, list);
    if (end == MultiSelectionEnd::TooManyFiles) {
        MessageBoxW(GetActiveWindow(), Widen(kTooManyFilesMessage).c_str(),
                    Widen(kDialogCaption).c_str(), MB_OK | MB_ICONERROR);
    }
    return FinishMultiFileDialog(memory, end, list);
}

}  // namespace

const std::string& LastDialogFile() {
    return Memory().lastFile;
}

void SetLastDialogFile(const std::string& path) {
    Memory().lastFile = path;
}

const std::string& LastDialogFolder() {
    return Memory().lastFolder;
}

void SetLastDialogFolder(const std::string& folder) {
    Memory().lastFolder = folder;
}

uint32_t LastPickedColor() {
    return Memory().lastColor;
}

void SetLastPickedColor(uint32_t color) {
    Memory().lastColor = color;
}

std::string ShowFileDialog(int mode, std::string& filter, const std::string& title,
                           const std::string& defaultExtension, size_t bufferLength) {
    try {
        return RunFileDialog(mode, filter, title, defaultExtension, bufferLength);
    } catch (const std::exception&) {
        return {};  // any failure inside ends the call with the empty text
    }
}

std::string ShowFileDialog(int mode, const std::string& filter, const std::string& title,
                           const std::string& defaultExtension, size_t bufferLength) {
    std::string copy = filter;
    return ShowFileDialog(mode, copy, title, defaultExtension, bufferLength);
}

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM param, LPARAM /*data*/) {
    switch (message) {
        case BFFM_INITIALIZED: {
            // Wine's dialog does not always find a folder on the first request when the folder
            // above it has just changed; a second request does. The selection is reported
            // (BFFM_SELCHANGED) while the request is handled.
            const BrowseState& state = Browse();
            for (int attempt = 0; attempt < 2; ++attempt) {
                if (attempt > 0 && SameFolder(state.selection, state.initialFolder))
                    break;
                SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE,
                             reinterpret_cast<LPARAM>(state.initialFolder.c_str()));
            }
            break;
        }
        case BFFM_SELCHANGED: {
            const auto path = PathOfItem(reinterpret_cast<PCIDLIST_ABSOLUTE>(param));
            Browse().selection = path.value_or(std::wstring());
            if (path) {
                SendMessageW(dialog, BFFM_SETSTATUSTEXTW, 0,
                             reinterpret_cast<LPARAM>(path->c_str()));
            }
            break;
        }
        default:
            break;
    }
    return 0;
}

std::string BrowseForFolder(std::string& initialFolder, HWND owner, const std::string& title,
                            bool includeFiles) {
    DialogMemory& memory = Memory();
    Browse() = BrowseState{
        Widen(InitialBrowseFolder(initialFolder, memory.lastFolder, CurrentDirectory())), {}};
    if (!owner)
        owner = GetActiveWindow();

    // The folder dialog's resizable style needs OLE on the calling thread, apartment-threaded.
    const ScopedOleInit ole;
    const std::wstring wideTitle = Widen(title);
    wchar_t displayName[MAX_PATH] = {};
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.pidlRoot = nullptr;  // the desktop
    info.pszDisplayName = displayName;
    info.lpszTitle = wideTitle.c_str();
    info.ulFlags = FolderDialogFlags(includeFiles);
    info.lpfn = BrowseCallback;

    std::optional<std::string> chosen;
    if (PIDLIST_ABSOLUTE items = SHBrowseForFolderW(&info)) {
        const UniqueCoTaskMemory<PIDLIST_ABSOLUTE> list(items);
        chosen = Narrow(PathOfItem(list.get()).value_or(std::wstring()));
    }
    return FinishFolderDialog(memory, initialFolder, chosen);
}

std::string BrowseForFolder(const std::string& initialFolder, HWND owner, const std::string& title,
                            bool includeFiles) {
    std::string copy = initialFolder;
    return BrowseForFolder(copy, owner, title, includeFiles);
}

uint32_t PickColor(HWND owner) {
    DialogMemory& memory = Memory();
    COLORREF custom[16] = {};  // black, and forgotten after each call
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = owner ? owner : GetActiveWindow();
    cc.rgbResult = memory.lastColor;
    cc.lpCustColors = custom;
    cc.Flags = CC_RGBINIT | CC_FULLOPEN;
    const bool confirmed = ChooseColorW(&cc);
    return FinishColorDialog(memory, confirmed, cc.rgbResult);
}

}  // namespace vellum
