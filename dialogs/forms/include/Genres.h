// The genre list of the project settings: index = the genre code stored in
// the project file.
#pragma once

#include <array>

namespace forms {

constexpr int kGenreCount = 148;
constexpr int kGenreSlotBytes = 32;  // each name fits a slot of this size with its terminator
extern const std::array<const char*, kGenreCount> kGenres;

}  // namespace forms
