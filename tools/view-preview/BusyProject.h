// A busy project to look at and to time the Track View with: snippets end to
// end (with gaps) on all 24 tracks over the whole 90 minutes, sharing a few
// segments of mono and stereo audio, in several colours, one track loop based
// in name, some snippets selected.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "AudioSnippetExtended.h"
#include "WaveformFixtures.h"
#include "pro.h"

namespace tools {

inline int16_t BusyMusic(uint32_t frame, int channel) {
  const double t = frame / 44100.0;
  const double level = 0.5 + 0.45 * std::sin(2 * M_PI * 0.4 * t + channel);
  return static_cast<int16_t>(std::sin(2 * M_PI * (180 + 90 * channel) * t) * level * 28000);
}

// Adds snippets spread over the first tracks (all 24 unless told); returns how
// many were placed.
inline int FillBusyProject(CProApp& app, const std::string& folder, int snippets,
                           int tracks = CAudioTrackList::kProjectTracks) {
  // An application that never started has no tracks yet.
  if (app.project.GetTrackCount() == 0) {
    app.project.CreateTracks(CAudioSnippetList::kModeProject, CAudioTrack::kTypeExtended, CAudioTrackList::kProjectTracks);
  }
  std::vector<std::shared_ptr<CAudioSegment>> segments;
  for (int i = 0; i < 4; ++i) {
    const uint32_t seconds = 20 + 15 * i;
    segments.push_back(tessiro::test::MakeWaveSegment(folder, static_cast<uint16_t>(1 + i % 2), 44100 * seconds, BusyMusic));
  }
  const TrackColorSet colours[] = {{0x00B4B4B4, 0x00FF8000, 0x00000000, 0x0000F0F0},
                                   {0x00C8E6C8, 0x00308030, 0x00104010, 0x0000F0F0},
                                   {0x00D2C8F0, 0x005030C0, 0x00200060, 0x0000F0F0}};
  std::mt19937 random(7);
  tracks = std::clamp(tracks, 1, static_cast<int>(CAudioTrackList::kProjectTracks));
  const int perTrack = (snippets + tracks - 1) / tracks;
  const uint32_t slot = CProApp::kMaxProjectFrames / std::max(perTrack, 1);
  int placed = 0;
  for (int track = 0; track < CAudioTrackList::kProjectTracks; ++track) {
    app.project.SetTrackColors(track, colours[track % 3]);
    CAudioTrack* t = nullptr;
    if (app.project.FindTrack(track, &t) == 1 && t) t->description = "Track " + std::to_string(track + 1);
    for (int k = 0; track < tracks && k < perTrack && placed < snippets; ++k, ++placed) {
      const auto& segment = segments[random() % segments.size()];
      auto snippet = std::make_shared<CAudioSnippetExtended>(segment);
      snippet->start = k * slot + static_cast<uint32_t>(random() % (slot / 4));
      snippet->length = std::min(segment->length, slot - (snippet->start - k * slot));
      snippet->end = snippet->start + snippet->length;
      snippet->selected = track == 1 && k < 3 ? 1 : 0;
      app.project.AddSnippetToTrack(snippet, track);
    }
  }
  app.project.SelectTrack(1);
  return placed;
}

}  // namespace tools
