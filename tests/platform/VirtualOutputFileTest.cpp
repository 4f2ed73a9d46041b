// The virtual card writes what its output plays to a WAV file, as it plays it.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "TempFolder.h"
#include "VirtualWaveSystem.h"

using platform::CMessageQueue;
using platform::CVirtualWaveSystem;
using platform::CWaveOut;
using platform::WaveFormat;
using platform::WaveHeader;

namespace {

std::vector<uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

uint16_t U16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }

void ExpectHeader(const std::vector<uint8_t>& file, uint32_t dataBytes) {
  ASSERT_EQ(file.size(), 44u + dataBytes);
  EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF");
  EXPECT_EQ(U32(file, 4), 36u + dataBytes);
  EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 16), "WAVEfmt ");
  EXPECT_EQ(U32(file, 16), 16u);
  EXPECT_EQ(U16(file, 20), 1u);
  EXPECT_EQ(U16(file, 22), 2u);
  EXPECT_EQ(U32(file, 24), 44100u);
  EXPECT_EQ(U32(file, 28), 176400u);
  EXPECT_EQ(U16(file, 32), 4u);
  EXPECT_EQ(U16(file, 34), 16u);
  EXPECT_EQ(std::string(file.begin() + 36, file.begin() + 40), "data");
  EXPECT_EQ(U32(file, 40), dataBytes);
}

}  // namespace

TEST(VirtualOutputFile, HoldsExactlyWhatPlayedAndIsWholeAfterEveryStep) {
  tessiro::test::CTempFolder folder;
  const std::string path = folder / "played.wav";
  CVirtualWaveSystem system;
  system.AddOutput("Speakers");
  ASSERT_TRUE(system.SetOutputWaveFile(0, path));
  ExpectHeader(FileBytes(path), 0);
  EXPECT_FALSE(system.SetOutputWaveFile(3, folder / "none.wav"));
  EXPECT_FALSE(system.SetOutputWaveFile(0, folder / "no/such/folder.wav"));

  CMessageQueue queue;
  platform::ThreadMessage message;
  queue.Get(message, 0);  // this thread takes the notices, so Advance does not wait for anyone
  std::unique_ptr<CWaveOut> out;
  ASSERT_EQ(system.OpenOutput(0, WaveFormat{}, &queue, out), platform::kWaveOk);
  std::vector<uint8_t> audio(4410 * 4);
  for (size_t i = 0; i < audio.size(); ++i) audio[i] = static_cast<uint8_t>(i * 7 + 3);
  WaveHeader header;
  header.data = audio.data();
  header.bufferLength = static_cast<uint32_t>(audio.size());
  out->Prepare(header);
  out->Write(header);
  system.Advance(50);  // half the buffer
  const std::vector<uint8_t> half = FileBytes(path);
  ExpectHeader(half, 2205 * 4);
  EXPECT_TRUE(std::equal(half.begin() + 44, half.end(), audio.begin()));
  system.Advance(100);
  const std::vector<uint8_t> whole = FileBytes(path);
  ExpectHeader(whole, static_cast<uint32_t>(audio.size()));
  EXPECT_TRUE(std::equal(whole.begin() + 44, whole.end(), audio.begin()));
  EXPECT_EQ(system.PlayedBytes(0), audio);
}

TEST(VirtualOutputFile, TheEnvironmentNamesTheFileOfTheCardItMakes) {
  tessiro::test::CTempFolder folder;
  const std::string path = folder / "env.wav";
  setenv("TESSIRO_AUDIO", "virtual", 1);
  setenv("TESSIRO_AUDIO_OUTPUT", path.c_str(), 1);
  platform::SetWaveSystem(nullptr);
  std::shared_ptr<platform::CWaveSystem> system = platform::GetWaveSystem();
  unsetenv("TESSIRO_AUDIO_OUTPUT");
  ASSERT_TRUE(system);
  ExpectHeader(FileBytes(path), 0);

  CMessageQueue queue;
  std::unique_ptr<CWaveOut> out;
  ASSERT_EQ(system->OpenOutput(0, WaveFormat{}, &queue, out), platform::kWaveOk);
  std::vector<uint8_t> audio(441 * 4, 0x5A);
  WaveHeader header;
  header.data = audio.data();
  header.bufferLength = static_cast<uint32_t>(audio.size());
  out->Prepare(header);
  out->Write(header);
  // This card runs in real time: 10 ms of audio is through in well under a second.
  for (int i = 0; i < 200 && !header.Has(platform::kWaveDone); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_TRUE(header.Has(platform::kWaveDone));
  ExpectHeader(FileBytes(path), static_cast<uint32_t>(audio.size()));
  out->Close();
}
