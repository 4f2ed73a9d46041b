#include "TrackFixture.h"

#include <algorithm>

#include "AudioSnippetExtended.h"
#include "AudioTrack.h"

namespace tessiro::test {

std::shared_ptr<CAudioSnippet> TrackTest::Place(int track, uint32_t start, const std::vector<int16_t>& samples,
                                                uint16_t channels) {
  std::shared_ptr<CAudioSegment> segment = MakeSegment(samples, channels);
  segment->tempo = app->project.tempo;
  auto snippet = std::make_shared<CAudioSnippetExtended>(segment);
  snippet->tempo = app->project.tempo;
  snippet->start = start;
  snippet->SetTempo(app->project.tempo);
  EXPECT_EQ(app->project.AddSnippetToTrack(snippet, track), 1);
  return snippet;
}

std::shared_ptr<CAudioLoop> TrackTest::BankLoop(uint32_t frames, int16_t value) {
  auto loop = std::make_shared<CAudioLoop>();
  std::shared_ptr<CAudioSegment> segment = MakeSegment(Constant(frames, 2, value, value), 2);
  segment->tempo = app->project.tempo;
  loop->SetSegment(segment);
  EXPECT_EQ(app->loopBank.AddLoop(loop), 1);
  return loop;
}

std::vector<std::shared_ptr<CAudioSnippet>> TrackTest::SnippetsOf(int track) {
  CAudioTrack* t = nullptr;
  if (app->project.FindTrack(track, &t) != 1 || !t) return {};
  return t->Snippets().Snippets();
}

void TrackTest::SelectOnly(int track, const std::vector<std::shared_ptr<CAudioSnippet>>& snippets) {
  app->project.DeselectAllSnippets();
  app->project.SelectTrack(track);
  for (const auto& s : snippets) s->selected = 1;
}

std::vector<std::string> TrackTest::Arrangement() {
  std::vector<std::string> lines;
  for (int i = 0; i < CAudioTrackList::kProjectTracks; ++i) {
    std::string line = "track " + std::to_string(i) + " type " + std::to_string(app->project.GetTrackType(i));
    for (const auto& s : SnippetsOf(i)) {
      std::shared_ptr<CAudioSegment> segment;
      s->GetSegment(&segment);
      line += " | " + std::to_string(s->GetIdentifier()) + " " + std::to_string(s->start) + ".." +
              std::to_string(s->end) + " layer " + std::to_string(s->layer) + " " +
              (segment ? segment->GetPcmFileName() : "-");
    }
    lines.push_back(line);
  }
  std::shared_ptr<CAudioLoop> loop;
  app->loopBank.ResetIterator();
  while (app->loopBank.GetNextLoop(&loop) == 1 && loop) {
    lines.push_back("loop " + std::to_string(loop->loopNumber) + " id " + std::to_string(loop->GetIdentifier()) +
                    " uses " + std::to_string(loop->useCount) + (loop->IsInMemory() ? " in memory" : ""));
  }
  std::string clipped = "clipboard";
  if (app->snippetClipboard) {
    CAudioTrack* t = nullptr;
    app->snippetClipboard->ResetIterator();
    while (app->snippetClipboard->GetNextTrack(&t) == 1 && t) {
      for (const auto& s : t->Snippets().Snippets()) clipped.append(" ").append(std::to_string(s->GetIdentifier()));
    }
  }
  lines.push_back(clipped);
  lines.push_back("end " + std::to_string(app->project.projectEnd));
  return lines;
}

std::vector<int16_t> TrackTest::RenderTrack(int track, uint32_t first, uint32_t frames) {
  constexpr uint32_t kBlock = 8192;
  std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
  std::vector<int16_t> block(kBlock * 2);
  app->project.PreparePlayback();
  app->project.ResetPlayback();
  for (uint32_t at = 0; at < frames; at += kBlock) {
    const uint32_t n = std::min(kBlock, frames - at);
    std::fill(block.begin(), block.end(), 0);
    EXPECT_EQ(app->project.RenderTrack(track, block.data(), first + at, n), 1);
    std::copy_n(block.begin(), n * 2, out.begin() + static_cast<ptrdiff_t>(at) * 2);
  }
  app->project.ResetPlayback();
  return out;
}

void TrackTest::ExpectRefusals(const std::vector<RefusalCase>& cases) {
  for (const RefusalCase& c : cases) {
    SCOPED_TRACE(c.name);
    app->project.Reset();
    app->loopBank.RemoveAllNodes();
    app->undoList.Clear();
    app->snippetClipboard.reset();
    app->ClearEditor();
    app->modified = 0;
    if (c.setUp) c.setUp();
    const std::vector<std::string> before = Arrangement();
    const size_t records = app->undoList.GetCount();
    const int modified = app->modified;
    const int editor = app->editorSource;
    seams.ui.ExpectBox(c.text);
    EXPECT_EQ(c.command(*app), status::kNothingDone);
    seams.ui.CheckDone();
    EXPECT_EQ(Arrangement(), before);
    EXPECT_EQ(app->undoList.GetCount(), records);
    EXPECT_EQ(app->modified, modified);
    EXPECT_EQ(app->editorSource, editor);
    app->playing = 0;
  }
}

void TrackTest::ExpectUndoAndRedo(const std::vector<std::string>& before) {
  const std::vector<std::string> after = Arrangement();
  Undo();
  EXPECT_EQ(Arrangement(), before);
  Redo();
  EXPECT_EQ(Arrangement(), after);
}

void TrackTest::Undo() {
  ASSERT_EQ(app->undoList.Undo(&app->project, &app->loopBank), 1);
  app->project.RecomputeProjectEnd();
  app->UpdateLoopMemory(false);
}

void TrackTest::Redo() {
  // A redo answers with its last step's result, 0 for some: what counts is that one was there.
  ASSERT_NE(app->undoList.GetNextToRedo(), nullptr);
  EXPECT_NE(app->undoList.Redo(&app->project, &app->loopBank), 3);
  app->project.RecomputeProjectEnd();
  app->UpdateLoopMemory(false);
}

}  // namespace tessiro::test
