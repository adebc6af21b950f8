#pragma once
// The platform's standard dialogs: open or save a file, pick a folder, pick a colour. Each is
// modal, runs on the calling (user-interface) thread and turns what the dialog left behind into
// a plain UTF-8 result. The file and folder dialogs share one remembered folder, so that each
// opens where the last one ended; the colour dialog starts at the last confirmed colour.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/dialog_rules.h"

namespace vellum {

// The remembered state, one for the whole run (empty and black at start). Callers may set the
// file before a file dialog: the dialog is then pre-filled with it.
const std::string& LastDialogFile();
void SetLastDialogFile(const std::string& path);
const std::string& LastDialogFolder();
void SetLastDialogFolder(const std::string& folder);
uint32_t LastPickedColor();  // COLORREF, 0x00BBGGRR
void SetLastPickedColor(uint32_t color);

// The file dialog's buffer, in UTF-16 units: room for a few hundred files of long names.
inline constexpr size_t kFileDialogBufferLength = 65536;

// Shows the file dialog of the mode (kOpenFileMode, kOpenFilesMode or kSaveFileMode), owned by
// the foreground window, pre-filled with LastDialogFile and opened in LastDialogFolder (or the
// pre-filled file's folder). The filter is "label|pattern|label|pattern..."; a filter of
// "DLG_Defalt_Filter" is replaced, also in the caller's variable, by "所有文件|*.*". An empty
// title or default extension leaves the platform's own.
// Returns the chosen path (open and save), the pre-filled path after a cancel; for several files
// their full paths separated by single NULs, "" after a cancel or when the selection does not
// fit the buffer (a message box then says "文件选取过多。"). A mode outside 0 to 2 shows
// nothing and returns "".
std::string ShowFileDialog(int mode, std::string& filter, const std::string& title,
                           const std::string& defaultExtension,
                           size_t bufferLength = kFileDialogBufferLength);
// The same for a filter that needs no write-back (a literal, say).
std::string ShowFileDialog(int mode, const std::string& filter, const std::string& title,
                           const std::string& defaultExtension,
                           size_t bufferLength = kFileDialogBufferLength);

// Shows the folder dialog with the initial folder selected (the caller's, else LastDialogFolder,
// else the current directory), owned by the owner or, without one, by this thread's active
// window. Returns the chosen folder without a trailing backslash (a drive root comes back as
// "C:"), or "" after a cancel; the result is also written into initialFolder and
// LastDialogFolder, the empty one included. includeFiles shows files as well.
std::string BrowseForFolder(std::string& initialFolder, HWND owner, const std::string& title,
                            bool includeFiles);
// The same for an initial folder that needs no write-back.
std::string BrowseForFolder(const std::string& initialFolder, HWND owner, const std::string& title,
                            bool includeFiles);

// The folder dialog's callback: selects the initial folder when the dialog opens and shows the
// path of every new selection as the status text. Returns 0.
int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM param, LPARAM data);

// Shows the colour dialog, fully open and starting at LastPickedColor, owned by the owner or,
// without one, by this thread's active window; its 16 custom colours start black every time.
// A confirmed colour becomes LastPickedColor. Returns LastPickedColor (after a cancel the last
// confirmed colour, black when there was none).
uint32_t PickColor(HWND owner = nullptr);

}  // namespace vellum
