#include "AudioLoop.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "AudioLoopList.h"
#include "PageBuffer.h"
#include "ReportRecorder.h"
#include "TempFolder.h"
#include "Utf8.h"

using tessiro::test::CTempFolder;
using tessiro::test::IsValidUtf8;
using tessiro::test::Reports;

namespace {

int16_t SampleAt(uint32_t frame, int channel) { return static_cast<int16_t>(frame * 3 + channel * 1000 + 1); }

// A segment of frames frames whose sample at (frame, channel) is SampleAt, written to disk.
std::shared_ptr<CAudioSegment> MakeSegment(const CTempFolder& folder, uint32_t frames, uint16_t channels) {
  auto segment = std::make_shared<CAudioSegment>(folder.Path());
  segment->SetFormat(AudioQuality{44100, channels, 16});
  EXPECT_EQ(segment->Open(1), 1);
  std::vector<int16_t> samples(static_cast<size_t>(frames) * channels);
  for (uint32_t f = 0; f < frames; ++f) {
    for (int c = 0; c < channels; ++c) samples[static_cast<size_t>(f) * channels + c] = SampleAt(f, c);
  }
  uint32_t written = 0;
  EXPECT_EQ(segment->Write(samples.data(), frames, &written), 0);
  EXPECT_EQ(segment->Close(), 1);
  segment->length = frames;
  return segment;
}

// A segment whose length is set without audio behind it.
std::shared_ptr<CAudioSegment> SegmentOfLength(const CTempFolder& folder, uint32_t frames) {
  auto segment = std::make_shared<CAudioSegment>(folder.Path());
  segment->length = frames;
  return segment;
}

// Brings a loop's audio into memory as the program does: the whole segment in
// blocks of 16384 frames straight into the loop's buffer.
void LoadIntoMemory(CAudioLoop& loop) {
  void* memory = nullptr;
  ASSERT_EQ(loop.AllocateBuffer(&memory), 1);
  ASSERT_NE(memory, nullptr);
  CAudioSegment& segment = *loop.Segment();
  ASSERT_EQ(segment.Open(0), 1);
  auto* samples = static_cast<int16_t*>(memory);
  for (uint32_t at = 0; at < segment.length; at += 16384) {
    uint32_t got = 0;
    ASSERT_EQ(segment.Read(samples + static_cast<size_t>(at) * segment.GetChannels(), 16384, &got), 1);
    ASSERT_EQ(got, std::min(16384u, segment.length - at));
  }
  ASSERT_EQ(segment.Close(), 1);
}

std::shared_ptr<CAudioLoop> NewLoop(const std::string& title, int16_t number = CAudioLoop::kAppendNumber) {
  auto loop = std::make_shared<CAudioLoop>();
  loop->SetTitle(title);
  loop->loopNumber = number;
  return loop;
}

std::vector<std::string> TitlesInOrder(CAudioLoopList& list) {
  std::vector<std::string> titles;
  list.ResetIterator();
  std::shared_ptr<CAudioLoop> loop;
  int expectedNumber = 0;
  while (list.GetNextLoop(&loop) == 1) {
    EXPECT_EQ(loop->loopNumber, expectedNumber++) << "numbers run 0..count-1 in order";
    titles.push_back(loop->GetTitle());
  }
  return titles;
}

}  // namespace

TEST(AudioLoopList, LoopsAreNumberedByTheirPlace) {
  CAudioLoopList bank;
  EXPECT_EQ(bank.GetListMode(), 1);
  ASSERT_EQ(bank.AddLoop(NewLoop("a")), 1);
  ASSERT_EQ(bank.AddLoop(NewLoop("b")), 1);
  ASSERT_EQ(bank.AddLoop(NewLoop("c")), 1);
  EXPECT_EQ(TitlesInOrder(bank), (std::vector<std::string>{"a", "b", "c"}));

  // A loop with a number takes that place; the loops from there on move up.
  ASSERT_EQ(bank.AddLoop(NewLoop("new", 1)), 1);
  EXPECT_EQ(TitlesInOrder(bank), (std::vector<std::string>{"a", "new", "b", "c"}));
  EXPECT_EQ(bank.GetCount(), 4);

  // A number past the end appends without leaving a gap; a negative one goes first.
  ASSERT_EQ(bank.AddLoop(NewLoop("far", 40)), 1);
  ASSERT_EQ(bank.AddLoop(NewLoop("first", -3)), 1);
  EXPECT_EQ(TitlesInOrder(bank), (std::vector<std::string>{"first", "a", "new", "b", "c", "far"}));
}

TEST(AudioLoopList, RemovingALoopClosesTheGap) {
  CAudioLoopList bank;
  std::vector<std::shared_ptr<CAudioLoop>> loops;
  for (const char* title : {"a", "b", "c", "d"}) {
    loops.push_back(NewLoop(title));
    ASSERT_EQ(bank.AddLoop(loops.back()), 1);
  }
  ASSERT_EQ(bank.RemoveLoop(loops[1]->GetIdentifier()), 1);
  EXPECT_EQ(TitlesInOrder(bank), (std::vector<std::string>{"a", "c", "d"}));
  EXPECT_EQ(loops[2]->loopNumber, 1);
  EXPECT_EQ(loops[3]->loopNumber, 2);

  // The removed loop lives on for whoever still holds it, an undo record say.
  EXPECT_EQ(loops[1]->GetTitle(), "b");
  EXPECT_EQ(bank.RemoveLoop(loops[1]->GetIdentifier()), 3);
  std::shared_ptr<CAudioLoop> found;
  EXPECT_EQ(bank.FindLoop(2, &found), 1);
  EXPECT_EQ(found, loops[3]);
  EXPECT_EQ(bank.FindLoop(3, &found), 3);
  EXPECT_EQ(found, nullptr);

  // Taking it back at its old number puts everything where it was.
  loops[1]->loopNumber = 1;
  ASSERT_EQ(bank.AddLoop(loops[1]), 1);
  EXPECT_EQ(TitlesInOrder(bank), (std::vector<std::string>{"a", "b", "c", "d"}));

  bank.RenumberAfter(1, 0);
  EXPECT_EQ(loops[2]->loopNumber, 3);
  EXPECT_EQ(loops[1]->loopNumber, 1);
  bank.RenumberAfter(1, 1);
  EXPECT_EQ(loops[2]->loopNumber, 2);
}

TEST(AudioLoopList, EmptyingTheBankLeavesLoopsToTheirOtherHolders) {
  CAudioLoopList bank;
  std::weak_ptr<CAudioLoop> onlyInBank;
  auto kept = NewLoop("kept");
  {
    auto loop = NewLoop("gone");
    onlyInBank = loop;
    ASSERT_EQ(bank.AddLoop(loop), 1);
  }
  ASSERT_EQ(bank.AddLoop(kept), 1);
  EXPECT_EQ(bank.DeleteAllLoops(), 1);
  EXPECT_EQ(bank.GetCount(), 0);
  EXPECT_TRUE(onlyInBank.expired());
  EXPECT_EQ(kept->GetTitle(), "kept");
  EXPECT_EQ(kept.use_count(), 1);

  ASSERT_EQ(bank.AddLoop(kept), 1);
  EXPECT_EQ(bank.RemoveAllNodes(), 1);
  EXPECT_EQ(bank.GetCount(), 0);
  std::shared_ptr<CAudioLoop> none;
  EXPECT_EQ(bank.GetNextLoop(&none), 0);
}

TEST(AudioLoopList, BankHoldsThirtyTwoLoops) {
  CAudioLoopList bank;
  for (int i = 0; i < kMaxLoops; ++i) {
    EXPECT_EQ(bank.RefuseNewLoop(), nullptr);
    ASSERT_EQ(bank.AddLoop(NewLoop("loop")), 1);
  }
  EXPECT_STREQ(bank.RefuseNewLoop(), "Maximum number of loops has been reached.");

  // A 33rd loop would be lost when the project is saved: it is refused as a fault.
  auto extra = NewLoop("extra", 0);
  EXPECT_EQ(bank.AddLoop(extra), 3);
  EXPECT_EQ(bank.GetCount(), kMaxLoops);
  EXPECT_EQ(extra->loopNumber, 0) << "a refused loop is left as it was";
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.title, "AudioLoopList");
  EXPECT_EQ(reports[0].report.message, "Maximum number of loops has been reached.");

  const std::vector<LoopMenuEntry> menu = bank.BuildLoopMenu();
  ASSERT_EQ(menu.size(), 32u);
  EXPECT_EQ(menu.front().commandId, 55100u);
  EXPECT_EQ(menu.back().commandId, 55131u);
  EXPECT_EQ(menu.back().text, "Loop 32 - loop");

  EXPECT_EQ(bank.AddLoop(nullptr), 3);
  reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.line, 96);
}

TEST(AudioLoop, LengthLimitIsThirtySeconds) {
  EXPECT_EQ(RefuseLoopImportLength(1323000), nullptr);
  EXPECT_STREQ(RefuseLoopImportLength(1323001),
               "Cannot load loop file.  Imported audio length is greater than the 30 seconds limit.");
  EXPECT_EQ(RefuseLoopCreateLength(1323000), nullptr);
  EXPECT_STREQ(RefuseLoopCreateLength(1323001),
               "Cannot create loop file.  Current audio length is greater than the 30 second loop limit.");
}

TEST(AudioLoop, MeasuresStayWithinOneToSixteen) {
  CAudioLoop loop;
  EXPECT_EQ(loop.GetMeasures(), 1);
  loop.SetMeasures(9);
  EXPECT_EQ(loop.GetMeasures(), 9);
  loop.SetMeasures(17);
  EXPECT_EQ(loop.GetMeasures(), 16);
  loop.SetMeasures(0);
  EXPECT_EQ(loop.GetMeasures(), 1);
  loop.SetMeasures(-300);
  EXPECT_EQ(loop.GetMeasures(), 1);
}

TEST(AudioLoop, MeasuresAndTempoFromTheLength) {
  CTempFolder folder;
  struct Case {
    uint32_t frames;
    int choice;
    int measures;
    float tempo;
  };
  const Case cases[] = {
      {7 * 44100, 0, 4, 60.0f / (7.0f / 16.0f)},  // 3.5 measures round up to 4
      {3 * 44100, 0, 2, 160.0f},                  // 1.5 rounds up
      {44100, 0, 1, 240.0f},
      {17640, 0, 1, 600.0f},                      // 0.4 s: at least one measure
      {40 * 44100, 0, 16, 96.0f},                 // at most sixteen
      {6 * 44100, 1, 4, 120.0f},                  // three beats: one measure per 1.5 s
      {2 * 44100, 1, 1, 90.0f},                   // 1.33 measures round down
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.frames) + " frames, choice " + std::to_string(c.choice));
    CAudioLoop loop;
    loop.SetSegment(SegmentOfLength(folder, c.frames));
    EXPECT_EQ(loop.ComputeMeasuresAndTempo(c.choice), 1);
    EXPECT_EQ(loop.GetMeasures(), c.measures);
    EXPECT_NEAR(loop.Segment()->tempo, c.tempo, 1e-3f);
  }
}

TEST(AudioLoop, MeasuresWithoutLengthOrSegmentAreFaults) {
  CTempFolder folder;
  CAudioLoop loop;
  EXPECT_EQ(loop.ComputeMeasuresAndTempo(0), 3);
  loop.SetSegment(SegmentOfLength(folder, 0));
  EXPECT_EQ(loop.ComputeMeasuresAndTempo(0), 1);
  EXPECT_EQ(loop.Segment()->tempo, 1.0f);
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].report.title, "AudioLoop");
  EXPECT_EQ(reports[0].report.line, 235);
  EXPECT_EQ(reports[1].report.line, 240);
  EXPECT_EQ(reports[1].report.message, "Divide By Zero Violation");
}

TEST(AudioLoop, ReadingPastTheEndGivesSilence) {
  CTempFolder folder;
  for (uint16_t channels : {1, 2}) {
    SCOPED_TRACE(std::to_string(channels) + " channels");
    CAudioLoop loop;
    loop.SetSegment(MakeSegment(folder, 1000, channels));
    LoadIntoMemory(loop);
    ASSERT_TRUE(loop.IsInMemory());

    std::vector<int16_t> out(1000 * channels, 0x5555);
    uint32_t frames = 0;
    ASSERT_EQ(loop.ReadFrames(out.data(), 900, 1000, &frames), 1);
    EXPECT_EQ(frames, 100u);
    for (uint32_t f = 0; f < 1000; ++f) {
      for (int c = 0; c < channels; ++c) {
        const int16_t expected = f < 100 ? SampleAt(900 + f, c) : 0;
        ASSERT_EQ(out[f * channels + c], expected) << f;
      }
    }

    std::fill(out.begin(), out.end(), 0x5555);
    ASSERT_EQ(loop.ReadFrames(out.data(), 1000, 10, &frames), 1);
    EXPECT_EQ(frames, 0u);
    for (size_t i = 0; i < 10u * channels; ++i) EXPECT_EQ(out[i], 0);
    EXPECT_EQ(out[10 * channels], 0x5555) << "only the frames asked for are touched";
  }
}

TEST(AudioLoop, MemoryHoldsAWholeSegmentReadInBlocks) {
  CTempFolder folder;
  for (uint16_t channels : {1, 2}) {
    for (uint32_t frames : {1u, 16384u, 16385u, 2 * 16384u + 257u}) {
      SCOPED_TRACE(std::to_string(frames) + " frames of " + std::to_string(channels) + " channels");
      CAudioLoop loop;
      loop.SetSegment(MakeSegment(folder, frames, channels));
      LoadIntoMemory(loop);
      std::vector<int16_t> out(static_cast<size_t>(frames) * channels);
      uint32_t got = 0;
      ASSERT_EQ(loop.ReadFrames(out.data(), 0, frames, &got), 1);
      ASSERT_EQ(got, frames);
      for (uint32_t f = 0; f < frames; ++f) ASSERT_EQ(out[static_cast<size_t>(f) * channels], SampleAt(f, 0));
      EXPECT_EQ(loop.FreeBuffer(), 1);
      EXPECT_FALSE(loop.IsInMemory());
      EXPECT_EQ(loop.FreeBuffer(), 0);
    }
  }
}

TEST(AudioLoop, ReadFaults) {
  CTempFolder folder;
  CAudioLoop loop;
  std::vector<int16_t> out(20, 0x1111);
  uint32_t frames = 0;
  EXPECT_EQ(loop.ReadFrames(out.data(), 0, 10, &frames), 3);
  loop.SetSegment(MakeSegment(folder, 100, 2));
  // Not in memory: a fault, and the block plays silence rather than what it held.
  EXPECT_EQ(loop.ReadFrames(out.data(), 0, 10, &frames), 3);
  EXPECT_EQ(out, std::vector<int16_t>(20, 0));
  EXPECT_EQ(loop.ReadFrames(nullptr, 0, 10, &frames), 3);
  LoadIntoMemory(loop);
  EXPECT_EQ(loop.ReadFrames(out.data(), 0, 10, nullptr), 3);
  const std::vector<int> lines = {101, 106, 111, 116};
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), lines.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(reports[i].report.title, "AudioLoop");
    EXPECT_EQ(reports[i].report.line, lines[i]);
  }
}

TEST(AudioLoop, MemoryFailuresAreReportedEachWithItsLine) {
  CTempFolder folder;
  CAudioLoop loop;
  void* memory = nullptr;
  EXPECT_EQ(loop.AllocateBuffer(&memory), 3);
  loop.SetSegment(MakeSegment(folder, 500, 2));
  platform::FailNextPageSteps(platform::PageStep::Reserve, 1);
  EXPECT_EQ(loop.AllocateBuffer(&memory), 3);
  platform::FailNextPageSteps(platform::PageStep::Commit, 1);
  EXPECT_EQ(loop.AllocateBuffer(&memory), 3);
  EXPECT_FALSE(loop.IsInMemory());

  ASSERT_EQ(loop.AllocateBuffer(&memory), 1);
  platform::FailNextPageSteps(platform::PageStep::Decommit, 1);
  EXPECT_EQ(loop.FreeBuffer(), 3);
  platform::FailNextPageSteps(platform::PageStep::Release, 1);
  EXPECT_EQ(loop.FreeBuffer(), 3);
  EXPECT_EQ(loop.FreeBuffer(), 1);

  ASSERT_EQ(loop.AllocateBuffer(&memory), 1);
  loop.SetSegment(nullptr);
  EXPECT_EQ(loop.FreeBuffer(), 3);

  const std::vector<int> lines = {158, 170, 170, 199, 204, 189};
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), lines.size());
  for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(reports[i].report.line, lines[i]);
}

TEST(AudioLoop, AttributesCopyToAnotherLoop) {
  CTempFolder folder;
  CAudioLoop from;
  from.loopNumber = 5;
  from.SetMeasures(7);
  from.selected = 1;
  from.useCount = 3;
  from.SetTitle("Groove");
  from.SetColors(TrackColorSet{1, 2, 3, 4});
  from.SetSegment(SegmentOfLength(folder, 10));
  CAudioLoop to;
  ASSERT_EQ(from.CopyAttributesTo(&to), 1);
  EXPECT_EQ(to.loopNumber, 5);
  EXPECT_EQ(to.GetMeasures(), 7);
  EXPECT_EQ(to.selected, 1);
  EXPECT_EQ(to.GetTitle(), "Groove");
  EXPECT_EQ(to.GetColors().waveformOutline, 3u);
  EXPECT_EQ(to.GetColors().marker, 4u);
  EXPECT_EQ(to.useCount, 0) << "uses belong to the loop that the project plays";
  EXPECT_EQ(to.Segment(), nullptr);
  EXPECT_NE(to.GetIdentifier(), from.GetIdentifier());

  EXPECT_EQ(from.CopyAttributesTo(nullptr), 3);
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.line, 216);
}

TEST(AudioLoop, TitlesAreCutWithoutBreakingCharacters) {
  CAudioLoop loop;
  loop.SetTitle(std::string(70, 'x'));
  EXPECT_EQ(loop.GetTitle(), std::string(63, 'x'));
  // 62 ASCII characters and a two-byte "é": the "é" does not fit whole.
  loop.SetTitle(std::string(62, 'a') + "\xC3\xA9" + "z");
  EXPECT_EQ(loop.GetTitle(), std::string(62, 'a'));
  loop.SetTitle("Caf\xC3\xA9");
  EXPECT_EQ(loop.GetTitle(), "Caf\xC3\xA9");
}

TEST(AudioLoopList, MenuTextsAreCutToSixtyThreeCharacters) {
  CAudioLoopList bank;
  ASSERT_EQ(bank.AddLoop(NewLoop("Drums")), 1);
  ASSERT_EQ(bank.AddLoop(NewLoop(std::string(70, 'b'))), 1);
  ASSERT_EQ(bank.AddLoop(NewLoop(std::string(54, 'c'))), 1);  // "Loop 3 - " + 54 fits exactly
  ASSERT_EQ(bank.AddLoop(NewLoop(std::string(49, 'd') + "\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC")), 1);

  const std::vector<LoopMenuEntry> menu = bank.BuildLoopMenu();
  ASSERT_EQ(menu.size(), 4u);
  EXPECT_EQ(menu[0].commandId, 55100u);
  EXPECT_EQ(menu[0].text, "Loop 1 - Drums");
  EXPECT_EQ(menu[1].commandId, 55101u);
  EXPECT_EQ(menu[1].text, "Loop 2 - " + std::string(51, 'b') + "...");
  EXPECT_EQ(menu[1].text.size(), 63u);
  EXPECT_EQ(menu[2].text, "Loop 3 - " + std::string(54, 'c'));
  // The first euro sign would straddle the cut after 60 bytes: it goes whole.
  EXPECT_EQ(menu[3].text, "Loop 4 - " + std::string(49, 'd') + "...");
  for (const LoopMenuEntry& entry : menu) EXPECT_TRUE(IsValidUtf8(entry.text)) << entry.text;
}

TEST(AudioLoopList, IteratorWalksARangeOfNumbers) {
  CAudioLoopList bank;
  for (const char* title : {"a", "b", "c", "d", "e"}) ASSERT_EQ(bank.AddLoop(NewLoop(title)), 1);
  bank.SetIteratorRange(1, 3);
  std::vector<std::string> walked;
  std::shared_ptr<CAudioLoop> loop;
  while (bank.GetNextLoop(&loop) == 1) walked.push_back(loop->GetTitle());
  EXPECT_EQ(walked, (std::vector<std::string>{"b", "c", "d"}));
  EXPECT_EQ(loop, nullptr);
  EXPECT_EQ(bank.GetNextLoop(&loop), 0) << "a finished walk stays finished";
  EXPECT_EQ(TitlesInOrder(bank).size(), 5u);
}

TEST(AudioLoopList, SelectionAndColours) {
  CAudioLoopList bank;
  std::vector<std::shared_ptr<CAudioLoop>> loops;
  for (int i = 0; i < 4; ++i) {
    loops.push_back(NewLoop("l"));
    ASSERT_EQ(bank.AddLoop(loops.back()), 1);
  }
  EXPECT_EQ(bank.GetSelectedLoopNumber(), 0);
  loops[0]->selected = 1;
  loops[3]->selected = 1;
  bank.SelectLoop(2);
  EXPECT_EQ(loops[0]->selected, 0);
  EXPECT_EQ(loops[2]->selected, 1);
  EXPECT_EQ(loops[3]->selected, 0);
  EXPECT_EQ(bank.GetSelectedLoopNumber(), 2);

  bank.SetLoopColors(1, TrackColorSet{0x00B4B4B4, 0x00FF8000, 0, 0x0000F0F0});
  EXPECT_EQ(loops[1]->GetColors().snippetBox, 0x00B4B4B4u);
  EXPECT_EQ(loops[1]->GetColors().waveformFill, 0x00FF8000u);
  EXPECT_EQ(loops[0]->GetColors().snippetBox, 0u);
  bank.SetLoopColors(9, TrackColorSet{1, 1, 1, 1});  // no such loop: nothing happens
  EXPECT_EQ(loops[3]->GetColors().marker, 0u);
}
