// Any bytes at all through the ".qvk" reader, and the ".mix" header reader.
// Besides the sanitizers' checks: a file the reader accepts holds the records
// its counts promise and keeps the limits loading relies on, the writer
// writes it back, and the reader reads that back to the same image (texts of
// the older program's encoding may grow into UTF-8 and be cut to their fields
// once; after that they stay).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "MixFormat.h"
#include "ProjectFormat.h"

namespace {

void CheckLimits(const ProjectImage& image, size_t size, const uint8_t* data) {
  std::string problem;
  if (RequiredProjectBytes(data, &problem) > size) __builtin_trap();
  if (image.loops.size() > 32 || !std::isfinite(image.tempo) || image.tempo < 50.0f || image.tempo > 250.0f) {
    __builtin_trap();
  }
  int armed = 0;
  for (const ProjectTrackRecord& track : image.tracks) {
    if (track.chain.effects.size() > 10) __builtin_trap();
    armed += track.armed ? 1 : 0;
    if (track.armed && (track.recordSlot < 1 || track.recordSlot > 4)) __builtin_trap();
    for (const ProjectSnippetRecord& s : track.snippets) {
      if (s.start < 0 || s.end < s.start || !(s.ratio > 0.0f)) __builtin_trap();
      if (s.IsExtended() && s.segment.channels != 1 && s.segment.channels != 2) __builtin_trap();
    }
  }
  if (armed > 4 || image.editor.source < 1 || image.editor.source > 4) __builtin_trap();
}

ProjectImage WithoutTexts(ProjectImage image) {
  image.tags = ProjectTags{};
  for (ProjectTrackRecord& track : image.tracks) track.description.clear();
  for (ProjectLoopRecord& loop : image.loops) loop.title.clear();
  return image;
}

// What the reader accepted always fits the layout again.
void RoundTrip(const ProjectImage& image, ProjectImage* back) {
  std::vector<uint8_t> bytes;
  std::string problem;
  if (!SerializeProject(image, &bytes, &problem)) __builtin_trap();
  if (!ParseProject(bytes.data(), bytes.size(), back, &problem)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ProjectImage image;
  std::string problem;
  if (ParseProject(data, size, &image, &problem)) {
    CheckLimits(image, size, data);
    ProjectImage back, again;
    RoundTrip(image, &back);
    if (!(WithoutTexts(back) == WithoutTexts(image))) __builtin_trap();
    RoundTrip(back, &again);
    if (!(again == back)) __builtin_trap();
  } else if (problem.empty()) {
    __builtin_trap();  // every refusal says why
  }
  MixProject older;
  ParseMixProject(data, size, ProjectFileQrvz33, &older, &problem);
  return 0;
}
