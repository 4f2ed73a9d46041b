#include "TransportFixture.h"

#include <fstream>
#include <iterator>

#include "ReportRecorder.h"

namespace tessiro::test {
namespace {
// WriteConfig takes a plain function; the test's edit waits here for it.
std::function<void(ProConfig&)> g_edit;
std::vector<int16_t> Samples(const std::vector<uint8_t>& bytes) {
  std::vector<int16_t> samples(bytes.size() / 2);
  for (size_t i = 0; i < samples.size(); ++i) {
    samples[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  }
  return samples;
}

void EditConfig(ProConfig& config) {
  config.bufferFrames = static_cast<int32_t>(kTestBufferFrames);
  config.followWaveform = 0;
  config.extendPlaybackFrames = 0;
  config.timeDisplay = 1;  // minutes and seconds
  if (g_edit) g_edit(config);
}
}  // namespace

int16_t Staircase(uint32_t frame, int channel) {
  return static_cast<int16_t>(static_cast<int32_t>(frame % 20000) * (channel == 0 ? 1 : -1) + channel);
}

void TransportTest::StartApp(const std::function<void(ProConfig&)>& edit) {
  g_edit = edit;
  WriteConfig(audio.Path(), &EditConfig);
  g_edit = nullptr;
  ASSERT_TRUE(Start());
}

std::shared_ptr<CAudioSegment> TransportTest::MakeSegment(uint32_t frames, uint16_t channels,
                                                          const SampleFunction& sample) {
  auto segment = std::make_shared<CAudioSegment>(app->tempFolder);
  AudioQuality format;
  format.channels = channels;
  segment->SetFormat(format);
  segment->Open(1);
  std::vector<int16_t> samples(static_cast<size_t>(frames) * channels);
  for (uint32_t f = 0; f < frames; ++f) {
    for (int c = 0; c < channels; ++c) samples[static_cast<size_t>(f) * channels + c] = sample(f, c);
  }
  uint32_t written = 0;
  if (frames > 0) segment->Write(samples.data(), frames, &written);
  segment->Close();
  segment->length = frames;
  segment->viewEnd = segment->viewWidth = frames;
  segment->tempo = app->project.tempo;
  return segment;
}

std::shared_ptr<CAudioSnippetExtended> TransportTest::AddSnippet(int track, uint32_t start,
                                                                 std::shared_ptr<CAudioSegment> segment) {
  auto snippet = std::make_shared<CAudioSnippetExtended>(segment);
  snippet->tempo = app->project.tempo;
  snippet->start = start;
  snippet->length = segment->length;
  snippet->end = start + segment->length;
  snippet->SetTempo(app->project.tempo);
  app->project.AddSnippetToTrack(snippet, track);
  app->project.RecomputeProjectEnd();
  return snippet;
}

void TransportTest::MakeProject(uint32_t frames) { AddSnippet(0, 0, MakeSegment(frames, 2)); }

CAudioTrack* TransportTest::Track(int index) {
  CAudioTrack* track = nullptr;
  app->project.FindTrack(index, &track);
  return track;
}

void TransportTest::Arm(int track, int32_t inputIndex, int16_t channels) {
  CAudioTrack* t = Track(track);
  t->inputIndex = inputIndex;
  t->recordingChannels = channels;
  if (!t->armed) app->project.ToggleArm(track);
}

void TransportTest::Run(uint32_t ms, uint32_t stepMs) {
  for (uint32_t done = 0; done < ms; done += stepMs) {
    const uint32_t step = std::min(stepMs, ms - done);
    wave->Advance(step);
    seams.thread.Advance(step);
  }
}

bool TransportTest::RunUntilIdle(uint32_t maxMs) {
  for (uint32_t done = 0; done < maxMs; done += 10) {
    if (app->playing.load() == 0 && app->recording.load() == 0) return true;
    Run(10);
  }
  return app->playing.load() == 0 && app->recording.load() == 0;
}

std::vector<int16_t> TransportTest::Played() const { return Samples(wave->PlayedBytes(0)); }

size_t TransportTest::PlayedFrames() const { return wave->PlayedBytes(0).size() / 4; }

std::vector<int16_t> TransportTest::ReadPcm(const CAudioSegment& segment) const {
  return Samples(ReadFile(segment.GetPcmFileName()));
}

std::vector<std::string> TransportTest::TakeReports() {
  std::vector<std::string> out;
  for (const RecordedReport& r : Reports().Take()) out.push_back(r.report.title + ":" + std::to_string(r.report.line));
  return out;
}

}  // namespace tessiro::test
