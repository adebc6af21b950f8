#pragma once
// The decisions of the common dialogs (file, folder, colour) that need no platform: the filter
// text, the flags by mode, the remembered file and folder, and how the text a dialog leaves in
// its buffer becomes a plain result.
#include <cstdint>
#include <optional>
#include <string>

namespace vellum {

// A caller's filter text equal to this marker stands for the all-files filter below.
inline constexpr const char* kDefaultFilterMarker = "DLG_Defalt_Filter";
inline constexpr const char* kDefaultFilter = "所有文件|*.*";
// Shown when a multiple selection does not fit the dialog's buffer.
inline constexpr const char* kTooManyFilesMessage = "文件选取过多。";
inline constexpr const char* kDialogCaption = "Vellum";

// The file dialog's modes: open one file, open several files, save.
inline constexpr int kOpenFileMode = 0;
inline constexpr int kOpenFilesMode = 1;
inline constexpr int kSaveFileMode = 2;

// The dialog flags of a mode (the platform's OFN_ values), 0 for a mode that shows nothing.
//   0: OFN_LONGNAMES | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY                      = 0x201004
//   1: OFN_LONGNAMES | OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY   = 0x280204
//   2: OFN_LONGNAMES | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT                    = 0x200006
uint32_t FileDialogFlags(int mode);
bool IsFileDialogMode(int mode);

// The folder dialog's flags: status text, edit box, the resizable dialog, and either files as
// well (BIF_BROWSEINCLUDEFILES) or file-system folders only (BIF_RETURNONLYFSDIRS).
uint32_t FolderDialogFlags(bool includeFiles);

// Replaces the marker "DLG_Defalt_Filter" in the caller's text by the all-files filter, and
// returns the filter as the dialog reads it: label and pattern pairs, each "|" turned into NUL,
// ended by two NULs. A label without its pattern gets an empty one, so that the dialog, which
// reads pairs until an empty label, never reads past the end.
std::string DialogFilter(std::string& filter);

// The path one file dialog returns: its buffer up to the first NUL, without leading and
// trailing spaces.
std::string SingleSelection(const std::string& buffer);

// The list a multi-select dialog leaves in its buffer: the text up to and including the first
// NUL of the NUL pair that ends the list. Empty when there is no such pair, or when the text
// holds no backslash (no folder, so no selection).
std::string MultiSelectionText(const std::string& buffer);

// How a multi-select dialog ended. A selection that does not fit the buffer either fails with
// the platform's buffer-too-small error or (Wine) succeeds with the list cut off at the end of
// the buffer, without the NUL pair that ends a whole list: both are too many files.
enum class MultiSelectionEnd { Chosen, Cancelled, TooManyFiles };
MultiSelectionEnd ClassifyMultiSelection(bool dialogOk, bool bufferTooSmall,
                                         const std::string& buffer);

// Turns a multi-select list (the folder and the file names, each ended by NUL) into full paths
// separated by single NULs, and returns the folder with a trailing backslash. A single file
// comes as one full path: the text stays and its folder part is returned. A name that holds a
// backslash is already a path and is kept as it is.
std::string SplitMultiSelection(std::string& text);

// The folder the folder dialog preselects: the caller's folder, else the remembered one, else
// the current directory.
std::string InitialBrowseFolder(const std::string& given, const std::string& lastFolder,
                                const std::string& currentDirectory);

// What the dialogs remember between calls, for the whole run.
struct DialogMemory {
    std::string lastFile;    // the last path a file dialog returned; pre-fills the next one
    std::string lastFolder;  // where the next file dialog opens, what the folder dialog selects
    uint32_t lastColor = 0;  // the last confirmed colour (0x00BBGGRR), black at first
};

// Before a file dialog: an empty remembered folder becomes the folder of the remembered file.
// Returns the folder the dialog opens in.
const std::string& PrepareFileDialog(DialogMemory& memory);

// After a one-file dialog (open or save): the chosen path, or after a cancel the path the
// dialog was pre-filled with. The folder is remembered without its trailing backslash, the
// path as the last file.
std::string FinishSingleFileDialog(DialogMemory& memory, bool chosen, const std::string& buffer);

// After a multi-select dialog: the chosen files as full paths separated by single NULs, or ""
// after a cancel or when they did not fit. The folder (with its trailing backslash) and the
// last path are remembered, both emptied when nothing was chosen.
std::string FinishMultiFileDialog(DialogMemory& memory, MultiSelectionEnd end,
                                  const std::string& buffer);

// After the folder dialog: the chosen folder (nothing after a cancel) without a trailing
// backslash, stored in the caller's folder and remembered, also when it is empty.
std::string FinishFolderDialog(DialogMemory& memory, std::string& callerFolder,
                               const std::optional<std::string>& chosen);

// After the colour dialog: a confirmed colour is remembered; returns the remembered colour.
uint32_t FinishColorDialog(DialogMemory& memory, bool confirmed, uint32_t chosen);

}  // namespace vellum
