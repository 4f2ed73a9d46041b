#include "ProjectFixture.h"

#include <cmath>
#include <fstream>

#include "AudioSnippetLoop.h"
#include "Folders.h"

namespace tessiro::test {

void ProjectTest::StartApp() {
  WriteConfig(audio.Path());
  ASSERT_TRUE(Start());
}

std::string ProjectTest::WriteBytes(const std::string& name, const std::vector<uint8_t>& bytes) {
  const std::string path = audio / name;
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return path;
}

ProjectImage ProjectTest::ReadImage(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadFile(path);
  ProjectImage image;
  std::string problem;
  EXPECT_TRUE(ParseProject(bytes.data(), bytes.size(), &image, &problem)) << path << ": " << problem;
  return image;
}

std::shared_ptr<CAudioSegment> ProjectTest::MakeTempSegment(uint32_t frames, uint16_t channels, int seed) {
  auto segment = std::make_shared<CAudioSegment>(app->tempFolder);
  segment->SetFormat(AudioQuality{44100, channels, 16});
  EXPECT_EQ(segment->Open(1), 1);
  std::vector<int16_t> samples(size_t{frames} * channels);
  for (uint32_t n = 0; n < frames; ++n) {
    for (uint16_t c = 0; c < channels; ++c) {
      samples[n * channels + c] =
          static_cast<int16_t>(std::lround(8000.0 * std::sin(0.01 * (seed + 1) * n + c) + 50 * seed));
    }
  }
  uint32_t written = 0;
  EXPECT_EQ(segment->Write(samples.data(), frames, &written), 0);
  EXPECT_EQ(segment->Close(), 1);
  segment->length = frames;
  segment->viewEnd = segment->viewWidth = frames;
  segment->tempo = app->project.tempo;
  return segment;
}

std::shared_ptr<CAudioSnippetExtended> ProjectTest::AddTempSnippet(int track, uint32_t start, uint32_t frames,
                                                                   uint16_t channels, int seed) {
  auto snippet = std::make_shared<CAudioSnippetExtended>(MakeTempSegment(frames, channels, seed));
  snippet->tempo = app->project.tempo;
  snippet->start = start;
  snippet->length = frames;
  snippet->end = start + frames;
  EXPECT_EQ(app->project.AddSnippetToTrack(snippet, track), 1);
  app->modified = 1;
  return snippet;
}

std::shared_ptr<CAudioLoop> ProjectTest::AddTempLoop(uint32_t frames, int seed) {
  auto loop = std::make_shared<CAudioLoop>();
  loop->SetSegment(MakeTempSegment(frames, 2, seed));
  loop->SetTitle("Loop " + std::to_string(seed));
  loop->ComputeMeasuresAndTempo(0);
  EXPECT_EQ(app->loopBank.AddLoop(loop), 1);
  void* memory = nullptr;
  EXPECT_EQ(loop->AllocateBuffer(&memory), 1);
  uint32_t read = 0;
  loop->Segment()->Seek(0, nullptr);
  EXPECT_EQ(loop->Segment()->Read(memory, frames, &read), 1);
  loop->Segment()->Close();
  app->modified = 1;
  return loop;
}

std::vector<int16_t> ProjectTest::RenderMix(uint32_t frames) {
  CAudioTrackList& project = app->project;
  project.ResetPlayback();
  project.playing = 1;
  const uint32_t block = static_cast<uint32_t>(app->bufferFrames);
  std::vector<int16_t> mix;
  std::vector<int16_t> out(size_t{block} * 2);
  for (uint32_t position = 0; position < frames; position += block) {
    EXPECT_EQ(project.MixAllTracks(out.data(), position, block), 1);
    mix.insert(mix.end(), out.begin(), out.end());
  }
  project.ResetPlayback();
  mix.resize(size_t{frames} * 2);
  return mix;
}

std::vector<std::string> ProjectTest::TempAudioFiles() const {
  std::vector<std::string> files;
  for (const std::string& name : platform::ListFolder(audio / "qvk_temp")) {
    if (name.rfind("QRVD", 0) == 0) files.push_back(name);
  }
  return files;
}

}  // namespace tessiro::test
