#include "platform/dialog_rules.h"

#include <vector>

#include "base/path_utils.h"

namespace vellum {

namespace {

// The platform's flag values, written out so that this file stays free of the platform headers.
constexpr uint32_t kOfnHideReadOnly = 0x4;
constexpr uint32_t kOfnOverwritePrompt = 0x2;
constexpr uint32_t kOfnAllowMultiSelect = 0x200;
constexpr uint32_t kOfnFileMustExist = 0x1000;
constexpr uint32_t kOfnExplorer = 0x80000;
constexpr uint32_t kOfnLongNames = 0x200000;

constexpr uint32_t kBifReturnOnlyFsDirs = 0x1;
constexpr uint32_t kBifStatusText = 0x4;
constexpr uint32_t kBifEditBox = 0x10;
constexpr uint32_t kBifNewDialogStyle = 0x40;
constexpr uint32_t kBifBrowseIncludeFiles = 0x4000;

const char kNul = '\0';

std::vector<std::string> SplitAtNul(const std::string& text) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t nul = text.find(kNul, start);
        if (nul == std::string::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, nul - start));
        start = nul + 1;
    }
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

uint32_t FileDialogFlags(int mode) {
    switch (mode) {
        case kOpenFileMode:
            return kOfnLongNames | kOfnFileMustExist | kOfnHideReadOnly;
        case kOpenFilesMode:
            return kOfnLongNames | kOfnExplorer | kOfnAllowMultiSelect | kOfnHideReadOnly;
        case kSaveFileMode:
            return kOfnLongNames | kOfnHideReadOnly | kOfnOverwritePrompt;
        default:
            return 0;
    }
}

bool IsFileDialogMode(int mode) {
    return mode == kOpenFileMode || mode == kOpenFilesMode || mode == kSaveFileMode;
}

uint32_t FolderDialogFlags(bool includeFiles) {
    return kBifStatusText | kBifEditBox | kBifNewDialogStyle |
           (includeFiles ? kBifBrowseIncludeFiles : kBifReturnOnlyFsDirs);
}

std::string DialogFilter(std::string& filter) {
    if (filter == kDefaultFilterMarker)
        filter = kDefaultFilter;
    std::string out = filter;
    size_t parts = out.empty() ? 0 : 1;
    for (char& c : out) {
        if (c == '|') {
            c = kNul;
            ++parts;
        }
    }
    if (parts % 2 != 0)
        out += kNul;  // the missing pattern of the last label
    out += kNul;
    out += kNul;
    return out;
}

std::string SingleSelection(const std::string& buffer) {
    std::string path = buffer.substr(0, buffer.find(kNul));
    const size_t first = path.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    const size_t last = path.find_last_not_of(' ');
    return path.substr(first, last - first + 1);
}

std::string MultiSelectionText(const std::string& buffer) {
    const size_t pair = buffer.find(std::string(2, kNul));
    if (pair == std::string::npos)
        return {};
    std::string text = buffer.substr(0, pair + 1);
    if (text.find('\\') == std::string::npos)
        return {};
    return text;
}

MultiSelectionEnd ClassifyMultiSelection(bool dialogOk, bool bufferTooSmall,
                                         const std::string& buffer) {
    if (!dialogOk)
        return bufferTooSmall ? MultiSelectionEnd::TooManyFiles : MultiSelectionEnd::Cancelled;
    if (buffer.find(std::string(2, kNul)) == std::string::npos)
        return MultiSelectionEnd::TooManyFiles;
    return MultiSelectionEnd::Chosen;
}

std::string SplitMultiSelection(std::string& text) {
    if (EndsWith(text, std::string(2, kNul)))
        text.resize(text.size() - 2);
    if (EndsWith(text, std::string(1, kNul)))
        text.pop_back();

    const size_t firstNul = text.find(kNul);
    if (firstNul == std::string::npos)
        return FolderWithSeparator(text);  // one file, already a full path

    std::string folder = text.substr(0, firstNul);
    if (!EndsWith(folder, "\\"))
        folder += '\\';
    // Names that hold a backslash are paths already; the others are names in the folder.
    std::string joined;
    bool first = true;
    for (const std::string& name : SplitAtNul(text.substr(firstNul + 1))) {
        if (!first)
            joined += kNul;
        first = false;
        joined += name.find('\\') == std::string::npos ? folder + name : name;
    }
    text = joined;
    return folder;
}

std::string InitialBrowseFolder(const std::string& given, const std::string& lastFolder,
                                const std::string& currentDirectory) {
    if (!given.empty())
        return given;
    if (!lastFolder.empty())
        return lastFolder;
    return currentDirectory;
}

const std::string& PrepareFileDialog(DialogMemory& memory) {
    if (memory.lastFolder.empty())
        memory.lastFolder = FolderWithSeparator(memory.lastFile);
    return memory.lastFolder;
}

std::string FinishSingleFileDialog(DialogMemory& memory, bool chosen, const std::string& buffer) {
    // A cancelled dialog leaves its buffer as it was filled: with the remembered path.
    const std::string path = SingleSelection(chosen ? buffer : memory.lastFile);
    memory.lastFolder = GetParentPath(path);
    memory.lastFile = path;
    return path;
}

std::string FinishMultiFileDialog(DialogMemory& memory, MultiSelectionEnd end,
                                  const std::string& buffer) {
    std::string text =
        end == MultiSelectionEnd::Chosen ? MultiSelectionText(buffer) : std::string();
    memory.lastFolder = SplitMultiSelection(text);
    const size_t lastNul = text.rfind(kNul);
    memory.lastFile = lastNul == std::string::npos ? text : text.substr(lastNul + 1);
    return text;
}

std::string FinishFolderDialog(DialogMemory& memory, std::string& callerFolder,
                               const std::optional<std::string>& chosen) {
    const std::string folder = chosen ? WithoutTrailingBackslash(*chosen) : std::string();
    callerFolder = folder;
    memory.lastFolder = folder;
    return folder;
}

uint32_t FinishColorDialog(DialogMemory& memory, bool confirmed, uint32_t chosen) {
    if (confirmed)
        memory.lastColor = chosen;
    return memory.lastColor;
}

}  // namespace vellum
