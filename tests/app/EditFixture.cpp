#include "EditFixture.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "AudioSnippetExtended.h"
#include "Folders.h"

namespace tessiro::test {

void EditTest::SetUp() {
  AppTest::SetUp();
  // An ordinary start: the edits begin on an empty project, not on the playing intro of a first start.
  ASSERT_TRUE(platform::CreateFolder(audio / "music"));
  WriteConfig(audio / "music");
  ASSERT_TRUE(Start());
}

std::shared_ptr<CAudioSegment> EditTest::MakeSegment(const std::vector<int16_t>& samples, uint16_t channels) {
  return WriteSegment(app->tempFolder, samples, channels);
}

std::shared_ptr<CAudioSegment> WriteSegment(const std::string& folder, const std::vector<int16_t>& samples,
                                            uint16_t channels) {
  auto segment = std::make_shared<CAudioSegment>(folder);
  segment->SetFormat(AudioQuality{44100, channels, 16});
  EXPECT_EQ(segment->Open(1), 1);
  uint32_t written = 0;
  const uint32_t frames = static_cast<uint32_t>(samples.size() / channels);
  EXPECT_EQ(segment->Write(samples.data(), frames, &written), 0);
  EXPECT_EQ(written, frames);
  segment->Close();
  segment->length = frames;
  segment->viewEnd = segment->viewWidth = frames;
  return segment;
}

std::shared_ptr<CAudioSnippet> EditTest::TrackSnippet(const std::shared_ptr<CAudioSegment>& segment, int track) {
  segment->tempo = app->project.tempo;
  auto snippet = std::make_shared<CAudioSnippetExtended>(segment);
  snippet->tempo = app->project.tempo;
  snippet->start = 44100;
  snippet->SetTempo(app->project.tempo);
  EXPECT_EQ(app->project.AddSnippetToTrack(snippet, track), 1);
  return snippet;
}

std::shared_ptr<CAudioLoop> EditTest::BankLoop(const std::shared_ptr<CAudioSegment>& segment) {
  auto loop = std::make_shared<CAudioLoop>();
  loop->SetSegment(segment);
  loop->SetMeasures(1);
  EXPECT_EQ(app->loopBank.AddLoop(loop), 1);
  return loop;
}

std::vector<std::string> EditTest::TempFiles() const {
  std::vector<std::string> names = platform::ListFolder(app->tempFolder);
  std::sort(names.begin(), names.end());
  return names;
}

void Highlight(CAudioSegment& s, uint32_t first, uint32_t end) {
  s.trackerStart = first;
  s.trackerEnd = end;
  s.trackerSize = end - first;
}

void Mark(CAudioSegment& s, uint32_t first, uint32_t end) {
  s.markerStart = first;
  s.markerEnd = end;
  s.markerSize = end - first;
}

std::vector<int16_t> ReadSamples(const CAudioSegment& segment) {
  std::ifstream in(segment.GetPcmFileName(), std::ios::binary);
  std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::vector<int16_t> samples(bytes.size() / 2);
  std::copy_n(bytes.data(), samples.size() * 2, reinterpret_cast<char*>(samples.data()));
  return samples;
}

std::vector<uint8_t> ReadPeaks(const CAudioSegment& segment) {
  std::ifstream in(segment.GetPeakFileName(), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<int16_t> Staircase(uint32_t frames, uint16_t channels, uint32_t period) {
  std::vector<int16_t> samples;
  samples.reserve(static_cast<size_t>(frames) * channels);
  for (uint32_t f = 0; f < frames; ++f) {
    const auto value = static_cast<int16_t>(f % period);
    samples.push_back(value);
    if (channels == 2) samples.push_back(static_cast<int16_t>(-value));
  }
  return samples;
}

std::vector<int16_t> Constant(uint32_t frames, uint16_t channels, int16_t left, int16_t right) {
  std::vector<int16_t> samples;
  samples.reserve(static_cast<size_t>(frames) * channels);
  for (uint32_t f = 0; f < frames; ++f) {
    samples.push_back(left);
    if (channels == 2) samples.push_back(right);
  }
  return samples;
}

}  // namespace tessiro::test
