#include "capture/own_encoders.h"

#include <algorithm>

#include "capture/gif_encoder.h"
#include "capture/pixel_view.h"
#include "capture/png_encoder.h"
#include "capture/tiff_encoder.h"
#include "platform/scoped_win.h"

namespace vellum {
namespace {

// The bitmap's pixels as top-down 32-bit rows, as the screen grab holds them.
bool ReadPixels(HBITMAP bitmap, std::vector<uint8_t>& pixels, PixelView& view) {
    BITMAP bm{};
    if (!bitmap || GetObjectW(bitmap, sizeof bm, &bm) != sizeof bm || bm.bmWidth <= 0 ||
        bm.bmHeight <= 0)
        return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = bm.bmWidth;
    info.bmiHeader.biHeight = -bm.bmHeight;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const size_t stride = static_cast<size_t>(bm.bmWidth) * 4;
    pixels.resize(stride * static_cast<size_t>(bm.bmHeight));
    const ScopedGetDC screen(nullptr);
    if (!screen.get() || GetDIBits(screen, bitmap, 0, static_cast<UINT>(bm.bmHeight), pixels.data(),
                                   &info, DIB_RGB_COLORS) != bm.bmHeight)
        return false;
    view = PixelView{pixels.data(), bm.bmWidth, bm.bmHeight, stride};
    return true;
}

}  // namespace

std::vector<uint8_t> EncodeBitmap(HBITMAP bitmap, OwnFormat format) {
    std::vector<uint8_t> pixels;
    PixelView view;
    if (!ReadPixels(bitmap, pixels, view))
        return {};
    switch (format) {
        case OwnFormat::Png:
            return EncodePng(view);
        case OwnFormat::Gif:
            return EncodeGif(view);
        case OwnFormat::Tiff:
            return EncodeTiff(view);
    }
    return {};
}

bool WriteWithOwnEncoder(HBITMAP bitmap, const std::wstring& fileName, OwnFormat format) {
    const std::vector<uint8_t> bytes = EncodeBitmap(bitmap, format);
    if (bytes.empty())
        return false;
    bool written = false;
    {
        UniqueHandle file(CreateFileW(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            return false;
        written = true;
        for (size_t done = 0; written && done < bytes.size();) {
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
            DWORD put = 0;
            written =
                WriteFile(file.get(), bytes.data() + done, chunk, &put, nullptr) && put == chunk;
            done += put;
        }
        if (!file.Close())
            written = false;
    }
    if (!written)
        DeleteFileW(fileName.c_str());
    return written;
}

}  // namespace vellum
