#include "waveform/WaveformPainter.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "ReportRecorder.h"
#include "TempFolder.h"
#include "WaveformFixtures.h"

using namespace draw;
using tessiro::test::CCountingSource;
using tessiro::test::CTempFolder;
using tessiro::test::MakeWaveSegment;
using tessiro::test::Reports;

namespace {

constexpr COLORREF kOutside = Rgb(1, 2, 3);
constexpr COLORREF kFramePen = Rgb(0, 0, 0);
constexpr COLORREF kGround = Rgb(0xF8, 0xF8, 0xF8);
constexpr COLORREF kOutline = Rgb(20, 40, 60);
constexpr COLORREF kFill = Rgb(0, 128, 255);
constexpr COLORREF kQuarter = Rgb(100, 100, 100);

int16_t Silence(uint32_t, int) { return 0; }
int16_t HalfUp(uint32_t, int) { return 16384; }
// Left channel up, right channel down, by half the range.
int16_t Opposed(uint32_t, int channel) { return channel == 0 ? 16384 : -16384; }
int16_t Hash(uint32_t frame, int channel) {
  return static_cast<int16_t>((frame * 2654435761u + static_cast<uint32_t>(channel) * 40503u) >> 16);
}

// Paints into a bitmap 10 pixels larger than the rectangle at (0, 0), the frame drawn
// with a black pen over a ground brush, as the Audio Editor hands them.
CBitmap Paint(CWaveformSource& source, int width, int height, uint32_t first, uint32_t last,
              const CPen* quarterPen = nullptr, int* result = nullptr) {
  CBitmap bitmap(width + 10, height + 10, 1.0, kOutside);
  {
    CCanvas canvas(bitmap);
    canvas.SelectPen(CPen::Solid(kFramePen));
    const CPen wavePen = CPen::Solid(kOutline);
    const CBrush waveBrush = CBrush::Solid(kFill);
    const int drawn = DrawWaveform(source, &canvas, &wavePen, &waveBrush, CBrush::Solid(kGround), 0, 0,
                                   static_cast<int16_t>(width), static_cast<int16_t>(height), first, last, quarterPen);
    if (result) *result = drawn;
  }
  return bitmap;
}

char Code(COLORREF colour) {
  switch (colour) {
    case kFramePen: return 'K';
    case kGround: return 'G';
    case kOutline: return 'O';
    case kFill: return 'F';
    case kQuarter: return 'Q';
    case kOutside: return '-';
    default: return '?';
  }
}

// The pixels of a column from row 0 to row last, as colour codes.
std::string Column(const CBitmap& bitmap, int x, int last) {
  std::string codes;
  for (int y = 0; y <= last; ++y) codes += Code(bitmap.Pixel(x, y));
  return codes;
}

std::string Runs(std::initializer_list<std::pair<char, int>> runs) {
  std::string codes;
  for (const auto& [code, count] : runs) codes.append(static_cast<size_t>(count), code);
  return codes;
}

class WaveformPainter : public ::testing::Test {
 protected:
  CTempFolder folder_;
};

}  // namespace

TEST_F(WaveformPainter, SpanChoosesSamplesAudioOrPeaks) {
  auto segment = MakeWaveSegment(folder_.Path(), 1, 40000, Hash);
  struct Case {
    uint32_t first, last;
    int reads;
    uint64_t framesAsked;
    int peakReads;
  } cases[] = {
      {0, 256, 1, 257, 0},             // samples: n + 1 frames
      {0, 257, 1, 256, 0},             // the audio's envelope, both ends rounded down to even
      {1001, 17385, 1, 16384, 0},      // the widest stretch read from the audio
      {0, 16385, 0, 0, 1},             // the peak file
      {20000, 40000, 0, 0, 1},
  };
  for (const Case& c : cases) {
    CCountingSource source(*segment);
    Paint(source, 200, 60, c.first, c.last);
    EXPECT_EQ(source.reads, c.reads) << c.first << ".." << c.last;
    EXPECT_EQ(source.framesAsked, c.framesAsked) << c.first << ".." << c.last;
    EXPECT_EQ(source.peakReads, c.peakReads) << c.first << ".." << c.last;
  }
}

// +16384 is half the range: in a 60-pixel band around row 30 the top lies at
// 30 - trunc(16384 / 32768 x 30) = 15 and the bottom stays on the centre line.
TEST_F(WaveformPainter, ConstantSignalEnvelopeLiesAtTheComputedRows) {
  auto block = MakeWaveSegment(folder_.Path(), 1, 1000, HalfUp);
  auto peaks = MakeWaveSegment(folder_.Path(), 1, 100000, HalfUp);
  struct Case {
    CAudioSegment* segment;
    uint32_t last;
    std::string column;
  } cases[] = {
      // The audio renderings draw their frame once more, a pixel larger.
      {block.get(), 1000, Runs({{'K', 1}, {'G', 14}, {'O', 1}, {'F', 14}, {'O', 1}, {'G', 29}, {'K', 1}})},
      {peaks.get(), 100000, Runs({{'K', 1}, {'G', 14}, {'O', 1}, {'F', 14}, {'O', 1}, {'G', 28}, {'K', 1}, {'-', 1}})},
  };
  for (const Case& c : cases) {
    CSegmentWaveformSource source(*c.segment);
    const CBitmap bitmap = Paint(source, 100, 60, 0, c.last);
    EXPECT_EQ(Column(bitmap, 50, 60), c.column) << c.last;
    EXPECT_EQ(Column(bitmap, 98, 60), c.column) << c.last;
  }
}

TEST_F(WaveformPainter, SampleMarksAreEightPixelsBelowSeventeenFramesElseFour) {
  auto segment = MakeWaveSegment(folder_.Path(), 1, 1000, HalfUp);
  CSegmentWaveformSource source(*segment);
  // 200 frames over 100 pixels: marks of 4 x 4 pixels around row 15 cover the line.
  const CBitmap many = Paint(source, 100, 60, 0, 200);
  EXPECT_EQ(Column(many, 50, 60), Runs({{'K', 1}, {'G', 12}, {'F', 4}, {'G', 43}, {'K', 1}}));
  // 10 frames: a point every 10 pixels, each mark 8 x 8 (x - 4 .. x + 3).
  const CBitmap few = Paint(source, 100, 60, 0, 10);
  EXPECT_EQ(Code(few.Pixel(46, 11)), 'F');
  EXPECT_EQ(Code(few.Pixel(53, 18)), 'F');
  EXPECT_EQ(Code(few.Pixel(45, 18)), 'G');
  EXPECT_EQ(Code(few.Pixel(54, 18)), 'G');
  // The first and the last point get no mark: only the line reaches them.
  EXPECT_EQ(Code(few.Pixel(1, 18)), 'G');
  EXPECT_EQ(Code(few.Pixel(97, 18)), 'G');
}

TEST_F(WaveformPainter, StereoDrawsTwoBandsMonoOne) {
  auto stereoBlock = MakeWaveSegment(folder_.Path(), 2, 5000, Opposed);
  auto stereoPeaks = MakeWaveSegment(folder_.Path(), 2, 200000, Opposed);
  auto monoBlock = MakeWaveSegment(folder_.Path(), 1, 5000, HalfUp);
  // Stereo in 80 rows: left around row 20 (top 10), right around row 60 (bottom 70).
  const std::string stereo =
      Runs({{'K', 1}, {'G', 9}, {'O', 1}, {'F', 9}, {'O', 1}, {'G', 39}, {'O', 1}, {'F', 9}, {'O', 1}, {'G', 8}});
  // Mono in 80 rows: around row 40, top 20.
  const std::string mono = Runs({{'K', 1}, {'G', 19}, {'O', 1}, {'F', 19}, {'O', 1}, {'G', 38}});
  struct Case {
    CAudioSegment* segment;
    uint32_t last;
    std::string rows;  // rows 0..79; row 79 is the frame's bottom when it is drawn once
  } cases[] = {
      {stereoBlock.get(), 5000, stereo + "G"},
      {stereoPeaks.get(), 200000, stereo + "K"},
      {monoBlock.get(), 5000, mono + "G"},
  };
  for (const Case& c : cases) {
    CSegmentWaveformSource source(*c.segment);
    const CBitmap bitmap = Paint(source, 100, 80, 0, c.last);
    EXPECT_EQ(Column(bitmap, 50, 79), c.rows) << c.last;
  }
}

TEST_F(WaveformPainter, RectanglesWiderThanTwoThousandPixelsAreDrawnWhole) {
  auto segment = MakeWaveSegment(folder_.Path(), 1, 300000, HalfUp);
  const std::string envelope = Runs({{'G', 14}, {'O', 1}, {'F', 14}, {'O', 1}});
  struct Case {
    uint32_t last;
    int x;
    std::string rows;  // rows 1..30
  } cases[] = {
      {256, 2929, Runs({{'G', 12}, {'F', 4}, {'G', 14}})},  // the mark of frame 250
      {16000, 2950, envelope},
      {300000, 2950, envelope},
  };
  for (const Case& c : cases) {
    CSegmentWaveformSource source(*segment);
    const CBitmap bitmap = Paint(source, 3000, 60, 0, c.last);
    EXPECT_EQ(Column(bitmap, c.x, 30).substr(1), c.rows) << c.last;
  }
}

TEST_F(WaveformPainter, EmptyAudioDrawsOnlyTheRectangleAndReports) {
  auto segment = MakeWaveSegment(folder_.Path(), 2, 0, Silence);
  struct Case {
    uint32_t last;
    int line;
  } cases[] = {{0, 118}, {1000, 778}, {100000, 778}};
  for (const Case& c : cases) {
    CCountingSource source(*segment);
    int result = -1;
    const CBitmap bitmap = Paint(source, 40, 30, 0, c.last, nullptr, &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(source.reads + source.peakReads, 0);
    for (int y = 0; y < 30; ++y) {
      for (int x = 0; x < 40; ++x) {
        const bool border = x == 0 || y == 0 || x == 39 || y == 29;
        ASSERT_EQ(Code(bitmap.Pixel(x, y)), border ? 'K' : 'G') << x << "," << y;
      }
    }
    const auto reports = Reports().Take();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].report.title, "TrackViewGUI");
    EXPECT_EQ(reports[0].report.line, c.line);
    EXPECT_EQ(reports[0].report.message, "Divide By Zero Violation");
  }
}

TEST_F(WaveformPainter, NothingIsDrawnFromPastTheEndOfTheAudio) {
  auto segment = MakeWaveSegment(folder_.Path(), 1, 8000, HalfUp);
  CSegmentWaveformSource source(*segment);
  const std::string centreOnly = Runs({{'K', 1}, {'G', 29}, {'O', 1}, {'G', 29}, {'K', 1}});
  // Frames 0..16000 of 8000: the right half lies past the end, on the centre line.
  const CBitmap envelope = Paint(source, 100, 60, 0, 16000);
  EXPECT_EQ(Column(envelope, 25, 60), Runs({{'K', 1}, {'G', 14}, {'O', 1}, {'F', 14}, {'O', 1}, {'G', 29}, {'K', 1}}));
  EXPECT_EQ(Column(envelope, 75, 60), centreOnly);

  // From the peak file: frames 0..200000 of 100000 leave the right half on the centre line.
  auto longer = MakeWaveSegment(folder_.Path(), 1, 100000, HalfUp);
  CSegmentWaveformSource longerSource(*longer);
  const CBitmap peaks = Paint(longerSource, 100, 60, 0, 200000);
  EXPECT_EQ(Column(peaks, 25, 59), Runs({{'K', 1}, {'G', 14}, {'O', 1}, {'F', 14}, {'O', 1}, {'G', 28}, {'K', 1}}));
  EXPECT_EQ(Column(peaks, 75, 59), Runs({{'K', 1}, {'G', 29}, {'O', 1}, {'G', 28}, {'K', 1}}));

  // Samples 7900..8156: the audio ends at point 100 (x 39), which comes back to the
  // centre; right of it nothing at all is drawn.
  const CBitmap samples = Paint(source, 100, 60, 7900, 8156);
  EXPECT_EQ(Column(samples, 30, 60), Runs({{'K', 1}, {'G', 12}, {'F', 4}, {'G', 43}, {'K', 1}}));
  EXPECT_EQ(Column(samples, 60, 60), Runs({{'K', 1}, {'G', 59}, {'K', 1}}));
}

namespace {

// Peak records of a constant +16384 over length frames, of which the owner vouches
// only for the first vouched bytes.
class CPeaksOnly final : public CWaveformSource {
 public:
  CPeaksOnly(uint32_t length, uint32_t vouched) : length_(length), vouched_(vouched), peaks_(length / 64 * 2) {
    for (size_t i = 0; i < peaks_.size(); i += 2) peaks_[i] = 16384 >> 7;
  }
  uint16_t Channels() const override { return 1; }
  uint32_t Length() const override { return length_; }
  void ReadFrames(uint32_t, uint32_t, int16_t*) override { ADD_FAILURE() << "read the audio"; }
  void PeakData(const uint8_t** data, uint32_t* size) override {
    *data = peaks_.data();
    *size = static_cast<uint32_t>(peaks_.size());
  }
  uint32_t PeakCount() const override { return vouched_; }

 private:
  uint32_t length_, vouched_;
  std::vector<uint8_t> peaks_;
};

}  // namespace

TEST_F(WaveformPainter, PeaksEndWhereTheirOwnerVouchesForThem) {
  CPeaksOnly source(128000, 1000);  // 4000 bytes of peaks, 1000 vouched for
  const CBitmap bitmap = Paint(source, 100, 60, 0, 128000);
  EXPECT_EQ(Column(bitmap, 10, 59), Runs({{'K', 1}, {'G', 14}, {'O', 1}, {'F', 14}, {'O', 1}, {'G', 28}, {'K', 1}}));
  EXPECT_EQ(Column(bitmap, 50, 59), Runs({{'K', 1}, {'G', 29}, {'O', 1}, {'G', 28}, {'K', 1}}));
}

TEST_F(WaveformPainter, QuarterLinesStandAtQuartersOfTheWidth) {
  auto segment = MakeWaveSegment(folder_.Path(), 1, 100000, Silence);
  const CPen quarter = CPen::Solid(kQuarter);
  for (const uint32_t last : {200u, 5000u, 100000u}) {
    CSegmentWaveformSource source(*segment);
    const CBitmap bitmap = Paint(source, 100, 60, 0, last, &quarter);
    for (const int x : {25, 50, 75}) EXPECT_EQ(Code(bitmap.Pixel(x, 10)), 'Q') << last << " x " << x;
    EXPECT_EQ(Code(bitmap.Pixel(24, 10)), 'G') << last;
    EXPECT_EQ(Code(bitmap.Pixel(26, 10)), 'G') << last;
  }
}

TEST_F(WaveformPainter, MissingArgumentsOrAnEmptyRectangleDrawNothing) {
  auto segment = MakeWaveSegment(folder_.Path(), 1, 1000, HalfUp);
  CBitmap bitmap(20, 20, 1.0, kOutside);
  CCanvas canvas(bitmap);
  const CPen pen = CPen::Solid(kOutline);
  const CBrush brush = CBrush::Solid(kFill);
  EXPECT_EQ(DrawWaveform(segment.get(), nullptr, &pen, &brush, {}, 0, 0, 10, 10, 0, 100, nullptr), 1);
  EXPECT_EQ(DrawWaveform(segment.get(), &canvas, nullptr, &brush, {}, 0, 0, 10, 10, 0, 100, nullptr), 1);
  EXPECT_EQ(DrawWaveform(segment.get(), &canvas, &pen, nullptr, {}, 0, 0, 10, 10, 0, 100, nullptr), 1);
  EXPECT_EQ(DrawWaveform(segment.get(), &canvas, &pen, &brush, {}, 0, 0, 0, 10, 0, 100, nullptr), 1);
  EXPECT_EQ(DrawWaveform(segment.get(), &canvas, &pen, &brush, {}, 0, 0, 10, -1, 0, 100, nullptr), 1);
  EXPECT_EQ(DrawWaveform(nullptr, &canvas, &pen, &brush, {}, 0, 0, 10, 10, 0, 100, nullptr), 1);
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 20; ++x) ASSERT_EQ(bitmap.Pixel(x, y), kOutside);
  }
  EXPECT_EQ(DrawWaveform(segment.get(), &canvas, &pen, &brush, {}, 0, 0, 10, 10, 0, 100, nullptr), 0);
}
