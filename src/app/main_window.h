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

#include "app/capture_roads.h"
#include "app/region_capture.h"
#include "capture/file_naming.h"
#include "capture/grab.h"
#include "capture/save_name_rules.h"
#include "capture/save_worker.h"
#include "hotkeys/hooks.h"
#include "settings/form_state_keeper.h"
#include "settings/stored_setting.h"
#include "ui/form.h"

namespace vellum {

// What the main window does to the world outside itself: its message boxes and dialogs, its
// sounds and the programs it starts. The platform's calls unless replaced.
struct MainWindowActions {
    // MessageBoxW with the owner, text, caption and style given.
    std::function<void(HWND owner, const std::string& text, const std::string& caption, UINT style)>
        messageBox;
    std::function<uint32_t(HWND owner)> pickColor;
    std::function<std::string(int mode, const std::string& filter, const std::string& title,
                              const std::string& defaultExtension)>
        showFileDialog;
    std::function<std::string(const std::string& initialFolder, HWND owner,
                              const std::string& title, bool includeFiles)>
        browseForFolder;
    std::function<std::string(HWND owner, const std::string& prompt, const std::string& caption,
                              const std::string& defaultAnswer)>
        inputBox;
    std::function<void(HWND owner)> showAboutBox;
    // The encoder's error message, shown once the failed save is back on the window's thread.
    std::function<void(const std::wstring& text, const std::wstring& caption)> saveErrorBox;
    std::function<void(UINT type)> beep;  // MessageBeep's sound types
    std::function<void(const std::string& commandLine, int showCommand)> startCommand;

    static MainWindowActions Platform();
};

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

    explicit MainWindow(MainWindowActions actions = MainWindowActions::Platform());
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
    // Nothing is saved, and nothing follows, under the capture type that grabs nothing.
    void SaveP(UniqueBitmap bitmap, AfterSave after = nullptr);
    UniqueBitmap GetWinPic(int16_t iCapType);
    UniqueBitmap CaptureWindow(HWND hWndSrc, int32_t leftSrc, int32_t topSrc, int32_t widthSrc,
                               int32_t heightSrc);
    // The whole screen to the next numbered file, as the PrintScreen key saves it but without
    // its sounds; then `after`.
    void SaveCurrentScr(AfterSave after = nullptr);
    std::string GetNextFN();
    // Waits up to `timeout` for the saves already taken, then runs what follows them. True when
    // every save had ended.
    bool FinishSaves(std::chrono::milliseconds timeout);

    int16_t CapType() const { return capType_; }

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
    // What each control's events do, attached once where the window is built.
    void AttachHandlers();
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
    // One capture along its road (app/capture_roads.h says what each road does): the grab, and
    // the steps around its save. `selection` is the rectangle of a region capture.
    void Capture(CaptureRoad road, const hotkeys::Rect& selection, bool soundWanted,
                 AfterSave after);
    UniqueBitmap Grab(GrabSource source, const hotkeys::Rect& selection);
    // The save of a grabbed picture on its road, as the file name given or the next one; when
    // the write has ended, the road's steps after it and then `after`.
    void SaveOnRoad(CaptureRoad road, bool soundWanted, UniqueBitmap bitmap, std::string fileName,
                    AfterSave after);
    void FollowSave(CaptureRoad road, bool soundWanted, const SaveOutcome& outcome);
    // The options and the save worker's state that the roads' steps depend on.
    CaptureConditions CurrentConditions();
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

    MainWindowActions actions_;
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
};

}  // namespace vellum
