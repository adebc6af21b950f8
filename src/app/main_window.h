#pragma once
// The main window: the hub whose controls hold every user choice, and its capture operations.
#include <cstdint>
#include <string>

#include "capture/file_naming.h"
#include "capture/grab.h"
#include "ui/form.h"

namespace vellum {

class MainWindow : public ui::Form {
  public:
    // Work posted to the main window so that input hooks can return at once.
    static constexpr UINT kMsgSaveCurrentScreen = WM_APP + 1;

    MainWindow();

    // Creates the window (hidden) and runs the loading steps.
    bool Create();
    void ShowNormal();

    // Saves a grabbed bitmap as the next numbered file and reports it on the status line.
    // Returns whether the file was written; fileName receives its name when one was taken.
    bool SaveP(UniqueBitmap bitmap, std::string& fileName);
    UniqueBitmap GetWinPic(int16_t iCapType);
    UniqueBitmap CaptureWindow(HWND hWndSrc, int32_t leftSrc, int32_t topSrc, int32_t widthSrc,
                               int32_t heightSrc);
    // The whole screen to the next numbered file, then the tool when it is set and wanted.
    void SaveCurrentScr();
    std::string GetNextFN();

    int16_t CapType() const { return capType_; }

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnControlEvent(ui::Control& control, ui::ControlEvent event, LPARAM param) override;

  private:
    void Load();
    void OnDestroy();
    void OnMinimised();
    void OpenOutputFolder();
    void LaunchTool(const std::string& fileName);
    CaptureOptions CurrentCaptureOptions();

    std::string applicationName_;
    int16_t capType_ = 0;
    std::string tag_;  // "M": the user knows how to bring the hidden window back
    FileNamer namer_;
    bool gdiplusAvailable_ = false;
};

}  // namespace vellum
