#pragma once
// The interval of continuous capture, typed by the user as text in milliseconds.
#include <optional>
#include <string>

namespace vellum {

constexpr int kMaxIntervalMs = 65535;

// Whether the text is a number: optional spaces or tabs, an optional sign, decimal digits with
// an optional fraction after a point (digits on at least one side of it), an optional exponent
// (e or E, optional sign, digits), optional spaces or tabs. Nothing else: no thousands
// separators, no comma as decimal point, no hexadecimal, no full-width digits.
bool IsIntervalNumeric(const std::string& text);

// The interval the text names, rounded to the nearest integer with halves going to the even
// neighbour (exactly, on the decimal digits as typed). Nothing when the text is not numeric or
// the rounded value lies outside 0..kMaxIntervalMs; the caller then keeps its previous interval.
std::optional<int> IntervalFromText(const std::string& text);

}  // namespace vellum
