#pragma once
// vellum_driver: plays the user and reads windows from outside the program under test.
// Every command writes UTF-8 JSON lines on stdout; errors go to stderr.
// Exit codes: 0 done, 1 not found / timed out / failed, 2 bad command line.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace driver {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// A command's arguments: positional words, "--name=value" options and "--flag" flags.
// Text values may be given as "hex:" followed by the hex digits of their UTF-8 bytes, so that
// any text survives a command line in any locale.
class Args {
  public:
    Args(int argc, wchar_t** argv, int first);

    size_t Count() const { return positional_.size(); }
    std::wstring Text(size_t index) const;  // positional, hex: decoded
    long long Number(size_t index) const;   // positional, decimal or 0x hex
    HWND Window(size_t index) const;        // positional window reference (see ParseWindow)

    bool Has(const std::wstring& name) const;  // option or flag present
    std::wstring Option(const std::wstring& name, const std::wstring& fallback = L"") const;
    long long OptionNumber(const std::wstring& name, long long fallback) const;
    std::vector<std::wstring> OptionList(const std::wstring& name) const;  // every occurrence

  private:
    std::vector<std::wstring> positional_;
    std::multimap<std::wstring, std::wstring> options_;
};

// Thrown for a malformed command line; main prints it and exits with kExitUsage.
struct UsageError {
    std::wstring message;
};

std::wstring DecodeText(const std::wstring& arg);
long long ParseNumber(const std::wstring& text);
// "HWND" (decimal or 0x hex), "HWND/ID" for the child control with that ID, or "desktop".
HWND ParseWindow(const std::wstring& text);

// One JSON object written as one line.
class JsonLine {
  public:
    JsonLine& Str(const char* key, const std::wstring& value);
    JsonLine& Int(const char* key, long long value);
    JsonLine& Bool(const char* key, bool value);
    JsonLine& Handle(const char* key, const void* handle);
    JsonLine& Rect(const char* key, const RECT& rect);  // [left, top, right, bottom]
    JsonLine& StrList(const char* key, const std::vector<std::wstring>& values);
    JsonLine& Raw(const char* key, const std::string& json);  // a value already in JSON
    std::string Text() const { return "{" + body_ + "}"; }
    void Emit() const;  // writes the line on stdout

  private:
    void Key(const char* key);
    std::string body_;
};

std::string JsonString(const std::wstring& value);
void WriteStdout(const std::string& utf8);
void PrintError(const std::wstring& message);

// Shared helpers of window_query.cpp.
std::wstring ClassNameOf(HWND hwnd);
std::wstring WindowTextOf(HWND hwnd);  // WM_GETTEXT, works across processes
DWORD ProcessOf(HWND hwnd);
JsonLine DescribeWindow(HWND hwnd);
JsonLine DescribeControl(HWND hwnd, int z_order);

// Top-level window filter shared by find, wait and msgbox.
struct WindowFilter {
    std::wstring caption;  // exact caption, when set
    bool has_caption = false;
    std::wstring class_name;
    DWORD pid = 0;
    bool visible_only = false;
    static WindowFilter FromArgs(const Args& args);
    bool Matches(HWND hwnd) const;
};
std::vector<HWND> FindTopLevel(const WindowFilter& filter);

// Commands: each returns the process exit code.
int CmdFind(const Args& args);
int CmdWait(const Args& args);
int CmdInfo(const Args& args);
int CmdChildren(const Args& args);
int CmdGuiInfo(const Args& args);
int CmdEnv(const Args& args);
int CmdTooltips(const Args& args);
int CmdClick(const Args& args);
int CmdMouse(const Args& args);
int CmdKey(const Args& args);
int CmdPost(const Args& args);
int CmdSend(const Args& args);
int CmdSetText(const Args& args);
int CmdFocus(const Args& args);
int CmdComboSelect(const Args& args);
int CmdMsgBox(const Args& args);
int CmdMsgBoxPress(const Args& args);
int CmdPaint(const Args& args);
int CmdRun(const Args& args);
int CmdKill(const Args& args);
int CmdHold(const Args& args);
int CmdLockFile(const Args& args);
int CmdAnswers(const Args& args);
int CmdGdiplusRead(const Args& args);
int CmdDialog(const Args& args);
int CmdDialogPress(const Args& args);
int CmdFileDialogName(const Args& args);
int CmdFolderDialogSelect(const Args& args);
int CmdColorDialogRgb(const Args& args);

// Mouse helpers shared by click and msgbox-press.
bool MouseClickAt(POINT screen, bool right, bool twice);
POINT CentreOf(HWND hwnd);

}  // namespace driver
