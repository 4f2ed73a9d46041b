#include "Generic.h"

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "Clock.h"
#include "File.h"
#include "Folders.h"
#include "ReportSink.h"
#include "tarvex.h"

extern char** environ;

namespace {

constexpr const char* kSource = "Generic";
constexpr int kLineLocalTime = 1316;
constexpr int kLineNullPointer = __LINE__;  // every null argument reports this line
constexpr int kLineSourceRateZero = 1354;
constexpr int kLineCopyNoOutFrames = 1582;
constexpr int kLineConvertNoOutFrames = 1591;
constexpr int kLineConvertNoConverter = 1609;
constexpr int kLineNarrowNoConverter = 1618;
constexpr int kLineNarrowNoOutFrames = 1630;
constexpr int kLineUnsupportedRate = __LINE__;
constexpr int kLineUnsupportedFormat = __LINE__;
constexpr int kLineTargetTooSmall = __LINE__;
constexpr int kLineConverterChannels = __LINE__;

int ReportNull() {
  ReportError(kSource, kLineNullPointer, "");
  return 0;
}

bool OnlyTimeCharacters(const char* text) {
  for (const char* p = text; *p; ++p) {
    if (!((*p >= '0' && *p <= '9') || *p == ':' || *p == '.')) return false;
  }
  return true;
}

// A field of a time text, cut at 63 characters and read as a decimal integer.
// A field of digits as a number; a field too long for 32 bits gives the largest.
int32_t ReadField(const char* begin, const char* end) {
  char field[64];
  size_t length = static_cast<size_t>(end - begin);
  if (length > 63) length = 63;
  std::memcpy(field, begin, length);
  field[length] = '\0';
  const long long value = std::strtoll(field, nullptr, 10);
  return static_cast<int32_t>(std::clamp<long long>(value, 0, std::numeric_limits<int32_t>::max()));
}

// A frame count rounded to nearest, 0 below and the largest frame count above the range.
uint32_t FramesOf(double value) {
  if (!(value > 0.0)) return 0;
  if (value >= 4294967295.0) return 0xFFFFFFFFu;
  return static_cast<uint32_t>(std::llround(value));
}

int BeatsPerBar(int beatsPerBarChoice) { return beatsPerBarChoice == 1 ? 3 : 4; }

// Starts a program with arguments and reaps it in the background; true when it started.
bool StartDetached(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
  std::thread([pid] {
    int status;
    waitpid(pid, &status, 0);
  }).detach();
  return true;
}

std::vector<std::string> SplitWords(const std::string& text) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && text[i] == ' ') ++i;
    size_t j = i;
    while (j < text.size() && text[j] != ' ') ++j;
    if (j > i) words.push_back(text.substr(i, j - i));
    i = j;
  }
  return words;
}

}  // namespace

int ReportError(const char* sourcePath, int line, const char* message) {
  return DeliverReport(ReportOrigin::Program, sourcePath, line, message);
}

uint32_t GetUniqueTickCount() {
  // Snippets, segments and effects draw from one rising sequence.
  return platform::GetUniqueTickCount32();
}

short* InitLevelScaleTable(short table[100]) {
  static const short kScale[100] = {
      0,  15, 23, 30, 34, 38, 42, 45, 47, 50, 52, 53, 55, 57, 58, 60, 61, 62, 63, 65,
      66, 67, 68, 69, 69, 70, 71, 72, 73, 73, 74, 75, 75, 76, 77, 77, 78, 78, 79, 80,
      80, 81, 81, 82, 82, 83, 83, 84, 84, 84, 85, 85, 86, 86, 87, 87, 87, 88, 88, 88,
      89, 89, 89, 90, 90, 90, 91, 91, 91, 92, 92, 92, 93, 93, 93, 94, 94, 94, 94, 95,
      95, 95, 95, 96, 96, 96, 96, 97, 97, 97, 97, 98, 98, 98, 98, 99, 99, 99, 99, 100};
  if (!table) {
    ReportNull();
    return nullptr;
  }
  std::memcpy(table, kScale, sizeof kScale);
  return table;
}

bool IsPointInRect(int x, int y, int left, int top, int right, int bottom) {
  return left <= x && x <= right && top <= y && y <= bottom;
}

int PercentToDecibel(float percent, float* decibels) {
  if (!decibels) return ReportNull();
  *decibels = percent == 0.0f ? -140.0f : std::log10(percent / 100.0f) * 20.0f / std::log10(10.0f);
  return 1;
}

int DecibelToPercent(float decibels, float* percent) {
  if (!percent) return ReportNull();
  *percent = std::pow(10.0f, decibels / 20.0f) * 100.0f;
  return 1;
}

int RatioToSemitones(float ratio, float* semitones) {
  if (!semitones) return ReportNull();
  *semitones = std::log(ratio) / std::log(2.0f) * 12.0f;
  return 0;
}

int SemitonesToRatio(float semitones, float* ratio) {
  if (!ratio) return ReportNull();
  *ratio = std::pow(2.0f, semitones / 12.0f);
  return 0;
}

int FormatSamplesAsTime(uint32_t frames, uint32_t rate, char* out) {
  if (!out) return ReportNull();
  if (rate == 0) {
    ReportError(kSource, __LINE__, "Divide By Zero Violation");
    out[0] = '\0';
    return 0;
  }
  const float seconds = static_cast<float>(frames) / static_cast<float>(rate);
  const int whole = static_cast<int>(seconds);
  const int minutes = static_cast<int>(seconds / 60.0f);
  const int milliseconds = static_cast<int>((seconds - static_cast<float>(whole)) * 1000.0f);
  const int secondsField = whole - 60 * minutes;
  const int length = std::snprintf(out, 32, minutes > 99 ? "%3d:%2d.%3d" : "%2d:%2d.%3d", minutes, secondsField,
                                   milliseconds);
  for (char* p = out; *p; ++p) {
    if (*p == ' ') *p = '0';
  }
  return length > 0 ? length : 0;
}

int FormatSamplesAsTempoTime(uint32_t frames, uint32_t rate, float tempoBpm, int beatsPerBarChoice, char* out) {
  if (!out) return ReportNull();
  if (rate == 0) {
    ReportError(kSource, __LINE__, "Divide By Zero Violation");
    out[0] = '\0';
    return 0;
  }
  const int b = BeatsPerBar(beatsPerBarChoice);
  const float beats = static_cast<float>(frames) / static_cast<float>(rate) * tempoBpm / 60.0f;
  const long wholeBeats = static_cast<long>(beats);
  const long bars = static_cast<long>(beats / static_cast<float>(b));
  const long beat = wholeBeats % b;
  const long quarter = static_cast<long>((beats - static_cast<float>(bars * b)) * 4.0f) % 4;
  const long hundredths = static_cast<long>(
      ((beats - static_cast<float>(wholeBeats)) - static_cast<float>(quarter) * 0.25f) * 4.0f * 100.0f);
  const int length = bars >= 1000
      ? std::snprintf(out, 64, "%ld:%ld:%ld.%.1ld", bars, beat, quarter, hundredths / 10)
      : std::snprintf(out, 64, "%ld:%ld:%ld.%.2ld", bars, beat, quarter, hundredths);
  return length > 0 ? length : 0;
}

int ParseTimeText(const char* text, int32_t* minutes, int32_t* seconds, int32_t* milliseconds) {
  if (!text || !minutes || !seconds || !milliseconds) return ReportNull();
  *minutes = *seconds = *milliseconds = 0;
  if (!*text || !OnlyTimeCharacters(text)) return 0;

  const char* end = text + std::strlen(text);
  const char* colon = std::strchr(text, ':');
  const char* secondsStart = text;
  if (colon && !std::strchr(colon + 1, ':')) {
    *minutes = ReadField(text, colon);
    secondsStart = colon + 1;
  }
  const char* dot = std::strchr(secondsStart, '.');
  *seconds = ReadField(secondsStart, dot ? dot : end);
  if (dot) {
    const char* msStart = dot + 1;
    const size_t digits = std::min<size_t>(static_cast<size_t>(end - msStart), 3);
    int32_t value = ReadField(msStart, msStart + digits);
    if (digits == 1) value *= 100;
    if (digits == 2) value *= 10;
    *milliseconds = value;
  }
  return 0;
}

int ParseTempoTimeText(const char* text, int32_t* bars, int32_t* beats, int32_t* quarters, int32_t* hundredths) {
  if (!text || !bars || !beats || !quarters || !hundredths) return ReportNull();
  *bars = *beats = *quarters = *hundredths = 0;
  if (!*text || !OnlyTimeCharacters(text)) return 0;

  int colons = 0;
  int dots = 0;
  for (const char* p = text; *p; ++p) {
    colons += *p == ':';
    dots += *p == '.';
  }
  if (colons > 2 || dots > 1) return 0;

  const char* end = text + std::strlen(text);
  if (colons == 0 && dots == 0) {
    *bars = ReadField(text, std::min(end, text + 6));
    return 0;
  }
  const char* dot = std::strchr(text, '.');
  const char* fieldsEnd = dot ? dot : end;
  if (dot) {
    const char* start = dot + 1;
    const size_t digits = std::min<size_t>(static_cast<size_t>(end - start), 2);
    int32_t value = ReadField(start, start + digits);
    if (digits == 1) value *= 10;
    *hundredths = value;
  }
  // Fields before the dot fill from the right: quarter, then beat, then bar.
  int32_t* targets[3] = {quarters, beats, bars};
  const char* fieldEnd = fieldsEnd;
  for (int i = 0; i < 3; ++i) {
    const char* fieldStart = fieldEnd;
    while (fieldStart > text && fieldStart[-1] != ':') --fieldStart;
    *targets[i] = ReadField(fieldStart, fieldEnd);
    if (fieldStart == text) break;
    fieldEnd = fieldStart - 1;
  }
  return 0;
}

int ParseTimeToSamples(const char* text, uint32_t rate, uint32_t* frames) {
  if (!frames) return ReportNull();
  int32_t minutes, seconds, milliseconds;
  if (!text) return ReportNull();
  ParseTimeText(text, &minutes, &seconds, &milliseconds);
  // Whole seconds in 64 bits, exact; a time past the largest frame count stops there.
  const int64_t wholeFrames = (int64_t{seconds} + 60 * int64_t{minutes}) * rate;
  *frames = FramesOf(static_cast<double>(wholeFrames) + static_cast<double>(rate) * milliseconds / 1000.0);
  return 0;
}

int ParseTempoTimeToSamples(const char* text, int beatsPerBarChoice, float tempoBpm, uint32_t rate,
                            uint32_t* frames) {
  if (!frames || !text) return ReportNull();
  *frames = 0;
  if (!(tempoBpm > 0.0f)) {
    ReportError(kSource, __LINE__, "Divide By Zero Violation");
    return 0;
  }
  int32_t bars, beat, quarter, hundredths;
  ParseTempoTimeText(text, &bars, &beat, &quarter, &hundredths);
  const double b = BeatsPerBar(beatsPerBarChoice);
  // Hundredths are of a quarter, as the tempo display shows them. In double:
  // bar numbers of any length neither overflow nor wrap.
  const double beats = hundredths / 100.0 * 0.25 + quarter * 0.25 + beat + bars * b;
  *frames = FramesOf(static_cast<double>(rate) * (beats / (static_cast<double>(tempoBpm) / 60.0)));
  return 0;
}

int FormatTimeParts(int32_t minutes, int32_t seconds, int32_t milliseconds, char* out) {
  if (!out) return ReportNull();
  int length = minutes == 0 ? std::snprintf(out, 16, "00:") : std::snprintf(out, 16, "%ld:", static_cast<long>(minutes));
  length += std::snprintf(out + length, 16, seconds < 10 ? "0%ld." : "%ld.", static_cast<long>(seconds));
  const char* msFormat = milliseconds < 10 ? "00%ld" : milliseconds < 100 ? "0%ld" : "%ld";
  std::snprintf(out + length, 16, msFormat, static_cast<long>(milliseconds));
  return 0;
}

int NormalizeTimeString(const char* text, char* out) {
  if (!text || !out) return ReportNull();
  int32_t minutes, seconds, milliseconds;
  ParseTimeText(text, &minutes, &seconds, &milliseconds);
  return FormatTimeParts(minutes, seconds, milliseconds, out);
}

double ParseNumberText(const char* text, size_t maxChars) {
  if (!text) return 0.0;
  const char* end = text;
  while (static_cast<size_t>(end - text) < maxChars && *end) ++end;
  const char* at = text;
  while (at < end && (*at == ' ' || *at == '\t' || *at == '\r' || *at == '\n')) ++at;
  if (at < end && *at == '+') ++at;
  double value = 0.0;
  // from_chars ignores the locale, unlike strtod.
  const auto [stop, error] = std::from_chars(at, end, value);
  if (error == std::errc::result_out_of_range) {
    // Too small a number is 0, too large one the largest of its sign.
    const char* digits = at < stop && *at == '-' ? at + 1 : at;
    const char* exponent = std::find_if(digits, stop, [](char c) { return c == 'e' || c == 'E'; });
    const bool tiny = exponent != stop ? exponent + 1 < stop && exponent[1] == '-'
                                       : std::all_of(digits, std::find(digits, stop, '.'), [](char c) { return c == '0'; });
    if (tiny) return 0.0;
    return *at == '-' ? -std::numeric_limits<double>::max() : std::numeric_limits<double>::max();
  }
  if (error != std::errc() || !std::isfinite(value)) return 0.0;
  return value;
}

void GetTimestampText(char* out) {
  if (!out) {
    ReportNull();
    return;
  }
  const std::time_t now = std::time(nullptr);
  std::tm local;
  if (!localtime_r(&now, &local)) {
    ReportError(kSource, kLineLocalTime, "");
    return;
  }
  char text[64];
  std::snprintf(text, sizeof text, "%d%.2d%.2d%.2d%.2d%.2d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                local.tm_hour, local.tm_min, local.tm_sec);
  text[14] = '\0';  // four-digit years until 9999
  std::memcpy(out, text, 15);
}

void GetAudioFileType(const char* fileName, char out[4]) {
  if (!fileName || !out) {
    ReportNull();
    return;
  }
  out[0] = '\0';
  const size_t length = std::strlen(fileName);
  if (length < 4 || fileName[length - 4] != '.') return;
  static const char* const kTypes[] = {"WAV", "MP3", "MIX", "PCM", "PEK", "QVK"};
  for (const char* type : kTypes) {
    if (strcasecmp(fileName + length - 3, type) == 0) {
      std::memcpy(out, type, 4);
      return;
    }
  }
}

int GetProgramFolder(char* out) {
  if (!out) return ReportNull();
  const std::string folder = platform::ProgramFolder();
  if (folder.size() > 255) {
    errno = ENAMETOOLONG;
    ReportError(kSource, __LINE__, "");
    out[0] = '\0';
    return 0;
  }
  std::memcpy(out, folder.c_str(), folder.size() + 1);
  return 1;
}

int OpenURL(const char* address) {
  if (!address) return ReportNull();
  const bool direct = std::strncmp(address, "http", 4) == 0 || std::strncmp(address, "mail", 4) == 0;
  const std::string url = direct ? std::string(address) : "file://" + platform::ProgramFolder() + "/" + address;
  constexpr int kOpened = 33;  // above 32: the desktop took the request
  if (StartDetached({"xdg-open", url})) return kOpened;

  // No desktop opener: fall back on the user's browser, as Debian names it.
  const char* browser = std::getenv("BROWSER");
  std::string command = browser && *browser ? browser : "x-www-browser";
  command = command.substr(0, command.find(':'));
  const size_t placeholder = command.find("%s");
  if (placeholder != std::string::npos) command.resize(placeholder);
  std::vector<std::string> arguments = SplitWords(command);
  if (arguments.empty()) return ENOENT;
  arguments.push_back(url);
  if (StartDetached(arguments)) return kOpened;
  return errno > 0 && errno <= 32 ? errno : ENOENT;
}

int CanWriteToFolder(const char* folder) {
  if (!folder) return ReportNull();
  std::string base = folder;
  if (base.empty() || base.back() != '/') base += '/';
  std::string name;
  for (long n = 0;; ++n) {
    name = base + "write_check_" + std::to_string(n);
    if (!platform::FileExists(name) && !platform::FolderExists(name)) break;
  }
  platform::CFile probe;
  if (!probe.Open(name, platform::CFile::Mode::Create)) return 0;
  probe.Close();
  platform::RemoveFile(name);
  return 1;
}

namespace {

// Rates a decoded file may have; anything else is a broken or hostile header.
constexpr uint32_t kLowestRate = 1000;
constexpr uint32_t kHighestRate = 384000;
// Source frames converted per step of a resampling, so that the intermediate
// 16-bit frames fit on the stack.
constexpr uint32_t kPieceFrames = 4096;

bool IsHandledFormat(const AudioQuality& format) {
  return (format.channels == 1 || format.channels == 2) && (format.bitsPerSample == 8 || format.bitsPerSample == 16);
}

bool IsHandledRate(uint32_t rate) { return rate >= kLowestRate && rate <= kHighestRate; }

void ReportUnsupportedRate(uint32_t rate) {
  char message[128];
  std::snprintf(message, sizeof message, "Unsupported sample rate: %u Hz. Audio from %u to %u Hz can be imported.",
                rate, kLowestRate, kHighestRate);
  ReportError(kSource, kLineUnsupportedRate, message);
}

size_t ConvertedBytes(const AudioQuality& source, const AudioQuality& target, size_t sourceBytes) {
  size_t samples = source.bitsPerSample == 8 ? sourceBytes : sourceBytes / 2;
  if (source.channels == 1 && target.channels == 2) samples *= 2;
  if (source.channels == 2 && target.channels == 1) samples /= 2;
  return samples * (target.bitsPerSample / 8);
}

// The conversion itself, for formats both handled. Writes never run ahead of
// reads when the result is not larger than the source, so a narrowing
// conversion may work in place.
void ConvertSamples(const AudioQuality& source, const AudioQuality& target, const uint8_t* in, uint8_t* out,
                    size_t sourceBytes) {
  const bool in8 = source.bitsPerSample == 8;
  const bool out8 = target.bitsPerSample == 8;
  const size_t samples = in8 ? sourceBytes : sourceBytes / 2;
  auto read = [&](size_t i) -> int {
    if (in8) return (in[i] - 128) * 256;
    return static_cast<int16_t>(static_cast<uint16_t>(in[2 * i] | (in[2 * i + 1] << 8)));
  };
  auto write = [&](size_t i, int value) {
    if (out8) {
      out[i] = static_cast<uint8_t>((value >> 8) + 128);
    } else {
      out[2 * i] = static_cast<uint8_t>(value & 0xFF);
      out[2 * i + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
    }
  };
  if (source.channels == 1 && target.channels == 2) {
    for (size_t i = 0; i < samples; ++i) {
      const int value = read(i);
      write(2 * i, value);
      write(2 * i + 1, value);
    }
  } else if (source.channels == 2 && target.channels == 1) {
    for (size_t i = 0; i < samples / 2; ++i) {
      const int left = read(2 * i);
      const int right = read(2 * i + 1);
      write(i, static_cast<int>(right * 0.5 + left * 0.5 + 0.5));
    }
  } else {
    for (size_t i = 0; i < samples; ++i) write(i, read(i));
  }
}

// Feeds the source through the converter in pieces, as 16-bit frames of
// `channels` channels, and collects at most capacityFrames of what comes out.
uint32_t Resample(CTarvex& converter, const AudioQuality& source, uint16_t channels, const uint8_t* samples,
                  uint32_t frames, int16_t* out, uint32_t capacityFrames) {
  if (converter.channels != static_cast<int16_t>(channels)) {
    ReportError(kSource, kLineConverterChannels, "");
    return 0;
  }
  const AudioQuality piece{source.samplesPerSecond, channels, 16};
  const size_t sourceFrameBytes = source.channels * (source.bitsPerSample / 8);
  int16_t staged[kPieceFrames * 2];
  uint32_t written = 0;
  for (uint32_t done = 0; done < frames;) {
    const uint32_t n = std::min(kPieceFrames, frames - done);
    ConvertSamples(source, piece, samples + done * sourceFrameBytes, reinterpret_cast<uint8_t*>(staged),
                   n * sourceFrameBytes);
    uint32_t got = 0;
    converter.ProcessAudio(staged, n, out + static_cast<size_t>(written) * channels, capacityFrames - written, &got);
    written += got;
    done += n;
  }
  // The converter hands out about one block per call; collect what it holds.
  while (written < capacityFrames) {
    uint32_t got = 0;
    converter.ProcessAudio(staged, 0, out + static_cast<size_t>(written) * channels, capacityFrames - written, &got);
    if (got == 0) break;
    written += got;
  }
  return written;
}

}  // namespace

int SetupRateConversion(CTarvex* converter, const AudioQuality* source, const AudioQuality* target, uint32_t bytes) {
  if (!converter || !source || !target) return ReportNull();
  if (source->samplesPerSecond == 0) {
    ReportError(kSource, kLineSourceRateZero, "Divide By Zero Violation");
    return 0;
  }
  if (!IsHandledRate(source->samplesPerSecond) || !IsHandledRate(target->samplesPerSecond)) {
    ReportUnsupportedRate(IsHandledRate(source->samplesPerSecond) ? target->samplesPerSecond
                                                                  : source->samplesPerSecond);
    return 0;
  }
  if (!IsHandledFormat(*source) || !IsHandledFormat(*target)) {
    ReportError(kSource, kLineUnsupportedFormat, "Unsupported audio format.");
    return 0;
  }
  const float ratio = static_cast<float>(target->samplesPerSecond) / static_cast<float>(source->samplesPerSecond);
  const uint32_t perChannel = bytes / source->channels;
  if (target->bitsPerSample == 16 ||
      (source->bitsPerSample == target->bitsPerSample && source->channels != target->channels)) {
    converter->SetSizeOutputBufferSample(static_cast<uint32_t>(ratio * perChannel + 0.5));
    converter->SetChannels(static_cast<int16_t>(target->channels));
  } else if (source->bitsPerSample == 16) {
    converter->SetSizeOutputBufferSample(static_cast<uint32_t>(ratio * (perChannel / 2) + 0.5));
    converter->SetChannels(static_cast<int16_t>(source->channels));
  }
  converter->SetRateRatio(target->samplesPerSecond, source->samplesPerSecond);
  converter->Init();
  return 0;
}

int ConvertChannelsAndBits(const AudioQuality* source, const AudioQuality* target, const void* sourceSamples,
                           void* targetBuffer, uint32_t sourceBytes, uint32_t targetCapacityBytes) {
  if (!source || !target || !sourceSamples || !targetBuffer) return ReportNull();
  if (!IsHandledFormat(*source) || !IsHandledFormat(*target)) return 0;
  if (ConvertedBytes(*source, *target, sourceBytes) > targetCapacityBytes) {
    ReportError(kSource, kLineTargetTooSmall, "");
    return 0;
  }
  ConvertSamples(*source, *target, static_cast<const uint8_t*>(sourceSamples), static_cast<uint8_t*>(targetBuffer),
                 sourceBytes);
  return 0;
}

int ConvertAudioFormat(const AudioQuality* source, const AudioQuality* target, const void* sourceSamples,
                       void* targetBuffer, uint32_t sourceBytes, uint32_t targetCapacityBytes, CTarvex* converter,
                       uint32_t* outFrames) {
  if (!source || !target || !sourceSamples || !targetBuffer) return ReportNull();
  if (outFrames) *outFrames = 0;
  if (!IsHandledFormat(*source) || !IsHandledFormat(*target)) {
    ReportError(kSource, kLineUnsupportedFormat, "Unsupported audio format.");
    return 0;
  }
  const auto* in = static_cast<const uint8_t*>(sourceSamples);
  auto* out = static_cast<uint8_t*>(targetBuffer);
  const uint32_t frames = sourceBytes / source->channels / (source->bitsPerSample / 8);
  const bool sameRate = source->samplesPerSecond == target->samplesPerSecond;
  const bool sameBits = source->bitsPerSample == target->bitsPerSample;
  const bool sameChannels = source->channels == target->channels;

  // Without a rate change everything is one pass into the target.
  auto convertDirectly = [&](int noOutFramesLine) {
    if (!outFrames) {
      ReportError(kSource, noOutFramesLine, "");
      return;
    }
    if (ConvertedBytes(*source, *target, sourceBytes) > targetCapacityBytes) {
      ReportError(kSource, kLineTargetTooSmall, "");
      return;
    }
    ConvertSamples(*source, *target, in, out, sourceBytes);
    *outFrames = frames;
  };
  // Resampling works on 16-bit frames of `channels` channels (those the
  // converter was prepared with); a narrower target is made in place after.
  auto resample = [&](uint16_t channels, int noConverterLine, int noOutFramesLine) {
    if (!outFrames) {
      ReportError(kSource, noOutFramesLine, "");
      return;
    }
    if (!converter) {
      ReportError(kSource, noConverterLine, "");
      return;
    }
    // Refused, with its report, when the converter was prepared.
    if (!IsHandledRate(source->samplesPerSecond)) return;
    const uint32_t capacityFrames = targetCapacityBytes / (channels * 2u);
    const uint32_t made = Resample(*converter, *source, channels, in, frames, reinterpret_cast<int16_t*>(out),
                                   capacityFrames);
    const AudioQuality resampled{target->samplesPerSecond, channels, 16};
    if (target->bitsPerSample != 16 || target->channels != channels) {
      ConvertSamples(resampled, *target, out, out, static_cast<size_t>(made) * channels * 2);
    }
    *outFrames = made;
  };

  if (sameBits && sameChannels && sameRate) {
    if (!outFrames) {
      ReportError(kSource, kLineCopyNoOutFrames, "");
      return 0;
    }
    if (sourceBytes > targetCapacityBytes) {
      ReportError(kSource, kLineTargetTooSmall, "");
      return 0;
    }
    std::memmove(out, in, sourceBytes);
    *outFrames = frames;
  } else if (target->bitsPerSample == 16 || (sameBits && !sameChannels)) {
    if (sameRate) {
      convertDirectly(kLineConvertNoOutFrames);
    } else {
      resample(target->channels, kLineConvertNoConverter, kLineConvertNoOutFrames);
    }
  } else if (source->bitsPerSample == 16) {
    if (sameRate) {
      convertDirectly(kLineNarrowNoOutFrames);
    } else {
      resample(source->channels, kLineNarrowNoConverter, kLineNarrowNoOutFrames);
    }
  } else {
    ReportError(kSource, kLineUnsupportedFormat, "Unsupported audio format.");
  }
  return 0;
}
