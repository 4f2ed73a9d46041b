// Ordering, layering, selection, moves and timing of snippets and snippet lists.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "AudioLoop.h"
#include "AudioSnippetList.h"
#include "AudioSnippetLoop.h"
#include "PointList.h"
#include "ReportRecorder.h"
#include "SnippetFixtures.h"
#include "TempFolder.h"

using tessiro::test::CTempFolder;
using tessiro::test::MakeSegment;
using tessiro::test::Reports;

namespace {

std::shared_ptr<CAudioSnippet> Plain(uint32_t start, uint32_t end, uint32_t layer) {
  auto s = std::make_shared<CAudioSnippet>();
  s->start = start;
  s->end = end;
  s->length = end - start;
  s->layer = layer;
  return s;
}

using Piece = std::tuple<CAudioSnippet*, uint32_t, uint32_t>;

std::vector<Piece> Pieces(CAudioSnippetList& list, uint32_t first, uint32_t end) {
  std::vector<Piece> pieces;
  list.SetWindow(first, end);
  CAudioSnippet* s = nullptr;
  uint32_t ps = 0, pe = 0;
  while (list.GetNextVisiblePiece(&s, &ps, &pe)) pieces.emplace_back(s, ps, pe);
  return pieces;
}

std::vector<uint32_t> Order(const CAudioSnippetList& list) {
  std::vector<uint32_t> ids;
  for (const auto& s : list.Snippets()) ids.push_back(s->GetIdentifier());
  return ids;
}

std::vector<int> Selection(const CAudioSnippetList& list) {
  std::vector<int> flags;
  for (const auto& s : list.Snippets()) flags.push_back(s->selected);
  return flags;
}

}  // namespace

TEST(PointList, HitTestTakesTheFirstRectangleAndIncludesEdges) {
  CPointList rects;
  ASSERT_EQ(rects.Add(0, 0, 10, 10), 0);
  ASSERT_EQ(rects.Add(10, 0, 20, 10), 0);
  EXPECT_EQ(rects.HitTest(10, 5), 1);  // the shared edge belongs to both: the first wins
  EXPECT_EQ(rects.GetHitNumber(), 1);
  EXPECT_EQ(rects.HitTest(20, 10), 1);
  EXPECT_EQ(rects.GetHitNumber(), 2);
  EXPECT_EQ(rects.HitTest(21, 5), 0);
  EXPECT_EQ(rects.GetHitNumber(), 0);
  rects.Clear();
  EXPECT_EQ(rects.HitTest(5, 5), 0);
}

TEST(AudioSnippet, ScreenRectanglesWidenTheExtentAndClearResetsIt) {
  CAudioSnippet s;
  EXPECT_EQ(s.screenLeftX, 32000);
  s.AddScreenRect(300, 5, 400, 30);
  s.AddScreenRect(200, 6, 250, 31);
  s.AddScreenRect(380, 7, 500, 32);
  EXPECT_EQ(s.screenLeftX, 200);
  EXPECT_EQ(s.screenLeftY, 6);
  EXPECT_EQ(s.screenRightX, 500);
  EXPECT_EQ(s.screenRightY, 32);
  EXPECT_EQ(s.GetScreenRects().HitTest(240, 20), 1);
  s.ClearScreenRects();
  EXPECT_EQ(s.screenLeftX, 32000);
  EXPECT_EQ(s.screenRightX, 0);
  EXPECT_EQ(s.GetScreenRects().HitTest(240, 20), 0);
}

TEST(AudioSnippet, NewSnippetsAreIdleOnTopOfOlderOnesAndTheirOwnSource) {
  CAudioSnippet older;
  CAudioSnippet newer;
  EXPECT_NE(older.GetIdentifier(), newer.GetIdentifier());
  EXPECT_EQ(older.GetSourceIdentifier(), older.GetIdentifier());
  EXPECT_EQ(older.layer, older.GetIdentifier());
  EXPECT_GT(newer.layer, older.layer);
  EXPECT_EQ(older.GetState(), CAudioSnippet::kStateIdle);
  EXPECT_EQ(older.GetRestartFlag(), 1);
  EXPECT_EQ(older.tempo, 100.0f);
  EXPECT_EQ(older.ratio, 1.0f);
}

TEST(AudioSnippet, RetimingFollowsTheProjectTempoAndComesBack) {
  CTempFolder folder;
  auto segment = MakeSegment(folder.Path(), 2, 441000, tessiro::test::Constant(0));
  CAudioSnippetExtended s(segment);
  s.start = 44100;
  s.length = 441000;
  s.end = s.start + s.length;
  ASSERT_EQ(s.SetTempo(120.0f), 1);
  EXPECT_FLOAT_EQ(s.ratio, 1.2f);
  EXPECT_EQ(s.start, 36750u);
  EXPECT_EQ(s.length, 367500u);
  EXPECT_EQ(s.end, 36750u + 367500u);
  EXPECT_EQ(s.tempo, 120.0f);
  ASSERT_EQ(s.SetTempo(100.0f), 1);
  EXPECT_EQ(s.start, 44100u);
  EXPECT_EQ(s.length, 441000u);
  EXPECT_FLOAT_EQ(s.ratio, 1.0f);
}

TEST(AudioSnippet, RetimingCarriesTheRoundingSoStartsDoNotDrift) {
  CTempFolder folder;
  auto segment = MakeSegment(folder.Path(), 1, 1000, tessiro::test::Constant(0));
  CAudioSnippetExtended s(segment);
  // 100 -> 120 gives 5/6 of the start: 7 -> 5.833 (5, carry .833 -> 6, carry -.167).
  s.start = 7;
  s.SetTempo(120.0f);
  EXPECT_EQ(s.start, 6u);
  EXPECT_NEAR(s.carry, -1.0f / 6.0f, 1e-5f);
  // Back: 6 * 1.2 = 7.2 -> 7 with the carry taking the .2 (-.167 + .2 = .033).
  s.SetTempo(100.0f);
  EXPECT_EQ(s.start, 7u);
  EXPECT_GT(s.carry, -0.5f);
  EXPECT_LE(s.carry, 0.5f);
  // Many changes there and back keep the start.
  for (uint32_t start : {1u, 3u, 1001u, 44101u, 99999u, 1234567u}) {
    s.start = start;
    s.carry = 0.0f;
    s.SetTempo(120.0f);
    s.SetTempo(100.0f);
    EXPECT_EQ(s.start, start);
  }
}

// At an hour's positions single precision is 16 frames coarse: a re-timed
// start and length are the exact quotient rounded (up only above one half),
// and going back returns the start.
TEST(AudioSnippet, RetimingIsExactToTheFrameAtAnHoursPositions) {
  CTempFolder folder;
  const struct {
    uint64_t start, sourceFrames;
    uint32_t from, to;  // project tempos, BPM; the source is at from
  } cases[] = {{123456789, 197450000, 120, 100}, {200000003, 1000001, 120, 97},
               {1000000, 197450000, 120, 100},   {47628001, 44100, 250, 50},
               {238139999, 1, 250, 249},         {158760000, 79380001, 121, 120}};
  for (const auto& c : cases) {
    auto segment = MakeSegment(folder.Path(), 1, 1, tessiro::test::Constant(0), static_cast<float>(c.from));
    segment->length = static_cast<uint32_t>(c.sourceFrames);
    CAudioSnippetExtended s(segment);
    s.tempo = static_cast<float>(c.from);
    s.start = static_cast<uint32_t>(c.start);
    auto rounded = [](uint64_t frames, uint64_t from, uint64_t to) {
      const uint64_t whole = frames * from / to, left = frames * from % to;
      return whole + (2 * left > to ? 1 : 0);
    };
    ASSERT_EQ(s.SetTempo(static_cast<float>(c.to)), 1);
    EXPECT_EQ(s.start, rounded(c.start, c.from, c.to)) << c.start;
    EXPECT_EQ(s.length, rounded(c.sourceFrames, c.from, c.to)) << c.sourceFrames;
    EXPECT_EQ(s.end, s.start + s.length);
    ASSERT_EQ(s.SetTempo(static_cast<float>(c.from)), 1);
    EXPECT_EQ(s.start, c.start);
    EXPECT_EQ(s.length, c.sourceFrames);
  }
}

TEST(AudioSnippet, LengthRoundsUpOnlyAboveOneHalf) {
  CTempFolder folder;
  for (auto [sourceFrames, expected] : {std::pair{5u, 4u}, {6u, 4u}, {1u, 1u}, {3u, 2u}}) {
    // Source tempo 75 at project tempo 100: the length is 3/4 of the source.
    auto segment = MakeSegment(folder.Path(), 1, sourceFrames, tessiro::test::Constant(0), 75.0f);
    CAudioSnippetExtended s(segment);
    s.tempo = 100.0f;
    ASSERT_EQ(s.SetTempo(100.0f), 1);
    EXPECT_EQ(s.length, expected) << sourceFrames << " source frames";
    EXPECT_EQ(s.end, s.start + s.length);
  }
}

TEST(AudioSnippet, RetimingWithoutASourceTempoChangesNothing) {
  CAudioSnippet plain;  // no source: its source tempo counts as 0
  plain.start = 1000;
  plain.length = 500;
  plain.end = 1500;
  EXPECT_EQ(plain.SetTempo(140.0f), 3);
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.title, "AudioSnippet");
  EXPECT_EQ(reports[0].report.line, 134);
  EXPECT_EQ(plain.start, 1000u);
  EXPECT_EQ(plain.length, 500u);
  EXPECT_EQ(plain.end, 1500u);
  EXPECT_EQ(plain.tempo, 100.0f);

  EXPECT_EQ(plain.SetTempo(0.0f), 3);
  reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.line, 93);
  EXPECT_EQ(reports[0].report.message, "Divide By Zero Violation");
}

TEST(AudioSnippet, CopiesCarryTheAttributesAndNameTheirSource) {
  CTempFolder folder;
  auto segment = MakeSegment(folder.Path(), 2, 100, tessiro::test::Constant(0));
  auto original = std::make_shared<CAudioSnippetExtended>(segment);
  original->start = 10;
  original->end = 110;
  original->length = 100;
  original->selected = 1;
  original->tempo = 133.0f;
  original->ratio = 1.33f;
  original->carry = 0.25f;
  original->layer = 77;
  CAudioSnippet copy;
  ASSERT_EQ(original->CopyAttributesTo(&copy), 1);
  EXPECT_EQ(copy.GetSourceIdentifier(), original->GetIdentifier());
  EXPECT_NE(copy.GetIdentifier(), original->GetIdentifier());
  EXPECT_EQ(copy.start, 10u);
  EXPECT_EQ(copy.end, 110u);
  EXPECT_EQ(copy.length, 100u);
  EXPECT_EQ(copy.selected, 1);
  EXPECT_EQ(copy.tempo, 133.0f);
  EXPECT_EQ(copy.ratio, 1.33f);
  EXPECT_EQ(copy.carry, 0.25f);
  EXPECT_EQ(copy.layer, 77u);
  EXPECT_EQ(copy.kind, CAudioSnippet::kKindExtended);

  EXPECT_EQ(original->CopyAttributesTo(nullptr), 3);
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.line, 406);
}

TEST(AudioSnippet, ClonesShareTheSegmentAndOutliveTheOriginalSafely) {
  CTempFolder folder;
  auto segment = MakeSegment(folder.Path(), 2, 100, tessiro::test::Constant(0));
  std::weak_ptr<CAudioSegment> watch = segment;
  std::shared_ptr<CAudioSnippetExtended> clone;
  {
    auto original = std::make_shared<CAudioSnippetExtended>(std::move(segment));
    original->start = 5;
    ASSERT_EQ(original->Clone(&clone), 1);
    EXPECT_EQ(clone->Segment(), original->Segment());
    EXPECT_EQ(clone->start, 5u);
    EXPECT_EQ(clone->GetSourceIdentifier(), original->GetIdentifier());
  }
  // The original is gone; the clone still plays the same audio.
  EXPECT_FALSE(watch.expired());
  EXPECT_EQ(clone->GetSourceLength(), 100u);
  clone.reset();
  EXPECT_TRUE(watch.expired());
}

TEST(AudioSnippetList, SnippetsStayInStartOrderAndNewerOnesGoFirstOnTies) {
  CAudioSnippetList list;
  auto a = Plain(500, 600, 1);
  auto b = Plain(100, 200, 2);
  auto c = Plain(500, 700, 3);
  auto d = Plain(900, 950, 4);
  for (const auto& s : {a, b, c, d}) ASSERT_EQ(list.AddSnippet(s), 1);
  EXPECT_EQ(Order(list), (std::vector<uint32_t>{b->GetIdentifier(), c->GetIdentifier(), a->GetIdentifier(),
                                                d->GetIdentifier()}));
  EXPECT_EQ(list.GetExtentStart(), 100u);
  EXPECT_EQ(list.GetLastEnd(), 950u);
  EXPECT_EQ(list.GetExtentLength(), 850u);

  EXPECT_EQ(list.RemoveSnippet(12345), 1);  // not here: nothing changes
  EXPECT_EQ(list.GetCount(), 4u);
  EXPECT_EQ(list.RemoveSnippet(b->GetIdentifier()), 0);
  EXPECT_EQ(list.GetExtentStart(), 500u);
  EXPECT_FALSE(list.ContainsSnippet(b->GetIdentifier()));
  std::shared_ptr<CAudioSnippet> found;
  EXPECT_EQ(list.FindSnippet(d->GetIdentifier(), &found), 1);
  EXPECT_EQ(found, d);
  EXPECT_EQ(list.FindSnippet(b->GetIdentifier(), &found), 3);
  EXPECT_EQ(found, nullptr);

  list.RemoveAllNodes();
  EXPECT_EQ(list.GetCount(), 0u);
  EXPECT_EQ(list.GetExtentLength(), 0u);
  EXPECT_EQ(list.GetFirstStart(), 4294967295u);
  // The snippets themselves live on where else they are held.
  EXPECT_EQ(a->start, 500u);
}

TEST(AudioSnippetList, TheHighestLayerIsHeardWhereSnippetsOverlap) {
  CAudioSnippetList list;
  auto a = Plain(0, 1000, 1);
  auto b = Plain(400, 600, 2);
  list.AddSnippet(a);
  list.AddSnippet(b);
  EXPECT_EQ(Pieces(list, 0, 1000),
            (std::vector<Piece>{{a.get(), 0, 400}, {b.get(), 400, 600}, {a.get(), 600, 1000}}));

  b->layer = 0;  // B older than A: A covers it completely
  EXPECT_EQ(Pieces(list, 0, 1000), (std::vector<Piece>{{a.get(), 0, 1000}}));

  // Pieces are not cut at the window's end; a window in a gap starts at the next snippet.
  CAudioSnippetList gaps;
  auto late = Plain(500, 2000, 1);
  gaps.AddSnippet(late);
  EXPECT_EQ(Pieces(gaps, 100, 800), (std::vector<Piece>{{late.get(), 500, 2000}}));
}

TEST(AudioSnippetList, EqualLayersKeepTheEarlierSnippetAndTiesAfterTheWindowGiveAnEmptyPiece) {
  CAudioSnippetList list;
  auto low = Plain(500, 900, 1);
  auto high = Plain(500, 800, 2);
  list.AddSnippet(high);
  list.AddSnippet(low);  // added later with the same start: it comes first in the list
  ASSERT_EQ(list.Snippets().front(), low);
  EXPECT_EQ(Pieces(list, 0, 1000),
            (std::vector<Piece>{{low.get(), 500, 500}, {high.get(), 500, 800}, {low.get(), 800, 900}}));

  CAudioSnippetList equal;
  auto first = Plain(0, 300, 5);
  auto second = Plain(100, 400, 5);
  equal.AddSnippet(first);
  equal.AddSnippet(second);
  EXPECT_EQ(Pieces(equal, 0, 400), (std::vector<Piece>{{first.get(), 0, 300}, {second.get(), 300, 400}}));
}

TEST(AudioSnippetList, SelectingWithAnAnchorSelectsTheRangeBetween) {
  CAudioSnippetList list;
  std::vector<std::shared_ptr<CAudioSnippet>> s;
  for (uint32_t i = 0; i < 5; ++i) {
    s.push_back(Plain(i * 100, i * 100 + 50, i + 1));
    list.AddSnippet(s.back());
  }
  // No anchor: the snippet joins the selection.
  list.SelectSnippet(s[1]->GetIdentifier());
  list.SelectSnippet(s[4]->GetIdentifier());
  EXPECT_EQ(Selection(list), (std::vector<int>{0, 1, 0, 0, 1}));
  EXPECT_EQ(list.CountSelected(), 2);
  // Anchor on the third, k on the first: the first three, the rest deselected.
  list.selectionAnchor = s[2]->GetIdentifier();
  list.SelectSnippet(s[0]->GetIdentifier());
  EXPECT_EQ(Selection(list), (std::vector<int>{1, 1, 1, 0, 0}));
  list.SelectSnippet(s[2]->GetIdentifier());
  EXPECT_EQ(Selection(list), (std::vector<int>{0, 0, 1, 0, 0}));
  list.SelectSnippet(s[3]->GetIdentifier());
  EXPECT_EQ(Selection(list), (std::vector<int>{0, 0, 1, 1, 0}));
  EXPECT_EQ(list.SelectAll(), 1);
  EXPECT_EQ(list.selectionAnchor, 0u);
  EXPECT_EQ(list.CountSelected(), 5);
  list.selectionAnchor = s[0]->GetIdentifier();
  list.DeselectAll();
  EXPECT_EQ(list.CountSelected(), 0);
  EXPECT_EQ(list.selectionAnchor, 0u);
}

TEST(AudioSnippetList, MovingTheSelectionKeepsOffsetsAndOrder) {
  CAudioSnippetList list;
  auto a = Plain(100, 200, 1);
  auto b = Plain(300, 400, 2);
  auto c = Plain(500, 600, 3);
  for (const auto& s : {a, b, c}) list.AddSnippet(s);
  a->selected = 1;
  c->selected = 1;
  list.MoveSelectedTo(100);  // already there: nothing moves
  EXPECT_EQ(a->start, 100u);
  EXPECT_EQ(c->start, 500u);
  list.MoveSelectedTo(1000);
  EXPECT_EQ(a->start, 1000u);
  EXPECT_EQ(a->end, 1100u);
  EXPECT_EQ(c->start, 1400u);
  EXPECT_EQ(c->end, 1500u);
  EXPECT_EQ(b->start, 300u);
  EXPECT_EQ(Order(list), (std::vector<uint32_t>{b->GetIdentifier(), a->GetIdentifier(), c->GetIdentifier()}));
  EXPECT_EQ(list.GetExtentStart(), 300u);
  EXPECT_EQ(list.GetLastEnd(), 1500u);

  list.MoveAllTo(0);
  EXPECT_EQ(b->start, 0u);
  EXPECT_EQ(a->start, 700u);
  EXPECT_EQ(c->start, 1100u);
}

TEST(AudioSnippetList, MovingMatchingSnippetsFindsThemByIdentifierOrSource) {
  CAudioSnippetList project;
  auto a = Plain(100, 200, 1);
  auto b = Plain(300, 400, 2);
  auto other = Plain(1000, 1100, 3);
  for (const auto& s : {a, b, other}) project.AddSnippet(s);
  // A record of a move holds plain copies that name their originals as their source.
  CAudioSnippetList record;
  for (const auto& s : {a, b}) {
    auto copy = std::make_shared<CAudioSnippet>();
    s->CopyAttributesTo(copy.get());
    record.AddSnippet(copy);
  }
  ASSERT_EQ(project.MoveMatchingTo(5000, &record), 0);
  EXPECT_EQ(a->start, 5000u);
  EXPECT_EQ(b->start, 5200u);
  EXPECT_EQ(other->start, 1000u);
  EXPECT_EQ(project.Snippets().back(), b);

  EXPECT_EQ(project.MoveMatchingTo(0, nullptr), 3);
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.title, "AudioSnippetList");
  EXPECT_EQ(reports[0].report.line, 1587);
}

TEST(AudioSnippetList, SelectionLimitsFollowTheHeardSelectedSnippets) {
  CAudioSnippetList list;
  auto a = Plain(0, 1000, 1);
  auto b = Plain(400, 600, 2);
  auto c = Plain(2000, 2500, 3);
  for (const auto& s : {a, b, c}) list.AddSnippet(s);
  uint32_t lowest = 1, highest = 0, first = 9, last = 9;
  ASSERT_EQ(list.GetSelectionMoveLimits(&lowest, &highest, &first, &last), 0);
  EXPECT_EQ(lowest, 0u);
  EXPECT_EQ(highest, 238140000u);
  EXPECT_EQ(first, 0u);
  EXPECT_EQ(last, 0u);
  b->selected = 1;
  c->selected = 1;
  list.GetSelectionMoveLimits(&lowest, &highest, &first, &last);
  EXPECT_EQ(first, 400u);
  EXPECT_EQ(last, 2500u);

  EXPECT_EQ(list.GetSelectionMoveLimits(nullptr, &highest, &first, &last), 3);
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.line, 1387);
}

TEST(AudioSnippetList, ProjectListsCountLoopUsesAndSnapshotsDoNot) {
  auto loop = std::make_shared<CAudioLoop>();
  auto s1 = std::make_shared<CAudioSnippetLoop>(loop);
  auto s2 = std::make_shared<CAudioSnippetLoop>(loop);
  CAudioSnippetList project;
  CAudioSnippetList snapshot;
  snapshot.SetListMode(CAudioSnippetList::kModeSnapshot);
  project.AddSnippet(s1);
  project.AddSnippet(s2);
  snapshot.AddSnippet(s1);
  EXPECT_EQ(loop->useCount, 2);
  project.RemoveSnippet(s1->GetIdentifier());
  EXPECT_EQ(loop->useCount, 1);
  project.RemoveAllNodes();
  EXPECT_EQ(loop->useCount, 0);
  loop->useCount = 0;
  project.AddSnippet(s1);
  loop->useCount = 0;  // a count never goes below 0
  project.RemoveSnippet(s1->GetIdentifier());
  EXPECT_EQ(loop->useCount, 0);

  // A loop snippet without its loop cannot join a project.
  auto orphan = std::make_shared<CAudioSnippetLoop>();
  EXPECT_EQ(project.AddSnippet(orphan), 3);
  EXPECT_EQ(project.GetCount(), 0u);
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.line, 216);
}

TEST(AudioSnippetList, RetimingTheListRetimesEverySnippetAndItsExtent) {
  CTempFolder folder;
  auto segment = MakeSegment(folder.Path(), 1, 44100, tessiro::test::Constant(0));
  CAudioSnippetList list;
  auto a = tessiro::test::MakeExtended(segment, 88200);
  auto b = tessiro::test::MakeExtended(segment, 441000);
  list.AddSnippet(a);
  list.AddSnippet(b);
  ASSERT_EQ(list.SetTempo(200.0f), 1);
  EXPECT_EQ(a->start, 44100u);
  EXPECT_EQ(a->length, 22050u);
  EXPECT_EQ(b->start, 220500u);
  EXPECT_EQ(list.GetExtentStart(), 44100u);
  EXPECT_EQ(list.GetLastEnd(), 220500u + 22050u);
}

TEST(AudioSnippetList, HitTestsFindTheFirstSnippetDrawnThere) {
  CAudioSnippetList list;
  auto a = Plain(0, 10, 1);
  auto b = Plain(20, 30, 2);
  list.AddSnippet(a);
  list.AddSnippet(b);
  a->AddScreenRect(0, 0, 50, 10);
  b->AddScreenRect(50, 0, 90, 10);
  std::shared_ptr<CAudioSnippet> hit;
  EXPECT_EQ(list.HitTest(50, 5, &hit), 1);
  EXPECT_EQ(hit, a);
  EXPECT_EQ(list.HitTest(60, 5, &hit), 1);
  EXPECT_EQ(hit, b);
  EXPECT_EQ(list.HitTest(95, 5, &hit), 3);
  EXPECT_EQ(hit, nullptr);
}
