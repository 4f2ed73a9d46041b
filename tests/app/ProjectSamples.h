// Project images for the project-file tests: one that uses every field of the
// format with values that differ from the defaults, and the audio files it names.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ProjectFormat.h"

namespace tessiro::test {

constexpr uint32_t kSampleAudioFrames = 4410;
constexpr float kSampleTempo = 97.5f;

// 24 tracks (20 extended, 4 loop based) with snippets, 32 loops, chains with
// every effect type on the master and on tracks 0 and 1, level envelopes with
// independent and dependent channels, description fields, and the Audio
// Editor on a snippet of track 0. Audio paths lie in folder; the image is in
// the state a reader leaves it (nothing to mend).
ProjectImage FullProjectImage(const std::string& folder);

// Every ".pcm" and ".pek" the image names, written by the program's own
// segment writer: kSampleAudioFrames frames of a signal that differs per file.
void WriteAudioOf(const ProjectImage& image);

std::vector<uint8_t> BytesOf(const ProjectImage& image);
// The image with the saved snippet ids (which a reader makes anew) zeroed; the
// editor's snippet is kept as its place in its track.
ProjectImage WithoutSnippetIds(ProjectImage image);

// A header-only project: every track empty, no loops.
std::vector<uint8_t> EmptyProjectBytes();

}  // namespace tessiro::test
