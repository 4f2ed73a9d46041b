// A started application for the project-file tests, with helpers that make
// audio in its temporary folder, write project files and render the mix.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "AppFixture.h"
#include "ProjectFormat.h"

namespace tessiro::test {

class ProjectTest : public AppTest {
 protected:
  // A second start (a configuration exists): the program starts with a new project.
  void StartApp();
  std::string WriteBytes(const std::string& name, const std::vector<uint8_t>& bytes);
  ProjectImage ReadImage(const std::string& path);

  // A segment of frames of a tone (different per seed) in the temporary folder, written and closed.
  std::shared_ptr<CAudioSegment> MakeTempSegment(uint32_t frames, uint16_t channels, int seed);
  // An extended snippet on that audio at start on track, timed for the project's tempo.
  std::shared_ptr<CAudioSnippetExtended> AddTempSnippet(int track, uint32_t start, uint32_t frames, uint16_t channels,
                                                        int seed);
  // A loop of the Loop Bank on such audio, its audio in memory as the program keeps a used loop.
  std::shared_ptr<CAudioLoop> AddTempLoop(uint32_t frames, int seed);
  // The project's mix from frame 0 as the player makes it, in device blocks.
  std::vector<int16_t> RenderMix(uint32_t frames);
  // The program's audio files left in the temporary folder.
  std::vector<std::string> TempAudioFiles() const;
};

}  // namespace tessiro::test
