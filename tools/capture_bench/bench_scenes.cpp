#include "bench_scenes.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/scoped_win.h"
#include "test_pictures.h"

namespace vellum::bench {
namespace {

uint32_t NextNoise(uint32_t& state) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

uint32_t Clamp(double v) {
    return v < 0 ? 0 : v > 255 ? 255 : static_cast<uint32_t>(v);
}

HFONT MakeFont(int pixels, int weight, const wchar_t* face) {
    return CreateFontW(-pixels, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, face);
}

void Fill(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
    const RECT rect{left, top, right, bottom};
    UniqueBrush brush(CreateSolidBrush(colour));
    FillRect(dc, &rect, brush.get());
}

void Text(HDC dc, int x, int y, const std::wstring& text, HFONT font, COLORREF colour) {
    ScopedSelectObject selected(dc, font);
    SetTextColor(dc, colour);
    SetBkMode(dc, TRANSPARENT);
    TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

const wchar_t* const kParagraph[] = {
    L"栖木抓屏精灵把屏幕上的任何区域保存为编号的图片文件。按下 PrintScreen 键即保存整个屏幕,",
    L"Ctrl+Alt+A 开始框选区域, Ctrl+F12 隐藏或显示主窗口。图片可以保存为 BMP、JPG、GIF、PNG",
    L"或 TIFF 格式, 并可自动复制到剪贴板或用外部程序打开。The quick brown fox jumps over the",
    L"lazy dog; 0123456789 (){}[] <> +-*/ = ~ @ # $ % ^ & _ | \\ : ; \" ' , . ? ! — a line of",
    L"ordinary prose in a proportional font, as a browser, a mail client or an editor shows it.",
};

// A page of text on white: a heading, paragraphs and a small table.
void PaintTextPage(HDC dc, int left, int width, int height) {
    Fill(dc, left, 0, left + width, height, RGB(255, 255, 255));
    const int unit = std::max(1, height / 1080);
    UniqueFont heading(MakeFont(28 * unit, FW_BOLD, L"Microsoft Sans Serif"));
    UniqueFont body(MakeFont(15 * unit, FW_NORMAL, L"Microsoft Sans Serif"));
    int y = 24 * unit;
    Text(dc, left + 32 * unit, y, L"屏幕截图使用说明 — Screen capture notes", heading.get(),
         RGB(0x1F, 0x3A, 0x60));
    y += 52 * unit;
    for (int block = 0; y < height - 40 * unit; ++block) {
        for (const wchar_t* line : kParagraph) {
            Text(dc, left + 32 * unit, y, line, body.get(), block % 3 == 2 ? RGB(0x80, 0, 0) : 0);
            y += 22 * unit;
        }
        y += 14 * unit;
        if (block % 4 == 1) {  // a table with ruled lines
            for (int row = 0; row < 5; ++row) {
                Fill(dc, left + 32 * unit, y, left + width - 32 * unit, y + unit,
                     RGB(0xC0, 0xC0, 0xC0));
                for (int col = 0; col < 4; ++col)
                    Text(dc, left + (40 + col * 200) * unit, y + 4 * unit,
                         L"单元 " + std::to_wstring(row * 4 + col) + L" = " +
                             std::to_wstring((row + 3) * (col + 7) * 137),
                         body.get(), 0);
                y += 26 * unit;
            }
            y += 14 * unit;
        }
    }
}

// A photograph stand-in: smooth shapes of light and colour with a sensor's fine noise.
uint32_t PhotoPixel(int x, int y, int width, int height, uint32_t& noise) {
    const double u = static_cast<double>(x) / width;
    const double v = static_cast<double>(y) / height;
    const double sky = 1 - v;
    const double hill = 0.5 + 0.5 * std::sin(u * 9.0 + std::sin(v * 5.0) * 2.0);
    const double sun = std::exp(-((u - 0.7) * (u - 0.7) + (v - 0.25) * (v - 0.25)) * 40.0);
    const double n = static_cast<double>(NextNoise(noise) & 0x0F) - 7.5;
    const double r = 60 + 120 * sky * (1 - hill * 0.4) + 180 * sun + n;
    const double g = 90 + 100 * hill * v + 120 * sun + 40 * std::sin(u * 31.0 + v * 17.0) + n;
    const double b = 70 + 160 * sky - 60 * hill * v + 60 * sun + n;
    return Clamp(r) << 16 | Clamp(g) << 8 | Clamp(b);
}

void PaintTextAndPhoto(HDC dc, int width, int height) {
    const int textWidth = width * 55 / 100;
    PaintTextPage(dc, 0, textWidth, height);
    const int photoWidth = width - textWidth;
    uint32_t noise = 2463534242u;
    // The photograph is painted into its own bitmap, then placed beside the text.
    UniqueBitmap photo(CreateCompatibleBitmap(dc, photoWidth, height));
    ScopedMemDC photoDc(dc);
    {
        ScopedSelectObject selected(photoDc, photo.get());
        testing::PaintPixels(photoDc, photoWidth, height, [&](int x, int y) {
            return PhotoPixel(x, y, photoWidth, height, noise);
        });
        BitBlt(dc, textWidth, 0, photoWidth, height, photoDc, 0, 0, SRCCOPY);
    }
}

// One application window: a title bar, a toolbar of buttons, a list of rows and a status bar.
void PaintAppWindow(HDC dc, const RECT& frame, int unit, HFONT font, const std::wstring& title) {
    Fill(dc, frame.left - unit, frame.top - unit, frame.right + unit, frame.bottom + unit,
         RGB(0x80, 0x80, 0x80));
    Fill(dc, frame.left, frame.top, frame.right, frame.top + 30 * unit, RGB(0x00, 0x78, 0xD7));
    Text(dc, frame.left + 10 * unit, frame.top + 7 * unit, title, font, RGB(255, 255, 255));
    Fill(dc, frame.left, frame.top + 30 * unit, frame.right, frame.bottom, RGB(0xF0, 0xF0, 0xF0));
    int x = frame.left + 8 * unit;
    const wchar_t* const buttons[] = {L"新建", L"打开", L"保存", L"打印", L"设置", L"帮助"};
    for (const wchar_t* caption : buttons) {
        RECT button{x, frame.top + 38 * unit, x + 76 * unit, frame.top + 64 * unit};
        DrawFrameControl(dc, &button, DFC_BUTTON, DFCS_BUTTONPUSH);
        Text(dc, x + 22 * unit, frame.top + 43 * unit, caption, font, 0);
        x += 84 * unit;
    }
    const int listTop = frame.top + 72 * unit;
    const int statusTop = frame.bottom - 24 * unit;
    Fill(dc, frame.left + 8 * unit, listTop, frame.right - 8 * unit, statusTop - 8 * unit,
         RGB(255, 255, 255));
    int row = 0;
    for (int y = listTop + 4 * unit; y + 22 * unit < statusTop - 8 * unit; y += 22 * unit, ++row) {
        if (row == 3)
            Fill(dc, frame.left + 9 * unit, y - 2 * unit, frame.right - 9 * unit, y + 20 * unit,
                 RGB(0xCC, 0xE8, 0xFF));
        Text(dc, frame.left + 16 * unit, y,
             L"PXGR_Cap_" + std::to_wstring(row + 1) + L".png    2026-12-10 14:" +
                 std::to_wstring(10 + row % 50) + L"    " + std::to_wstring(1200 + row * 37) +
                 L" KB",
             font, row == 3 ? RGB(0, 0x33, 0x99) : 0);
    }
    Fill(dc, frame.left, statusTop, frame.right, frame.bottom, RGB(0xE5, 0xE5, 0xE5));
    Text(dc, frame.left + 10 * unit, statusTop + 4 * unit, L"已保存到: C:\\截图\\PXGR_Cap_4.png",
         font, RGB(0x40, 0x40, 0x40));
}

void PaintPlainUi(HDC dc, int width, int height) {
    const int unit = std::max(1, height / 1080);
    Fill(dc, 0, 0, width, height, RGB(0x3A, 0x6E, 0xA5));  // the desktop
    UniqueFont font(MakeFont(13 * unit, FW_NORMAL, L"Microsoft Sans Serif"));
    PaintAppWindow(dc, RECT{60 * unit, 50 * unit, 1100 * unit, 760 * unit}, unit, font.get(),
                   L"文件管理器 — C:\\截图");
    PaintAppWindow(dc, RECT{700 * unit, 300 * unit, 1860 * unit, 1000 * unit}, unit, font.get(),
                   L"设置 — Settings");
    Fill(dc, 0, height - 40 * unit, width, height, RGB(0x20, 0x20, 0x20));  // the taskbar
    for (int i = 0; i < 8; ++i)
        Fill(dc, (60 + i * 56) * unit, height - 34 * unit, (100 + i * 56) * unit, height - 6 * unit,
             RGB(0x50 + i * 12, 0x60, 0x90));
}

void PaintBusy(HDC dc, int width, int height) {
    uint32_t noise = 2463534242u;
    testing::PaintPixels(dc, width, height, [&](int x, int y) {
        const uint32_t n = NextNoise(noise) & 0x0F;
        const uint32_t r = ((x * 255 / width) + n) & 255;
        const uint32_t g = ((y * 255 / height) + n) & 255;
        const uint32_t b = (((x ^ y) & 0xFF) / 2 + 64 + n) & 255;
        return r << 16 | g << 8 | b;
    });
}

}  // namespace

const char* SceneName(Scene scene) {
    switch (scene) {
        case Scene::TextAndPhoto:
            return "text-photo";
        case Scene::PlainUi:
            return "plain-ui";
        case Scene::Busy:
            return "busy";
    }
    return "";
}

bool SceneFromName(const char* name, Scene& scene) {
    for (Scene s : {Scene::TextAndPhoto, Scene::PlainUi, Scene::Busy})
        if (std::strcmp(name, SceneName(s)) == 0) {
            scene = s;
            return true;
        }
    return false;
}

void PaintScene(HDC dc, int width, int height, Scene scene) {
    if (width <= 0 || height <= 0)
        return;
    switch (scene) {
        case Scene::TextAndPhoto:
            PaintTextAndPhoto(dc, width, height);
            break;
        case Scene::PlainUi:
            PaintPlainUi(dc, width, height);
            break;
        case Scene::Busy:
            PaintBusy(dc, width, height);
            break;
    }
}

}  // namespace vellum::bench
