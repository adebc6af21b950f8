// The typed interval: only numeric texts convert, to the value rounded half to even, and only
// when that lies in 0..kMaxIntervalMs. The C library's strtod and nearbyint are the reference.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "settings/interval.h"

namespace {

void Check(bool holds) {
    if (!holds)
        __builtin_trap();
}

// What an exactly rounded value converts to.
std::optional<int> InRange(double rounded) {
    if (rounded == 0)
        return 0;  // also a negative value that rounds to zero
    if (rounded < 0 || rounded > vellum::kMaxIntervalMs)
        return std::nullopt;
    return static_cast<int>(rounded);
}

// Whether the text is a number by strtod's reading, limited to the characters a plain decimal
// number can hold (strtod also reads hexadecimal, inf and nan).
bool IsNumericByStrtod(const std::string& text, double& value) {
    if (text.find_first_not_of(" \t0123456789+-.eE") != std::string::npos)
        return false;
    const char* begin = text.c_str();
    char* end = nullptr;
    value = std::strtod(begin, &end);
    if (end == begin)
        return false;
    return text.find_first_not_of(" \t", static_cast<size_t>(end - begin)) == std::string::npos;
}

// The significant digits of the mantissa as typed (leading zeros left out).
size_t SignificantDigits(const std::string& text) {
    size_t count = 0;
    for (const char c : text) {
        if (c == 'e' || c == 'E')
            break;
        if (c >= '1' && c <= '9')
            ++count;
        else if (c == '0' && count > 0)
            ++count;
    }
    return count;
}

void CheckText(const std::string& text) {
    double value = 0;
    const bool numeric = IsNumericByStrtod(text, value);
    Check(vellum::IsIntervalNumeric(text) == numeric);
    const std::optional<int> interval = vellum::IntervalFromText(text);
    if (!numeric) {
        Check(!interval);
        return;
    }
    if (interval)
        Check(*interval >= 0 && *interval <= vellum::kMaxIntervalMs);
    if (!(std::fabs(value) < 1e6)) {
        Check(!interval);
        return;
    }
    // With at most 15 significant digits strtod's double lies on the same side of every half as
    // the decimal value, and is the half itself only when the value is: nearbyint (to nearest,
    // ties to even) then rounds it as the text says. With more, only clear cases are decided.
    const double fraction = value - std::floor(value);
    if (SignificantDigits(text) <= 15 || std::fabs(fraction - 0.5) > 1e-6)
        Check(interval == InRange(std::nearbyint(value)));
    else
        Check(interval == InRange(std::floor(value)) || interval == InRange(std::ceil(value)));
}

// A value near a half, typed with many digits and the point anywhere: k.5, k.50...0 and
// k.50...0d, and the same times a power of ten with the exponent making up for it.
void CheckHalf(FuzzedDataProvider& data) {
    const int whole = data.ConsumeIntegralInRange(0, 70000);
    const int zeros = data.ConsumeIntegralInRange(0, 40);
    const int last = data.ConsumeIntegralInRange(0, 9);
    const char sign = data.PickValueInArray({'+', '-', ' '});
    std::string digits = std::to_string(whole) + "5" + std::string(zeros, '0');
    if (last)
        digits += static_cast<char>('0' + last);
    const int integerDigits = static_cast<int>(std::to_string(whole).size());
    const int pointAt = data.ConsumeIntegralInRange(0, static_cast<int>(digits.size()));
    std::string text(1, sign);
    text += digits.substr(0, pointAt) + "." + digits.substr(pointAt);
    if (pointAt != integerDigits)
        text += "e" + std::to_string(integerDigits - pointAt);

    const bool up = last > 0 || whole % 2 == 1;
    const int rounded = up ? whole + 1 : whole;
    std::optional<int> expected;
    if (rounded == 0)
        expected = 0;
    else if (sign != '-' && rounded <= vellum::kMaxIntervalMs)
        expected = rounded;
    Check(vellum::IsIntervalNumeric(text));
    Check(vellum::IntervalFromText(text) == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    CheckText(std::string(reinterpret_cast<const char*>(bytes), size));

    FuzzedDataProvider data(bytes, size);
    CheckHalf(data);
    return 0;
}
