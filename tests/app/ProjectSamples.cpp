#include "ProjectSamples.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "AudioSegment.h"
#include "FileReplace.h"

namespace tessiro::test {
namespace {

ProjectSegmentRecord Segment(const std::string& folder, const std::string& name, int16_t channels) {
  ProjectSegmentRecord s;
  s.tempo = kSampleTempo;
  s.channels = channels;
  s.pcmPath = folder + "/" + name + ".pcm";
  s.pekPath = folder + "/" + name + ".pek";
  s.state = {kSampleAudioFrames, 100, 4000, 3900, 200, 900, 700, 300, CAudioSegment::kMarkerUnset,
             CAudioSegment::kMarkerUnset};
  return s;
}

Zelmo_Level_Entry Point(uint32_t id, float gain, uint32_t position) {
  return Zelmo_Level_Entry{id, kSampleTempo, gain, position, position};
}

ProjectEffectSlot Slot(ZelmoEffectType type, int32_t bypass = 0) {
  ProjectEffectSlot slot;
  slot.type = static_cast<int32_t>(type);
  slot.bypass = bypass;
  EffectParameters p;
  p.echo = {0.9f, 0.8f, 0.45f, 0.4f, 0.3f, 0.35f, 250.0f, 260.0f};
  p.reverb = {0.7f, 0.71f, 0.6f, 0.61f, 0.2f, 0.21f, 120.0f, 130.0f, 240.0f, 250.0f};
  p.chorusFlange = {0.5f, 0.55f, 0.5f, 0.45f, 0.7f, 0.8f, 10.0f, 20.0f, 3.5f, 4.5f, 6.0f, 7.0f};
  p.equalizer.interpolationMode = 1;
  for (int b = 0; b < kEqualizerBandCount; ++b) {
    p.equalizer.left.gains[b] = 0.5f + 0.1f * b;
    p.equalizer.right.gains[b] = 1.5f - 0.1f * b;
  }
  p.levels = {0, 1234567, kSampleTempo};
  EncodeEffectParameters(slot.type, p, slot.parameters.data());
  return slot;
}

ProjectEffectSlot Levels(bool independent, std::vector<Zelmo_Level_Entry> left, std::vector<Zelmo_Level_Entry> right) {
  ProjectEffectSlot slot = Slot(ZelmoLevels);
  slot.channelsIndependent = independent ? 1 : 0;
  slot.points1 = std::move(left);
  slot.points2 = std::move(right);
  return slot;
}

}  // namespace

ProjectImage FullProjectImage(const std::string& folder) {
  ProjectImage image;
  image.tags = {"Night Drive", "Ana Ruiz", "Tapes", "2024", 17,
                "Recorded in one evening.\r\nMixed later, with caf\xC3\xA9 noise."};
  image.tempo = kSampleTempo;
  image.pitch = -3.5f;
  image.masterGainLeft = 0.8f;
  image.masterGainRight = 0.9f;
  image.viewStart = 44100;
  image.viewEnd = 485100;
  image.viewSpan = 441000;
  image.masterLevelsLength = 1234567;
  image.bypassAll = 0;
  image.masterChain.effects = {Slot(ZelmoEcho), Slot(ZelmoEqualizer),
                             Levels(true, {Point(11, 1.0f, 0), Point(12, 0.5f, 44100)},
                                    {Point(21, 0.2f, 0), Point(22, 1.0f, 22050), Point(23, 0.7f, 66150)}),
                             Slot(ZelmoReverb, 1)};
  for (int l = 0; l < 32; ++l) {
    ProjectLoopRecord& loop = image.loops.emplace_back();
    loop.number = static_cast<int16_t>(l);
    loop.measures = static_cast<int16_t>(1 + l % 16);
    loop.loopWord = l % 3 == 0 ? 1 : 0;
    loop.title = "Loop title " + std::to_string(l);
    loop.segment = Segment(folder, "loop" + std::to_string(l), l % 2 ? 1 : 2);
  }
  int32_t id = 1000;
  for (int t = 0; t < qvk::kTracks; ++t) {
    ProjectTrackRecord& track = image.tracks[t];
    const bool loopBased = t >= 20;
    track.type = loopBased ? 1 : 0;
    track.description = "Track number " + std::to_string(t + 1);
    track.pitch = static_cast<float>(t % 5 - 2) * 0.5f;
    track.gainLeft = 0.5f + 0.02f * t;
    track.gainRight = 0.6f + 0.01f * t;
    track.armed = t >= 1 && t <= 3 ? 1 : 0;
    track.recordSlot = track.armed ? t : 0;
    track.solo = t == 5 ? 1 : 0;
    track.mute = t % 7 == 6 ? 1 : 0;
    track.selected = t == 0 ? 1 : 0;
    track.colors = {0x010203u * static_cast<uint32_t>(t + 1), 0x00FF8000u + t, 0x00000010u + t, 0x0000F0F0u - t};
    for (int k = 0; k < 3; ++k) {
      ProjectSnippetRecord& s = track.snippets.emplace_back();
      s.savedId = id++;
      s.selected = k == 1 ? 1 : 0;
      s.tempo = kSampleTempo;
      s.ratio = 1.0f;
      // Not in start order: the second record starts first and lies under the first.
      s.start = static_cast<int32_t>((k == 1 ? 0 : 2000 + 5000 * k) + 1000 * t);
      s.length = static_cast<int32_t>(kSampleAudioFrames);
      s.end = s.start + s.length;
      s.carry = 0.125f * (k - 1);
      if (loopBased) {
        s.kind = 0;
        s.loopNumber = (t * 3 + k) % 32;
      } else {
        s.kind = 1;
        s.segment = Segment(folder, "track" + std::to_string(t) + "_" + std::to_string(k), k == 2 ? 1 : 2);
      }
    }
  }
  image.tracks[5].solo = 1;
  image.soloActive = 1;
  image.tracks[0].chain.effects = {Slot(ZelmoEcho),      Slot(ZelmoReverb, 1), Slot(ZelmoChorus),
                                 Slot(ZelmoFlange),    Slot(ZelmoEqualizer),
                                 Levels(false, {Point(31, 1.0f, 0), Point(32, 0.0f, 10000), Point(33, 0.8f, 20000)},
                                        {})};
  image.tracks[0].levelsLength = 1234567;
  image.tracks[0].chainBypass = 1;
  image.tracks[1].chain.effects = {Levels(true, {Point(41, 0.3f, 5), Point(42, 0.9f, 8000)},
                                        {Point(51, 0.4f, 7), Point(52, 0.6f, 9000)})};
  image.tracks[1].levelsLength = 1234567;
  image.tracks[2].chain.effects = {Slot(ZelmoFlange, 1)};
  image.editor.source = qvk::kEditorSnippet;
  image.editor.trackIndex = 0;
  image.editor.savedSnippetId = image.tracks[0].snippets[2].savedId;
  return image;
}

void WriteAudioOf(const ProjectImage& image) {
  std::set<std::string> written;
  auto write = [&written](const ProjectSegmentRecord& s) {
    if (!written.insert(s.pcmPath).second) return;
    CAudioSegment segment(platform::FolderOfPath(s.pcmPath));
    segment.SetPcmFileName(s.pcmPath);
    segment.SetPeakFileName(s.pekPath);
    segment.SetFormat(AudioQuality{44100, static_cast<uint16_t>(s.channels), 16});
    ASSERT_EQ(segment.Open(1), 1) << s.pcmPath;
    // A tone whose pitch and level tell the files apart.
    const double hz = 100.0 + 37.0 * static_cast<double>(written.size());
    std::vector<int16_t> samples(kSampleAudioFrames * s.channels);
    for (uint32_t n = 0; n < kSampleAudioFrames; ++n) {
      for (int c = 0; c < s.channels; ++c) {
        samples[n * s.channels + c] =
            static_cast<int16_t>(std::lround(9000.0 * std::sin(6.283185307 * hz * n / 44100.0 + c)));
      }
    }
    uint32_t frames = 0;
    ASSERT_EQ(segment.Write(samples.data(), kSampleAudioFrames, &frames), 0);
    ASSERT_EQ(segment.Close(), 1);
  };
  for (const ProjectLoopRecord& loop : image.loops) write(loop.segment);
  for (const ProjectTrackRecord& track : image.tracks) {
    for (const ProjectSnippetRecord& s : track.snippets) {
      if (s.IsExtended()) write(s.segment);
    }
  }
  if (image.editor.source == qvk::kEditorIndependent) write(image.editor.segment);
}

std::vector<uint8_t> BytesOf(const ProjectImage& image) {
  std::vector<uint8_t> bytes;
  std::string problem;
  EXPECT_TRUE(SerializeProject(image, &bytes, &problem)) << problem;
  return bytes;
}

ProjectImage WithoutSnippetIds(ProjectImage image) {
  if (image.editor.source == qvk::kEditorSnippet) {
    const auto& snippets = image.tracks[image.editor.trackIndex].snippets;
    for (size_t k = 0; k < snippets.size(); ++k) {
      if (snippets[k].savedId == image.editor.savedSnippetId) image.editor.savedSnippetId = static_cast<int32_t>(k);
    }
  }
  for (ProjectTrackRecord& track : image.tracks) {
    for (ProjectSnippetRecord& s : track.snippets) s.savedId = 0;
  }
  return image;
}

std::vector<uint8_t> EmptyProjectBytes() { return BytesOf(ProjectImage{}); }

}  // namespace tessiro::test
