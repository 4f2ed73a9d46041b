// The numbers of the parameter forms as text, the same whatever the desktop's
// locale: a decimal point, never a comma.
#pragma once

#include <string>

namespace forms {

// value rounded half away from zero to `decimals` places and shown with exactly
// that many (the level and delay edits use 2, the initial/final edits 4).
std::string FormatFloat(float value, int decimals);

// The leading decimal number of text, as every edit reads it (ParseNumberText):
// text that is no number ("abc", "nan", "inf") is 0; a number beyond a float's
// range is the largest float of its sign.
float ParseFloat(const std::string& text);

}  // namespace forms
