// LAME's progress records, read from output that arrives in arbitrary pieces.
#include <gtest/gtest.h>

#include <string>

#include "LameProgress.h"

using lunder::CLameProgress;

namespace {

// Feeds text in pieces of the given sizes (the last size repeats).
std::vector<short> Parse(CLameProgress::Kind kind, const std::string& text, std::vector<size_t> sizes) {
  CLameProgress parser(kind);
  std::vector<short> percents;
  size_t at = 0;
  for (size_t i = 0; at < text.size(); ++i) {
    const size_t n = std::min(sizes[std::min(i, sizes.size() - 1)], text.size() - at);
    parser.Feed(text.data() + at, n, &percents);
    at += n;
  }
  parser.Finish(&percents);
  return percents;
}

// What LAME prints while decoding: a record per frame, rewritten in place.
std::string DecodeOutput(int total) {
  std::string text = "input:  in.mp3  (44.1 kHz, 1 channel, MPEG-1 Layer III)\noutput: out.wav  (16 bit, Microsoft WAVE)\n";
  for (int frame = 2; frame <= total; frame += 7) {
    char record[96];
    std::snprintf(record, sizeof record, "\rFrame#%6d/%-6d 128 kbps          \b\b\b\b\b\b\b\b", frame, total);
    text += record;
  }
  return text + "\n";
}

// Expected percents of DecodeOutput, worked out with its own loop's numbers.
std::vector<short> DecodePercents(int total) {
  std::vector<short> p;
  for (int frame = 2; frame <= total; frame += 7) p.push_back(static_cast<short>(frame * 100 / total));
  return p;
}

}  // namespace

TEST(LameProgress, DecodeRecordGivesCurrentOverTotal) {
  EXPECT_EQ(Parse(CLameProgress::Kind::Decode, "Frame#  1250/5000    128 kbps", {256}), std::vector<short>{25});
  EXPECT_EQ(Parse(CLameProgress::Kind::Decode, "Frame#5000/5000 ", {256}), std::vector<short>{100});
  // A total of 0 gives 0; a count past the total stops at 100.
  EXPECT_EQ(Parse(CLameProgress::Kind::Decode, "Frame#  7/0 Frame# 9/4 ", {256}), (std::vector<short>{0, 100}));
}

TEST(LameProgress, DecodeRecordsSplitAnywhereGiveTheSameResult) {
  const std::string text = DecodeOutput(1000);
  const std::vector<short> expected = DecodePercents(1000);
  ASSERT_GT(expected.size(), 100u);
  for (size_t size : {1u, 2u, 3u, 5u, 7u, 13u, 64u, 255u, 256u, 4096u}) {
    EXPECT_EQ(Parse(CLameProgress::Kind::Decode, text, {size}), expected) << size;
  }
  EXPECT_EQ(Parse(CLameProgress::Kind::Decode, text, {1, 300, 2, 17, 256, 9}), expected);
}

TEST(LameProgress, DecodeRecordCutByTheEndOfOutputCountsThen) {
  CLameProgress parser(CLameProgress::Kind::Decode);
  std::vector<short> percents;
  const std::string text = "Frame#  30/60";
  parser.Feed(text.data(), text.size(), &percents);
  EXPECT_TRUE(percents.empty());  // "60" may still grow to "600"
  parser.Finish(&percents);
  EXPECT_EQ(percents, std::vector<short>{50});
}

TEST(LameProgress, OddTextIsSkipped) {
  // Near misses, overlong numbers, endless blanks, NUL bytes: none is a record.
  std::string junk = "Frame#/5 Frame# x/5 Frame#  5 / 9 Frame#12345678901/1 Frame#1/12345678901 Fram Frame";
  junk += std::string(1000, ' ');
  junk += std::string("\0\0Frame#\0 3/4", 13);
  junk += "Frame#" + std::string(40, ' ') + "1/2 ";
  EXPECT_TRUE(Parse(CLameProgress::Kind::Decode, junk, {3}).empty());
  // After all that the parser still finds a good record.
  EXPECT_EQ(Parse(CLameProgress::Kind::Decode, junk + "Frame# 3/4 ", {5}), std::vector<short>{75});
}

TEST(LameProgress, EncodeRecordGivesThePercentInParentheses) {
  const std::string banner(600, 'B');  // LAME's first two reads are its banner
  EXPECT_EQ(Parse(CLameProgress::Kind::Encode, banner + "    9/116    ( 37%)|  0:00/  0:01", {256}),
            std::vector<short>{37});
  EXPECT_EQ(Parse(CLameProgress::Kind::Encode, banner + "(100%) (5%) (  0%)", {256}), (std::vector<short>{100, 5, 0}));
}

TEST(LameProgress, EncodeBannerAndLookalikesAreNotProgress) {
  // The first two pieces are never read, even when they hold a record.
  EXPECT_TRUE(Parse(CLameProgress::Kind::Encode, "( 10%)( 20%)", {6}).empty());
  EXPECT_EQ(Parse(CLameProgress::Kind::Encode, "( 10%)( 20%)( 30%)", {6}), std::vector<short>{30});
  // Texts with parentheses that are not a percent.
  const std::string banner(512, 'B');
  EXPECT_TRUE(Parse(CLameProgress::Kind::Encode, banner + "MPEG-1 Layer III (11x) 128 kbps (x%) ( %) 5.6%)", {256})
                  .empty());
  EXPECT_TRUE(Parse(CLameProgress::Kind::Encode, banner + "(12345678901%)", {256}).empty());
}

TEST(LameProgress, EncodeRecordsSplitAnywhereGiveTheSameResult) {
  std::string text(512, '=');
  std::vector<short> expected;
  for (int p = 0; p <= 100; p += 3) {
    char record[80];
    std::snprintf(record, sizeof record, "\x1b[A\x1b[A\r%5d/%-5d (%3d%%)| 0:01/ 0:02| ", p * 4, 400, p);
    text += record;
    expected.push_back(static_cast<short>(p));
  }
  // Pieces of 256 keep the first 512 bytes in the two banner pieces.
  EXPECT_EQ(Parse(CLameProgress::Kind::Encode, text, {256, 256, 1}), expected);
  EXPECT_EQ(Parse(CLameProgress::Kind::Encode, text, {256, 256, 7}), expected);
  EXPECT_EQ(Parse(CLameProgress::Kind::Encode, text, {256, 256, 256}), expected);
}

TEST(LameProgress, EncodeStatisticsEndTheProgress) {
  const std::string banner(512, 'B');
  CLameProgress parser(CLameProgress::Kind::Encode);
  std::vector<short> percents;
  parser.Feed(banner.data(), 256, &percents);
  parser.Feed(banner.data(), 256, &percents);
  const std::string before = "( 40%)";
  parser.Feed(before.data(), before.size(), &percents);
  const std::string statistics = "  average: 128.0 kbps (50%)";
  parser.Feed(statistics.data(), statistics.size(), &percents);
  const std::string after = "( 90%)";
  parser.Feed(after.data(), after.size(), &percents);
  parser.Finish(&percents);
  EXPECT_EQ(percents, std::vector<short>{40});
}
