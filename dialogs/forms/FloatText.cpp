#include "FloatText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <limits>

#include "Generic.h"

namespace forms {
namespace {

constexpr size_t kMaxTextChars = 63;
constexpr int kPrintedDecimals = 5;

}  // namespace

std::string FormatFloat(float value, int decimals) {
  if (!std::isfinite(value)) return "0";
  const double scale = std::pow(10.0, decimals);
  const double rounded = std::trunc(static_cast<double>(value) * scale + (value < 0 ? -0.5 : 0.5)) / scale;
  char text[kMaxTextChars + 1];
  // to_chars ignores the locale, unlike printf's %f.
  const auto [end, error] = std::to_chars(text, text + kMaxTextChars, rounded, std::chars_format::fixed,
                                          kPrintedDecimals);
  if (error != std::errc()) return "0";
  std::string shown(text, end);
  const size_t point = shown.find('.');
  if (point != std::string::npos) shown.resize(std::min(shown.size(), point + 1 + static_cast<size_t>(decimals)));
  if (decimals <= 0 && !shown.empty() && shown.back() == '.') shown.pop_back();
  // "-0.00" would read as a value below zero.
  if (shown.find_first_not_of("-0.") == std::string::npos && shown[0] == '-') shown.erase(0, 1);
  return shown;
}

float ParseFloat(const std::string& text) {
  const double value = ParseNumberText(text.c_str(), kMaxTextChars);
  const double largest = std::numeric_limits<float>::max();
  return static_cast<float>(std::clamp(value, -largest, largest));
}

}  // namespace forms
