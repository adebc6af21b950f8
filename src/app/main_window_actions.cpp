// The platform behind MainWindowActions: the real message boxes, dialogs, sounds and programs.
#include "about/about_box.h"
#include "app/main_window.h"
#include "capture/image_encoder.h"
#include "platform/common_dialogs.h"
#include "platform/input_box.h"
#include "platform/process.h"
#include "platform/utf16.h"

namespace vellum {

MainWindowActions MainWindowActions::Platform() {
    MainWindowActions a;
    a.messageBox = [](HWND owner, const std::string& text, const std::string& caption, UINT style) {
        MessageBoxW(owner, Widen(text).c_str(), Widen(caption).c_str(), style);
    };
    a.pickColor = [](HWND owner) { return PickColor(owner); };
    a.showFileDialog = [](int mode, const std::string& filter, const std::string& title,
                          const std::string& defaultExtension) {
        return ShowFileDialog(mode, filter, title, defaultExtension);
    };
    a.browseForFolder = [](const std::string& initialFolder, HWND owner, const std::string& title,
                           bool includeFiles) {
        return BrowseForFolder(initialFolder, owner, title, includeFiles);
    };
    a.inputBox = [](HWND owner, const std::string& prompt, const std::string& caption,
                    const std::string& defaultAnswer) {
        return InputBox(owner, prompt, caption, defaultAnswer);
    };
    a.showAboutBox = [](HWND owner) { ShowAboutBox(owner); };
    a.saveErrorBox = [](const std::wstring& text, const std::wstring& caption) {
        ShowSaveErrorBox(text, caption);
    };
    a.beep = [](UINT type) { MessageBeep(type); };
    a.startCommand = [](const std::string& commandLine, int showCommand) {
        StartCommandLine(commandLine, showCommand);
    };
    return a;
}

}  // namespace vellum
