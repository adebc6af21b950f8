// answers WINDOW --ms=N [--every=MS]: how fast a window's thread answers while the program works.
#include <algorithm>
#include <vector>

#include "driver.h"

namespace driver {

// Sends WM_NULL again and again for N ms (every MS ms, 10 by default) and reports the slowest
// and the median round trip. A thread busy with a long job answers only when the job is done.
int CmdAnswers(const Args& args) {
    HWND hwnd = args.Window(0);
    const long long total = args.OptionNumber(L"ms", 1000);
    const DWORD every = static_cast<DWORD>(args.OptionNumber(L"every", 10));
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    const auto now = [&] {
        LARGE_INTEGER t;
        QueryPerformanceCounter(&t);
        return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
    };
    std::vector<double> rounds;
    long long unanswered = 0;
    const double start = now();
    while (now() - start < static_cast<double>(total)) {
        DWORD_PTR result = 0;
        const double sent = now();
        if (SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result))
            rounds.push_back(now() - sent);
        else
            ++unanswered;
        if (!IsWindow(hwnd))
            break;
        Sleep(every);
    }
    std::sort(rounds.begin(), rounds.end());
    const double slowest = rounds.empty() ? 0 : rounds.back();
    const double median = rounds.empty() ? 0 : rounds[rounds.size() / 2];
    JsonLine()
        .Handle("hwnd", hwnd)
        .Int("rounds", static_cast<long long>(rounds.size()))
        .Int("unanswered", unanswered)
        .Int("slowest_us", static_cast<long long>(slowest * 1000))
        .Int("median_us", static_cast<long long>(median * 1000))
        .Emit();
    return rounds.empty() || unanswered ? kExitFailed : kExitOk;
}

}  // namespace driver
