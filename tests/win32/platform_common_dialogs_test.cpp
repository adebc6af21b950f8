#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/common_dialogs.h"
#include "platform/utf16.h"
#include "test_folder.h"

namespace vellum {
namespace {

// Stands in for the folder dialog: records the messages the callback sends it.
class DialogRecorder {
  public:
    struct Message {
        UINT msg;
        WPARAM wParam;
        std::wstring text;
    };

    DialogRecorder() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VellumDialogRecorder";
        RegisterClassW(&wc);
        hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                wc.hInstance, nullptr);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~DialogRecorder() { DestroyWindow(hwnd_); }
    DialogRecorder(const DialogRecorder&) = delete;
    DialogRecorder& operator=(const DialogRecorder&) = delete;

    HWND hwnd() const { return hwnd_; }
    std::vector<Message> messages;

  private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<DialogRecorder*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self && msg >= WM_USER) {
            self->messages.push_back(
                {msg, wp, lp ? std::wstring(reinterpret_cast<const wchar_t*>(lp)) : L""});
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    HWND hwnd_ = nullptr;
};

struct ItemList {
    PIDLIST_ABSOLUTE items = nullptr;
    ~ItemList() { CoTaskMemFree(items); }
};

TEST(BrowseCallback, ShowsTheFullPathOfEachFileSystemSelection) {
    TestFolder folder("browse");
    const std::string sub = folder.Subfolder("截图 文件夹");
    DialogRecorder dialog;

    ItemList folderItem;
    ASSERT_EQ(SHParseDisplayName(Widen(sub).c_str(), nullptr, &folderItem.items, 0, nullptr), S_OK);
    EXPECT_EQ(BrowseCallback(dialog.hwnd(), BFFM_SELCHANGED,
                             reinterpret_cast<LPARAM>(folderItem.items), 0),
              0);
    ASSERT_EQ(dialog.messages.size(), 1u);
    EXPECT_EQ(dialog.messages[0].msg, static_cast<UINT>(BFFM_SETSTATUSTEXTW));
    EXPECT_EQ(Narrow(dialog.messages[0].text), sub);

    // Items that are no file-system folder ("My Computer"), no item and other messages send
    // nothing.
    ItemList computer;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer.items), S_OK);
    const struct {
        UINT msg;
        LPARAM param;
    } silent[] = {
        {BFFM_SELCHANGED, reinterpret_cast<LPARAM>(computer.items)},
        {BFFM_SELCHANGED, 0},
        {BFFM_VALIDATEFAILEDW, reinterpret_cast<LPARAM>(L"x")},
        {BFFM_IUNKNOWN, 0},
    };
    for (const auto& s : silent) {
        dialog.messages.clear();
        EXPECT_EQ(BrowseCallback(dialog.hwnd(), s.msg, s.param, 0), 0) << s.msg;
        EXPECT_TRUE(dialog.messages.empty()) << s.msg;
    }
}

TEST(DialogMemoryAccessors, HoldWhatTheCallerSets) {
    SetLastDialogFile("C:\\工具\\看 图.exe");
    SetLastDialogFolder("C:\\工具");
    SetLastPickedColor(0x00563412);
    EXPECT_EQ(LastDialogFile(), "C:\\工具\\看 图.exe");
    EXPECT_EQ(LastDialogFolder(), "C:\\工具");
    EXPECT_EQ(LastPickedColor(), 0x00563412u);
    // A mode that shows no dialog returns nothing, but an empty folder is still filled from the
    // remembered file, and the caller's marker filter is still replaced.
    SetLastDialogFolder("");
    std::string filter = "DLG_Defalt_Filter";
    EXPECT_EQ(ShowFileDialog(7, filter, "", ""), "");
    EXPECT_EQ(filter, "所有文件|*.*");
    EXPECT_EQ(LastDialogFolder(), "C:\\工具\\");
    EXPECT_EQ(LastDialogFile(), "C:\\工具\\看 图.exe");
    // A literal filter needs no variable of the caller's.
    EXPECT_EQ(ShowFileDialog(-1, "*.exe|*.exe|*.*|*.*", "title", ""), "");
    SetLastDialogFile("");
    SetLastDialogFolder("");
    SetLastPickedColor(0);
}

}  // namespace
}  // namespace vellum
