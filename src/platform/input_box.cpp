#include "platform/input_box.h"

#include <cstdint>
#include <vector>

#include "platform/utf16.h"

namespace vellum {
namespace {

constexpr WORD kPromptId = 100;
constexpr WORD kAnswerId = 101;
// Dialog units of the layout: the prompt above a field as wide as the window, buttons below.
constexpr short kWidth = 220;
constexpr short kHeight = 74;

struct InputBoxState {
    std::wstring prompt;
    std::wstring defaultAnswer;
    std::wstring answer;
};

// An in-memory dialog template: a DLGTEMPLATE with its items, each DWORD-aligned.
class TemplateWriter {
  public:
    void Word(WORD w) { words_.push_back(w); }
    void Dword(DWORD d) {
        Word(LOWORD(d));
        Word(HIWORD(d));
    }
    void Text(const std::wstring& text) {
        for (wchar_t c : text) Word(static_cast<WORD>(c));
        Word(0);
    }
    void AlignToDword() {
        if (words_.size() % 2)
            Word(0);
    }
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD atom,
              const std::wstring& text) {
        AlignToDword();
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        Word(static_cast<WORD>(x));
        Word(static_cast<WORD>(y));
        Word(static_cast<WORD>(cx));
        Word(static_cast<WORD>(cy));
        Word(id);
        Word(0xFFFF);  // a predefined class, by its atom
        Word(atom);
        Text(text);
        Word(0);  // no creation data
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

  private:
    std::vector<WORD> words_;
};

constexpr WORD kButtonAtom = 0x0080;
constexpr WORD kEditAtom = 0x0081;
constexpr WORD kStaticAtom = 0x0082;

INT_PTR CALLBACK InputBoxProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_INITDIALOG: {
            auto* state = reinterpret_cast<InputBoxState*>(lp);
            SetWindowLongPtrW(dialog, DWLP_USER, lp);
            SetDlgItemTextW(dialog, kPromptId, state->prompt.c_str());
            SetDlgItemTextW(dialog, kAnswerId, state->defaultAnswer.c_str());
            HWND answer = GetDlgItem(dialog, kAnswerId);
            SendMessageW(answer, EM_SETSEL, 0, -1);
            SetFocus(answer);
            return FALSE;  // the focus is set here
        }
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK) {
                auto* state =
                    reinterpret_cast<InputBoxState*>(GetWindowLongPtrW(dialog, DWLP_USER));
                HWND answer = GetDlgItem(dialog, kAnswerId);
                const int length = GetWindowTextLengthW(answer);
                std::wstring text(static_cast<size_t>(length) + 1, L'\0');
                text.resize(static_cast<size_t>(GetWindowTextW(answer, text.data(), length + 1)));
                state->answer = text;
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wp) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            break;
    }
    return FALSE;
}

}  // namespace

std::string InputBox(HWND owner, const std::string& prompt, const std::string& caption,
                     const std::string& defaultAnswer) {
    TemplateWriter t;
    t.Dword(DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    t.Dword(0);
    t.Word(4);  // items
    t.Word(0);
    t.Word(0);
    t.Word(kWidth);
    t.Word(kHeight);
    t.Word(0);  // no menu
    t.Word(0);  // the dialog class
    t.Text(Widen(caption));
    t.Word(9);
    t.Text(L"MS Shell Dlg");
    t.Item(SS_LEFT | SS_NOPREFIX, 7, 7, kWidth - 14, 10, kPromptId, kStaticAtom, L"");
    t.Item(WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 7, 20, kWidth - 14, 13, kAnswerId, kEditAtom,
           L"");
    t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, kWidth - 118, kHeight - 21, 52, 14, IDOK, kButtonAtom,
           L"OK");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, kWidth - 59, kHeight - 21, 52, 14, IDCANCEL, kButtonAtom,
           L"Cancel");

    InputBoxState state{Widen(prompt), Widen(defaultAnswer), std::wstring()};
    const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.Get(), owner,
                                                   InputBoxProc, reinterpret_cast<LPARAM>(&state));
    return result == IDOK ? Narrow(state.answer) : std::string();
}

}  // namespace vellum
