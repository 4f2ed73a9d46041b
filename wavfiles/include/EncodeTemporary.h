// Where both codecs' encoders write a file before it is complete: beside the
// destination, as "Hello" and six letters, ".tmp" for WAV and ".mp3" for MP3.
// A process killed while encoding leaves such a file behind; the next encode
// into that folder removes the ones no encode holds.
#pragma once

#include <string>

#include "FileReplace.h"

namespace ombrel {

constexpr const char* kEncodeTemporaryPrefix = "Hello";
constexpr const char* kWaveTemporarySuffix = ".tmp";
constexpr const char* kMp3TemporarySuffix = ".mp3";

// Removes what killed encodes of either codec left in folder, then makes the
// new temporary file there; "" when it cannot be made.
inline std::string MakeEncodeTemporary(const std::string& folder, const char* suffix) {
  for (const char* ours : {kWaveTemporarySuffix, kMp3TemporarySuffix}) {
    platform::RemoveAbandonedUniqueFiles(folder, kEncodeTemporaryPrefix, ours);
  }
  return platform::MakeUniqueFile(folder, kEncodeTemporaryPrefix, suffix);
}

}  // namespace ombrel
