#include "capture/image_encoder.h"

#include <cwchar>

#include "capture/bmp_writer.h"
#include "capture/encoder_plan.h"
#include "capture/gdiplus_binding.h"
#include "capture/own_encoders.h"
#include "capture/save_error.h"
#include "capture/save_name_rules.h"
#include "platform/utf16.h"

namespace vellum {
namespace {

// One GDI+ start-up, shut down when it goes out of scope.
class GdiplusSession {
  public:
    explicit GdiplusSession(const GdiplusApi& api) : api_(api) {
        Gdiplus::GdiplusStartupInput input;  // version 1, no callback, thread and codecs allowed
        started_ = api_.Startup(&token_, &input, nullptr) == Gdiplus::Ok;
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    ~GdiplusSession() {
        if (started_)
            api_.Shutdown(token_);
    }
    bool started() const { return started_; }

  private:
    const GdiplusApi& api_;
    ULONG_PTR token_ = 0;
    bool started_ = false;
};

// A GDI+ image, disposed when it goes out of scope.
class ScopedGpBitmap {
  public:
    explicit ScopedGpBitmap(const GdiplusApi& api) : api_(api) {}
    ScopedGpBitmap(const ScopedGpBitmap&) = delete;
    ScopedGpBitmap& operator=(const ScopedGpBitmap&) = delete;
    ~ScopedGpBitmap() {
        if (bitmap_)
            api_.DisposeImage(bitmap_);
    }
    Gdiplus::GpBitmap** out() { return &bitmap_; }
    Gdiplus::GpBitmap* get() const { return bitmap_; }

  private:
    const GdiplusApi& api_;
    Gdiplus::GpBitmap* bitmap_ = nullptr;
};

std::string SystemMessage(DWORD error) {
    UniqueLocalMemory<wchar_t*> buffer;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(buffer.put()), 0, nullptr);
    return n != 0 && buffer ? Narrow(std::wstring(buffer.get(), n)) : std::string();
}

void Report(const SaveErrorReporter& report, uint32_t number, const std::string& description) {
    if (report)
        report(Widen(SaveErrorMessage(number, description)), Widen(kSaveErrorCaption));
}

bool FileExists(const std::wstring& name) {
    return GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The GDI+ save itself; GDI+ statuses end it without a word. The bitmap stays the caller's.
bool EncodeWithGdiplus(const GdiplusApi& api, HBITMAP bitmap, const std::wstring& fileName,
                       const EncoderPlan& plan, const SaveErrorReporter& report) {
    CLSID encoder{};
    const EncoderParameterBlock params(plan);
    if (!GuidFromText(plan.encoderClsid, &encoder) || !params.valid()) {
        Report(report, static_cast<uint32_t>(ERROR_INVALID_DATA), "encoder identifier");
        return false;
    }

    const GdiplusSession session(api);
    if (!session.started())
        return false;
    ScopedGpBitmap image(api);
    if (api.CreateBitmapFromHBITMAP(bitmap, nullptr, image.out()) != Gdiplus::Ok)
        return false;

    ScopedGpBitmap indexed(api);
    Gdiplus::GpBitmap* source = image.get();
    if (plan.saveFromIndexedCopy) {
        UINT width = 0;
        UINT height = 0;
        if (api.GetImageWidth(image.get(), &width) != Gdiplus::Ok ||
            api.GetImageHeight(image.get(), &height) != Gdiplus::Ok ||
            api.CloneBitmapAreaI(0, 0, static_cast<INT>(width), static_cast<INT>(height),
                                 PixelFormat8bppIndexed, image.get(), indexed.out()) != Gdiplus::Ok)
            return false;
        source = indexed.get();
    }

    return api.SaveImageToFile(source, fileName.c_str(), &encoder, params.get()) == Gdiplus::Ok &&
           FileExists(fileName);
}

// A pause between the complete write and the rename, for the tests that end the program in the
// middle of a save or press keys during a slow one: the environment variable
// VELLUM_TEST_SAVE_PAUSE_MS (milliseconds, at most 10 s); none when it is unset.
DWORD TestPauseBeforeRename() {
    static const DWORD pause = [] {
        wchar_t text[16] = {};
        const DWORD n = GetEnvironmentVariableW(L"VELLUM_TEST_SAVE_PAUSE_MS", text, 16);
        if (n == 0 || n >= 16)
            return DWORD{0};
        const long ms = wcstol(text, nullptr, 10);
        return static_cast<DWORD>(ms < 0 ? 0 : ms > 10000 ? 10000 : ms);
    }();
    return pause;
}

// The platform's encoder: faults outside GDI+'s own statuses go to `report`.
bool WriteWithGdiplus(UniqueBitmap bitmap, const std::wstring& fileName, const std::string& ext,
                      int quality, int colorDepth, int compression,
                      const SaveErrorReporter& report) {
    bool written = false;
    {
        GdiplusBindFault fault;
        const GdiplusApi* api = BindGdiplus(&fault);
        const auto plan = PlanEncoder(ext, quality, colorDepth, compression);
        if (!api) {
            Report(report, fault.error,
                   DescribeSystemFault(SystemMessage(fault.error), fault.missing));
        } else if (!plan) {
            Report(report, kUnsupportedFormatError, DescribeUnsupportedFormat(ext));
        } else {
            written = EncodeWithGdiplus(*api, bitmap.get(), fileName, *plan, report);
        }
    }
    bitmap.reset();  // after GDI+ has disposed of its image and shut down
    return written;
}

}  // namespace

bool SaveBitmapWithGdiplus(UniqueBitmap bitmap, const std::wstring& fileName,
                           const std::string& ext, int quality, int colorDepth, int compression) {
    return WriteWithGdiplus(std::move(bitmap), fileName, ext, quality, colorDepth, compression,
                            ShowSaveErrorBox);
}

bool GdiplusAvailable() {
    return BindGdiplus() != nullptr;
}

void ShowSaveErrorBox(const std::wstring& text, const std::wstring& caption) {
    // The main window is often hidden (a hotkey, a selection, continuous capture): a box owned by
    // it would stay behind the user's program, so it then comes to the front on its own.
    HWND owner = GetActiveWindow();
    UINT style = MB_OK | MB_ICONINFORMATION;
    if (!owner || !IsWindowVisible(owner)) {
        owner = nullptr;
        style |= MB_TASKMODAL | MB_SETFOREGROUND | MB_TOPMOST;
    }
    MessageBoxW(owner, text.c_str(), caption.c_str(), style);
}

bool SaveBitmapToFile(UniqueBitmap bitmap, const std::wstring& fileName, const std::string& ext,
                      int quality, int colorDepth, int compression) {
    return SaveBitmapToFile(std::move(bitmap), fileName, ext, quality, colorDepth, compression,
                            ShowSaveErrorBox);
}

bool SaveBitmapToFile(UniqueBitmap bitmap, const std::wstring& fileName, const std::string& ext,
                      int quality, int colorDepth, int compression,
                      const SaveErrorReporter& report) {
    // Written under a name of its own and renamed once complete: nobody watching the folder sees
    // a half-written picture, and a process killed meanwhile leaves none under the final name.
    const std::wstring temporary = Widen(TemporarySavePath(Narrow(fileName)));
    bool written = false;
    const SaveRoute route = RouteForExtension(ext);
    if (route == SaveRoute::OwnBmpWriter) {
        written = WriteBmpFile(bitmap.get(), temporary);
        bitmap.reset();
    } else if (route == SaveRoute::OwnEncoder) {
        written = WriteWithOwnEncoder(bitmap.get(), temporary, *OwnEncoderFor(ext));
        bitmap.reset();
    } else {
        written = WriteWithGdiplus(std::move(bitmap), temporary, ext, quality, colorDepth,
                                   compression, report);
    }
    if (written && TestPauseBeforeRename())
        Sleep(TestPauseBeforeRename());
    if (written)
        written = MoveFileExW(temporary.c_str(), fileName.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    // Whatever a failed save left behind is no picture.
    if (!written)
        DeleteFileW(temporary.c_str());
    return written;
}

}  // namespace vellum
