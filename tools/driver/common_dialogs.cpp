// The platform's common dialogs ("#32770" windows) of the program under test, read and operated
// as a user would: the file dialog's file-name field and folder, the folder dialog's tree, its
// status text and edit box, the colour dialog's Red, Green and Blue fields, and their buttons.
#include "driver.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <cwctype>

namespace driver {

namespace {

constexpr UINT kReplyTimeoutMs = 2000;

// Control IDs of the dialogs (the same under Windows and Wine).
constexpr int kFileNameCombo = 0x47c;  // cmb13: the file name of the explorer-style dialog
constexpr int kFileNameEdit = 0x480;   // edt1: the file name of the old-style dialog
constexpr int kFileTypes = 0x470;      // cmb1
constexpr int kLookIn = 0x471;         // cmb2
constexpr int kFolderTitle = 0x3742;
constexpr int kFolderStatus = 0x3743;
constexpr int kFolderEdit = 0x3745;
constexpr int kColorRed = 706;
constexpr int kColorGreen = 707;
constexpr int kColorBlue = 708;
constexpr int kCustomColors = 721;  // the area of the 16 custom colour boxes

LRESULT Send(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(hwnd, msg, wp, lp, SMTO_ABORTIFHUNG, kReplyTimeoutMs, &result);
    return static_cast<LRESULT>(result);
}

HWND FindDescendant(HWND parent, const wchar_t* cls) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (lstrcmpiW(ClassNameOf(child).c_str(), cls) == 0)
            return child;
        if (HWND found = FindDescendant(child, cls))
            return found;
    }
    return nullptr;
}

enum class Kind { File, Folder, Color, Other };

Kind KindOf(HWND dialog) {
    if (GetDlgItem(dialog, kFileTypes) &&
        (GetDlgItem(dialog, kFileNameCombo) || GetDlgItem(dialog, kFileNameEdit)))
        return Kind::File;
    if (GetDlgItem(dialog, kColorRed) && GetDlgItem(dialog, kColorBlue))
        return Kind::Color;
    if (FindDescendant(dialog, WC_TREEVIEWW))
        return Kind::Folder;
    return Kind::Other;
}

const wchar_t* KindName(Kind kind) {
    switch (kind) {
        case Kind::File:
            return L"file";
        case Kind::Folder:
            return L"folder";
        case Kind::Color:
            return L"color";
        default:
            return L"other";
    }
}

std::wstring ControlText(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    return control ? WindowTextOf(control) : L"";
}

HWND FileNameField(HWND dialog) {
    HWND field = GetDlgItem(dialog, kFileNameCombo);
    return field ? field : GetDlgItem(dialog, kFileNameEdit);
}

std::vector<std::wstring> ComboItems(HWND combo, int& selection) {
    std::vector<std::wstring> items;
    const int count = static_cast<int>(Send(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const LRESULT len = Send(combo, CB_GETLBTEXTLEN, i, 0);
        std::wstring text(len > 0 ? static_cast<size_t>(len) + 1 : 1, L'\0');
        const LRESULT copied = Send(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
        items.push_back(text);
    }
    selection = static_cast<int>(Send(combo, CB_GETCURSEL, 0, 0));
    return items;
}

// The drive letter of a shell item shown as "Label (C:)", or 0.
wchar_t DriveOf(const std::wstring& text) {
    const size_t n = text.size();
    if (n >= 4 && text[n - 1] == L')' && text[n - 2] == L':' && text[n - 4] == L'(' &&
        std::iswalpha(text[n - 3]))
        return static_cast<wchar_t>(std::towupper(text[n - 3]));
    return 0;
}

// A file-system path from a chain of shell display names that runs from the root down to the
// item: the part from the last drive ("(C:)") on, or "" when there is no drive in it.
std::wstring PathOfChain(const std::vector<std::wstring>& chain) {
    std::wstring path;
    for (const std::wstring& name : chain) {
        if (wchar_t drive = DriveOf(name)) {
            path = std::wstring(1, drive) + L":\\";
        } else if (!path.empty()) {
            if (path.back() != L'\\')
                path += L'\\';
            path += name;
        }
    }
    return path;
}

// Memory in another process for a message that carries a pointer.
class Remote {
  public:
    Remote(DWORD pid, size_t size)
        : process_(
              OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid)),
          address_(process_ ? VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE,
                                             PAGE_READWRITE)
                            : nullptr) {}
    ~Remote() {
        if (address_)
            VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        if (process_)
            CloseHandle(process_);
    }
    Remote(const Remote&) = delete;
    Remote& operator=(const Remote&) = delete;
    bool ok() const { return address_ != nullptr; }
    char* at(size_t offset) const { return static_cast<char*>(address_) + offset; }
    bool Write(size_t offset, const void* data, size_t size) const {
        return WriteProcessMemory(process_, at(offset), data, size, nullptr);
    }
    bool Read(size_t offset, void* data, size_t size) const {
        return ReadProcessMemory(process_, at(offset), data, size, nullptr);
    }

  private:
    HANDLE process_;
    void* address_;
};

// A tree-view control of another process.
class Tree {
  public:
    explicit Tree(HWND tree) : tree_(tree), remote_(ProcessOf(tree), kSize) {}
    bool ok() const { return remote_.ok(); }

    std::wstring Text(HTREEITEM item) const {
        TVITEMW tv{};
        tv.mask = TVIF_TEXT;
        tv.hItem = item;
        tv.pszText = reinterpret_cast<wchar_t*>(remote_.at(sizeof tv));
        tv.cchTextMax = kTextChars;
        const wchar_t empty = L'\0';
        remote_.Write(sizeof tv, &empty, sizeof empty);
        remote_.Write(0, &tv, sizeof tv);
        if (!Send(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote_.at(0))))
            return L"";
        std::wstring text(kTextChars, L'\0');
        remote_.Read(sizeof tv, text.data(), kTextChars * sizeof(wchar_t));
        text.resize(wcsnlen(text.c_str(), kTextChars));
        return text;
    }

    // The item's label rectangle on the screen (empty when it is not visible).
    RECT LabelOnScreen(HTREEITEM item) const {
        RECT rc{};
        std::memcpy(&rc, &item, sizeof item);  // TVM_GETITEMRECT takes the item in the RECT
        remote_.Write(0, &rc, sizeof rc);
        if (!Send(tree_, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(remote_.at(0))))
            return RECT{};
        remote_.Read(0, &rc, sizeof rc);
        MapWindowPoints(tree_, nullptr, reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    }

    HTREEITEM Next(HTREEITEM item, UINT how) const {
        return reinterpret_cast<HTREEITEM>(
            Send(tree_, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
    }

    std::vector<HTREEITEM> Children(HTREEITEM parent) const {
        if (parent)
            Send(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parent));
        std::vector<HTREEITEM> items;
        for (HTREEITEM item = parent ? Next(parent, TVGN_CHILD) : Next(nullptr, TVGN_ROOT); item;
             item = Next(item, TVGN_NEXT))
            items.push_back(item);
        return items;
    }

    // Display names from the root down to the item.
    std::vector<std::wstring> Chain(HTREEITEM item) const {
        std::vector<std::wstring> chain;
        for (; item; item = Next(item, TVGN_PARENT)) chain.insert(chain.begin(), Text(item));
        return chain;
    }

    HWND hwnd() const { return tree_; }

  private:
    static constexpr size_t kTextChars = 1024;
    static constexpr size_t kSize = sizeof(TVITEMW) + kTextChars * sizeof(wchar_t);
    HWND tree_;
    Remote remote_;
};

// The tree item of a drive ("(C:)"), looked for level by level from the root, opening only
// the levels above it.
HTREEITEM FindDrive(const Tree& tree, wchar_t drive) {
    std::vector<HTREEITEM> level = tree.Children(nullptr);
    for (int depth = 0; depth < 4 && !level.empty(); ++depth) {
        for (HTREEITEM item : level) {
            if (DriveOf(tree.Text(item)) == drive)
                return item;
        }
        std::vector<HTREEITEM> next;
        for (HTREEITEM item : level) {
            // The Unix root's and the drives' contents hold no drive.
            const std::wstring text = tree.Text(item);
            if (text == L"/" || DriveOf(text))
                continue;
            for (HTREEITEM child : tree.Children(item)) next.push_back(child);
        }
        level = next;
    }
    return nullptr;
}

HTREEITEM FindFolder(const Tree& tree, const std::wstring& path) {
    if (path.size() < 2 || path[1] != L':' || !std::iswalpha(path[0]))
        return nullptr;
    HTREEITEM item = FindDrive(tree, static_cast<wchar_t>(std::towupper(path[0])));
    size_t start = 2;
    while (item && start < path.size()) {
        if (path[start] == L'\\') {
            ++start;
            continue;
        }
        const size_t end = std::min(path.find(L'\\', start), path.size());
        const std::wstring name = path.substr(start, end - start);
        HTREEITEM found = nullptr;
        for (HTREEITEM child : tree.Children(item)) {
            if (lstrcmpiW(tree.Text(child).c_str(), name.c_str()) == 0) {
                found = child;
                break;
            }
        }
        item = found;
        start = end;
    }
    return item;
}

void AddFileDialog(HWND dialog, JsonLine& line) {
    line.Str("name", WindowTextOf(FileNameField(dialog)));
    if (HWND lookIn = GetDlgItem(dialog, kLookIn)) {
        int selection = -1;
        const auto items = ComboItems(lookIn, selection);
        std::vector<std::wstring> chain(items.begin(),
                                        items.begin() + (selection >= 0 ? selection + 1 : 0));
        line.StrList("look_in", items).Int("look_in_index", selection);
        line.Str("folder", PathOfChain(chain));
    }
    if (HWND types = GetDlgItem(dialog, kFileTypes)) {
        int selection = -1;
        line.StrList("types", ComboItems(types, selection)).Int("type_index", selection);
    }
}

void AddFolderDialog(HWND dialog, JsonLine& line) {
    line.Str("title", ControlText(dialog, kFolderTitle))
        .Str("status", ControlText(dialog, kFolderStatus))
        .Str("edit", ControlText(dialog, kFolderEdit));
    const Tree tree(FindDescendant(dialog, WC_TREEVIEWW));
    if (!tree.ok())
        return;
    HTREEITEM selected = tree.Next(nullptr, TVGN_CARET);
    const auto chain = tree.Chain(selected);
    line.Str("selected", selected ? tree.Text(selected) : L"")
        .StrList("selected_chain", chain)
        .Str("selected_path", PathOfChain(chain));
}

void AddColorDialog(HWND dialog, JsonLine& line) {
    HWND red = GetDlgItem(dialog, kColorRed);
    RECT custom{};
    if (HWND customColors = GetDlgItem(dialog, kCustomColors))
        GetWindowRect(customColors, &custom);
    line.Bool("full_open", red && IsWindowVisible(red))
        .Rect("custom_colors", custom)
        .Str("red", ControlText(dialog, kColorRed))
        .Str("green", ControlText(dialog, kColorGreen))
        .Str("blue", ControlText(dialog, kColorBlue));
}

// Waits for the first visible "#32770" window that matches the filter (and the kind, unless
// Other is asked for).
HWND WaitForDialog(const Args& args, Kind kind) {
    WindowFilter filter = WindowFilter::FromArgs(args);
    filter.class_name = L"#32770";
    filter.visible_only = true;
    const DWORD timeout = static_cast<DWORD>(args.OptionNumber(L"timeout", 5000));
    const DWORD start = GetTickCount();
    for (;;) {
        for (HWND hwnd : FindTopLevel(filter)) {
            if (kind == Kind::Other || KindOf(hwnd) == kind)
                return hwnd;
        }
        if (GetTickCount() - start >= timeout)
            return nullptr;
        Sleep(20);
    }
}

JsonLine Describe(HWND dialog) {
    const Kind kind = KindOf(dialog);
    JsonLine line = DescribeWindow(dialog);
    line.Str("kind", KindName(kind));
    if (kind == Kind::File) {
        AddFileDialog(dialog, line);
    } else if (kind == Kind::Folder) {
        AddFolderDialog(dialog, line);
    } else if (kind == Kind::Color) {
        AddColorDialog(dialog, line);
    }
    return line;
}

int NoDialog(const wchar_t* what) {
    JsonLine().Str("error", std::wstring(L"no ") + what + L" dialog").Emit();
    return kExitFailed;
}

// Presses a button of the dialog (by control ID) with a mouse click at its centre.
bool Press(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    return button && IsWindowVisible(button) && MouseClickAt(CentreOf(button), false, false);
}

// --ok presses OK (IDOK, the Open or Save button of a file dialog), --cancel presses Cancel.
int Finish(const Args& args, HWND dialog, JsonLine& line) {
    bool ok = true;
    if (args.Has(L"ok")) {
        ok = Press(dialog, IDOK);
        line.Bool("pressed_ok", ok);
    } else if (args.Has(L"cancel")) {
        ok = Press(dialog, IDCANCEL);
        line.Bool("pressed_cancel", ok);
    }
    line.Emit();
    return ok ? kExitOk : kExitFailed;
}

bool SetText(HWND control, const std::wstring& text) {
    return control && Send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace

// dialog [--pid=N] [--caption=T] [--timeout=MS]: the first visible "#32770" window that
// matches, with "kind" (file, folder, color, other) and what the kind shows: a file dialog's
// "name" (the file-name field), "folder" (where it is open, from its "look_in" list) and
// "types"; a folder dialog's "title", "status", "edit" and the tree's "selected" item with its
// "selected_chain" of display names and "selected_path"; a colour dialog's "red", "green" and
// "blue" fields, whether it is "full_open" (those fields shown) and the screen rectangle of its
// "custom_colors".
int CmdDialog(const Args& args) {
    HWND dialog = WaitForDialog(args, Kind::Other);
    if (!dialog)
        return NoDialog(L"common");
    Describe(dialog).Emit();
    return kExitOk;
}

// filedlg-name TEXT [filters] [--ok|--cancel]: types TEXT into the file dialog's file-name
// field (several files as "a.txt" "b.txt"), then presses Open/Save or Cancel.
int CmdFileDialogName(const Args& args) {
    const std::wstring text = args.Text(0);
    HWND dialog = WaitForDialog(args, Kind::File);
    if (!dialog)
        return NoDialog(L"file");
    const bool set = SetText(FileNameField(dialog), text);
    JsonLine line;
    line.Handle("dialog", dialog).Bool("set", set).Str("name", WindowTextOf(FileNameField(dialog)));
    if (!set) {
        line.Emit();
        return kExitFailed;
    }
    return Finish(args, dialog, line);
}

// folderdlg-select PATH [filters] [--ok|--cancel]: selects the folder C:\a\b in the folder
// dialog's tree with a click on its label (opening the levels above it), then presses OK or
// Cancel. "by" says whether the click selected it or a TVM_SELECTITEM had to.
int CmdFolderDialogSelect(const Args& args) {
    const std::wstring path = args.Text(0);
    HWND dialog = WaitForDialog(args, Kind::Folder);
    if (!dialog)
        return NoDialog(L"folder");
    const Tree tree(FindDescendant(dialog, WC_TREEVIEWW));
    HTREEITEM item = tree.ok() ? FindFolder(tree, path) : nullptr;
    JsonLine line;
    line.Handle("dialog", dialog).Str("path", path);
    if (!item) {
        line.Str("error", L"no such folder in the tree").Emit();
        return kExitFailed;
    }
    Send(tree.hwnd(), TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    const RECT label = tree.LabelOnScreen(item);
    std::wstring by = L"click";
    if (label.right > label.left) {
        MouseClickAt(POINT{(label.left + label.right) / 2, (label.top + label.bottom) / 2}, false,
                     false);
    }
    for (int i = 0; i < 50 && tree.Next(nullptr, TVGN_CARET) != item; ++i) Sleep(20);
    if (tree.Next(nullptr, TVGN_CARET) != item) {
        by = L"message";
        Send(tree.hwnd(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    }
    const bool selected = tree.Next(nullptr, TVGN_CARET) == item;
    line.Str("by", by).Bool("selected", selected);
    if (!selected) {
        line.Emit();
        return kExitFailed;
    }
    return Finish(args, dialog, line);
}

// colordlg-rgb RED GREEN BLUE [filters] [--ok|--cancel]: types the three values into the colour
// dialog's Red, Green and Blue fields, then presses OK or Cancel.
int CmdColorDialogRgb(const Args& args) {
    const std::wstring red = args.Text(0), green = args.Text(1), blue = args.Text(2);
    HWND dialog = WaitForDialog(args, Kind::Color);
    if (!dialog)
        return NoDialog(L"colour");
    const bool set = SetText(GetDlgItem(dialog, kColorRed), red) &&
                     SetText(GetDlgItem(dialog, kColorGreen), green) &&
                     SetText(GetDlgItem(dialog, kColorBlue), blue);
    JsonLine line;
    line.Handle("dialog", dialog).Bool("set", set);
    AddColorDialog(dialog, line);
    if (!set) {
        line.Emit();
        return kExitFailed;
    }
    return Finish(args, dialog, line);
}

// dialog-press BUTTON [filters]: presses a button of any "#32770" dialog (see msgbox-press).
int CmdDialogPress(const Args& args) {
    return CmdMsgBoxPress(args);
}

}  // namespace driver
