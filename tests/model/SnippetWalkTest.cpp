// The snippet list's quick answers against the plain ones: the visible pieces
// of a window from the walk over every snippet for every piece, and adding
// many snippets at once against adding them one after another.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "AudioLoop.h"
#include "AudioSnippetList.h"
#include "AudioSnippetLoop.h"
#include "ReportRecorder.h"

using tessiro::test::Reports;

namespace {

struct Shape {
  uint32_t start, end, layer;
  int selected = 0;
};

using Piece = std::tuple<const CAudioSnippet*, uint32_t, uint32_t>;

// The plain walk: every snippet, in list order, looked at for every piece.
std::vector<Piece> ReferencePieces(const CAudioSnippetList& list, uint32_t ws, uint32_t we, bool selectedOnly) {
  std::vector<Piece> pieces;
  while (pieces.size() < 10000) {
    const CAudioSnippet* candidate = nullptr;
    uint32_t e = we;
    for (const auto& s : list.Snippets()) {
      if (selectedOnly && !s->selected) continue;
      if (s->start >= we || s->end <= ws) continue;
      if (!candidate) {
        candidate = s.get();
        e = s->end;
      } else if (s->layer > candidate->layer) {
        if (s->start <= ws) {
          candidate = s.get();
          e = s->end;
        } else if (s->start < e) {
          e = s->start;
        }
      }
    }
    if (!candidate) break;
    pieces.emplace_back(candidate, std::max(candidate->start, ws), e);
    ws = e;
  }
  return pieces;
}

enum class Cursor { kA, kAShared, kB, kBSelected };

std::vector<Piece> ListPieces(CAudioSnippetList& list, uint32_t ws, uint32_t we, Cursor cursor) {
  if (cursor == Cursor::kA || cursor == Cursor::kAShared) {
    list.SetWindow(ws, we);
  } else {
    list.SetWindow2(ws, we);
  }
  std::vector<Piece> pieces;
  uint32_t ps = 7, pe = 7;
  for (;;) {
    const CAudioSnippet* s = nullptr;
    int more = 0;
    if (cursor == Cursor::kAShared) {
      std::shared_ptr<CAudioSnippet> shared;
      more = list.GetNextVisiblePiece(&shared, &ps, &pe);
      s = shared.get();
    } else {
      CAudioSnippet* raw = nullptr;
      more = cursor == Cursor::kA ? list.GetNextVisiblePiece(&raw, &ps, &pe)
             : cursor == Cursor::kB ? list.GetNextVisiblePiece2(&raw, &ps, &pe)
                                    : list.GetNextVisibleSelectedPiece(&raw, &ps, &pe);
      s = raw;
    }
    if (!more) break;
    pieces.emplace_back(s, ps, pe);
    if (pieces.size() > 10000) break;
  }
  // The end is told with no snippet and an empty piece at 0.
  EXPECT_EQ(ps, 0u);
  EXPECT_EQ(pe, 0u);
  return pieces;
}

std::vector<std::shared_ptr<CAudioSnippet>> Fill(CAudioSnippetList& list, const std::vector<Shape>& shapes) {
  std::vector<std::shared_ptr<CAudioSnippet>> made;
  for (const Shape& shape : shapes) {
    auto s = std::make_shared<CAudioSnippet>();
    s->start = shape.start;
    s->end = shape.end;
    s->length = shape.end - shape.start;
    s->layer = shape.layer;
    s->selected = shape.selected;
    list.AddSnippet(s);
    made.push_back(s);
  }
  return made;
}

std::vector<Shape> RandomShapes(std::mt19937& random, int count) {
  std::vector<Shape> shapes;
  for (int i = 0; i < count; ++i) {
    const uint32_t start = static_cast<uint32_t>(random() % 1000);
    // Few layers, so that equal layers meet; some snippets empty.
    shapes.push_back({start, start + static_cast<uint32_t>(random() % 300), static_cast<uint32_t>(random() % 6),
                     static_cast<int>(random() % 2)});
  }
  return shapes;
}

std::vector<std::pair<uint32_t, uint32_t>> WindowsFor(const CAudioSnippetList& list) {
  std::vector<std::pair<uint32_t, uint32_t>> windows = {
      {0, 0xFFFFFFFF}, {0, 1000}, {100, 800}, {250, 260}, {400, 400}, {600, 500}, {999, 5000}, {2000, 3000}};
  windows.emplace_back(list.GetExtentStart(), list.GetLastEnd());
  for (const auto& s : list.Snippets()) {
    windows.emplace_back(s->start, s->end);
    windows.emplace_back(s->end, s->end + 50);
  }
  return windows;
}

struct ListCase {
  const char* name;
  std::vector<Shape> shapes;
};

std::vector<ListCase> Cases() {
  std::vector<ListCase> cases = {
      {"empty", {}},
      {"one", {{100, 200, 1}}},
      {"under a newer one", {{0, 1000, 1}, {400, 600, 2}}},
      {"under an older one", {{0, 1000, 2}, {400, 600, 1}}},
      {"a gap before and between", {{500, 600, 1}, {700, 900, 2}}},
      {"equal starts, the lower added last", {{500, 800, 2}, {500, 900, 1}}},
      {"equal starts, the higher added last", {{500, 900, 1}, {500, 800, 2}}},
      {"equal layers overlapping", {{0, 300, 5}, {100, 400, 5}, {200, 250, 5}}},
      {"empty snippets", {{100, 100, 9}, {100, 300, 1}, {300, 300, 9}, {200, 200, 0}}},
      {"end to end", {{0, 100, 3}, {100, 200, 2}, {200, 300, 1}}},
      {"a long old one under many short new ones",
       {{0, 990, 1}, {10, 20, 2}, {30, 40, 3}, {50, 60, 4}, {70, 80, 5}, {90, 95, 6}, {95, 990, 0}}},
      {"a long new one over many short old ones", {{10, 20, 1}, {30, 40, 1}, {0, 990, 9}, {900, 995, 2}}},
      {"nested, newest inside", {{0, 900, 1}, {100, 800, 2}, {200, 700, 3}, {300, 600, 4}}},
      {"nested, newest outside", {{0, 900, 4}, {100, 800, 3}, {200, 700, 2}, {300, 600, 1}}},
      {"identical", {{100, 500, 3}, {100, 500, 3}, {100, 500, 3}}},
      {"at the end of the frames", {{0xFFFFFF00, 0xFFFFFFFF, 1}, {0xFFFFFF80, 0xFFFFFFFF, 2}}},
  };
  std::mt19937 random(41);
  for (int i = 0; i < 40; ++i) cases.push_back({"random", RandomShapes(random, 1 + i * 2)});
  return cases;
}

}  // namespace

TEST(SnippetWalk, EveryCursorGivesThePiecesOfThePlainWalk) {
  for (const ListCase& c : Cases()) {
    SCOPED_TRACE(c.name + std::string(", ") + std::to_string(c.shapes.size()) + " snippets");
    CAudioSnippetList list;
    Fill(list, c.shapes);
    for (const auto& [ws, we] : WindowsFor(list)) {
      SCOPED_TRACE("window " + std::to_string(ws) + ".." + std::to_string(we));
      const std::vector<Piece> all = ReferencePieces(list, ws, we, false);
      EXPECT_EQ(ListPieces(list, ws, we, Cursor::kA), all);
      EXPECT_EQ(ListPieces(list, ws, we, Cursor::kAShared), all);
      EXPECT_EQ(ListPieces(list, ws, we, Cursor::kB), all);
      EXPECT_EQ(ListPieces(list, ws, we, Cursor::kBSelected), ReferencePieces(list, ws, we, true));
    }
    // The same after a selection changed between two walks of cursor B.
    list.SelectAll();
    EXPECT_EQ(ListPieces(list, 0, 1000, Cursor::kBSelected), ReferencePieces(list, 0, 1000, true));
  }
}

TEST(SnippetWalk, SelectionLimitsAreThoseOfThePlainWalk) {
  for (const ListCase& c : Cases()) {
    SCOPED_TRACE(c.name + std::string(", ") + std::to_string(c.shapes.size()) + " snippets");
    CAudioSnippetList list;
    Fill(list, c.shapes);
    uint32_t first = 0, last = 0;
    bool met = false;
    for (const auto& [s, ps, pe] : ReferencePieces(list, list.GetExtentStart(), list.GetLastEnd(), false)) {
      if (!s->selected) continue;
      if (!met) first = s->start;
      met = true;
      last = s->end;
    }
    uint32_t lowest = 1, highest = 1, firstStart = 1, lastEnd = 1;
    ASSERT_EQ(list.GetSelectionMoveLimits(&lowest, &highest, &firstStart, &lastEnd), 0);
    EXPECT_EQ(firstStart, first);
    EXPECT_EQ(lastEnd, last);
  }
}

TEST(SnippetWalk, ChangesBetweenPiecesAreFollowed) {
  std::mt19937 random(7);
  for (int round = 0; round < 30; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    CAudioSnippetList list;
    Fill(list, RandomShapes(random, 20));
    list.SetWindow(0, 2000);
    CAudioSnippet* s = nullptr;
    uint32_t ps = 0, pe = 0;
    for (int i = 0; i < 3 && list.GetNextVisiblePiece(&s, &ps, &pe); ++i) {
    }
    const uint32_t from = pe;
    // A new snippet on top, one taken away, and one moved out of start order from outside.
    auto added = std::make_shared<CAudioSnippet>();
    added->start = from + random() % 200;
    added->end = added->start + 1 + random() % 300;
    added->layer = 100;
    list.AddSnippet(added);
    if (round % 2 == 0) list.RemoveSnippet(list.Snippets()[round % list.GetCount()]->GetIdentifier());
    if (round % 3 == 0) list.Snippets().back()->start = 0;
    std::vector<Piece> rest;
    while (list.GetNextVisiblePiece(&s, &ps, &pe) && rest.size() < 1000) rest.emplace_back(s, ps, pe);
    EXPECT_EQ(rest, ReferencePieces(list, from, 2000, false));
  }
}

TEST(SnippetWalk, AListOutOfStartOrderIsWalkedAsItStands) {
  std::mt19937 random(3);
  for (int round = 0; round < 30; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    CAudioSnippetList list;
    const auto made = Fill(list, RandomShapes(random, 12));
    // Re-timed on its own: the list does not know.
    CAudioSnippet& moved = *list.Snippets()[random() % list.GetCount()];
    const uint32_t span = moved.end - moved.start;
    moved.start = random() % 1000;
    moved.end = moved.start + span;
    for (const auto& [ws, we] : WindowsFor(list)) {
      SCOPED_TRACE("window " + std::to_string(ws) + ".." + std::to_string(we));
      EXPECT_EQ(ListPieces(list, ws, we, Cursor::kA), ReferencePieces(list, ws, we, false));
    }
  }
}

namespace {

std::vector<uint32_t> Order(const CAudioSnippetList& list) {
  std::vector<uint32_t> ids;
  for (const auto& s : list.Snippets()) ids.push_back(s->GetIdentifier());
  return ids;
}

std::shared_ptr<CAudioSnippet> Placed(uint32_t start, uint32_t end) {
  auto s = std::make_shared<CAudioSnippet>();
  s->start = start;
  s->end = end;
  return s;
}

}  // namespace

TEST(SnippetWalk, AddingManyAtOnceIsAddingThemOneAfterAnother) {
  std::mt19937 random(11);
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    CAudioSnippetList one, many;
    // Starts from a few frames, so that many are equal, into lists that may hold some already.
    std::vector<std::shared_ptr<CAudioSnippet>> before, batch;
    for (int i = 0; i < round % 4 * 3; ++i) before.push_back(Placed(random() % 8 * 10, 500));
    for (int i = 0; i < round; ++i) batch.push_back(Placed(random() % 8 * 10, 100 + random() % 900));
    for (const auto& s : before) {
      one.AddSnippet(s);
      many.AddSnippet(s);
    }
    for (const auto& s : batch) one.AddSnippet(s);
    EXPECT_EQ(many.AddSnippets(batch), 1);
    EXPECT_EQ(Order(many), Order(one));
    EXPECT_EQ(many.GetExtentStart(), one.GetExtentStart());
    EXPECT_EQ(many.GetLastEnd(), one.GetLastEnd());
    EXPECT_EQ(many.GetExtentLength(), one.GetExtentLength());
  }
  CAudioSnippetList empty;
  EXPECT_EQ(empty.AddSnippets({}), 1);
  EXPECT_EQ(empty.GetCount(), 0u);
  EXPECT_EQ(empty.GetExtentLength(), 0u);
}

TEST(SnippetWalk, AddingManyRefusesWhatOneAtATimeRefusesAndCountsLoopUses) {
  auto loop = std::make_shared<CAudioLoop>();
  auto onLoop = std::make_shared<CAudioSnippetLoop>(loop);
  auto orphan = std::make_shared<CAudioSnippetLoop>(nullptr);
  auto plain = Placed(10, 20);
  Reports().Take();
  CAudioSnippetList list;
  EXPECT_EQ(list.AddSnippets({plain, nullptr, orphan, onLoop}), 3);
  EXPECT_EQ(Order(list), (std::vector<uint32_t>{onLoop->GetIdentifier(), plain->GetIdentifier()}));
  EXPECT_EQ(loop->useCount, 1);
  const auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].report.line, 164);  // no snippet
  EXPECT_EQ(reports[1].report.line, 216);  // a loop snippet without its loop

  // Snapshots count no uses and take loop snippets as they are.
  CAudioSnippetList snapshot;
  snapshot.SetListMode(CAudioSnippetList::kModeSnapshot);
  EXPECT_EQ(snapshot.AddSnippets({orphan, onLoop}), 1);
  EXPECT_EQ(snapshot.GetCount(), 2u);
  EXPECT_EQ(loop->useCount, 1);
}
