#include "settings/interval.h"

#include <cstddef>

namespace vellum {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A number as typed: its significant digits and where the decimal point falls among them.
struct DecimalNumber {
    bool negative = false;
    std::string digits;     // integer and fraction digits, point removed
    long long pointAt = 0;  // the value is 0.digits times ten to the power pointAt
};

// Exponents beyond this cannot change the outcome (the digits are far fewer); capping keeps the
// arithmetic in range for absurd exponents.
constexpr long long kExponentCap = 1000000000;

std::optional<DecimalNumber> Parse(const std::string& text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && IsBlank(text[i])) ++i;
    DecimalNumber number;
    if (i < n && (text[i] == '+' || text[i] == '-'))
        number.negative = text[i++] == '-';
    std::size_t integerDigits = 0;
    while (i < n && IsDigit(text[i])) {
        number.digits += text[i++];
        ++integerDigits;
    }
    std::size_t fractionDigits = 0;
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && IsDigit(text[i])) {
            number.digits += text[i++];
            ++fractionDigits;
        }
    }
    if (integerDigits + fractionDigits == 0)
        return std::nullopt;
    long long exponent = 0;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < n && (text[i] == '+' || text[i] == '-'))
            negativeExponent = text[i++] == '-';
        if (i == n || !IsDigit(text[i]))
            return std::nullopt;
        while (i < n && IsDigit(text[i])) {
            if (exponent < kExponentCap)
                exponent = exponent * 10 + (text[i] - '0');
            ++i;
        }
        if (negativeExponent)
            exponent = -exponent;
    }
    while (i < n && IsBlank(text[i])) ++i;
    if (i != n)
        return std::nullopt;
    number.pointAt = static_cast<long long>(integerDigits) + exponent;
    // Leading zeros carry no value.
    std::size_t zeros = 0;
    while (zeros < number.digits.size() && number.digits[zeros] == '0') ++zeros;
    number.digits.erase(0, zeros);
    number.pointAt -= static_cast<long long>(zeros);
    return number;
}

}  // namespace

bool IsIntervalNumeric(const std::string& text) {
    return Parse(text).has_value();
}

std::optional<int> IntervalFromText(const std::string& text) {
    const std::optional<DecimalNumber> number = Parse(text);
    if (!number)
        return std::nullopt;
    const std::string& digits = number->digits;
    if (digits.empty())
        return 0;  // zero, whatever its sign or exponent
    // With no leading zeros left, six or more integer digits make at least 100000.
    if (number->pointAt > 5)
        return std::nullopt;
    long long magnitude = 0;
    for (long long k = 0; k < number->pointAt; ++k) {
        const std::size_t at = static_cast<std::size_t>(k);
        magnitude = magnitude * 10 + (at < digits.size() ? digits[at] - '0' : 0);
    }
    // The fraction decides the rounding: below, at or above one half. When the point lies
    // before the first digit, a zero comes first after it and the fraction is below one half.
    int firstFractionDigit = 0;
    bool restNonZero = false;
    if (number->pointAt >= 0) {
        const std::size_t at = static_cast<std::size_t>(number->pointAt);
        if (at < digits.size()) {
            firstFractionDigit = digits[at] - '0';
            restNonZero = digits.find_first_not_of('0', at + 1) != std::string::npos;
        }
    }
    if (firstFractionDigit > 5 || (firstFractionDigit == 5 && (restNonZero || magnitude % 2 == 1)))
        ++magnitude;
    if (magnitude == 0)
        return 0;
    if (number->negative || magnitude > kMaxIntervalMs)
        return std::nullopt;
    return static_cast<int>(magnitude);
}

}  // namespace vellum
