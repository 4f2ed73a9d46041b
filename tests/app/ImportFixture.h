// A started CProApp for the import, export and mixdown tests: audio files
// made in code or by sox and lame, the import commands run with the file
// chosen, and measures of what came in.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "AudioQuality.h"
#include "EditFixture.h"

namespace tessiro::test {

class ImportTest : public EditTest {
 protected:
  enum class Target { Track, Editor, LoopBank };

  // The import command of target with path chosen in its file dialog, and
  // the box it then shows when one is given.
  int Import(Target target, const std::string& path, const std::string& box = "");
  // The segment the last import to target made.
  std::shared_ptr<CAudioSegment> Imported(Target target);
  // Import then Imported, expecting success.
  std::vector<int16_t> ImportSamples(Target target, const std::string& path, uint16_t* channels = nullptr);

  // A PCM WAV file of 16-bit samples in the audio folder; its path.
  std::string WriteWave(const std::string& name, uint32_t rate, uint16_t channels, const std::vector<int16_t>& samples);
  // A file made by sox from a sine (channel c at hz * (1 + c / 2), level 0.5)
  // with the encoding arguments given; "" when sox refuses the combination.
  std::string SoxSine(const std::string& name, uint32_t rate, uint16_t channels, double seconds, double hz,
                      const std::vector<std::string>& encoding);
  // The audio files left in the temporary folder.
  std::vector<std::string> TempAudio() const;
};

// Over frames [first, first + count) of a channel: the frequency of the
// strongest sine within 3 % of expected (to the hertz), and the RMS level.
double FrequencyOf(const std::vector<int16_t>& samples, int channels, int channel, size_t first, size_t count,
                   double expected);
double RmsOf(const std::vector<int16_t>& samples, int channels, int channel, size_t first, size_t count);
// The best normalised correlation of b against a over lags up to maxLag frames.
double BestCorrelation(const std::vector<double>& a, const std::vector<double>& b, size_t maxLag);

}  // namespace tessiro::test
