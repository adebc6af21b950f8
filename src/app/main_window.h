#pragma once
// The main window: the hub whose controls hold every user choice, and its capture operations.
#include <windows.h>

#include <shellapi.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/region_capture.h"
#include "hotkeys/hooks.h"
#include "capture/file_naming.h"
#include "capture/grab.h"
#include "capture/save_name_rules.h"
#include "capture/save_worker.h"
#include "settings/form_state_keeper.h"
#include "settings/stored_setting.h"
#include "ui/form.h"

namespace vellum {

class MainWindow : public ui::Form, private RegionCapture::Host {
  public:
    // Work posted to the main window so that input hooks can return at once.
    static constexpr UINT kMsgSaveCurrentScreen = WM_APP + 1;
    // A hotkey pressed (hotkeys::ReadPostedKey) and a mouse event during a region selection
    // (hotkeys::ReadPostedMouse), posted by the low-level hooks.
    static constexpr UINT kMsgHotkey = WM_APP + 2;
    static constexpr UINT kMsgSelectionMouse = WM_APP + 3;
    // The save worker has finished a file: what follows it runs now.
    static constexpr UINT kMsgSaveFinished = WM_APP + 4;

    MainWindow();
    ~MainWindow() override;

    // Creates the window (hidden) and runs the loading steps.
    bool Create();
    void ShowNormal();

    // What became of a capture's file, known once its write has ended.
    struct SaveOutcome {
        bool written = false;
        std::string fileName;
        std::string failureStatus;  // the status line's text when it was not written
    };
    // What a capture road does after its file's write; runs on the window's thread.
    using AfterSave = std::function<void(const SaveOutcome&)>;

    // Takes the next numbered name for a grabbed bitmap and hands both to the save worker. When
    // the write has ended, the status line tells what became of the file and `after` follows.
    void SaveP(UniqueBitmap bitmap, AfterSave after = nullptr);
    UniqueBitmap GetWinPic(int16_t iCapType);
    UniqueBitmap CaptureWindow(HWND hWndSrc, int32_t leftSrc, int32_t topSrc, int32_t widthSrc,
                               int32_t heightSrc);
    // The whole screen to the next numbered file; once it is written, the tool when it is set
    // and wanted; then `after`.
    void SaveCurrentScr(AfterSave after = nullptr);
    std::string GetNextFN();
    // Waits up to `timeout` for the saves already taken, then runs what follows them. True when
    // every save had ended.
    bool FinishSaves(std::chrono::milliseconds timeout);

    int16_t CapType() const { return capType_; }

    // The sounds of the PrintScreen road: the platform's MessageBeep unless a test listens.
    using Beeper = std::function<void(UINT type)>;
    void SetBeeper(Beeper beeper) { beep_ = std::move(beeper); }

    // Starts the rubber-band selection of a screen rectangle, or cancels a running one.
    void BeginRegionSelect();
    // Ends a running selection without capturing.
    void EndRegionSelect();
    // The selection outline (created on first use); its colour follows the border option.
    hotkeys::OutlineOverlay& RectOutline() { return region_->Outline(); }

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnControlEvent(ui::Control& control, ui::ControlEvent event, LPARAM param) override;

  private:
    void Load();
    void OnDestroy();
    // The settings are written soon after a change, once the user has paused.
    void ScheduleSettingsSave();
    void SaveChangedSettings();
    void OnMinimised();
    void OpenOutputFolder();
    void LaunchTool(const std::string& fileName);
    CaptureOptions CurrentCaptureOptions();
    void OnHotkey(WPARAM wp, LPARAM lp);
    void OnSaveScreenRequested(bool beep);
    // Queues the write of a capture as the named file (a name the platform would misread is
    // refused unwritten), in turn after the captures taken before it.
    void QueueCapture(UniqueBitmap bitmap, const std::string& fileName, AfterSave after);
    std::optional<NameFault> NameFaultOf(const std::string& fileName);
    std::string SaveFailureStatus(const std::string& fileName);
    void CancelSingleCapture();
    void ToggleVisible();
    // Timed capture: the mode box, the interval field, the button and the two timers.
    void OnContinuousOptionChanged(ui::Control& check1);
    void OnIntervalLostFocus(ui::Control& text1);
    void OnTimedCaptureClicked();
    void OnContinuousTick();
    void FinishSingleCapture();
    // Output options.
    void OnClipboardOptionChanged(ui::Control& check2);
    void OnBorderOptionChanged(ui::Control& check4);
    void OnToolOptionChanged(ui::Control& chOp);
    void OnChooseFolderClicked();
    void OnToolPathEditRequested();
    void OnFilesDroppedOnTool(HDROP drop);

    // RegionCapture::Host
    HWND SelectionWindow() override { return hwnd(); }
    void OnSelectionStarted() override;
    void OnSelectionEnded() override;
    void CaptureRegion(const hotkeys::Rect& rect) override;

    std::string applicationName_;
    FormStateKeeper stateKeeper_;  // the control states in Settings.ini
    StoredSetting toolPath_;       // "ChOp_Tip" in the settings store
    StoredSetting borderTag_;      // "Check4_Tag"
    hotkeys::Hooks hooks_;         // made before the selection that uses them
    bool loading_ = true;          // the restore raises events that are no user's changes
    bool closed_ = false;
    int16_t capType_ = 0;
    std::string tag_;  // "M": the user knows how to bring the hidden window back
    FileNamer namer_;
    bool gdiplusAvailable_ = false;
    std::unique_ptr<RegionCapture> region_;
    bool singleCapturePending_ = false;
    std::unique_ptr<SaveWorker> saver_;  // made with the window, which it wakes
    bool droppingTool_ = false;          // the tool box is being checked by a drop
    Beeper beep_ = [](UINT type) { MessageBeep(type); };
};

}  // namespace vellum
