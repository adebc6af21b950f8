// The capture operations of the main window: grab, name, hand the picture to the save worker,
// and carry out what the capture roads' table says follows the write.
#include "app/main_window.h"

#include "app/main_form_design.h"
#include "app/main_window_rules.h"
#include "capture/file_system.h"
#include "capture/image_encoder.h"
#include "platform/utf16.h"

namespace vellum {

namespace {

// What every save passes to the encoder: JPEG quality, TIFF colour depth and compression (none).
constexpr int kJpegQuality = 80;
constexpr int kTiffColorDepth = 24;
constexpr int kTiffCompressionNone = 6;
// Captures taken faster than they are written wait in memory, up to this many; beyond, the next
// one waits for room (continuous capture skips its ticks long before, see app/capture_roads.h).
constexpr size_t kMaxSavesWaiting = 4;

// A new screen-compatible bitmap with the same picture; null when it cannot be made.
UniqueBitmap CopyBitmap(HBITMAP source) {
    BITMAP info{};
    if (!source || !GetObjectW(source, sizeof info, &info))
        return UniqueBitmap();
    ScopedGetDC screen(nullptr);
    UniqueBitmap copy(CreateCompatibleBitmap(screen, info.bmWidth, info.bmHeight));
    if (!copy)
        return copy;
    ScopedMemDC from(screen);
    ScopedMemDC to(screen);
    ScopedSelectObject fromSelected(from, source);
    ScopedSelectObject toSelected(to, copy.get());
    if (!fromSelected || !toSelected ||
        !BitBlt(to, 0, 0, info.bmWidth, info.bmHeight, from, 0, 0, SRCCOPY))
        return UniqueBitmap();
    return copy;
}

// Empties the clipboard and puts the bitmap on it, which then owns it. Another program may hold
// the clipboard open for a moment: a few short tries.
void PutBitmapOnClipboard(HWND owner, UniqueBitmap bitmap) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (const ScopedClipboard clipboard(owner); clipboard) {
            if (EmptyClipboard() && SetClipboardData(CF_BITMAP, bitmap.get()))
                (void)bitmap.release();  // the clipboard deletes it
            return;
        }
        Sleep(10);
    }
}

}  // namespace

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

std::optional<NameFault> MainWindow::NameFaultOf(const std::string& fileName) {
    // The name the prefix gives the file: the folder's own text is the folder's business.
    const std::string folder = Get(ctl::kP).Text();
    const bool inFolder = fileName.compare(0, folder.size(), folder) == 0;
    return CheckFileName(inFolder ? fileName.substr(folder.size()) : fileName);
}

std::string MainWindow::SaveFailureStatus(const std::string& fileName) {
    if (const std::optional<NameFault> fault = NameFaultOf(fileName))
        return SaveRefusedStatus(fileName, DescribeNameFault(*fault));
    return SaveFailedStatus(fileName);
}

void MainWindow::QueueCapture(UniqueBitmap bitmap, const std::string& fileName, AfterSave after) {
    // Everything the write needs is read here, on the window's thread.
    struct Job {
        UniqueBitmap bitmap;
        std::wstring path;
        std::string ext;
        // "Cap:1.png" would become a hidden stream of a file "Cap", "Cap\1.png" land in a
        // subfolder: such a name is refused unwritten.
        bool refused;
    };
    auto job =
        std::make_shared<Job>(Job{std::move(bitmap), Widen(fileName), Get(ctl::kCmbImgType).Text(),
                                  NameFaultOf(fileName).has_value()});
    SaveOutcome outcome{false, fileName, SaveFailureStatus(fileName)};
    saver_->Queue(
        [job, outcome, after = std::move(after),
         errorBox = actions_.saveErrorBox]() mutable -> SaveWorker::AfterWrite {
            std::wstring errorText;
            std::wstring errorCaption;
            try {
                outcome.written =
                    !job->refused &&
                    SaveBitmapToFile(std::move(job->bitmap), job->path, job->ext, kJpegQuality,
                                     kTiffColorDepth, kTiffCompressionNone,
                                     [&](const std::wstring& text, const std::wstring& caption) {
                                         errorText = text;
                                         errorCaption = caption;
                                     });
            } catch (...) {
                outcome.written = false;  // no memory for the pixels: nothing was written
            }
            return [outcome, after, errorText, errorCaption, errorBox] {
                // The box comes from the window's thread, in front of the user's program.
                if (!errorText.empty())
                    errorBox(errorText, errorCaption);
                if (after)
                    after(outcome);
            };
        },
        kMaxSavesWaiting);
}

CaptureConditions MainWindow::CurrentConditions() {
    ui::Control& chOp = Get(ctl::kChOp);
    CaptureConditions conditions;
    conditions.capType = capType_;
    conditions.savesUnfinished = saver_->Outstanding();
    conditions.clipboardBox = Get(ctl::kCheck2).Value() != BST_UNCHECKED;
    conditions.toolPathSet = !chOp.ToolTipText().empty();
    conditions.toolBoxValue = chOp.Value();
    return conditions;
}

UniqueBitmap MainWindow::Grab(GrabSource source, const hotkeys::Rect& selection) {
    switch (source) {
        case GrabSource::WholeScreen:
            return GetWinPic(0);
        case GrabSource::Selection:
            return CaptureWindow(GetDesktopWindow(), selection.left, selection.top, selection.width,
                                 selection.height);
        case GrabSource::CaptureType:
            return GetWinPic(capType_);
    }
    return UniqueBitmap();
}

void MainWindow::Capture(CaptureRoad road, const hotkeys::Rect& selection, bool soundWanted,
                         AfterSave after) {
    const StepsBeforeSave steps = DecideBeforeSave(road, CurrentConditions());
    if (steps.skip)
        return;
    std::string fileName;
    if (steps.nameBeforeGrab)
        fileName = GetNextFN();
    UniqueBitmap picture = Grab(steps.grab, selection);
    if (steps.showWindowAfterGrab)
        ShowWindow(hwnd(), SW_SHOW);
    if (steps.copyToClipboard)
        if (UniqueBitmap clipboardCopy = CopyBitmap(picture.get()))
            PutBitmapOnClipboard(hwnd(), std::move(clipboardCopy));
    SaveOnRoad(road, soundWanted, std::move(picture), std::move(fileName), std::move(after));
}

void MainWindow::SaveOnRoad(CaptureRoad road, bool soundWanted, UniqueBitmap bitmap,
                            std::string fileName, AfterSave after) {
    if (!DecideBeforeSave(road, CurrentConditions()).save)
        return;
    if (fileName.empty())
        fileName = GetNextFN();
    QueueCapture(std::move(bitmap), fileName,
                 [this, road, soundWanted, after = std::move(after)](const SaveOutcome& outcome) {
                     FollowSave(road, soundWanted, outcome);
                     if (after)
                         after(outcome);
                 });
}

void MainWindow::FollowSave(CaptureRoad road, bool soundWanted, const SaveOutcome& outcome) {
    CaptureConditions conditions = CurrentConditions();
    conditions.soundWanted = soundWanted;
    conditions.written = outcome.written;
    const StepsAfterSave steps = DecideAfterSave(road, conditions);
    switch (steps.status) {
        case StatusLine::Saved:
            Get(ctl::kLab).SetText(SavedStatus(outcome.fileName));
            break;
        case StatusLine::Failure:
            Get(ctl::kLab).SetText(outcome.failureStatus);
            break;
        case StatusLine::Unchanged:
            break;
    }
    if (steps.launchTool)
        LaunchTool(outcome.fileName);
    // The window is usually hidden after the PrintScreen key: the error sound tells that nothing
    // was saved.
    if (steps.sound != Sound::None)
        actions_.beep(steps.sound == Sound::Ok ? MB_OK : MB_ICONHAND);
}

void MainWindow::SaveP(UniqueBitmap bitmap, AfterSave after) {
    // The save of the roads that grab first, with nothing of a road's own added: as the
    // continuous road saves.
    SaveOnRoad(CaptureRoad::Continuous, /*soundWanted=*/false, std::move(bitmap), std::string(),
               std::move(after));
}

void MainWindow::SaveCurrentScr(AfterSave after) {
    Capture(CaptureRoad::PrintScreen, hotkeys::Rect{}, /*soundWanted=*/false, std::move(after));
}

bool MainWindow::FinishSaves(std::chrono::milliseconds timeout) {
    const bool ended = saver_->WaitForWrites(timeout);
    saver_->RunFinished();
    return ended;
}

}  // namespace vellum
