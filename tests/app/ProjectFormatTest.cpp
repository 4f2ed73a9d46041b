// The ".qvk" reader and writer on plain bytes: the layout, round trips, and
// files made to hurt.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "ByteFields.h"
#include "ProjectFormat.h"
#include "ProjectSamples.h"

namespace tessiro::test {
namespace {

using namespace qvk;

constexpr size_t kFullSnippets = 24 * 3;
constexpr size_t kFullPoints = 5 + 3 + 4;

bool Parses(const std::vector<uint8_t>& bytes, ProjectImage* image = nullptr, std::string* problem = nullptr) {
  ProjectImage ignored;
  std::string why;
  const bool ok = ParseProject(bytes.data(), bytes.size(), image ? image : &ignored, &why);
  if (problem) *problem = why;
  if (!ok) {
    EXPECT_FALSE(why.empty()) << "a refusal must say why";
  }
  return ok;
}

ProjectImage Parsed(const std::vector<uint8_t>& bytes) {
  ProjectImage image;
  std::string problem;
  EXPECT_TRUE(ParseProject(bytes.data(), bytes.size(), &image, &problem)) << problem;
  return image;
}

size_t SnippetAt(size_t record) { return kHeaderBytes + kSnippetRecordBytes * record; }
size_t Track(int t) { return kOffTracks + kTrackRecordBytes * t; }
size_t Loop(int l) { return kOffLoops + kLoopRecordBytes * l; }

TEST(ProjectFormat, AFullProjectReadsBackFieldForField) {
  const ProjectImage image = FullProjectImage("/music/qvk_data");
  const std::vector<uint8_t> bytes = BytesOf(image);
  EXPECT_EQ(bytes.size(), kHeaderBytes + kFullSnippets * kSnippetRecordBytes + kFullPoints * kLevelEntryBytes);
  const ProjectImage back = Parsed(bytes);
  EXPECT_TRUE(back == image);
  // Spot checks that say which part differs when the whole does.
  EXPECT_EQ(back.tags, image.tags);
  EXPECT_TRUE(back.masterChain == image.masterChain);
  for (int t = 0; t < kTracks; ++t) EXPECT_TRUE(back.tracks[t] == image.tracks[t]) << "track " << t;
  EXPECT_EQ(back.loops, image.loops);
  EXPECT_EQ(back.editor, image.editor);
}

TEST(ProjectFormat, FieldsLieAtTheirOffsets) {
  const ProjectImage image = FullProjectImage("/music/qvk_data");
  const std::vector<uint8_t> b = BytesOf(image);
  const uint8_t* d = b.data();
  EXPECT_EQ(std::memcmp(d, "QRVD12", 6), 0);
  EXPECT_STREQ(reinterpret_cast<const char*>(d + 268), "Night Drive");
  EXPECT_STREQ(reinterpret_cast<const char*>(d + 1036), "2024");
  EXPECT_EQ(d[1041], 17);
  EXPECT_FLOAT_EQ(bytes::GetF32(d + 5160), 97.5f);
  EXPECT_FLOAT_EQ(bytes::GetF32(d + 5164), -3.5f);
  EXPECT_FLOAT_EQ(bytes::GetF32(d + 5172), 0.9f);
  EXPECT_EQ(bytes::GetI32(d + 5188), 44100);
  EXPECT_EQ(bytes::GetI32(d + 5204), 1);
  EXPECT_EQ(bytes::GetI16(d + 5224), 4);                    // master effects
  EXPECT_EQ(bytes::GetI32(d + 5224 + 4 + 4 * 1), 6);        // its second slot: the equalizer
  EXPECT_EQ(bytes::GetI32(d + 5224 + 1044 + 4 * 2), 1);     // levels independent
  EXPECT_EQ(bytes::GetI32(d + 5224 + 1124 + 4 * 2), 3);     // list-2 points
  EXPECT_EQ(bytes::GetI32(d + 5224 + 1164 + 4 * 3), 1);     // the reverb bypassed
  EXPECT_FLOAT_EQ(bytes::GetF32(d + 5224 + 44 + 24), 250.0f);  // echo left delay in slot 0's block
  EXPECT_EQ(bytes::GetI16(d + Track(0) + 300), 3);
  EXPECT_EQ(bytes::GetI16(d + Track(0) + 332), 6);
  EXPECT_EQ(bytes::GetI32(d + Track(0) + 1536), 1);
  EXPECT_EQ(bytes::GetI32(d + Track(3) + 280), 1);
  EXPECT_EQ(bytes::GetI32(d + Track(3) + 296), 3);
  EXPECT_EQ(bytes::GetI16(d + Track(21)), 1);
  EXPECT_EQ(bytes::GetU32(d + Track(2) + 316), 0x010203u * 3);
  EXPECT_EQ(bytes::GetI16(d + 43700), 32);
  EXPECT_EQ(bytes::GetI16(d + Loop(5)), 5);
  EXPECT_EQ(bytes::GetI16(d + Loop(5) + 2), 6);
  EXPECT_STREQ(reinterpret_cast<const char*>(d + Loop(5) + 12), "Loop title 5");
  EXPECT_EQ(bytes::GetI16(d + Loop(5) + 84), 1);
  EXPECT_STREQ(reinterpret_cast<const char*>(d + Loop(5) + 86), "/music/qvk_data/loop5.pcm");
  EXPECT_EQ(bytes::GetI32(d + Loop(5) + 608), static_cast<int32_t>(kSampleAudioFrames));
  EXPECT_EQ(bytes::GetI32(d + 65080), 3);
  EXPECT_EQ(bytes::GetI32(d + 65656), image.tracks[0].snippets[2].savedId);
  EXPECT_EQ(bytes::GetI32(d + SnippetAt(0)), 1000);
  EXPECT_EQ(bytes::GetI16(d + SnippetAt(0) + 4), 1);
  EXPECT_EQ(bytes::GetI32(d + SnippetAt(1) + 24), 0);                  // the second record starts first
  EXPECT_STREQ(reinterpret_cast<const char*>(d + SnippetAt(0) + 50), "/music/qvk_data/track0_0.pcm");
  EXPECT_EQ(bytes::GetI16(d + SnippetAt(60) + 4), 0);                  // track 20 plays loops
  EXPECT_EQ(bytes::GetI32(d + SnippetAt(60) + 612), 28);
  // Points: the master's list 1, its list 2, then track 0's (dependent: list 1 only), then track 1's.
  const size_t points = SnippetAt(kFullSnippets);
  const uint32_t ids[kFullPoints] = {11, 12, 21, 22, 23, 31, 32, 33, 41, 42, 51, 52};
  for (size_t k = 0; k < kFullPoints; ++k) EXPECT_EQ(bytes::GetU32(d + points + 20 * k), ids[k]) << k;
  EXPECT_FLOAT_EQ(bytes::GetF32(d + points + 20 + 8), 0.5f);
}

TEST(ProjectFormat, SavingWhatWasReadGivesTheSameBytes) {
  const std::vector<uint8_t> first = BytesOf(FullProjectImage("/a"));
  EXPECT_EQ(BytesOf(Parsed(first)), first);
  EXPECT_EQ(BytesOf(Parsed(EmptyProjectBytes())), EmptyProjectBytes());
}

TEST(ProjectFormat, EffectRecordsKeepEveryFieldAtItsPlace) {
  EffectParameters p;
  p.chorusFlange = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  p.equalizer.interpolationMode = 7;
  for (int b = 0; b < 10; ++b) {
    p.equalizer.left.gains[b] = static_cast<float>(b);
    p.equalizer.right.gains[b] = -1.0f * b;
  }
  uint8_t block[kParameterBlockBytes];
  ASSERT_TRUE(EncodeEffectParameters(static_cast<int32_t>(ZelmoFlange), p, block));
  for (int i = 0; i < 12; ++i) EXPECT_FLOAT_EQ(bytes::GetF32(block + 4 * i), static_cast<float>(i + 1));
  for (size_t i = 48; i < kParameterBlockBytes; ++i) EXPECT_EQ(block[i], 0) << i;
  ASSERT_TRUE(EncodeEffectParameters(static_cast<int32_t>(ZelmoEqualizer), p, block));
  EXPECT_EQ(bytes::GetI32(block), 7);
  EXPECT_FLOAT_EQ(bytes::GetF32(block + 4 + 4 * 9), 9.0f);
  EXPECT_FLOAT_EQ(bytes::GetF32(block + 44 + 4 * 3), -3.0f);
  EffectParameters back;
  ASSERT_TRUE(DecodeEffectParameters(static_cast<int32_t>(ZelmoEqualizer), block, &back));
  EXPECT_EQ(std::memcmp(&back.equalizer, &p.equalizer, sizeof p.equalizer), 0);
  for (int32_t type : {0, 5, 8, -1}) {
    EXPECT_FALSE(EncodeEffectParameters(type, p, block)) << type;
    EXPECT_FALSE(DecodeEffectParameters(type, block, &back)) << type;
  }
}

// ---- What a reader refuses ---------------------------------------------------

struct Damage {
  const char* what;
  void (*apply)(std::vector<uint8_t>&);
};

void PutF(std::vector<uint8_t>& b, size_t at, float v) { bytes::PutF32(b.data() + at, v); }
void PutI(std::vector<uint8_t>& b, size_t at, int32_t v) { bytes::PutI32(b.data() + at, v); }
void PutS(std::vector<uint8_t>& b, size_t at, int16_t v) { bytes::PutI16(b.data() + at, v); }

const Damage kRefused[] = {
    {"wrong magic", [](auto& b) { b[5] = '3'; }},
    {"NaN tempo", [](auto& b) { PutF(b, kOffTempo, std::numeric_limits<float>::quiet_NaN()); }},
    {"infinite tempo", [](auto& b) { PutF(b, kOffTempo, std::numeric_limits<float>::infinity()); }},
    {"zero tempo", [](auto& b) { PutF(b, kOffTempo, 0.0f); }},
    {"tempo below 50", [](auto& b) { PutF(b, kOffTempo, 49.99f); }},
    {"tempo above 250", [](auto& b) { PutF(b, kOffTempo, 250.01f); }},
    {"NaN pitch", [](auto& b) { PutF(b, kOffPitch, std::numeric_limits<float>::quiet_NaN()); }},
    {"negative master gain", [](auto& b) { PutF(b, kOffMasterGainLeft, -1.0f); }},
    {"huge track gain", [](auto& b) { PutF(b, Track(4) + 268, 1e30f); }},
    {"NaN track pitch", [](auto& b) { PutF(b, Track(4) + 260, std::numeric_limits<float>::quiet_NaN()); }},
    {"33 loops", [](auto& b) { PutS(b, kOffLoopCount, 33); }},
    {"negative loop count", [](auto& b) { PutS(b, kOffLoopCount, -1); }},
    {"loop numbered 32", [](auto& b) { PutS(b, Loop(31), 32); }},
    {"loop numbered twice", [](auto& b) { PutS(b, Loop(31), 4); }},
    {"loop of 3 channels", [](auto& b) { PutS(b, Loop(2) + 84, 3); }},
    {"loop longer than 30 s", [](auto& b) { PutI(b, Loop(2) + 608, 1323001); }},
    {"11 master effects", [](auto& b) { PutS(b, kOffMasterChain, 11); }},
    {"negative effect count", [](auto& b) { PutS(b, Track(7) + 332, -1); }},
    {"negative snippet count", [](auto& b) { PutS(b, Track(7) + 300, -1); }},
    {"snippets past the end", [](auto& b) { PutS(b, Track(23) + 300, 32767); }},
    {"points past the end", [](auto& b) { PutI(b, kOffMasterChain + 1084 + 8, 0x7FFFFFFF); }},
    {"negative point count", [](auto& b) { PutI(b, kOffMasterChain + 1124 + 8, -3); }},
    {"unknown track type", [](auto& b) { PutS(b, Track(9), 2); }},
    {"title without terminator", [](auto& b) { std::memset(b.data() + kOffTitle, 'A', kTitleBytes); }},
    {"year without terminator", [](auto& b) { std::memset(b.data() + kOffYear, '9', kYearBytes); }},
    {"track description without terminator", [](auto& b) { std::memset(b.data() + Track(3) + 2, 'x', 258); }},
    {"path without terminator", [](auto& b) { std::memset(b.data() + SnippetAt(0) + 50, 'p', kPathBytes); }},
    {"snippet of 0 channels", [](auto& b) { PutS(b, SnippetAt(4) + 48, 0); }},
    {"snippet tempo NaN", [](auto& b) { PutF(b, SnippetAt(4) + 16, std::numeric_limits<float>::quiet_NaN()); }},
    {"snippet ratio zero", [](auto& b) { PutF(b, SnippetAt(4) + 20, 0.0f); }},
    {"negative snippet start", [](auto& b) { PutI(b, SnippetAt(4) + 24, -5); }},
    {"snippet ending before it starts", [](auto& b) { PutI(b, SnippetAt(4) + 28, 10); }},
    {"segment tempo infinite", [](auto& b) { PutF(b, SnippetAt(4) + 44, std::numeric_limits<float>::infinity()); }},
    {"loop snippet on a loop not held", [](auto& b) {
       PutS(b, kOffLoopCount, 20);  // loops 20..31 are gone; track 20's records name loops 28, 29, 30
     }},
    {"effect setting NaN", [](auto& b) { PutF(b, Track(0) + 332 + 44 + 100 * 2 + 8, std::numeric_limits<float>::quiet_NaN()); }},
    {"level point gain NaN", [](auto& b) {
       PutF(b, SnippetAt(kFullSnippets) + 8, std::numeric_limits<float>::quiet_NaN());
     }},
    {"level point tempo zero", [](auto& b) { PutF(b, SnippetAt(kFullSnippets) + 20 * 7 + 4, 0.0f); }},
};

TEST(ProjectFormat, DamagedFilesAreRefusedWithAReason) {
  const std::vector<uint8_t> good = BytesOf(FullProjectImage("/a"));
  ASSERT_TRUE(Parses(good));
  for (const Damage& damage : kRefused) {
    std::vector<uint8_t> bytes = good;
    damage.apply(bytes);
    std::string problem;
    EXPECT_FALSE(Parses(bytes, nullptr, &problem)) << damage.what;
  }
}

TEST(ProjectFormat, EveryCutShortFileIsRefused) {
  const std::vector<uint8_t> good = BytesOf(FullProjectImage("/a"));
  std::vector<size_t> cuts = {0, 1, 5, 6, 7, 1000, 43700, kHeaderBytes - 1, kHeaderBytes, kHeaderBytes + 1,
                              SnippetAt(1) - 1, SnippetAt(kFullSnippets) - 1, SnippetAt(kFullSnippets),
                              good.size() - 20, good.size() - 1};
  for (size_t cut = 97; cut < good.size(); cut += 4099) cuts.push_back(cut);
  for (size_t cut : cuts) {
    const std::vector<uint8_t> bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
    EXPECT_FALSE(Parses(bytes)) << "cut at " << cut;
  }
  // Bytes after the last record are not the project's: they are ignored.
  std::vector<uint8_t> longer = good;
  longer.resize(good.size() + 100, 0xEE);
  EXPECT_TRUE(Parses(longer));
}

TEST(ProjectFormat, CountsAtTheirLimitsAreRead) {
  ProjectImage image = FullProjectImage("/a");
  image.tracks[6].chain.effects.assign(10, ProjectEffectSlot{});
  for (int i = 0; i < 10; ++i) image.tracks[6].chain.effects[i].type = static_cast<int32_t>(ZelmoEcho);
  image.tracks[6].snippets.clear();
  for (int k = 0; k < 1000; ++k) image.tracks[6].snippets.push_back(image.tracks[7].snippets[0]);
  const ProjectImage back = Parsed(BytesOf(image));
  EXPECT_EQ(back.tracks[6].chain.effects.size(), 10u);
  EXPECT_EQ(back.tracks[6].snippets.size(), 1000u);
  EXPECT_EQ(back.loops.size(), 32u);
  // A chain that would need an eleventh slot, or a 33rd loop, is never written.
  image.tracks[6].chain.effects.emplace_back();
  std::vector<uint8_t> out;
  std::string problem;
  EXPECT_FALSE(SerializeProject(image, &out, &problem));
  image.tracks[6].chain.effects.pop_back();
  image.loops.push_back(image.loops[0]);
  EXPECT_FALSE(SerializeProject(image, &out, &problem));
  image.loops.pop_back();
  image.tracks[0].snippets[0].segment.pcmPath = "/" + std::string(260, 'x');
  EXPECT_FALSE(SerializeProject(image, &out, &problem));
  EXPECT_NE(problem.find("longer than 260"), std::string::npos) << problem;
}

// ---- What a reader mends ------------------------------------------------------

TEST(ProjectFormat, DamageThatCanBeMendedIsMended) {
  const std::vector<uint8_t> good = BytesOf(FullProjectImage("/a"));
  struct Case {
    const char* what;
    void (*apply)(std::vector<uint8_t>&);
    bool (*check)(const ProjectImage&);
  } cases[] = {
      {"six armed tracks keep the first four",
       [](auto& b) {
         for (int t : {1, 2, 3, 4, 6, 7}) PutI(b, Track(t) + 280, 1);
       },
       [](const ProjectImage& i) {
         return i.tracks[4].armed == 1 && i.tracks[4].recordSlot == 4 && i.tracks[6].armed == 0 && i.tracks[7].armed == 0;
       }},
      {"an armed loop track is disarmed", [](auto& b) { PutI(b, Track(21) + 280, 1); },
       [](const ProjectImage& i) { return i.tracks[21].armed == 0; }},
      {"a record slot taken twice is replaced",
       [](auto& b) {
         PutI(b, Track(2) + 296, 1);
         PutI(b, Track(3) + 296, 9);
       },
       [](const ProjectImage& i) {
         return i.tracks[1].recordSlot == 1 && i.tracks[2].recordSlot == 2 && i.tracks[3].recordSlot == 3;
       }},
      {"editor source 0", [](auto& b) { PutI(b, kOffEditorSource, 0); },
       [](const ProjectImage& i) { return i.editor.source == kEditorNothing; }},
      {"editor source 5", [](auto& b) { PutI(b, kOffEditorSource, 5); },
       [](const ProjectImage& i) { return i.editor.source == kEditorNothing; }},
      {"editor snippet not on its track", [](auto& b) { PutS(b, kOffEditorTrack, 1); },
       [](const ProjectImage& i) { return i.editor.source == kEditorNothing; }},
      {"editor track 30", [](auto& b) { PutS(b, kOffEditorTrack, 30); },
       [](const ProjectImage& i) { return i.editor.source == kEditorNothing; }},
      {"editor loop not held",
       [](auto& b) {
         PutI(b, kOffEditorSource, 4);
         PutS(b, kOffEditorLoop, 40);
       },
       [](const ProjectImage& i) { return i.editor.source == kEditorNothing; }},
      {"editor loop held",
       [](auto& b) {
         PutI(b, kOffEditorSource, 4);
         PutS(b, kOffEditorLoop, 7);
       },
       [](const ProjectImage& i) { return i.editor.source == kEditorLoop && i.editor.loopNumber == 7; }},
      {"pitch 20 becomes 12", [](auto& b) { PutF(b, kOffPitch, 20.0f); },
       [](const ProjectImage& i) { return i.pitch == 12.0f; }},
      {"a view that ends before it starts", [](auto& b) { PutI(b, kOffViewEnd, 10); },
       [](const ProjectImage& i) { return i.viewStart == 0 && i.viewEnd == 441000 && i.viewSpan == 441000; }},
      {"solo active follows the tracks", [](auto& b) { PutI(b, Track(5) + 284, 0); },
       [](const ProjectImage& i) { return i.soloActive == 0; }},
      {"a loop title filling its field", [](auto& b) { std::memset(b.data() + Loop(3) + 12, 'T', 63 + 5); },
       [](const ProjectImage& i) { return i.loops[3].title == std::string(63, 'T'); }},
      {"a Latin-1 title", [](auto& b) { std::memcpy(b.data() + kOffTitle, "Caf\xE9", 5); },
       [](const ProjectImage& i) { return i.tags.title == "Caf\xC3\xA9"; }},
      {"list-2 points of a dependent envelope are not read", [](auto& b) { PutI(b, Track(0) + 332 + 1124 + 20, 99); },
       [](const ProjectImage& i) { return i.tracks[0].chain.effects[5].points2.empty(); }},
      {"slots of type 0 and 5 are kept and skipped",
       [](auto& b) {
         PutI(b, Track(0) + 332 + 4, 0);
         PutI(b, Track(0) + 332 + 8, 5);
       },
       [](const ProjectImage& i) {
         return i.tracks[0].chain.effects.size() == 6 && i.tracks[0].chain.effects[1].type == 5 &&
                i.tracks[0].chain.effects[5].points1.size() == 3;
       }},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = good;
    c.apply(bytes);
    ProjectImage image;
    std::string problem;
    ASSERT_TRUE(Parses(bytes, &image, &problem)) << c.what << ": " << problem;
    EXPECT_TRUE(c.check(image)) << c.what;
  }
}

// ---- Bytes of any kind --------------------------------------------------------

ProjectImage WithoutTexts(ProjectImage image) {
  image.tags = ProjectTags{};
  for (ProjectTrackRecord& track : image.tracks) track.description.clear();
  for (ProjectLoopRecord& loop : image.loops) loop.title.clear();
  return image;
}

// Whatever a reader accepts, a writer writes and the reader reads back the
// same; texts of the older program's encoding may grow into UTF-8 and be cut
// to their fields once, and stay as they are from then on.
void CheckAcceptedIsStable(const std::vector<uint8_t>& bytes) {
  ProjectImage image;
  std::string problem;
  if (!ParseProject(bytes.data(), bytes.size(), &image, &problem)) {
    EXPECT_FALSE(problem.empty());
    return;
  }
  std::vector<uint8_t> out;
  ASSERT_TRUE(SerializeProject(image, &out, &problem)) << problem;
  const ProjectImage back = Parsed(out);
  EXPECT_TRUE(WithoutTexts(back) == WithoutTexts(image));
  EXPECT_EQ(BytesOf(back), out);
}

TEST(ProjectFormat, RandomBytesAndFlippedBytesNeverHurtTheReader) {
  std::mt19937 random(20240611);
  for (int i = 0; i < 200; ++i) {
    std::vector<uint8_t> bytes(std::uniform_int_distribution<size_t>(0, 70000)(random));
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    if (bytes.size() >= 6 && i % 2 == 0) std::memcpy(bytes.data(), "QRVD12", 6);
    CheckAcceptedIsStable(bytes);
  }
  const std::vector<uint8_t> good = BytesOf(FullProjectImage("/a"));
  for (int i = 0; i < 300; ++i) {
    std::vector<uint8_t> bytes = good;
    const int flips = 1 + i % 8;
    for (int f = 0; f < flips; ++f) {
      bytes[std::uniform_int_distribution<size_t>(6, bytes.size() - 1)(random)] = static_cast<uint8_t>(random());
    }
    CheckAcceptedIsStable(bytes);
  }
}

}  // namespace
}  // namespace tessiro::test
