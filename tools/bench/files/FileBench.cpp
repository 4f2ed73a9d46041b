// Imports and exports of WAV and MP3 files through the application core, as
// the commands run them (headless, on the tests' scripted seams and the
// virtual sound card), each against the tool that does the same work alone:
//
//   import WAV   a 48 kHz stereo WAV into the Audio Editor (converted to
//                44100 Hz)            against  sox FILE -r 44100 OUT.wav
//   import MP3   an MP3 into the Audio Editor
//                                     against  lame --decode FILE OUT.wav, and
//                                              that plus our import of its WAV
//   export WAV   Mixdown to Wave File of a project of two stereo tracks
//                                     against  sox -m -v 1 T1 -v 1 T2 OUT.wav
//   export MP3   Mixdown to MP3 File of the same project
//                                     against  sox -m ... -t raw - | lame ... -,
//                                              and lame alone on the mix
//
// for projects and files of each length asked for. In every round our command
// and the other tool run in turns, the order changing from round to round.
// Every output is checked: our import of a WAV has the length sox gives and
// follows sox's conversion (signal to difference above 40 dB); our import of
// an MP3 holds exactly the samples lame --decode writes; our WAV mixdown holds
// exactly the samples of sox's mix; our MP3 is byte for byte the file lame
// writes alone from the same mix. A check that fails is shown as FAILED on its
// line, and the run ends with status 1.
//
//   files_bench [--minutes 1,10,60] [--rounds 5,3,2] [--cases import-wav,import-mp3,export-wav,export-mp3]
//
// Files go to $TESSIRO_BENCH_FOLDER, else the temporary folder; each length's
// files are removed before the next length's are made.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "AudioSnippetExtended.h"
#include "Folders.h"
#include "ProConfig.h"
#include "ScriptedUi.h"
#include "VirtualWaveSystem.h"
#include "pro.h"
#include "requests/ImportExportRequests.h"
#include "../RunProgram.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr uint32_t kRate = 44100;
constexpr uint32_t kImportRate = 48000;
constexpr size_t kBlockFrames = 65536;
const std::vector<std::string> kLameArgs = {"--brief", "--disptime", ".05", "-r", "-b",
                                            std::to_string(CProApp::kMp3ExportKbps), "--signed", "--little-endian",
                                            "-s", "44.100000", "--bitwidth", "16", "-m", "s"};

[[noreturn]] void Die(const std::string& why) {
  std::fprintf(stderr, "files_bench: %s\n", why.c_str());
  std::exit(1);
}

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

std::string LoadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string a, b, c;
  in >> a >> b >> c;
  return a + " " + b + " " + c;
}

using bench::Run;

double Timed(const std::vector<std::string>& argv) {
  const auto start = Clock::now();
  if (!Run(argv)) Die("this failed: " + argv[0] + " " + argv.back());
  return Since(start);
}

// A signal of a few partials and a little noise, every track and channel its
// own, below 1.5 kHz (so that two resamplers agree closely) and never 0 at the end.
class CSignal {
 public:
  CSignal(uint32_t rate, uint32_t seed) : rate_(rate), noise_(seed * 2654435761u + 1) {}
  void Fill(int16_t* out, size_t frames) {
    for (size_t f = 0; f < frames; ++f, ++frame_) {
      const double t = static_cast<double>(frame_) / rate_;
      for (int c = 0; c < 2; ++c) {
        noise_ = noise_ * 1664525u + 1013904223u;
        const double v = 5000 * std::sin(2 * M_PI * (220 + 55 * c) * t) + 2500 * std::sin(2 * M_PI * 1234.5 * t + c) +
                         static_cast<double>(static_cast<int32_t>(noise_ >> 16) - 32768) / 1024 + 300;
        out[2 * f + static_cast<size_t>(c)] = static_cast<int16_t>(std::lround(v));
      }
    }
  }

 private:
  uint32_t rate_;
  uint32_t noise_;
  uint64_t frame_ = 0;
};

void PutU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

std::vector<uint8_t> WaveHeader(uint32_t rate, uint64_t frames) {
  std::vector<uint8_t> h(44, 0);
  std::memcpy(&h[0], "RIFF", 4);
  PutU32(&h[4], static_cast<uint32_t>(36 + frames * 4));
  std::memcpy(&h[8], "WAVEfmt ", 8);
  PutU32(&h[16], 16);
  h[20] = 1;
  h[22] = 2;
  PutU32(&h[24], rate);
  PutU32(&h[28], rate * 4);
  h[32] = 4;
  h[34] = 16;
  std::memcpy(&h[36], "data", 4);
  PutU32(&h[40], static_cast<uint32_t>(frames * 4));
  return h;
}

void WriteWave(const std::string& path, uint32_t rate, uint64_t frames, uint32_t seed) {
  std::ofstream out(path, std::ios::binary);
  const std::vector<uint8_t> header = WaveHeader(rate, frames);
  out.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
  CSignal signal(rate, seed);
  std::vector<int16_t> block(kBlockFrames * 2);
  for (uint64_t done = 0; done < frames; done += kBlockFrames) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(kBlockFrames, frames - done));
    signal.Fill(block.data(), n);
    out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(n * 4));
  }
  if (!out) Die("could not write " + path);
}

// Where a WAV file's data starts and how long it is, by its chunks.
struct DataChunk {
  uint64_t offset = 0, bytes = 0;
};
DataChunk FindData(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  uint8_t head[12];
  if (!in.read(reinterpret_cast<char*>(head), 12) || std::memcmp(head, "RIFF", 4) != 0) Die(path + " is no WAV");
  uint64_t at = 12;
  const uint64_t size = std::filesystem::file_size(path);
  while (at + 8 <= size) {
    uint8_t chunk[8];
    in.seekg(static_cast<std::streamoff>(at));
    in.read(reinterpret_cast<char*>(chunk), 8);
    const uint32_t length = chunk[4] | (chunk[5] << 8) | (chunk[6] << 16) | (static_cast<uint32_t>(chunk[7]) << 24);
    if (std::memcmp(chunk, "data", 4) == 0) return {at + 8, std::min<uint64_t>(length, size - at - 8)};
    at += 8 + length + (length & 1u);
  }
  Die(path + " has no data");
}

// Compares two streams of 16-bit samples piece by piece: how many differ, and
// the signal to difference ratio in dB.
struct Comparison {
  uint64_t samples = 0, differing = 0;
  double signal = 0, difference = 0;
  double Db() const { return difference == 0 ? 999.0 : 10 * std::log10(signal / difference); }
};
Comparison Compare(const std::string& a, uint64_t aOffset, const std::string& b, uint64_t bOffset, uint64_t bytes) {
  std::ifstream x(a, std::ios::binary), y(b, std::ios::binary);
  x.seekg(static_cast<std::streamoff>(aOffset));
  y.seekg(static_cast<std::streamoff>(bOffset));
  std::vector<int16_t> p(kBlockFrames * 2), q(kBlockFrames * 2);
  Comparison c;
  for (uint64_t done = 0; done < bytes;) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(p.size() * 2, bytes - done));
    x.read(reinterpret_cast<char*>(p.data()), static_cast<std::streamsize>(n));
    y.read(reinterpret_cast<char*>(q.data()), static_cast<std::streamsize>(n));
    if (!x || !y) Die("could not read " + a + " and " + b + " to compare them");
    for (size_t i = 0; i < n / 2; ++i) {
      const double d = static_cast<double>(p[i]) - q[i];
      c.signal += static_cast<double>(q[i]) * q[i];
      c.difference += d * d;
      c.differing += p[i] != q[i];
    }
    c.samples += n / 2;
    done += n;
  }
  return c;
}

bool SameBytes(const std::string& a, const std::string& b) {
  if (std::filesystem::file_size(a) != std::filesystem::file_size(b)) return false;
  return Compare(a, 0, b, 0, std::filesystem::file_size(a) & ~uint64_t{1}).differing == 0;
}

// A started application on scripted seams, with its own program and audio
// folders, started as after its first start (nothing plays).
class CHeadlessApp {
 public:
  explicit CHeadlessApp(const std::string& folder) : home_(folder + "/home"), audio_(folder + "/audio") {
    platform::CreateFolder(home_);
    platform::CreateFolder(audio_);
    ::setenv("TESSIRO_HOME", home_.c_str(), 1);
    ProConfig config;
    config.ApplyFirstStartDefaults(audio_, 0);
    uint8_t image[ProConfig::kBytes];
    config.Serialize(image);
    std::ofstream(platform::ProgramFolder() + "/qvk.cfg", std::ios::binary)
        .write(reinterpret_cast<const char*>(image), sizeof image);
    wave_ = std::make_shared<platform::CVirtualWaveSystem>();
    wave_->AddOutput("Virtual Output");
    platform::SetWaveSystem(wave_);
    app = std::make_unique<CProApp>(seams.Services());
    if (!app->InitInstance({})) Die("the application did not start");
    if (app->playing.load() != 0) Die("the application plays on its start");
  }
  ~CHeadlessApp() {
    app.reset();
    platform::SetWaveSystem(nullptr);
  }

  // The project: one snippet per track, each the whole of its own signal.
  void MakeProject(uint64_t frames) {
    std::vector<int16_t> block(kBlockFrames * 2);
    for (int t = 0; t < 2; ++t) {
      auto segment = std::make_shared<CAudioSegment>(app->tempFolder);
      segment->SetFormat(AudioQuality{kRate, 2, 16});
      segment->Open(1);
      CSignal signal(kRate, 100 + t);
      for (uint64_t done = 0; done < frames; done += kBlockFrames) {
        const auto n = static_cast<uint32_t>(std::min<uint64_t>(kBlockFrames, frames - done));
        signal.Fill(block.data(), n);
        uint32_t written = 0;
        segment->Write(block.data(), n, &written);
        if (written != n) Die("could not write a track");
      }
      segment->Close();
      segment->length = static_cast<uint32_t>(frames);
      segment->viewEnd = segment->viewWidth = segment->length;
      segment->tempo = app->project.tempo;
      auto snippet = std::make_shared<CAudioSnippetExtended>(segment);
      snippet->tempo = app->project.tempo;
      snippet->SetTempo(app->project.tempo);
      if (app->project.AddSnippetToTrack(snippet, t) != 1) Die("could not place a track");
    }
  }

  // The import command into the Audio Editor: its seconds; the segment it made.
  double Import(const std::string& path, std::shared_ptr<CAudioSegment>* segment) {
    seams.ui.ExpectFile(path);
    const auto start = Clock::now();
    const int result = app->ImportAudioToEditor();
    const double seconds = Since(start);
    *segment = app->GetEditorSegment();
    if (result != status::kDone || !*segment) Die("the import of " + path + " failed");
    return seconds;
  }
  void DropEditorAudio() {
    if (std::shared_ptr<CAudioSegment> segment = app->GetEditorSegment()) {
      app->ClearEditor();
      app->undoList.Clear();
      platform::RemoveFile(segment->GetPcmFileName());
      platform::RemoveFile(segment->GetPeakFileName());
    }
  }
  double Mixdown(bool mp3, const std::string& path) {
    seams.ui.ExpectFile(path);
    if (!mp3) seams.ui.ExpectRequest<WaveQualityRequest>(WaveQualityRequest::Result{});
    const auto start = Clock::now();
    const int result = mp3 ? app->MixdownToMp3File() : app->MixdownToWaveFile();
    const double seconds = Since(start);
    if (result != status::kDone) Die("the mixdown to " + path + " failed");
    return seconds;
  }

  tessiro::test::ScriptedServices seams;
  std::unique_ptr<CProApp> app;

 private:
  std::string home_, audio_;
  std::shared_ptr<platform::CVirtualWaveSystem> wave_;
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// One line of the table: our times and theirs, round by round.
struct Row {
  std::string what, anchor;
  std::vector<double> ours, theirs;
  std::string check;
};

bool g_failed = false;

// The row's check: the last round's words, and a failure in any round stays.
void Check(Row* row, bool good, const std::string& words) {
  if (row->check.rfind("FAILED", 0) == 0) return;
  row->check = (good ? "" : "FAILED: ") + words;
  g_failed = g_failed || !good;
}

void Print(uint32_t minutes, const std::vector<Row>& rows) {
  for (const Row& r : rows) {
    if (r.ours.empty()) continue;
    std::vector<double> ratios;
    for (size_t i = 0; i < r.ours.size(); ++i) ratios.push_back(r.ours[i] / r.theirs[i]);
    std::printf("%3u min  %-11s %-26s %8.3f %8.3f %7.3f %7.3f %7.3f  %s\n", minutes, r.what.c_str(), r.anchor.c_str(),
                Median(r.ours), Median(r.theirs), Median(ratios), *std::min_element(ratios.begin(), ratios.end()),
                *std::max_element(ratios.begin(), ratios.end()), r.check.c_str());
  }
  std::fflush(stdout);
}

std::vector<uint32_t> Numbers(const char* text) {
  std::vector<uint32_t> numbers;
  std::stringstream in(text);
  for (std::string n; std::getline(in, n, ',');) numbers.push_back(static_cast<uint32_t>(std::stoul(n)));
  return numbers;
}

struct Cases {
  bool importWave = true, importMp3 = true, exportWave = true, exportMp3 = true;
};

void Measure(const std::string& folder, uint32_t minutes, int rounds, const Cases& cases) {
  const std::string work = folder + "/work";
  platform::CreateFolder(work);
  CHeadlessApp headless(folder);
  const uint64_t frames = uint64_t{minutes} * 60 * kRate;
  const std::string source48 = work + "/source48.wav", t1 = work + "/t1.wav", t2 = work + "/t2.wav";
  const std::string song = work + "/song.mp3", mixRaw = work + "/mix.raw";
  WriteWave(source48, kImportRate, uint64_t{minutes} * 60 * kImportRate, 1);
  WriteWave(t1, kRate, frames, 100);
  WriteWave(t2, kRate, frames, 101);
  headless.MakeProject(frames);
  const std::vector<std::string> mixInputs = {"-m", "-v", "1", t1, "-v", "1", t2};
  std::vector<std::string> soxMixRaw = {"sox", "-D"};
  soxMixRaw.insert(soxMixRaw.end(), mixInputs.begin(), mixInputs.end());
  soxMixRaw.insert(soxMixRaw.end(), {"-t", "raw", mixRaw});
  Timed(soxMixRaw);
  std::vector<std::string> encodeSong = {"lame", "--quiet", "-b", "192", t1, song};
  Timed(encodeSong);

  Row importWave{"import WAV", "sox -r 44100", {}, {}, ""};
  Row importMp3{"import MP3", "lame --decode", {}, {}, ""};
  Row importMp3Sum{"import MP3", "lame --decode + our WAV", {}, {}, ""};
  Row exportWave{"export WAV", "sox -m", {}, {}, ""};
  Row exportMp3{"export MP3", "lame alone", {}, {}, ""};
  Row exportMp3Pipe{"export MP3", "sox -m | lame", {}, {}, ""};
  const uint64_t importFrames = (uint64_t{minutes} * 60 * kImportRate * kRate * 2 + kImportRate) / (2 * kImportRate);
  std::vector<std::string> lameAlone = {"lame"};
  lameAlone.insert(lameAlone.end(), kLameArgs.begin(), kLameArgs.end());
  lameAlone.insert(lameAlone.end(), {mixRaw, work + "/alone.mp3"});
  std::string pipeline = "sox -D";
  for (const std::string& a : mixInputs) pipeline += " '" + a + "'";
  pipeline += " -t raw - | lame";
  for (const std::string& a : kLameArgs) pipeline += " '" + a + "'";
  pipeline += " - '" + work + "/pipe.mp3'";

  for (int round = 0; round < rounds; ++round) {
    const bool oursFirst = round % 2 == 0;
    auto inTurn = [&](const std::function<void()>& ours, const std::function<void()>& theirs) {
      if (oursFirst) {
        ours();
        theirs();
      } else {
        theirs();
        ours();
      }
    };

    std::shared_ptr<CAudioSegment> segment;
    char text[160];
    // Import WAV, against sox's conversion.
    if (cases.importWave) {
      const std::string soxOut = work + "/sox.wav";
      inTurn([&] { importWave.ours.push_back(headless.Import(source48, &segment)); },
             [&] {
               importWave.theirs.push_back(Timed({"sox", "-D", "-V1", source48, "-r", "44100", soxOut}));
             });
      const DataChunk soxData = FindData(soxOut);
      const Comparison wave = Compare(segment->GetPcmFileName(), 0, soxOut, soxData.offset,
                                      std::min<uint64_t>(soxData.bytes, segment->length * 4ull));
      const bool whole = segment->length == soxData.bytes / 4 && segment->length == importFrames;
      std::snprintf(text, sizeof text, "%u frames (sox %llu), %.1f dB to sox", segment->length,
                    static_cast<unsigned long long>(soxData.bytes / 4), wave.Db());
      Check(&importWave, whole && wave.Db() >= 40, text);
      headless.DropEditorAudio();
    }

    // Import MP3, against lame --decode, and that plus our import of what it wrote.
    if (cases.importMp3) {
      const std::string decoded = work + "/decoded.wav";
      double decodeSeconds = 0, mp3Seconds = 0;
      inTurn([&] { mp3Seconds = headless.Import(song, &segment); },
             [&] {
               decodeSeconds = Timed({"lame", "--quiet", "--decode", song, decoded});
             });
      const DataChunk lameData = FindData(decoded);
      const Comparison mp3 = Compare(segment->GetPcmFileName(), 0, decoded, lameData.offset,
                                     std::min<uint64_t>(lameData.bytes, segment->length * 4ull));
      std::snprintf(text, sizeof text, "%u frames (lame %llu), %llu samples differ from lame --decode", segment->length,
                    static_cast<unsigned long long>(lameData.bytes / 4),
                    static_cast<unsigned long long>(mp3.differing));
      const bool same = segment->length == lameData.bytes / 4 && mp3.differing == 0;
      Check(&importMp3, same, text);
      Check(&importMp3Sum, same, text);
      headless.DropEditorAudio();
      std::shared_ptr<CAudioSegment> again;
      const double waveOfDecoded = headless.Import(decoded, &again);
      if (again->length != lameData.bytes / 4) Check(&importMp3Sum, false, "our import of lame's WAV is cut");
      headless.DropEditorAudio();
      importMp3.ours.push_back(mp3Seconds);
      importMp3.theirs.push_back(decodeSeconds);
      importMp3Sum.ours.push_back(mp3Seconds);
      importMp3Sum.theirs.push_back(decodeSeconds + waveOfDecoded);
    }

    // Export WAV, against sox's mix.
    if (cases.exportWave) {
      const std::string ourWave = work + "/ours.wav", soxMix = work + "/soxmix.wav";
      std::vector<std::string> soxMixWave = {"sox", "-D"};
      soxMixWave.insert(soxMixWave.end(), mixInputs.begin(), mixInputs.end());
      soxMixWave.push_back(soxMix);
      inTurn([&] { exportWave.ours.push_back(headless.Mixdown(false, ourWave)); },
             [&] { exportWave.theirs.push_back(Timed(soxMixWave)); });
      const DataChunk ourMix = FindData(ourWave), theirMix = FindData(soxMix);
      const uint64_t differing =
          Compare(ourWave, ourMix.offset, soxMix, theirMix.offset, std::min(ourMix.bytes, theirMix.bytes)).differing;
      std::snprintf(text, sizeof text, "%llu frames (sox %llu), %llu samples differ from sox -m",
                    static_cast<unsigned long long>(ourMix.bytes / 4),
                    static_cast<unsigned long long>(theirMix.bytes / 4), static_cast<unsigned long long>(differing));
      Check(&exportWave, ourMix.bytes == theirMix.bytes && ourMix.bytes == frames * 4 && differing == 0, text);
    }

    // Export MP3, against lame alone on the mix and the pipeline from sox.
    if (cases.exportMp3) {
      const std::string ourMp3 = work + "/ours.mp3";
      double pipeSeconds = 0;
      inTurn([&] { exportMp3.ours.push_back(headless.Mixdown(true, ourMp3)); },
             [&] {
               exportMp3.theirs.push_back(Timed(lameAlone));
               pipeSeconds = Timed({"sh", "-c", pipeline});
             });
      exportMp3Pipe.ours.push_back(exportMp3.ours.back());
      exportMp3Pipe.theirs.push_back(pipeSeconds);
      const bool same = SameBytes(ourMp3, work + "/alone.mp3") && SameBytes(ourMp3, work + "/pipe.mp3");
      std::snprintf(text, sizeof text, "%llu bytes, %s",
                    static_cast<unsigned long long>(std::filesystem::file_size(ourMp3)),
                    same ? "as lame writes" : "other than lame writes");
      Check(&exportMp3, same, text);
      Check(&exportMp3Pipe, same, text);
    }
  }
  Print(minutes, {importWave, importMp3, importMp3Sum, exportWave, exportMp3, exportMp3Pipe});
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<uint32_t> minutes = {1, 10, 60}, rounds = {5, 3, 2};
  Cases cases;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--minutes") == 0) minutes = Numbers(argv[i + 1]);
    if (std::strcmp(argv[i], "--rounds") == 0) rounds = Numbers(argv[i + 1]);
    if (std::strcmp(argv[i], "--cases") == 0) {
      const std::string chosen = std::string(",") + argv[i + 1] + ",";
      auto has = [&](const char* name) { return chosen.find(std::string(",") + name + ",") != std::string::npos; };
      cases = Cases{has("import-wav"), has("import-mp3"), has("export-wav"), has("export-mp3")};
    }
  }
  for (const char* tool : {"sox", "lame"}) {
    if (!Run({"sh", "-c", std::string("command -v ") + tool})) Die(std::string(tool) + " is needed");
  }
  const char* chosen = std::getenv("TESSIRO_BENCH_FOLDER");
  const std::string folder = std::string(chosen && *chosen ? chosen : platform::TemporaryFolder().c_str()) +
                             "/tessiro-files-" + std::to_string(::getpid());
  std::printf("load average before: %s\n", LoadAverage().c_str());
  std::printf(
      "length   case        against                     ours_s  their_s   ratio     min     max  "
      "output checked\n");
  for (size_t i = 0; i < minutes.size(); ++i) {
    // A project, files and an application of their own for every length.
    const std::string each = folder + "/" + std::to_string(minutes[i]);
    Measure(each, minutes[i], static_cast<int>(i < rounds.size() ? rounds[i] : rounds.back()), cases);
    std::filesystem::remove_all(each);
  }
  std::printf("load average after: %s\n", LoadAverage().c_str());
  std::filesystem::remove_all(folder);
  return g_failed ? 1 : 0;
}
