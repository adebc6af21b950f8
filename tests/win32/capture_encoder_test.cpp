// The save path against the real platform: GDI+ parameter blocks, every format written, the
// failures, the error box and the own BMP writer at every colour depth.
#include "capture/image_encoder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "capture/encoder_plan.h"
#include "capture/gdiplus_binding.h"
#include "capture/save_error.h"
#include "platform/utf16.h"
#include "test_pictures.h"

namespace vellum {
namespace {

// A folder with a Chinese name and a blank under the temporary folder, removed with its files.
class TempFolder {
  public:
    TempFolder() {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        static int serial = 0;
        path_ = std::wstring(base) + L"栖木 测试 " + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(++serial) + L"\\";
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~TempFolder() {
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((path_ + L"*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring full = path_ + fd.cFileName;
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    RemoveDirectoryW(full.c_str());
                } else {
                    SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                    DeleteFileW(full.c_str());
                }
            } while (FindNextFileW(h, &fd));
            FindClose(h);
        }
        RemoveDirectoryW(path_.c_str());
    }
    const std::wstring& path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + name; }

  private:
    std::wstring path_;
};

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadAll(const std::wstring& path) {
    std::string out;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return out;
    char buf[65536];
    DWORD n = 0;
    while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0) out.append(buf, n);
    CloseHandle(h);
    return out;
}

// A 32-bit DIB section of w x h with position-dependent colours.
HBITMAP MakePicture(int w, int h) {
    const BITMAPINFO bi = testing::TopDown32(w, h);
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* px = static_cast<uint32_t*>(bits);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            px[y * w + x] = ((x * 9) & 255) << 16 | ((y * 7) & 255) << 8 | 0x40;
    return bmp;
}

struct Recorder {
    int calls = 0;
    std::wstring text;
    std::wstring caption;
    SaveErrorReporter sink() {
        return [this](const std::wstring& t, const std::wstring& c) {
            ++calls;
            text = t;
            caption = c;
        };
    }
};

const GUID kQualityGuid = {
    0x1d5be4b5, 0xfa4a, 0x452d, {0x9c, 0xdd, 0x5d, 0xb3, 0x51, 0x05, 0xe7, 0xeb}};
const GUID kCompressionGuid = {
    0xe09d739d, 0xccd4, 0x44ee, {0x8e, 0xba, 0x3f, 0xbf, 0x8b, 0xe4, 0xfc, 0x58}};
const GUID kColorDepthGuid = {
    0x66087055, 0xad66, 0x4c7c, {0x9a, 0x18, 0x38, 0xa2, 0x31, 0x0b, 0x83, 0x37}};

TEST(EncoderParameterBlock, HoldsCountGuidsTypesAndValuesForEachFormat) {
    struct Param {
        GUID guid;
        ULONG value;
    };
    const std::pair<const char*, std::vector<Param>> cases[] = {
        {"jpg", {{kQualityGuid, 80}}},
        {"png", {}},
        {"gif", {}},
        {"tiff", {{kCompressionGuid, 6}, {kColorDepthGuid, 24}}},
    };
    for (const auto& [ext, expected] : cases) {
        SCOPED_TRACE(ext);
        const auto plan = PlanEncoder(ext, 80, 24, 6);
        ASSERT_TRUE(plan);
        const EncoderParameterBlock block(*plan);
        ASSERT_TRUE(block.valid());
        const Gdiplus::EncoderParameters* p = block.get();
        ASSERT_NE(p, nullptr);
        ASSERT_EQ(p->Count, expected.size());
        const Gdiplus::EncoderParameter* params = p->Parameter;
        for (size_t i = 0; i < expected.size(); ++i) {
            SCOPED_TRACE("parameter " + std::to_string(i));
            EXPECT_TRUE(IsEqualGUID(params[i].Guid, expected[i].guid));
            EXPECT_EQ(params[i].NumberOfValues, 1u);
            EXPECT_EQ(params[i].Type, 4u);  // EncoderParameterValueTypeLong
            ASSERT_NE(params[i].Value, nullptr);
            EXPECT_EQ(*static_cast<const ULONG*>(params[i].Value), expected[i].value);
        }
        if (expected.empty()) {
            // A zeroed list: no stray parameter behind the count of 0.
            const auto* raw = reinterpret_cast<const unsigned char*>(p);
            EXPECT_EQ(std::vector<unsigned char>(raw, raw + sizeof(Gdiplus::EncoderParameters)),
                      std::vector<unsigned char>(sizeof(Gdiplus::EncoderParameters), 0));
        }
    }
}

TEST(EncoderPlan, ClassIdentifiersAreTheInstalledEncodersOfEachFormat) {
    ASSERT_TRUE(GdiplusAvailable());
    HMODULE gdiplus = LoadLibraryW(L"gdiplus.dll");
    ASSERT_NE(gdiplus, nullptr);
    const auto api = BindGdiplus();
    const auto getSize = reinterpret_cast<decltype(&Gdiplus::DllExports::GdipGetImageEncodersSize)>(
        reinterpret_cast<void*>(GetProcAddress(gdiplus, "GdipGetImageEncodersSize")));
    const auto getEncoders = reinterpret_cast<decltype(&Gdiplus::DllExports::GdipGetImageEncoders)>(
        reinterpret_cast<void*>(GetProcAddress(gdiplus, "GdipGetImageEncoders")));
    ASSERT_TRUE(getSize && getEncoders);
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    ASSERT_EQ(api->Startup(&token, &input, nullptr), Gdiplus::Ok);
    UINT count = 0, bytes = 0;
    ASSERT_EQ(getSize(&count, &bytes), Gdiplus::Ok);
    std::vector<uint64_t> storage(bytes / 8 + 1);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(storage.data());
    ASSERT_EQ(getEncoders(count, bytes, codecs), Gdiplus::Ok);
    std::map<std::wstring, GUID> byMime;
    for (UINT i = 0; i < count; ++i) byMime[codecs[i].MimeType] = codecs[i].Clsid;
    api->Shutdown(token);
    FreeLibrary(gdiplus);

    const std::pair<const char*, const wchar_t*> cases[] = {{"jpg", L"image/jpeg"},
                                                            {"png", L"image/png"},
                                                            {"gif", L"image/gif"},
                                                            {"tiff", L"image/tiff"}};
    for (const auto& [ext, mime] : cases) {
        SCOPED_TRACE(ext);
        GUID clsid{};
        ASSERT_TRUE(GuidFromText(PlanEncoder(ext, 80, 24, 6)->encoderClsid, &clsid));
        ASSERT_EQ(byMime.count(mime), 1u);
        EXPECT_TRUE(IsEqualGUID(byMime[mime], clsid));
    }
}

TEST(SaveBitmapToFile, WritesEachFormatIntoAChineseFolderAndReleasesTheBitmap) {
    const TempFolder folder;
    const std::pair<const char*, std::string> cases[] = {
        {"bmp", "BM"},           {"png", "\x89PNG\r\n\x1a\n"}, {"Png", "\x89PNG"},
        {"jpg", "\xFF\xD8\xFF"}, {"JPG", "\xFF\xD8\xFF"},      {"gif", "GIF8"},
        {"tiff", "II*"}};
    for (const auto& [ext, magic] : cases) {
        SCOPED_TRACE(ext);
        const HBITMAP raw = MakePicture(37, 23);
        const std::wstring name = folder / (L"图 " + Widen(ext) + L"." + Widen(ext));
        Recorder errors;
        EXPECT_TRUE(SaveBitmapToFile(UniqueBitmap(raw), name, ext, 80, 24, 6, errors.sink()));
        EXPECT_EQ(errors.calls, 0);
        EXPECT_EQ(ReadAll(name).substr(0, magic.size()), magic);
        EXPECT_EQ(GetObjectType(raw), 0u) << "bitmap still alive";
    }
}

TEST(SaveBitmapToFile, ExtensionWithoutEncoderShowsTheErrorBoxAndWritesNothing) {
    const TempFolder folder;
    for (const char* ext : {"BMP", "Bmp", "webp", "jpeg", ""}) {
        SCOPED_TRACE(std::string("\"") + ext + "\"");
        for (bool nullBitmap : {false, true}) {
            const HBITMAP raw = nullBitmap ? nullptr : MakePicture(8, 8);
            const std::wstring name = folder / L"x.out";
            Recorder errors;
            EXPECT_FALSE(SaveBitmapToFile(UniqueBitmap(raw), name, ext, 80, 24, 6, errors.sink()));
            EXPECT_EQ(errors.calls, 1);
            EXPECT_EQ(errors.caption, L"错误");
            EXPECT_EQ(errors.text, Widen(SaveErrorMessage(kUnsupportedFormatError,
                                                          DescribeUnsupportedFormat(ext))));
            EXPECT_FALSE(Exists(name));
            if (raw) {
                EXPECT_EQ(GetObjectType(raw), 0u) << "bitmap still alive";
            }
        }
    }
}

TEST(SaveBitmapToFile, FailedWritesLeaveNoFileAndShowNothing) {
    const TempFolder folder;
    CreateDirectoryW((folder / L"sub.png").c_str(), nullptr);
    for (const char* ext : {"bmp", "jpg", "png", "gif", "tiff"}) {
        struct Case {
            const char* what;
            bool nullBitmap;
            std::wstring name;
        };
        const Case cases[] = {
            {"null bitmap", true, folder / (L"null." + Widen(ext))},
            {"missing folder", false, folder / (L"缺少\\x." + Widen(ext))},
            {"name of a folder", false, folder / L"sub.png"},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(ext) + ", " + c.what);
            const HBITMAP raw = c.nullBitmap ? nullptr : MakePicture(16, 16);
            Recorder errors;
            EXPECT_FALSE(
                SaveBitmapToFile(UniqueBitmap(raw), c.name, ext, 80, 24, 6, errors.sink()));
            EXPECT_EQ(errors.calls, 0);
            if (raw) {
                EXPECT_EQ(GetObjectType(raw), 0u) << "bitmap still alive";
            }
        }
        EXPECT_FALSE(Exists(folder / (L"null." + Widen(ext))));
        EXPECT_FALSE(Exists(folder / L"缺少"));
        EXPECT_TRUE(GetFileAttributesW((folder / L"sub.png").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    }
}

TEST(SaveBitmapToFile, FileThatCannotBeReplacedKeepsItsContent) {
    const TempFolder folder;
    for (const char* ext : {"bmp", "jpg", "png", "gif", "tiff"}) {
        SCOPED_TRACE(ext);
        const std::wstring name = folder / (L"locked." + Widen(ext));
        HANDLE lock = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(lock, INVALID_HANDLE_VALUE);
        DWORD n = 0;
        WriteFile(lock, "old", 3, &n, nullptr);
        Recorder errors;
        EXPECT_FALSE(SaveBitmapToFile(UniqueBitmap(MakePicture(16, 16)), name, ext, 80, 24, 6,
                                      errors.sink()));
        CloseHandle(lock);
        EXPECT_EQ(errors.calls, 0);
        EXPECT_EQ(ReadAll(name), "old");
    }
}

TEST(SaveBitmapToFile, ErrorBoxIsAnInformationBoxTitledErrorWithOnlyOk) {
    struct Seen {
        std::wstring text;
        bool infoIcon = false;
        bool hasCancel = true;
        bool found = false;
    } seen;
    // The box is modal on this thread: another thread reads it and presses OK.
    std::thread watcher([&seen] {
        for (int i = 0; i < 500 && !seen.found; ++i) {
            HWND box = FindWindowW(L"#32770", L"错误");
            DWORD pid = 0;
            if (box)
                GetWindowThreadProcessId(box, &pid);
            if (box && pid == GetCurrentProcessId()) {
                wchar_t text[512] = {};
                GetDlgItemTextW(box, 0xFFFF, text, 512);
                seen.text = text;
                const HICON icon =
                    reinterpret_cast<HICON>(SendDlgItemMessageW(box, 0x440, STM_GETICON, 0, 0));
                seen.infoIcon = icon && icon == LoadIconW(nullptr, IDI_INFORMATION);
                seen.hasCancel =
                    GetDlgItem(box, IDCANCEL) && IsWindowVisible(GetDlgItem(box, IDCANCEL));
                seen.found = true;
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                return;
            }
            Sleep(20);
        }
    });
    const TempFolder folder;
    EXPECT_FALSE(
        SaveBitmapToFile(UniqueBitmap(MakePicture(8, 8)), folder / L"a.BMP", "BMP", 80, 24, 6));
    watcher.join();
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.text,
              Widen(SaveErrorMessage(kUnsupportedFormatError, DescribeUnsupportedFormat("BMP"))));
    EXPECT_TRUE(seen.infoIcon);
    EXPECT_FALSE(seen.hasCancel);
}

// A device-dependent bitmap of `bpp` (CreateBitmap; 0: compatible with the screen) holding the
// 32-bit picture as that depth shows it.
HBITMAP MakeDdb(int w, int h, int bpp) {
    HDC screen = GetDC(nullptr);
    HBITMAP ddb = bpp ? CreateBitmap(w, h, 1, static_cast<UINT>(bpp), nullptr)
                      : CreateCompatibleBitmap(screen, w, h);
    HBITMAP picture = testing::DepthPicture(w, h, 32);
    HDC from = CreateCompatibleDC(screen);
    HDC to = CreateCompatibleDC(screen);
    HGDIOBJ oldFrom = SelectObject(from, picture);
    HGDIOBJ oldTo = SelectObject(to, ddb);
    BitBlt(to, 0, 0, w, h, from, 0, 0, SRCCOPY);
    SelectObject(from, oldFrom);
    SelectObject(to, oldTo);
    DeleteDC(from);
    DeleteDC(to);
    DeleteObject(picture);
    ReleaseDC(nullptr, screen);
    return ddb;
}

TEST(SaveBitmapToFile, BmpKeepsTheBitmapsOwnDepthAndPixels) {
    const TempFolder folder;
    const int w = 13, h = 5;  // rows need padding at every depth below 32 bits
    struct Case {
        bool dib;
        int bpp;  // 0: a screen-compatible bitmap, as a grab makes
    };
    const Case cases[] = {{true, 1},  {true, 4},  {true, 8},   {true, 16}, {true, 24},
                          {true, 32}, {false, 1}, {false, 16}, {false, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.dib ? "DIB section " : "DDB ") + std::to_string(c.bpp) +
                     " bits");
        const HBITMAP source = c.dib ? testing::DepthPicture(w, h, c.bpp) : MakeDdb(w, h, c.bpp);
        ASSERT_NE(source, nullptr);
        BITMAP bm{};
        GetObjectW(source, sizeof bm, &bm);
        const int bpp = bm.bmBitsPixel;
        const std::vector<uint32_t> expected = testing::Rgb32Pixels(source, w, h);
        const std::wstring name =
            folder / (L"depth" + std::to_wstring(c.dib) + L"-" + std::to_wstring(bpp) + L".bmp");
        ASSERT_TRUE(SaveBitmapToFile(UniqueBitmap(source), name, "bmp", 80, 24, 6, {}));

        const std::string file = ReadAll(name);
        ASSERT_GE(file.size(), 54u);
        uint32_t fileSize = 0, offset = 0;
        uint16_t bitCount = 0;
        std::memcpy(&fileSize, file.data() + 2, 4);
        std::memcpy(&offset, file.data() + 10, 4);
        std::memcpy(&bitCount, file.data() + 28, 2);
        EXPECT_EQ(fileSize, file.size());
        EXPECT_EQ(bitCount, bpp);
        EXPECT_EQ(file.size() - offset, static_cast<size_t>((w * bpp + 31) / 32 * 4 * h));

        // GDI reads the file's own headers: depth, colour table or masks. (Wine's LoadImageW
        // drops the masks of a 16-bit file, so it is not used here.)
        void* bits = nullptr;
        const HBITMAP loaded =
            CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(file.data() + 14),
                             DIB_RGB_COLORS, &bits, nullptr, 0);
        ASSERT_NE(loaded, nullptr);
        std::memcpy(bits, file.data() + offset, file.size() - offset);
        EXPECT_EQ(testing::Rgb32Pixels(loaded, w, h), expected);
        DeleteObject(loaded);
    }
}

}  // namespace
}  // namespace vellum
