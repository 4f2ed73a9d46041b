// The level-envelope editor's form over a real chain: the graph's geometry,
// zoom and scroll, the rules of inserting, deleting and typing points, the
// drag, and the chain hearing what was edited.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LevelEnvelopeForm.h"

namespace {

using Form = forms::CAudioLevelsVisualDialog;
using forms::SliderAction;
constexpr uint32_t kT = 441000;  // ten seconds
constexpr uint32_t kBlock = 1024;

// A chain with one levels effect whose first point is 1.0 at frame 0, and the editor on it.
struct Envelope {
  CZelmo chain;
  short number = -1;
  Form form;
  std::vector<std::string> told;

  explicit Envelope(int independent = 0, uint32_t length = kT) {
    chain.SetChannels(2);
    chain.SetSizeOutputBufferSample(kBlock);
    chain.SetSizeMaxInputBufferSample(kBlock + 16384);
    chain.AddEffect(ZelmoLevels, &number, nullptr);
    chain.SetLevelsChannelsIndependent(number, independent);
    Zelmo_Levels_Parameters p{0, length, 120.0f};
    chain.SetEffectParameters(number, &p);
    Zelmo_Level_Entry first{1, 120.0f, 1.0f, 0, 0};
    chain.AddLevelEntry(number, &first, 3);
    form.Bind(&chain, number);
    form.SetProjectSource({length, 120.0f, 0});
    form.SetInform([this](const std::string& text) { told.push_back(text); });
    form.InitDialog();
  }
  void InsertAt(int x) {
    form.OpenContextMenu(x, 100);
    form.InsertPoint();
  }
  // Hovers point `number` (1-based) where the graph draws it.
  void Hover(int number) {
    const Form::Drawing d = form.Draw();
    const size_t k = static_cast<size_t>(number - 1 - d.firstDrawnIndex);
    ASSERT_LT(k, d.hitRects.size());
    form.MouseMove(d.hitRects[k].left + 4, d.hitRects[k].top + 4);
    ASSERT_EQ(form.PointNumber(), number);
  }
  std::vector<std::pair<uint32_t, float>> Points() const {
    std::vector<std::pair<uint32_t, float>> out;
    for (const Zelmo_Level_Entry& e : form.Points()) out.push_back({e.samplePosition, e.gain});
    return out;
  }
  // One block of a constant signal through the chain: the left and right samples it gives.
  std::pair<int16_t, int16_t> Play(int16_t level) {
    std::vector<int16_t> block(2 * kBlock, level);
    chain.ProcessAudio(block.data(), kBlock);
    return {block[0], block[1]};
  }
};

TEST(LevelEnvelopeForm, GeometryMapsFramesAndGainsToTheGraphAndBack) {
  struct ToX {
    uint32_t frame, start, width;
    int x;
  } toX[] = {{0, 0, kT, 0},         {220500, 0, kT, 212}, {kT, 0, kT, 424}, {1040, 0, kT, 1},
             {50, 100, kT, 0},      {100, 0, 0, 0},       {330750, 220500, 220500, 212}};
  for (const ToX& c : toX) EXPECT_EQ(Form::FrameToX(c.frame, c.start, c.width), c.x) << c.frame << " " << c.width;
  struct ToY {
    float gain;
    int y;
  } toY[] = {{0.0f, 183}, {1.0f, 122}, {2.0f, 61}, {3.0f, 0}, {1.5f, 92}};
  for (const ToY& c : toY) EXPECT_EQ(Form::GainToY(c.gain), c.y) << c.gain;
  EXPECT_EQ(Form::XToFrame(257, 0, kT), 220500u);
  EXPECT_EQ(Form::XToFrame(20, 0, kT), 0u) << "left of the graph is its start";
  EXPECT_NEAR(Form::YToGain(111), 1.50820, 1e-5);
  EXPECT_FLOAT_EQ(Form::YToGain(203), 0.0f);
  EXPECT_FLOAT_EQ(Form::YToGain(20), 3.0f);

  Envelope e;
  const Form::Drawing d = e.form.Draw();
  ASSERT_EQ(d.hitRects.size(), 1u);
  EXPECT_EQ(d.hitRects[0].left, 41);
  EXPECT_EQ(d.hitRects[0].top, 138);
  EXPECT_EQ(d.hitRects[0].right, 49);
  EXPECT_EQ(d.hitRects[0].bottom, 146);
  EXPECT_EQ(d.squares[0].left, 26);
  EXPECT_EQ(d.timeLabels[0], "00:00.000");
  EXPECT_EQ(d.timeLabels[2], "00:05.000");
  ASSERT_EQ(d.lines.size(), 1u) << "the level holds after the last point";
  EXPECT_EQ(d.lines[0].y1, 122);
  EXPECT_EQ(d.lines[0].x2, 30 + 424);

  struct Pointer {
    int units;
    int x, y;
    const char* text;
  } pointer[] = {{1, 257, 111, "Time: 00:05.000    Level: 150.82 %"},
                 {0, 257, 111, "Time: 00:05.000    Level: 3.57 dB"},
                 {0, 257, 203, "Time: 00:05.000    Level: -140.00 dB"},
                 {1, 10, 10, ""}};
  for (const Pointer& c : pointer) {
    e.form.SelectUnits(c.units);
    e.form.MouseMove(c.x, c.y);
    EXPECT_EQ(e.form.Text(Form::kPointer), c.text);
  }
  e.form.SelectTimeUnits(1);
  e.form.MouseMove(257, 111);
  EXPECT_EQ(e.form.Text(Form::kPointer).rfind("Time: 2:2:0.00", 0), 0u) << e.form.Text(Form::kPointer);
}

TEST(LevelEnvelopeForm, ZoomAndScrollMoveTheViewWithinTheProject) {
  Envelope e;
  for (int i = 0; i < 6; ++i) e.form.ZoomIn();
  EXPECT_EQ(e.form.ViewWidth(), 6890u);
  e.form.ZoomIn();
  EXPECT_EQ(e.form.ViewWidth(), 6890u) << "no zoom below 11025 frames";
  e.form.ViewAll();

  struct Step {
    const char* what;
    std::function<void(Form&)> act;
    uint32_t start, end;
    int page, position;
  } steps[] = {
      {"opened", [](Form&) {}, 0, kT, 1000, 0},
      {"zoom in at the start", [](Form& f) { f.ZoomIn(); }, 0, 220500, 500, 0},
      {"line right", [](Form& f) { f.Scroll(SliderAction::LineMore, 0); }, 55125, 275625, 500, 125},
      {"zoom in in the middle", [](Form& f) { f.ZoomIn(); }, 110250, 220500, 250, 250},
      {"page right", [](Form& f) { f.Scroll(SliderAction::PageMore, 0); }, 220500, 330750, 250, 500},
      {"page right to the end", [](Form& f) { f.Scroll(SliderAction::PageMore, 0); }, 330750, kT, 250, 750},
      {"page right at the end", [](Form& f) { f.Scroll(SliderAction::PageMore, 0); }, 330750, kT, 250, 750},
      {"zoom in at the end", [](Form& f) { f.ZoomIn(); }, 385875, kT, 125, 875},
      {"line left", [](Form& f) { f.Scroll(SliderAction::LineLess, 0); }, 372094, 427219, 125, 843},
      {"thumb to the end", [](Form& f) { f.Scroll(SliderAction::Track, 1000); }, 385875, kT, 125, 875},
      {"thumb to the middle", [](Form& f) { f.Scroll(SliderAction::Track, 500); }, 220500, 275625, 125, 500},
      {"zoom out", [](Form& f) { f.ZoomOut(); }, 206719, 289406, 187, 468},
      {"view all", [](Form& f) { f.ViewAll(); }, 0, kT, 1000, 0},
      {"line left at the start", [](Form& f) { f.Scroll(SliderAction::LineLess, 0); }, 0, kT, 1000, 0},
      {"zoom out of everything", [](Form& f) { f.ZoomOut(); }, 0, kT, 1000, 0},
  };
  for (const Step& s : steps) {
    s.act(e.form);
    EXPECT_EQ(e.form.ViewStart(), s.start) << s.what;
    EXPECT_EQ(e.form.ViewEnd(), s.end) << s.what;
    EXPECT_EQ(e.form.ViewWidth(), s.end - s.start) << s.what;
    EXPECT_EQ(e.form.ScrollPage(), s.page) << s.what;
    EXPECT_EQ(e.form.ScrollPosition(), s.position) << s.what;
  }

  // A point past the project's end: View All reaches it and Zoom Out keeps it in view.
  Zelmo_Level_Entry late{2, 120.0f, 0.5f, 500000, 0};
  e.chain.AddLevelEntry(e.number, &late, 3);
  e.form.ViewAll();
  EXPECT_EQ(e.form.ViewEnd(), 500000u);
  e.form.ZoomOut();
  EXPECT_EQ(e.form.ViewEnd(), 500000u);
  EXPECT_EQ(e.form.ScrollPage(), 1000);
}

TEST(LevelEnvelopeForm, AnEmptyProjectDrawsItsPointsAtTheStartWithoutAFault) {
  Envelope e(0, 0);
  EXPECT_EQ(e.form.ViewWidth(), 0u);
  EXPECT_EQ(e.form.ScrollPage(), 30);
  EXPECT_EQ(e.form.ScrollPosition(), 0);
  const Form::Drawing d = e.form.Draw();
  ASSERT_EQ(d.squares.size(), 1u);
  EXPECT_EQ(d.hitRects[0].left, 41);
  e.form.ZoomIn();
  EXPECT_EQ(e.form.ViewEnd(), 0u);
  e.InsertAt(257);
  EXPECT_EQ(e.Points().size(), 1u) << "nothing after the end of an empty view";
}

TEST(LevelEnvelopeForm, PointsAreInsertedDeletedAndTypedByTheRules) {
  Envelope e;
  e.form.SelectUnits(1);
  struct Insert {
    int x;
    const char* told;  // nullptr: no message
    size_t points;     // after it
  } inserts[] = {
      {257, nullptr, 2},                         // frame 220500
      {257, Form::kPointExistsText, 2},          // a point is there
      {44, nullptr, 2},                          // left of the graph
      {45, Form::kPointExistsText, 2},           // frame 0 is the first point's
      {480, nullptr, 2},                         // past the view's end
  };
  for (const Insert& c : inserts) {
    e.told.clear();
    e.InsertAt(c.x);
    EXPECT_EQ(e.told, c.told ? std::vector<std::string>{c.told} : std::vector<std::string>{}) << c.x;
    EXPECT_EQ(e.Points().size(), c.points) << c.x;
  }
  EXPECT_EQ(e.Points()[1], (std::pair<uint32_t, float>{220500, 1.0f}));

  // Typed levels, in percent and in decibels, land clamped to 0..300 %.
  e.Hover(2);
  struct Typed {
    int units;
    const char* text;
    float gain;
    const char* shown;
  } typed[] = {{1, "500", 3.0f, "300.00"}, {1, "-5", 0.0f, "0.00"},    {1, "abc", 0.0f, "0.00"},
               {1, "50", 0.5f, "50.00"},   {0, "20", 3.0f, "9.54"},    {0, "-6", 0.501187f, "-6.00"},
               {0, "-200", 0.0f, "-200.00"}, {1, "0", 0.0f, "0.00"}};
  for (const Typed& c : typed) {
    e.form.SelectUnits(c.units);
    e.form.CommitLevel(c.text);
    EXPECT_NEAR(e.Points()[1].second, c.gain, 1e-5f) << c.text;
    EXPECT_EQ(e.form.Text(Form::kLevel), c.shown) << c.text;
    EXPECT_EQ(e.form.Text(Form::kLevelUnit), c.units ? "%" : "dB");
  }
  EXPECT_EQ(e.form.Text(Form::kPoint), "2");
  EXPECT_EQ(e.form.Text(Form::kTime), "00:05.000");

  // A new point takes the envelope's level where it goes: halfway down the ramp.
  e.form.MouseMove(300, 300);  // the fields keep the point they show
  EXPECT_EQ(e.form.ShownPoint(), 2);
  e.InsertAt(151);  // frame 110250
  ASSERT_EQ(e.Points().size(), 3u);
  EXPECT_EQ(e.Points()[1].first, 110250u);
  EXPECT_NEAR(e.Points()[1].second, 0.5f, 1e-6f);

  // The first point stays; another one goes, and nothing is left selected to type into.
  e.Hover(1);
  EXPECT_TRUE(e.form.DeleteEnabled());
  e.told.clear();
  e.form.DeletePoint();
  EXPECT_EQ(e.told, std::vector<std::string>{Form::kInitialPointText});
  e.Hover(2);
  e.form.DeletePoint();
  EXPECT_EQ(e.Points().size(), 2u);
  EXPECT_EQ(e.Points()[1].first, 220500u);
  EXPECT_FALSE(e.form.DeleteEnabled());
  EXPECT_EQ(e.form.ShownPoint(), 0);
  e.form.CommitLevel("100");
  EXPECT_EQ(e.form.Text(Form::kLevel), "");
  EXPECT_FLOAT_EQ(e.Points()[0].second, 1.0f);
  EXPECT_FLOAT_EQ(e.Points()[1].second, 0.0f);
}

TEST(LevelEnvelopeForm, DraggingAPointSetsItsLevelWithinTheGraph) {
  Envelope e;
  int modified = 0;
  e.form.SetOnModified([&modified] { ++modified; });
  e.Hover(1);
  e.form.MouseDown();
  ASSERT_TRUE(e.form.Dragging());
  struct Drag {
    int y;
    float gain;
  } drags[] = {{10, 3.0f}, {250, 0.0f}, {142, 1.0f}, {20, 3.0f}, {111, 1.508197f}};
  for (const Drag& d : drags) {
    e.form.MouseMove(300, d.y);  // far from the point: the drag holds it
    EXPECT_NEAR(e.Points()[0].second, d.gain, 1e-5f) << d.y;
  }
  EXPECT_EQ(e.Points()[0].first, 0u) << "only the level changes";
  EXPECT_EQ(modified, 5);
  e.form.MouseUp();
  e.form.MouseMove(300, 200);
  EXPECT_NEAR(e.Points()[0].second, 1.508197f, 1e-5f);
}

TEST(LevelEnvelopeForm, TheChainPlaysTheEditedPoints) {
  struct Case {
    int independent;
    int channel;  // combo index
    const char* level;
    int16_t left, right;
  } cases[] = {{0, 0, "50", 500, 500}, {1, 0, "50", 500, 1000}, {1, 1, "25", 1000, 250}};
  for (const Case& c : cases) {
    Envelope e(c.independent);
    e.form.SelectUnits(1);
    EXPECT_EQ(e.form.Items(Form::kChannel).size(), c.independent ? 2u : 1u);
    e.form.SelectChannel(c.channel);
    e.Hover(1);
    e.form.CommitLevel(c.level);
    const auto [left, right] = e.Play(1000);
    EXPECT_EQ(left, c.left) << c.independent << c.channel;
    EXPECT_EQ(right, c.right) << c.independent << c.channel;
  }
  Envelope e;
  e.form.Unbind();
  e.form.CommitLevel("10");
  EXPECT_EQ(e.Play(1000).first, 1000) << "an unbound editor reaches no chain";
}

}  // namespace
