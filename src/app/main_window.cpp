#include "app/main_window.h"

#include "app/main_form_design.h"
#include "app/main_window_rules.h"
#include "base/command_lines.h"
#include "base/path_utils.h"
#include "base/program_identity.h"
#include "capture/file_system.h"
#include "capture/image_encoder.h"
#include "hotkeys/hooks.h"
#include "hotkeys/topmost.h"
#include "platform/autorun.h"
#include "platform/common_dialogs.h"
#include "platform/process.h"
#include "platform/utf16.h"
#include "settings/interval.h"
#include "ui/control_styling.h"

namespace vellum {

namespace {

constexpr wchar_t kClassName[] = L"VellumForm1";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// The saved tool path a fresh start holds while the tool box is unchecked.
constexpr const char* kInitialSavedToolPath = "mspaint";
// The status line once a region selection has ended.
constexpr const char* kSelectionDoneStatus = "已完成.";
// The wait of the single capture, apart from the IDs the form gives its timer controls.
constexpr UINT_PTR kSingleCaptureTimerId = 0x5643;
// The settings are written this long after the last change: a burst of typing is one write.
constexpr UINT_PTR kSettingsSaveTimerId = 0x5644;
constexpr UINT kSettingsSaveDelayMs = 1000;
// The close and the session's end wait this long at most for the saves already taken.
constexpr std::chrono::milliseconds kSaveWaitAtClose{5000};

}  // namespace

MainWindow::MainWindow(MainWindowActions actions)
    : ui::Form(MainFormDesign()),
      actions_(std::move(actions)),
      applicationName_(SettingsApplicationName()),
      stateKeeper_(*this),
      toolPath_(SettingsStoreKey(applicationName_, design().name), kToolPathKey, kDefaultToolPath),
      borderTag_(SettingsStoreKey(applicationName_, design().name), kBorderTagKey,
                 kDefaultBorderTag),
      region_(std::make_unique<RegionCapture>(static_cast<RegionCapture::Host&>(*this), hooks_,
                                              kMsgSelectionMouse)) {
    AttachHandlers();
}

MainWindow::~MainWindow() = default;

bool MainWindow::Create() {
    if (!CreateForm(kClassName, kStyle, nullptr))
        return false;
    saver_ = std::make_unique<SaveWorker>(
        [window = hwnd()] { PostMessageW(window, kMsgSaveFinished, 0, 0); });
    Get(ctl::kChOp).SetTag(kInitialSavedToolPath);
    Load();
    return true;
}

void MainWindow::ShowNormal() {
    ShowWindow(hwnd(), SW_SHOWNORMAL);
    UpdateWindow(hwnd());
}

void MainWindow::Load() {
    hooks_.HookKeyboard(hwnd(), kMsgHotkey);
    // Known before the states are restored: the clipboard box's rule depends on it.
    gdiplusAvailable_ = GdiplusAvailable();

    stateKeeper_.Load();

    Get(ctl::kChOp).SetToolTipText(toolPath_.Read());
    ui::Control& border = Get(ctl::kCheck4);
    border.SetTag(borderTag_.Read());
    // The selection outline takes the colour of the border drawn into the pictures.
    if (border.Value() == 1)
        region_->Outline().SetColor(ParseColorTag(border.Tag()));

    ui::Control& folder = Get(ctl::kP);
    if (folder.Text().empty())
        folder.SetText(DefaultOutputFolder(EnvironmentVariable("tmp")));

    ui::Control& imageType = Get(ctl::kCmbImgType);
    if (imageType.ListCount() < 2)
        for (const char* type : kImageTypes) imageType.AddItem(type);

    if (gdiplusAvailable_) {
        if (imageType.ListIndex() < 0)
            imageType.SetListIndex(kPngIndex);
    } else {
        imageType.SetListIndex(kBmpIndex);
        imageType.SetEnabled(false);
        Get(ctl::kLab).SetText(kNoGdiplusStatus);
    }
    OnClipboardOptionChanged(Get(ctl::kCheck2));
    StyleFormControls(*this);
    stateKeeper_.MarkLoaded();
    loading_ = false;
}

void MainWindow::OnDestroy() {
    closed_ = true;
    // Nothing may capture once the settings are written: the session may end any moment now.
    Get(ctl::kTi).SetTimerEnabled(false);
    KillTimer(hwnd(), kSingleCaptureTimerId);
    KillTimer(hwnd(), kSettingsSaveTimerId);
    // A selection still running would leave the mouse hook swallowing the desktop's clicks.
    region_->Cancel();
    region_->CloseTip();
    // Every capture taken is completed on disk; what would follow it on the screen (status,
    // sound, tool, message box) is not wanted any more.
    if (saver_)
        saver_->WaitForWrites(kSaveWaitAtClose);
    stateKeeper_.SaveAll();
    toolPath_.Write(Get(ctl::kChOp).ToolTipText());
    borderTag_.Write(Get(ctl::kCheck4).Tag());
    hooks_.UnhookKeyboard();
    region_->ReleaseOutline();
    PostQuitMessage(0);
}

void MainWindow::ScheduleSettingsSave() {
    if (loading_ || closed_)
        return;
    // Setting the timer again starts its wait anew.
    SetTimer(hwnd(), kSettingsSaveTimerId, kSettingsSaveDelayMs, nullptr);
}

void MainWindow::SaveChangedSettings() {
    KillTimer(hwnd(), kSettingsSaveTimerId);
    // A write that fails (the file held by another program) is tried again at the next change
    // and at the end.
    stateKeeper_.SaveChanges();
    toolPath_.WriteIfChanged(Get(ctl::kChOp).ToolTipText());
    borderTag_.WriteIfChanged(Get(ctl::kCheck4).Tag());
}

void MainWindow::OnMinimised() {
    if (tag_.empty()) {
        tag_ = "M";
        // Not owned by this window: a minimised owner would hide its message box.
        actions_.messageBox(nullptr, kMinimiseHint, kMessageCaption,
                            MB_OK | MB_TASKMODAL | MB_SETFOREGROUND);
    }
    ShowWindow(hwnd(), SW_HIDE);
}

void MainWindow::BeginRegionSelect() {
    region_->Begin();
}

void MainWindow::EndRegionSelect() {
    region_->Cancel();
}

void MainWindow::OnSelectionStarted() {
    ShowWindow(hwnd(), SW_HIDE);
    tag_ = "M";  // the selection hid the window: no minimise hint needed any more
}

void MainWindow::OnSelectionEnded() {
    Get(ctl::kLab).SetText(kSelectionDoneStatus);
}

void MainWindow::CaptureRegion(const hotkeys::Rect& rect) {
    Capture(CaptureRoad::Region, rect, /*soundWanted=*/false, nullptr);
}

void MainWindow::ToggleVisible() {
    // Shown during a single capture's wait, the window would be in its picture: no capture.
    CancelSingleCapture();
    if (IsWindowVisible(hwnd())) {
        ShowWindow(hwnd(), SW_HIDE);
    } else {
        if (IsIconic(hwnd()))
            ShowWindow(hwnd(), SW_RESTORE);
        ShowWindow(hwnd(), SW_SHOW);
        // Lifted above every window, then left an ordinary one.
        HWND insertAfter = nullptr;
        hotkeys::SetTopMostWindow(hwnd(), true, insertAfter);
        insertAfter = nullptr;
        hotkeys::SetTopMostWindow(hwnd(), false, insertAfter);
    }
    Get(ctl::kTi).SetTimerEnabled(false);
}

void MainWindow::OnHotkey(WPARAM wp, LPARAM lp) {
    switch (hotkeys::ReadPostedKey(wp, lp).action) {
        case hotkeys::KeyAction::ToggleMainWindow:
            ToggleVisible();
            break;
        case hotkeys::KeyAction::BeginOrCancelSelection:
            // The selection replaces a single capture still waiting: its picture would break in.
            CancelSingleCapture();
            BeginRegionSelect();
            break;
        case hotkeys::KeyAction::SaveScreen:
            OnSaveScreenRequested(/*beep=*/true);
            break;
        case hotkeys::KeyAction::CancelSelection:
            EndRegionSelect();
            break;
        case hotkeys::KeyAction::None:
            break;
    }
}

void MainWindow::OnSaveScreenRequested(bool beep) {
    Capture(CaptureRoad::PrintScreen, hotkeys::Rect{}, beep, nullptr);
}

void MainWindow::OnContinuousOptionChanged(ui::Control& check1) {
    ui::Control& interval = Get(ctl::kText1);
    ui::Control& unit = Get(ctl::kL);
    switch (check1.Value()) {
        case BST_UNCHECKED:
            Get(ctl::kTi).SetTimerEnabled(false);
            check1.SetText(kSingleCaptureCaption);
            interval.SetVisible(false);
            unit.SetVisible(false);
            break;
        case BST_CHECKED:
            check1.SetText(kContinuousCaption);
            interval.SetVisible(true);
            unit.SetVisible(true);
            // A hidden window (still loading, or running in the background) cannot take focus.
            if (IsVisible()) {
                interval.Focus();
                interval.SelectAllText();
            }
            break;
        default:  // the grey state is not used
            break;
    }
}

void MainWindow::OnIntervalLostFocus(ui::Control& text1) {
    if (!IsIntervalNumeric(text1.Text()))
        text1.SetText(kDefaultIntervalText);
}

void MainWindow::OnTimedCaptureClicked() {
    // The window is hidden while a single capture waits; a click delivered meanwhile (or after
    // Ctrl+F12 showed the window) must not start a second one.
    if (singleCapturePending_)
        return;
    const std::string folder = Get(ctl::kP).Text();
    if (folder.empty())
        return;
    if (!FolderExists(folder)) {
        actions_.messageBox(hwnd(), MissingFolderMessage(folder), kMessageCaption,
                            MB_OK | MB_ICONINFORMATION);
        return;
    }
    ui::Control& timer = Get(ctl::kTi);
    switch (Get(ctl::kCheck1).Value()) {
        case BST_CHECKED: {
            // An interval the timer cannot hold (beyond 65535 ms, or below 0) is as wrong as
            // one that is no number: nothing starts.
            const std::optional<int> interval = IntervalFromText(Get(ctl::kText1).Text());
            if (!interval) {
                actions_.messageBox(hwnd(), kBadIntervalMessage, kMessageCaption,
                                    MB_OK | MB_ICONINFORMATION);
                return;
            }
            timer.SetInterval(*interval);
            timer.SetTimerEnabled(true);
            // Timer messages come only when no other message is waiting, so the window is gone
            // from the screen before the first capture.
            ShowWindow(hwnd(), SW_HIDE);
            break;
        }
        case BST_UNCHECKED:
            timer.SetTimerEnabled(false);
            ShowWindow(hwnd(), SW_HIDE);
            // The wait runs on a timer, not by blocking: the thread keeps serving its windows,
            // and the keys typed meanwhile in other programs are not held up.
            if (SetTimer(hwnd(), kSingleCaptureTimerId, kSingleCaptureDelayMs, nullptr))
                singleCapturePending_ = true;
            else
                FinishSingleCapture();
            break;
        default:  // the grey state is not used
            break;
    }
}

void MainWindow::CancelSingleCapture() {
    if (!singleCapturePending_)
        return;
    KillTimer(hwnd(), kSingleCaptureTimerId);
    singleCapturePending_ = false;
}

void MainWindow::FinishSingleCapture() {
    KillTimer(hwnd(), kSingleCaptureTimerId);
    singleCapturePending_ = false;
    Capture(CaptureRoad::Single, hotkeys::Rect{}, /*soundWanted=*/false, nullptr);
}

void MainWindow::OnContinuousTick() {
    // A tick that comes while a message box of an earlier save is open is skipped too: that
    // save is unfinished until the box is closed.
    Capture(CaptureRoad::Continuous, hotkeys::Rect{}, /*soundWanted=*/false, nullptr);
}

void MainWindow::OnClipboardOptionChanged(ui::Control& check2) {
    if (check2.Value() == BST_UNCHECKED)
        return;
    // The clipboard copy is meant for pasting into documents: a smaller format than png is
    // chosen (only bmp without GDI+). The user may still pick png afterwards.
    ui::Control& imageType = Get(ctl::kCmbImgType);
    if (imageType.Text() == kImageTypes[kPngIndex])
        imageType.SetListIndex(gdiplusAvailable_ ? kGifIndex : kBmpIndex);
}

void MainWindow::OnBorderOptionChanged(ui::Control& check4) {
    // A state restored while the window loads opens no dialog; loading applies the colour.
    if (!IsVisible())
        return;
    if (check4.Value() == BST_CHECKED) {
        // Cancel gives the colour last chosen in this run (black at first): it is used as well.
        const int32_t color = static_cast<int32_t>(actions_.pickColor(nullptr));
        check4.SetTag(std::to_string(color));
        RectOutline().SetColor(color);
    } else if (check4.Value() == BST_UNCHECKED) {
        // The tag keeps the colour for the next time the box is checked, and the next start.
        RectOutline().SetColor(-1);
    }
}

void MainWindow::OnToolOptionChanged(ui::Control& chOp) {
    if (!IsVisible() || droppingTool_)
        return;
    if (chOp.Value() == BST_CHECKED) {
        chOp.SetToolTipText(chOp.Tag());
        SetLastDialogFile(chOp.ToolTipText());
        // A cancelled dialog returns the pre-filled path: the saved tool stays.
        const std::string chosen =
            actions_.showFileDialog(kOpenFileMode, kToolDialogFilter, kToolDialogTitle, "");
        if (!chosen.empty() && IsUsableToolPath(chosen))
            chOp.SetToolTipText(chosen);
    } else if (chOp.Value() == BST_UNCHECKED) {
        chOp.SetTag(chOp.ToolTipText());
        chOp.SetToolTipText("");
    }
}

void MainWindow::OnChooseFolderClicked() {
    ui::Control& folder = Get(ctl::kP);
    const std::string chosen =
        actions_.browseForFolder(folder.Text(), hwnd(), kFolderDialogTitle, /*includeFiles=*/false);
    if (chosen.empty())
        return;
    folder.SetToolTipText(chosen);
    // The chooser gives a folder without its last "", which the file names need.
    folder.SetText(WithTrailingBackslash(chosen));
}

void MainWindow::OnToolPathEditRequested() {
    ui::Control& chOp = Get(ctl::kChOp);
    const std::string answer =
        actions_.inputBox(hwnd(), kToolPathPrompt, kMessageCaption, chOp.ToolTipText());
    if (answer.empty())
        return;
    if (!IsUsableToolPath(answer)) {
        Get(ctl::kLab).SetText(kUnusableToolPathStatus);
        return;
    }
    chOp.SetToolTipText(answer);
}

void MainWindow::OnFilesDroppedOnTool(HDROP drop) {
    const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    if (length == 0)
        return;
    std::wstring path(length + 1, L'\0');
    path.resize(DragQueryFileW(drop, 0, path.data(), length + 1));
    if (!IsUsableToolPath(Narrow(path)))
        return;
    ui::Control& chOp = Get(ctl::kChOp);
    chOp.SetToolTipText(Narrow(path));
    // The dropped program is the choice: checking the box must not replace it by the saved path
    // nor ask again with the file dialog.
    droppingTool_ = true;
    chOp.SetValue(BST_CHECKED);
    droppingTool_ = false;
}

void MainWindow::OpenOutputFolder() {
    actions_.startCommand(ExplorerCommandLine(Get(ctl::kP).Text()), SW_SHOWNORMAL);
}

void MainWindow::LaunchTool(const std::string& fileName) {
    // A path that would not stay one argument (a hand-edited store) starts nothing.
    if (!IsUsableToolPath(Get(ctl::kChOp).ToolTipText()) || !IsUsableToolPath(fileName))
        return;
    // A tool that cannot be started is ignored: the saved file stands.
    actions_.startCommand(ToolCommandLine(Get(ctl::kChOp).ToolTipText(), fileName), SW_SHOWNORMAL);
}

void MainWindow::AttachHandlers() {
    using E = ui::ControlEvent;
    using ui::Control;
    On(ctl::kLabel1, E::DoubleClick, [this](Control&, LPARAM) { OpenOutputFolder(); });
    On(ctl::kP, E::DoubleClick, [this](Control&, LPARAM) { OpenOutputFolder(); });
    On(ctl::kP, E::LostFocus, [](Control& folder, LPARAM) {
        const std::string text = folder.Text();
        if (text.empty() || text.back() != '\\')
            folder.SetText(WithTrailingBackslash(text));
    });
    On(ctl::kOp, E::Click,
       [this](Control& option, LPARAM) { capType_ = static_cast<int16_t>(option.index()); });
    On(ctl::kCheck1, E::Click, [this](Control& c, LPARAM) { OnContinuousOptionChanged(c); });
    On(ctl::kText1, E::LostFocus, [this](Control& c, LPARAM) { OnIntervalLostFocus(c); });
    On(ctl::kCommand2, E::Click, [this](Control&, LPARAM) { OnTimedCaptureClicked(); });
    On(ctl::kTi, E::Timer, [this](Control&, LPARAM) { OnContinuousTick(); });
    On(ctl::kCheck2, E::Click, [this](Control& c, LPARAM) { OnClipboardOptionChanged(c); });
    On(ctl::kCheck4, E::Click, [this](Control& c, LPARAM) { OnBorderOptionChanged(c); });
    On(ctl::kChOp, E::Click, [this](Control& c, LPARAM) { OnToolOptionChanged(c); });
    On(ctl::kChOp, E::RightButtonUp, [this](Control&, LPARAM) { OnToolPathEditRequested(); });
    On(ctl::kChOp, E::FilesDropped,
       [this](Control&, LPARAM drop) { OnFilesDroppedOnTool(reinterpret_cast<HDROP>(drop)); });
    On(ctl::kCommand3, E::Click, [this](Control&, LPARAM) { OnChooseFolderClicked(); });
    // Also when a checked box is restored at start-up: a moved program registers its new path.
    On(ctl::kCheck3, E::Click, [](Control& c, LPARAM) { ApplyAutorunCheckBox(c.Value()); });
    On(ctl::kCap, E::Click, [this](Control&, LPARAM) { BeginRegionSelect(); });
    // Starting a selection from the button hides the window and takes the focus from the
    // button: the selection's crosshair stays until the selection ends.
    On(ctl::kCap, E::LostFocus, [this](Control&, LPARAM) {
        if (!region_->Running())
            SetProgramCursor(nullptr);
    });
    On(ctl::kLabel3, E::Click, [this](Control&, LPARAM) { actions_.showAboutBox(hwnd()); });
}

void MainWindow::OnControlEvent(ui::Control&, ui::ControlEvent event, LPARAM) {
    // Any event but a timer's may change a state worth keeping; the save finds out which.
    if (event != ui::ControlEvent::Timer)
        ScheduleSettingsSave();
}

LRESULT MainWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_SIZE:
            if (wp == SIZE_MINIMIZED)
                OnMinimised();
            return 0;
        case WM_DESTROY:
            OnDestroy();
            return 0;
        case WM_QUERYENDSESSION:
            // Never holds up the logoff: the settings are written when the session really ends.
            return TRUE;
        case WM_ENDSESSION:
            // The process may be ended as soon as this returns, without WM_DESTROY: close now,
            // which writes everything once, as a close by the user does.
            if (wp)
                DestroyWindow(hwnd());
            return 0;
        case kMsgSaveCurrentScreen:
            OnSaveScreenRequested(/*beep=*/false);
            return 0;
        case kMsgHotkey:
            OnHotkey(wp, lp);
            return 0;
        case kMsgSelectionMouse:
            region_->OnMouse(wp, lp);
            return 0;
        case kMsgSaveFinished:
            saver_->RunFinished();
            return 0;
        case WM_TIMER:
            if (wp == kSingleCaptureTimerId) {
                if (singleCapturePending_)
                    FinishSingleCapture();
                return 0;
            }
            if (wp == kSettingsSaveTimerId) {
                SaveChangedSettings();
                return 0;
            }
            return Form::HandleMessage(msg, wp, lp);
        case WM_SETCURSOR:
            if (HCURSOR cursor = ProgramCursor()) {
                SetCursor(cursor);
                return TRUE;
            }
            return Form::HandleMessage(msg, wp, lp);
        default:
            return Form::HandleMessage(msg, wp, lp);
    }
}

}  // namespace vellum
