// The multi-select file dialog's list turned into full paths: for any text the result is a list of
// non-empty paths separated by single NULs and the folder ends with a backslash; for a list built
// as the dialog builds it, the paths are exactly the folder's names.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/dialog_rules.h"

namespace {

void Check(bool holds) {
    if (!holds)
        __builtin_trap();
}

const char kNul = '\0';

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::vector<std::string> Parts(const std::string& text) {
    std::vector<std::string> parts(1);
    for (const char c : text) {
        if (c == kNul)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

bool HasBackslash(const std::string& text) {
    return text.find('\\') != std::string::npos;
}

std::string FolderOf(const std::string& path) {
    const std::string::size_type last = path.rfind('\\');
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

// Any text: the shape of the result.
void CheckAnyText(const std::string& raw) {
    std::string text = raw;
    const std::string folder = vellum::SplitMultiSelection(text);
    Check(folder.empty() || EndsWith(folder, "\\"));
    if (text.empty())
        return;
    const std::vector<std::string> paths = Parts(text);
    for (const std::string& path : paths) Check(!path.empty());
    if (paths.size() > 1) {
        Check(!folder.empty());
        for (const std::string& path : paths) Check(HasBackslash(path));
    } else {
        // One full path, ended by up to two NULs, stays as it is.
        const std::string::size_type end = raw.find_last_not_of(kNul);
        const std::string path = raw.substr(0, end + 1);
        if (path.find(kNul) == std::string::npos && raw.size() - path.size() <= 2)
            Check(text == path && folder == FolderOf(path));
    }
}

// A name in a list: no NUL, and not empty.
std::string Name(FuzzedDataProvider& data) {
    std::string name = data.ConsumeRandomLengthString(24);
    name.erase(std::remove(name.begin(), name.end(), kNul), name.end());
    return name.empty() ? std::string("x") : name;
}

// A list as the dialog leaves it: the folder and the names, or one full path, each ended by NUL,
// the list by one more (either NUL may be missing, as in a text already cut at its NUL pair).
void CheckBuiltList(FuzzedDataProvider& data) {
    const std::string folder = Name(data);
    std::vector<std::string> names(data.ConsumeIntegralInRange(0, 5));
    for (std::string& name : names) name = Name(data);
    std::string text = folder;
    for (const std::string& name : names) text += kNul + name;
    text.append(data.ConsumeIntegralInRange(0, 2), kNul);

    const std::string returned = vellum::SplitMultiSelection(text);
    if (names.empty()) {
        Check(text == folder && returned == FolderOf(folder));
        return;
    }
    const std::string withSeparator = EndsWith(folder, "\\") ? folder : folder + "\\";
    Check(returned == withSeparator);
    std::string expected;
    for (const std::string& name : names) {
        if (!expected.empty())
            expected += kNul;
        expected += HasBackslash(name) ? name : withSeparator + name;
    }
    Check(text == expected);
}

// The dialog's whole buffer: the list up to its NUL pair, remembered as the last file and folder.
void CheckFinishedDialog(const std::string& buffer) {
    vellum::DialogMemory memory{"C:\\old\\x.exe", "C:\\old"};
    const vellum::MultiSelectionEnd end = vellum::ClassifyMultiSelection(true, false, buffer);
    const std::string paths = vellum::FinishMultiFileDialog(memory, end, buffer);
    if (paths.empty()) {
        Check(memory.lastFile.empty() && memory.lastFolder.empty());
        return;
    }
    Check(end == vellum::MultiSelectionEnd::Chosen);
    Check(paths.find(std::string(2, kNul)) == std::string::npos && paths.back() != kNul);
    Check(memory.lastFile == Parts(paths).back());
    Check(EndsWith(memory.lastFolder, "\\"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const std::string raw(reinterpret_cast<const char*>(bytes), size);
    CheckAnyText(raw);
    CheckFinishedDialog(raw);

    FuzzedDataProvider data(bytes, size);
    CheckBuiltList(data);
    return 0;
}
