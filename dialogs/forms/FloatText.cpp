#include "FloatText.h"

#include <charconv>
#include <cmath>
#include <cstddef>

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
  const std::string cut = text.substr(0, kMaxTextChars);
  size_t at = cut.find_first_not_of(" \t\r\n");
  if (at == std::string::npos) return 0.0f;
  if (cut[at] == '+') ++at;
  double value = 0.0;
  const auto [end, error] = std::from_chars(cut.data() + at, cut.data() + cut.size(), value);
  if (error == std::errc::result_out_of_range) {
    return cut[at] == '-' ? -HUGE_VALF : HUGE_VALF;
  }
  return error == std::errc() ? static_cast<float>(value) : 0.0f;
}

}  // namespace forms
