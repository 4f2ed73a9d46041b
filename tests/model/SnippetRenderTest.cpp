// Rendering snippets and snippet lists block by block: placement, layering,
// saturation, tempo and pitch, loops, and snippets partly covered by newer ones.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "AudioLoop.h"
#include "AudioSnippetList.h"
#include "AudioSnippetLoop.h"
#include "ReportRecorder.h"
#include "SnippetFixtures.h"
#include "TempFolder.h"
#include "tarvex.h"

using tessiro::test::Constant;
using tessiro::test::CTempFolder;
using tessiro::test::HashSignal;
using tessiro::test::MakeExtended;
using tessiro::test::MakeSegment;
using tessiro::test::RenderList;
using tessiro::test::Reports;

namespace {

const std::vector<uint32_t> kOddBlocks{1, 64, 257, 8192, 3001, 7, 4096};

// A source sample as the mix hears it: added into silence with saturation, so
// -32768 comes out as -32767.
int16_t Heard(int16_t sample) { return sample < -32767 ? -32767 : sample; }

// The expected stereo output of one snippet at ratio 1: the source where it
// plays, silence elsewhere.
std::vector<int16_t> Placed(uint32_t from, uint32_t to, uint32_t start, uint32_t length, uint16_t channels,
                            const tessiro::test::SignalFn& signal) {
  std::vector<int16_t> out(static_cast<size_t>(to - from) * 2, 0);
  for (uint32_t x = from; x < to; ++x) {
    if (x < start || x >= start + length) continue;
    for (int c = 0; c < 2; ++c) out[(x - from) * 2 + c] = Heard(signal(x - start, channels == 1 ? 0 : c));
  }
  return out;
}

// First stereo frame where two renders differ, or -1.
long FirstDifference(const std::vector<int16_t>& a, const std::vector<int16_t>& b) {
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
    if (a[i] != b[i]) return static_cast<long>(i / 2);
  }
  return a.size() == b.size() ? -1 : static_cast<long>(std::min(a.size(), b.size()) / 2);
}

// What a fresh processor makes of a source stream read from its start:
// the oracle for snippets played at another tempo or pitch.
std::vector<int16_t> ProcessorStream(const CAudioSegment& segment, const tessiro::test::SignalFn& signal,
                                     float ratio, float semitones, uint32_t frames,
                                     const TempoPitchSettings& settings) {
  const int channels = segment.GetChannels();
  CTarvex processor;
  processor.SetTempo(1.0f / ratio);
  processor.SetPitchViaSemitones(semitones);
  processor.SetChannels(static_cast<int16_t>(channels));
  processor.SetSizeOutputBufferSample(65536);
  processor.Init();
  processor.bestFitShave = settings.bestFitShave;
  processor.bestFitSkip = settings.bestFitSkip;
  processor.bestFitCorrLimit = settings.bestFitCorrLimit;
  std::vector<int16_t> out;
  std::vector<int16_t> in;
  std::vector<int16_t> chunk(static_cast<size_t>(65536) * channels);
  constexpr uint32_t kFeed = 5000;
  for (uint32_t read = 0; out.size() < static_cast<size_t>(frames) * channels && read < segment.length;) {
    const uint32_t n = std::min(kFeed, segment.length - read);
    in.resize(static_cast<size_t>(n) * channels);
    for (uint32_t f = 0; f < n; ++f) {
      for (int c = 0; c < channels; ++c) in[f * channels + c] = signal(read + f, c);
    }
    read += n;
    uint32_t produced = 0;
    processor.ProcessAudio(in.data(), n, chunk.data(), 65536, &produced);
    out.insert(out.end(), chunk.begin(), chunk.begin() + static_cast<ptrdiff_t>(produced) * channels);
  }
  out.resize(std::min(out.size(), static_cast<size_t>(frames) * channels));
  return out;
}

int CountRisingZeroCrossings(const std::vector<int16_t>& stereo, size_t firstFrame, size_t lastFrame) {
  int count = 0;
  for (size_t f = firstFrame + 1; f < lastFrame; ++f) {
    if (stereo[(f - 1) * 2] < 0 && stereo[f * 2] >= 0) ++count;
  }
  return count;
}

}  // namespace

TEST(SnippetRender, ASnippetPlaysItsSourceAtItsStartForAnyBlockSplit) {
  CTempFolder folder;
  for (uint16_t channels : {2, 1}) {
    SCOPED_TRACE(channels == 2 ? "stereo" : "mono");
    auto segment = MakeSegment(folder.Path(), channels, 30000, HashSignal);
    CAudioSnippetList list;
    list.AddSnippet(MakeExtended(segment, 1000));
    const std::vector<int16_t> out = RenderList(list, 0, 40000, kOddBlocks);
    EXPECT_EQ(FirstDifference(out, Placed(0, 40000, 1000, 30000, channels, HashSignal)), -1);
  }
}

TEST(SnippetRender, PlayingFromAnyPositionStartsAtTheMatchingSourceFrame) {
  CTempFolder folder;
  auto segment = MakeSegment(folder.Path(), 2, 200000, HashSignal);
  CAudioSnippetList list;
  list.AddSnippet(MakeExtended(segment, 5000));
  const std::vector<uint32_t> blocks{8192};
  // Play a little, then jump elsewhere as a new play position does.
  RenderList(list, 0, 20000, blocks);
  const std::vector<int16_t> out = RenderList(list, 150001, 180000, blocks);
  EXPECT_EQ(FirstDifference(out, Placed(150001, 180000, 5000, 200000, 2, HashSignal)), -1);
  list.StopAllProcessors();
  for (const auto& s : list.Snippets()) {
    EXPECT_EQ(s->GetState(), CAudioSnippet::kStateIdle);
    EXPECT_EQ(s->IsSourceClosed(), 1);
  }
}

TEST(SnippetRender, TheNewestOfOverlappingSnippetsPlaysOnTop) {
  CTempFolder folder;
  auto under = MakeSegment(folder.Path(), 2, 20000, HashSignal);
  auto over = MakeSegment(folder.Path(), 2, 1000, Constant(1234));
  CAudioSnippetList list;
  auto a = MakeExtended(under, 0);
  auto b = MakeExtended(over, 5000);
  list.AddSnippet(a);
  list.AddSnippet(b);
  std::vector<int16_t> expected = Placed(0, 20000, 0, 20000, 2, HashSignal);
  for (size_t f = 5000; f < 6000; ++f) expected[f * 2] = expected[f * 2 + 1] = 1234;
  EXPECT_EQ(FirstDifference(RenderList(list, 0, 20000, kOddBlocks), expected), -1);

  // Set on top: the older snippet now covers the newer one.
  a->layer = b->layer + 1;
  list.StopAllProcessors();
  EXPECT_EQ(FirstDifference(RenderList(list, 0, 20000, {8192}), Placed(0, 20000, 0, 20000, 2, HashSignal)), -1);
}

TEST(SnippetRender, ASnippetCoveredForWholeBlocksStopsAndComesBackInPlace) {
  CTempFolder folder;
  auto under = MakeSegment(folder.Path(), 2, 100000, HashSignal);
  auto over = MakeSegment(folder.Path(), 2, 40000, Constant(-77));
  CAudioSnippetList list;
  auto a = MakeExtended(under, 0);
  auto b = MakeExtended(over, 20000);
  list.AddSnippet(a);
  list.AddSnippet(b);
  std::vector<int16_t> expected = Placed(0, 100000, 0, 100000, 2, HashSignal);
  for (size_t f = 20000; f < 60000; ++f) expected[f * 2] = expected[f * 2 + 1] = -77;
  std::vector<int16_t> out(expected.size());
  std::vector<int16_t> block(8192 * 2);
  for (uint32_t x = 0; x < 100000; x += 8192) {
    const uint32_t n = std::min<uint32_t>(8192, 100000 - x);
    list.Prefetch(x, n, 0.0f, 1);
    // Blocks wholly under the newer snippet do not keep the older one running.
    if (x >= 24576 && x + n <= 57344) {
      EXPECT_EQ(a->GetState(), CAudioSnippet::kStateIdle) << x;
    }
    list.Render(block.data(), x, n);
    std::copy(block.begin(), block.begin() + n * 2, out.begin() + x * 2);
  }
  EXPECT_EQ(FirstDifference(out, expected), -1);
}

TEST(SnippetRender, SumsSaturateWithoutEverReachingMinus32768) {
  CTempFolder folder;
  for (int16_t value : {20000, -20000, 32767, -32767}) {
    auto segment = MakeSegment(folder.Path(), 2, 256, Constant(value));
    auto s = MakeExtended(segment, 0);
    ASSERT_EQ(s->StartTempoPitch(0.0f, 256, TempoPitchSettings{}), 1);
    std::vector<int16_t> out(512, value);
    ASSERT_EQ(s->Prefetch(0, 256, 256), 1);
    ASSERT_EQ(s->Render(out.data(), 0, 256, 256), 1);
    const int16_t expected = value > 0 ? 32767 : -32767;
    for (int16_t v : out) ASSERT_EQ(v, expected) << value;
  }
}

TEST(SnippetRender, AMonoSourceFillsBothChannels) {
  CTempFolder folder;
  auto segment = MakeSegment(folder.Path(), 1, 3000, HashSignal);
  CAudioSnippetList list;
  list.AddSnippet(MakeExtended(segment, 0));
  const std::vector<int16_t> out = RenderList(list, 0, 3000, {1000});
  for (uint32_t f = 0; f < 3000; ++f) {
    ASSERT_EQ(out[f * 2], Heard(HashSignal(f, 0)));
    ASSERT_EQ(out[f * 2 + 1], Heard(HashSignal(f, 0)));
  }
}

TEST(SnippetRender, OnlyWhatTheProcessorDeliversIsHeard) {
  CTempFolder folder;
  // A snippet longer than its source: past the source's end it must be
  // silent, whatever the work buffer still holds from earlier blocks.
  auto segment = MakeSegment(folder.Path(), 2, 5000, Constant(1000));
  auto s = MakeExtended(segment, 0);
  s->length = 12000;
  s->end = 12000;
  CAudioSnippetList list;
  list.AddSnippet(s);
  const std::vector<int16_t> out = RenderList(list, 0, 12000, {4096});
  for (uint32_t f = 0; f < 12000; ++f) ASSERT_EQ(out[f * 2], f < 5000 ? 1000 : 0) << f;

  // A read at or past the source's end reads nothing and adds nothing.
  std::vector<int16_t> block(2048, 55);
  s->StopTempoPitch();
  ASSERT_EQ(s->StartTempoPitch(0.0f, 1024, TempoPitchSettings{}), 1);
  ASSERT_EQ(s->Prefetch(6000, 1024, 1024), 1);
  ASSERT_EQ(s->Render(block.data(), 6000, 1024, 1024), 1);
  for (int16_t v : block) ASSERT_EQ(v, 55);
}

TEST(SnippetRender, TempoAndPitchShapeTheSoundAsTheProcessorDoes) {
  CTempFolder folder;
  auto sine = [](uint32_t frame, int channel) {
    return static_cast<int16_t>(12000.0 * std::sin(2.0 * M_PI * 441.0 * frame / 44100.0 + channel));
  };
  const TempoPitchSettings settings;
  struct Case {
    float projectTempo, semitones;
  };
  for (Case c : {Case{120.0f, 0.0f}, Case{80.0f, 0.0f}, Case{100.0f, 12.0f}, Case{125.0f, -5.0f}}) {
    SCOPED_TRACE(testing::Message() << "tempo " << c.projectTempo << " pitch " << c.semitones);
    auto segment = MakeSegment(folder.Path(), 2, 88200, sine);
    auto snippet = MakeExtended(segment, 0, c.projectTempo);
    // Twice as fast, half as long: the length follows the project tempo.
    EXPECT_EQ(snippet->length, static_cast<uint32_t>(88200.0f * 100.0f / c.projectTempo + 0.5f));
    CAudioSnippetList list;
    list.SetTempoPitchSettings(settings);
    list.AddSnippet(snippet);
    const uint32_t frames = snippet->length - 4096;  // short of the end, where the processor runs dry
    const std::vector<int16_t> out = RenderList(list, 0, frames, {8192, 1000, 5000}, c.semitones);
    const std::vector<int16_t> oracle = ProcessorStream(*segment, sine, snippet->ratio, c.semitones, frames, settings);
    ASSERT_EQ(oracle.size(), out.size());
    EXPECT_EQ(FirstDifference(out, oracle), -1);
    // The pitch moves by the semitones; the tempo alone leaves it.
    const double expectedHz = 441.0 * std::pow(2.0, c.semitones / 12.0);
    const double seconds = (frames - 4410) / 44100.0;
    EXPECT_NEAR(CountRisingZeroCrossings(out, 4410, frames) / seconds, expectedHz, expectedHz * 0.02);
  }
}

TEST(SnippetRender, LoopSnippetsPlayTheirLoopFromMemory) {
  CTempFolder folder;
  const uint32_t loopFrames = 10000;
  auto loop = tessiro::test::MakeLoop(folder.Path(), 2, loopFrames, HashSignal);
  // The loop laid twice, back to back, then once more after a gap.
  CAudioSnippetList list;
  std::vector<std::shared_ptr<CAudioSnippetLoop>> laid;
  for (uint32_t start : {0u, loopFrames, 3 * loopFrames}) {
    auto s = tessiro::test::MakeLoopSnippet(loop, start);
    laid.push_back(s);
    ASSERT_EQ(list.AddSnippet(s), 1);
  }
  EXPECT_EQ(loop->useCount, 3);
  const std::vector<int16_t> out = RenderList(list, 0, 4 * loopFrames + 500, kOddBlocks);
  for (uint32_t x = 0; x < 4 * loopFrames + 500; ++x) {
    const bool playing = x < 2 * loopFrames || (x >= 3 * loopFrames && x < 4 * loopFrames);
    const uint32_t f = x % loopFrames;
    ASSERT_EQ(out[x * 2], playing ? Heard(HashSignal(f, 0)) : 0) << x;
    ASSERT_EQ(out[x * 2 + 1], playing ? Heard(HashSignal(f, 1)) : 0) << x;
  }
  EXPECT_EQ(laid[0]->IsSourceClosed(), 2);
}

// A punch-in: a short take B on top of a long one A, both played at another
// tempo than their source. Outside B the output is exactly A played alone,
// with no seam at any block edge.
TEST(SnippetRender, APunchInLeavesTheTakeUnderItUnbroken) {
  CTempFolder folder;
  const uint32_t second = 44100;
  auto takeA = MakeSegment(folder.Path(), 2, 12 * second, HashSignal);
  auto takeB = MakeSegment(folder.Path(), 2, second / 5, Constant(3000));
  const float projectTempo = 120.0f;

  // A played alone, straight through its processor: the stream the mix must
  // reproduce (short of the end, where the processor runs dry).
  const uint32_t compared = 10 * second - 8192;
  const std::vector<int16_t> reference =
      ProcessorStream(*takeA, HashSignal, projectTempo / 100.0f, 0.0f, compared, TempoPitchSettings{});
  ASSERT_EQ(reference.size(), size_t{compared} * 2);

  auto a = MakeExtended(takeA, 0, projectTempo);
  auto b = MakeExtended(takeB, 0, projectTempo);
  b->start = 4 * second;
  b->length = second / 10;
  b->end = b->start + b->length;
  CAudioSnippetList punched;
  punched.AddSnippet(a);
  punched.AddSnippet(b);
  ASSERT_EQ(a->length, 10 * second);
  const std::vector<int16_t> out = RenderList(punched, 0, compared, {8192});
  long mismatch = -1;
  for (uint32_t f = 0; f < compared && mismatch < 0; ++f) {
    if (f >= b->start && f < b->end) continue;
    if (out[f * 2] != reference[f * 2] || out[f * 2 + 1] != reference[f * 2 + 1]) mismatch = f;
  }
  EXPECT_EQ(mismatch, -1);
  // And B is heard where it lies.
  const size_t middle = (b->start + b->length / 2) * 2;
  EXPECT_NE(out[middle], reference[middle]);
}

TEST(SnippetRender, StartingWithoutASourceIsAFault) {
  CAudioSnippet plain;
  EXPECT_EQ(plain.StartTempoPitch(0.0f, 8192, TempoPitchSettings{}), 3);
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.title, "AudioSnippet");
  EXPECT_EQ(reports[0].report.line, 190);
  EXPECT_EQ(plain.GetState(), CAudioSnippet::kStateIdle);
}

TEST(SnippetRender, ALoopSnippetRenderedBeforeItStartsIsAFault) {
  auto loop = std::make_shared<CAudioLoop>();
  CAudioSnippetLoop s(loop);
  std::vector<int16_t> block(64);
  EXPECT_EQ(s.Render(block.data(), 0, 32, 32), 3);
  EXPECT_EQ(s.Render(nullptr, 0, 32, 32), 3);
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].report.title, "AudioSnippetLoop");
  EXPECT_EQ(reports[0].report.line, 62);
  EXPECT_EQ(reports[1].report.line, 57);
}
