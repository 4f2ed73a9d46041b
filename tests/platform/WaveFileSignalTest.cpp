#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "WaveFileSignal.h"

namespace {

void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v & 0xFF));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, static_cast<uint16_t>(v & 0xFFFF));
  Put16(out, static_cast<uint16_t>(v >> 16));
}
void PutTag(std::vector<uint8_t>& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}

// A WAV image made field by field; extra chunks may precede the format.
std::vector<uint8_t> MakeWave(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits,
                              const std::vector<uint8_t>& data, const std::vector<uint8_t>& before = {}) {
  std::vector<uint8_t> body;
  PutTag(body, "WAVE");
  body.insert(body.end(), before.begin(), before.end());
  PutTag(body, "fmt ");
  Put32(body, 16);
  Put16(body, tag);
  Put16(body, channels);
  Put32(body, rate);
  Put32(body, rate * channels * (bits / 8));
  Put16(body, static_cast<uint16_t>(channels * (bits / 8)));
  Put16(body, bits);
  PutTag(body, "data");
  Put32(body, static_cast<uint32_t>(data.size()));
  body.insert(body.end(), data.begin(), data.end());
  std::vector<uint8_t> file;
  PutTag(file, "RIFF");
  Put32(file, static_cast<uint32_t>(body.size()));
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

bool Parse(const std::vector<uint8_t>& image, std::vector<int16_t>& frames, std::string& error) {
  return platform::ParseWaveFileFrames(image.data(), image.size(), 44100, frames, error);
}

}  // namespace

TEST(WaveFileSignal, StereoSixteenBitComesThroughUnchanged) {
  std::vector<uint8_t> data;
  const int16_t samples[] = {3, -5, -32768, 32767, 0, -1};
  for (int16_t s : samples) Put16(data, static_cast<uint16_t>(s));
  std::vector<int16_t> frames;
  std::string error;
  ASSERT_TRUE(Parse(MakeWave(1, 2, 44100, 16, data), frames, error)) << error;
  EXPECT_EQ(frames, std::vector<int16_t>(std::begin(samples), std::end(samples)));
}

TEST(WaveFileSignal, MonoGoesToBothChannelsAndEightBitIsWidened) {
  std::vector<uint8_t> mono16;
  Put16(mono16, 1234);
  Put16(mono16, static_cast<uint16_t>(-7));
  std::vector<int16_t> frames;
  std::string error;
  ASSERT_TRUE(Parse(MakeWave(1, 1, 44100, 16, mono16), frames, error)) << error;
  EXPECT_EQ(frames, (std::vector<int16_t>{1234, 1234, -7, -7}));

  // Unsigned 8-bit: 128 is silence, 0 the lowest value, 255 the highest.
  ASSERT_TRUE(Parse(MakeWave(1, 1, 44100, 8, {128, 0, 255}), frames, error)) << error;
  EXPECT_EQ(frames, (std::vector<int16_t>{0, 0, -32768, -32768, 127 * 256, 127 * 256}));
}

TEST(WaveFileSignal, ChunksBeforeTheFormatAreSkippedWithTheirPadding) {
  std::vector<uint8_t> list;
  PutTag(list, "LIST");
  Put32(list, 3);  // odd size: one pad byte follows
  list.insert(list.end(), {'a', 'b', 'c', 0});
  std::vector<uint8_t> data;
  Put16(data, 10);
  Put16(data, 20);
  std::vector<int16_t> frames;
  std::string error;
  ASSERT_TRUE(Parse(MakeWave(1, 2, 44100, 16, data, list), frames, error)) << error;
  EXPECT_EQ(frames, (std::vector<int16_t>{10, 20}));
}

TEST(WaveFileSignal, HostileOrUnsupportedFilesAreRefused) {
  std::vector<uint8_t> data(8, 0);
  std::vector<int16_t> frames;
  std::string error;

  EXPECT_FALSE(Parse({'R', 'I', 'F', 'F'}, frames, error));
  EXPECT_FALSE(Parse(MakeWave(3, 2, 44100, 32, data), frames, error));  // float
  EXPECT_FALSE(Parse(MakeWave(1, 6, 44100, 16, data), frames, error));
  EXPECT_FALSE(Parse(MakeWave(1, 2, 48000, 16, data), frames, error));
  EXPECT_EQ(error, "the file's rate is not the device's");

  // A data chunk that claims more than the file holds.
  std::vector<uint8_t> image = MakeWave(1, 2, 44100, 16, data);
  const size_t sizeField = image.size() - data.size() - 4;
  image[sizeField + 3] = 0x7F;
  EXPECT_FALSE(Parse(image, frames, error));
  EXPECT_EQ(error, "a chunk runs past the end of the file");

  // Every truncation of a good file is refused or read within its bounds.
  const std::vector<uint8_t> good = MakeWave(1, 2, 44100, 16, data);
  for (size_t cut = 0; cut < good.size(); ++cut) {
    std::vector<uint8_t> part(good.begin(), good.begin() + static_cast<long>(cut));
    EXPECT_FALSE(Parse(part, frames, error)) << cut;
  }
  EXPECT_TRUE(frames.empty());
}

TEST(WaveFileSignal, ReadsAFileAndReportsAMissingOne) {
  tessiro::test::CTempFolder folder;
  std::vector<uint8_t> data;
  Put16(data, 100);
  Put16(data, static_cast<uint16_t>(-100));
  const std::vector<uint8_t> image = MakeWave(1, 2, 44100, 16, data);
  std::ofstream(folder / "in.wav", std::ios::binary).write(reinterpret_cast<const char*>(image.data()),
                                                            static_cast<std::streamsize>(image.size()));
  std::vector<int16_t> frames;
  std::string error;
  ASSERT_TRUE(platform::ReadWaveFileFrames(folder / "in.wav", 44100, frames, error)) << error;
  EXPECT_EQ(frames, (std::vector<int16_t>{100, -100}));
  EXPECT_FALSE(platform::ReadWaveFileFrames(folder / "missing.wav", 44100, frames, error));
}
