#pragma once
// Decisions of the main window that need no platform: start-up mode, folder text, stored values,
// status texts.
#include <cstdint>
#include <optional>
#include <string>

namespace vellum {

inline constexpr const char* kMessageCaption = "Vellum";
inline constexpr const char* kMinimiseHint = "Ctrl+F12重新显示.";
inline constexpr const char* kNoGdiplusStatus = "仅bmp可保存.请下载GDIPlus.dll到system32下.";
inline constexpr const char* kDefaultToolPath = "mspaint.exe";
inline constexpr const char* kDefaultBorderTag = "-1";
inline constexpr const char* kToolPathKey = "ChOp_Tip";
inline constexpr const char* kBorderTagKey = "Check4_Tag";
inline constexpr const char* kImageTypes[] = {"bmp", "jpg", "gif", "png", "tiff"};
inline constexpr int kPngIndex = 3;
inline constexpr int kBmpIndex = 0;
inline constexpr int kGifIndex = 2;
inline constexpr const char* kToolPathPrompt = "程序:";
inline constexpr const char* kToolDialogFilter = "*.exe|*.exe|*.*|*.*";
inline constexpr const char* kToolDialogTitle =
    "用来打开抓到的图片的工具:(例如用尚书七号打开识别文字)";
inline constexpr const char* kFolderDialogTitle = "抓取的图片保存到...";
// Timed capture: the captions of its check box by state, the interval a bad text falls back to,
// the delay of the single capture and its messages.
inline constexpr const char* kContinuousCaption = "自动抓取,每隔";
inline constexpr const char* kSingleCaptureCaption = "自动抓取(&A)";
inline constexpr const char* kDefaultIntervalText = "200";
inline constexpr int kSingleCaptureDelayMs = 2000;
inline constexpr const char* kBadIntervalMessage = "请输入正确的时间间隔!";

// Only the exact argument text "/a" starts the program in the background.
bool StartsInBackground(const std::string& arguments);

// The output folder of a first start: the "tmp" variable with a trailing "\"; unset or empty
// gives an empty folder.
std::string DefaultOutputFolder(const std::optional<std::string>& tmp);

// The border colour stored as signed decimal text; anything else is "no colour" (-1).
int32_t ParseColorTag(const std::string& text);

// The message for an output folder that is not there.
std::string MissingFolderMessage(const std::string& folder);

std::string SavedStatus(const std::string& path);
std::string SaveFailedStatus(const std::string& path);
// The same for a capture whose name the platform would misread: what is wrong follows the name.
std::string SaveRefusedStatus(const std::string& path, const std::string& reason);

inline constexpr const char* kUnusableToolPathStatus = "程序路径不能含有双引号或控制字符";

}  // namespace vellum
