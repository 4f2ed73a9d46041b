#include "ImportFixture.h"

#include <algorithm>
#include <cmath>

#include "AudioFixtures.h"
#include "AudioLoop.h"

namespace tessiro::test {

int ImportTest::Import(Target target, const std::string& path, const std::string& box) {
  seams.ui.ExpectFile(path);
  if (!box.empty()) seams.ui.ExpectBox(box);
  switch (target) {
    case Target::Track:
      return app->ImportAudioToTrack();
    case Target::Editor:
      return app->ImportAudioToEditor();
    case Target::LoopBank:
      return app->ImportAudioToLoopBank();
  }
  return -1;
}

std::shared_ptr<CAudioSegment> ImportTest::Imported(Target target) {
  std::shared_ptr<CAudioSegment> segment;
  if (target == Target::Editor) return app->GetEditorSegment();
  if (target == Target::LoopBank) {
    std::shared_ptr<CAudioLoop> loop;
    if (app->loopBank.FindLoop(app->loopBank.GetCount() - 1, &loop) == 1) loop->GetSegment(&segment);
    return segment;
  }
  COperation* record = app->undoList.GetCurrent();
  CAudioTrack* track = nullptr;
  if (record && record->listB && record->listB->FindTrack(app->project.GetSelectedTrackIndex(), &track) == 1) {
    track->Snippets().Snippets().front()->GetSegment(&segment);
  }
  return segment;
}

std::vector<int16_t> ImportTest::ImportSamples(Target target, const std::string& path, uint16_t* channels) {
  EXPECT_EQ(Import(target, path), status::kDone) << path;
  std::shared_ptr<CAudioSegment> segment = Imported(target);
  if (!segment) {
    ADD_FAILURE() << "nothing imported from " << path;
    return {};
  }
  EXPECT_EQ(segment->GetFormat().samplesPerSecond, 44100u);
  EXPECT_EQ(segment->GetFormat().bitsPerSample, 16u);
  if (channels) *channels = segment->GetChannels();
  std::vector<int16_t> samples = ReadSamples(*segment);
  EXPECT_EQ(samples.size(), static_cast<size_t>(segment->length) * segment->GetChannels()) << path;
  return samples;
}

std::string ImportTest::WriteWave(const std::string& name, uint32_t rate, uint16_t channels,
                                  const std::vector<int16_t>& samples) {
  const std::string path = audio / name;
  WriteBytes(path, MakePcmWave(AudioQuality{rate, channels, 16}, Pcm16Bytes(samples)));
  return path;
}

std::string ImportTest::SoxSine(const std::string& name, uint32_t rate, uint16_t channels, double seconds, double hz,
                                const std::vector<std::string>& encoding) {
  const std::string path = audio / name;
  std::vector<std::string> argv = {"sox", "-D", "-n", "-r", std::to_string(rate), "-c", std::to_string(channels)};
  argv.insert(argv.end(), encoding.begin(), encoding.end());
  argv.insert(argv.end(), {path, "synth", std::to_string(seconds)});
  for (uint16_t c = 0; c < channels; ++c) argv.insert(argv.end(), {"sine", std::to_string(hz * (1.0 + c / 2.0))});
  argv.insert(argv.end(), {"vol", "0.5"});
  return RunProgram(argv) == 0 ? path : "";
}

std::vector<std::string> ImportTest::TempAudio() const {
  std::vector<std::string> names = TempFiles();
  names.erase(std::remove_if(names.begin(), names.end(), [](const std::string& n) { return n.rfind("QRVD", 0) != 0; }),
              names.end());
  return names;
}

double FrequencyOf(const std::vector<int16_t>& samples, int channels, int channel, size_t first, size_t count,
                   double expected) {
  // The strongest of the frequencies within 3 % of the one expected, to the
  // hertz (a Goertzel filter each, over half a second at most): codec noise
  // and block glitches cannot move it.
  count = std::min<size_t>(count, 22050);
  double bestHz = 0, bestPower = -1;
  for (double hz = std::floor(expected * 0.97); hz <= expected * 1.03; hz += 1.0) {
    const double coefficient = 2.0 * std::cos(2.0 * M_PI * hz / 44100.0);
    double s1 = 0, s2 = 0;
    for (size_t f = first; f < first + count; ++f) {
      const double s0 = samples[f * channels + channel] + coefficient * s1 - s2;
      s2 = s1;
      s1 = s0;
    }
    const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    if (power > bestPower) {
      bestPower = power;
      bestHz = hz;
    }
  }
  return bestHz;
}

double RmsOf(const std::vector<int16_t>& samples, int channels, int channel, size_t first, size_t count) {
  double sum = 0;
  for (size_t f = first; f < first + count; ++f) {
    const double v = samples[f * channels + channel];
    sum += v * v;
  }
  return count ? std::sqrt(sum / static_cast<double>(count)) : 0.0;
}

double BestCorrelation(const std::vector<double>& a, const std::vector<double>& b, size_t maxLag) {
  double best = 0;
  for (size_t lag = 0; lag <= maxLag && lag < b.size(); ++lag) {
    const size_t n = std::min(a.size(), b.size() - lag);
    double ab = 0, aa = 0, bb = 0;
    for (size_t i = 0; i < n; ++i) {
      ab += a[i] * b[i + lag];
      aa += a[i] * a[i];
      bb += b[i + lag] * b[i + lag];
    }
    if (aa > 0 && bb > 0) best = std::max(best, ab / std::sqrt(aa * bb));
  }
  return best;
}

}  // namespace tessiro::test
