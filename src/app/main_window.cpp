#include "app/main_window.h"

#include "app/main_form_design.h"
#include "app/main_window_rules.h"
#include "capture/image_encoder.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/utf16.h"

namespace vellum {

namespace {

constexpr wchar_t kClassName[] = L"VellumForm1";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// The saved tool path a fresh start holds while the tool box is unchecked.
constexpr const char* kInitialSavedToolPath = "mspaint";
// What every save passes to the encoder: JPEG quality, TIFF colour depth and compression (none).
constexpr int kJpegQuality = 80;
constexpr int kTiffColorDepth = 24;
constexpr int kTiffCompressionNone = 6;

}  // namespace

MainWindow::MainWindow()
    : ui::Form(MainFormDesign()),
      applicationName_(ApplicationName(ExeBaseName(ExecutablePath()))) {}

bool MainWindow::Create() {
    if (!CreateForm(kClassName, kStyle, nullptr))
        return false;
    Get(ctl::kChOp).SetTag(kInitialSavedToolPath);
    Load();
    return true;
}

void MainWindow::ShowNormal() {
    ShowWindow(hwnd(), SW_SHOWNORMAL);
    UpdateWindow(hwnd());
}

void MainWindow::Load() {
    const std::string storeKey = SettingsStoreKey(applicationName_, design().name);
    ui::Control& chOp = Get(ctl::kChOp);
    chOp.SetToolTipText(
        ReadRegistryString(HKEY_CURRENT_USER, storeKey, kToolPathKey).value_or(kDefaultToolPath));
    Get(ctl::kCheck4)
        .SetTag(ReadRegistryString(HKEY_CURRENT_USER, storeKey, kBorderTagKey)
                    .value_or(kDefaultBorderTag));

    ui::Control& folder = Get(ctl::kP);
    if (folder.Text().empty())
        folder.SetText(DefaultOutputFolder(EnvironmentVariable("tmp")));

    ui::Control& imageType = Get(ctl::kCmbImgType);
    if (imageType.ListCount() < 2)
        for (const char* type : kImageTypes) imageType.AddItem(type);

    gdiplusAvailable_ = GdiplusAvailable();
    if (gdiplusAvailable_) {
        if (imageType.ListIndex() < 0)
            imageType.SetListIndex(kPngIndex);
    } else {
        imageType.SetListIndex(kBmpIndex);
        imageType.SetEnabled(false);
        Get(ctl::kLab).SetText(kNoGdiplusStatus);
    }
}

void MainWindow::OnDestroy() {
    const std::string storeKey = SettingsStoreKey(applicationName_, design().name);
    WriteRegistryString(HKEY_CURRENT_USER, storeKey, kToolPathKey, Get(ctl::kChOp).ToolTipText());
    WriteRegistryString(HKEY_CURRENT_USER, storeKey, kBorderTagKey, Get(ctl::kCheck4).Tag());
    PostQuitMessage(0);
}

void MainWindow::OnMinimised() {
    if (tag_.empty()) {
        tag_ = "M";
        // Not owned by this window: a minimised owner would hide its message box.
        MessageBoxW(nullptr, Widen(kMinimiseHint).c_str(), Widen(kMessageCaption).c_str(),
                    MB_OK | MB_TASKMODAL | MB_SETFOREGROUND);
    }
    ShowWindow(hwnd(), SW_HIDE);
}

void MainWindow::OpenOutputFolder() {
    StartCommandLine(ExplorerCommandLine(Get(ctl::kP).Text()), SW_SHOWNORMAL);
}

void MainWindow::LaunchTool(const std::string& fileName) {
    // A tool that cannot be started is ignored: the saved file stands.
    StartCommandLine(ToolCommandLine(Get(ctl::kChOp).ToolTipText(), fileName), SW_SHOWNORMAL);
}

CaptureOptions MainWindow::CurrentCaptureOptions() {
    ui::Control& border = Get(ctl::kCheck4);
    CaptureOptions options;
    options.capType = capType_;
    options.border = border.Value() != 0;
    options.borderColor = ParseColorTag(border.Tag());
    return options;
}

std::string MainWindow::GetNextFN() {
    return namer_.Next(Get(ctl::kP).Text(), Get(ctl::kTbxQZ).Text(), Get(ctl::kCmbImgType).Text(),
                       &ProbeFile);
}

UniqueBitmap MainWindow::GetWinPic(int16_t iCapType) {
    return vellum::GetWinPic(iCapType, CurrentCaptureOptions());
}

UniqueBitmap MainWindow::CaptureWindow(HWND hWndSrc, int32_t leftSrc, int32_t topSrc,
                                       int32_t widthSrc, int32_t heightSrc) {
    return vellum::CaptureWindow(hWndSrc, leftSrc, topSrc, widthSrc, heightSrc,
                                 CurrentCaptureOptions());
}

bool MainWindow::SaveP(UniqueBitmap bitmap, std::string& fileName) {
    // The "DirectX" type grabs nothing: no name is taken and the status line stays.
    if (capType_ == 3)
        return false;
    fileName = GetNextFN();
    const bool written =
        SaveBitmapToFile(std::move(bitmap), Widen(fileName), Get(ctl::kCmbImgType).Text(),
                         kJpegQuality, kTiffColorDepth, kTiffCompressionNone);
    Get(ctl::kLab).SetText(written ? SavedStatus(fileName) : SaveFailedStatus(fileName));
    return written;
}

void MainWindow::SaveCurrentScr() {
    const std::string fileName = GetNextFN();
    UniqueBitmap screen = GetWinPic(0);
    if (!SaveBitmapToFile(std::move(screen), Widen(fileName), Get(ctl::kCmbImgType).Text(),
                          kJpegQuality, kTiffColorDepth, kTiffCompressionNone))
        return;
    ui::Control& chOp = Get(ctl::kChOp);
    if (!chOp.ToolTipText().empty() && chOp.Value() > 0)
        LaunchTool(fileName);
}

void MainWindow::OnControlEvent(ui::Control& control, ui::ControlEvent event, LPARAM) {
    const std::string& name = control.name();
    if (event == ui::ControlEvent::DoubleClick && (name == ctl::kLabel1 || name == ctl::kP)) {
        OpenOutputFolder();
    } else if (event == ui::ControlEvent::LostFocus && name == ctl::kP) {
        const std::string text = control.Text();
        if (text.empty() || text.back() != '\\')
            control.SetText(WithTrailingBackslash(text));
    } else if (event == ui::ControlEvent::Click && name == ctl::kOp) {
        capType_ = static_cast<int16_t>(control.index());
    }
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
        case kMsgSaveCurrentScreen:
            SaveCurrentScr();
            return 0;
        default:
            return Form::HandleMessage(msg, wp, lp);
    }
}

}  // namespace vellum
