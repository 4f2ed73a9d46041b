#include "AudioJournal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>

#include "ByteFields.h"
#include "File.h"
#include "FileReplace.h"
#include "Folders.h"
#include "Generic.h"

namespace {

constexpr const char* kJournalPrefix = "qvk_run_";
constexpr const char* kJournalSuffix = ".journal";
constexpr const char* kPartPrefix = ".qvk_run_";
constexpr const char* kFirstLine = "Tessiro audio journal 1";
constexpr const char* kStartedField = "started ";
constexpr const char* kRecoveredFolder = "qvk_recovered";
constexpr uint32_t kFramesPerSecond = 44100;
constexpr size_t kWaveHeaderBytes = 44;
constexpr size_t kCopyBlockBytes = 1 << 20;

std::string NameOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool SameFile(int fd, const std::string& path) {
  struct stat open, named;
  return ::fstat(fd, &open) == 0 && ::stat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
         open.st_ino == named.st_ino;
}

bool WriteAll(int fd, const std::string& text) {
  for (size_t done = 0; done < text.size();) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

int64_t FileSize(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) ? static_cast<int64_t>(info.st_size) : -1;
}

// Truncated first, so that what a failed delete leaves holds no audio.
void DeleteAudioFile(const std::string& path) {
  if (FileSize(path) < 0) return;
  ::truncate(path.c_str(), 0);
  ::unlink(path.c_str());
}

// "20250131140509" as "2025-01-31_14-05-09".
std::string FolderStamp(const std::string& stamp) {
  const bool digits = std::all_of(stamp.begin(), stamp.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
  if (stamp.size() != 14 || !digits) return "unknown-time";
  return stamp.substr(0, 4) + "-" + stamp.substr(4, 2) + "-" + stamp.substr(6, 2) + "_" + stamp.substr(8, 2) + "-" +
         stamp.substr(10, 2) + "-" + stamp.substr(12, 2);
}

std::string LengthText(uint64_t frames) {
  const double seconds = static_cast<double>(frames) / kFramesPerSecond;
  char text[64];
  if (seconds < 60.0) {
    std::snprintf(text, sizeof text, "%.1f seconds", seconds);
  } else {
    const auto minutes = static_cast<unsigned long long>(seconds / 60.0);
    std::snprintf(text, sizeof text, "%llu min %.1f s", minutes, seconds - 60.0 * static_cast<double>(minutes));
  }
  return text;
}

// A 16-bit PCM WAV file of the raw audio: its header, then its whole frames.
bool WriteWave(const std::string& raw, uint16_t channels, const std::string& wave, uint64_t* frames) {
  platform::CFile in, out;
  if (!in.Open(raw, platform::CFile::Mode::ReadRegular)) return false;
  const uint32_t frameBytes = channels * 2u;
  const int64_t size = in.Size();
  if (size < 0) return false;
  const uint64_t maxData = (0xFFFFFFFFull - 36) / frameBytes * frameBytes;
  const uint64_t data = std::min<uint64_t>(static_cast<uint64_t>(size) / frameBytes * frameBytes, maxData);
  uint8_t header[kWaveHeaderBytes];
  std::memcpy(header, "RIFF", 4);
  bytes::PutU32(header + 4, static_cast<uint32_t>(36 + data));
  std::memcpy(header + 8, "WAVEfmt ", 8);
  bytes::PutU32(header + 16, 16);
  bytes::PutU16(header + 20, 1);  // PCM
  bytes::PutU16(header + 22, channels);
  bytes::PutU32(header + 24, kFramesPerSecond);
  bytes::PutU32(header + 28, kFramesPerSecond * frameBytes);
  bytes::PutU16(header + 32, static_cast<uint16_t>(frameBytes));
  bytes::PutU16(header + 34, 16);
  std::memcpy(header + 36, "data", 4);
  bytes::PutU32(header + 40, static_cast<uint32_t>(data));

  const std::string part = platform::MakeUniqueFile(platform::FolderOfPath(wave), ".recovering-", ".part");
  if (part.empty()) return false;
  platform::CTemporaryFileGuard guard(part);
  if (!out.Open(part, platform::CFile::Mode::Create) || out.Write(header, sizeof header) != sizeof header) return false;
  std::vector<uint8_t> block(kCopyBlockBytes);
  for (uint64_t done = 0; done < data;) {
    const size_t want = static_cast<size_t>(std::min<uint64_t>(block.size(), data - done));
    const int64_t got = in.Read(block.data(), want);
    if (got <= 0) return false;
    if (out.Write(block.data(), static_cast<size_t>(got)) != got) return false;
    done += static_cast<uint64_t>(got);
  }
  if (!out.Flush() || !out.Close() || !platform::RenameFile(part, wave)) return false;
  guard.Release();
  *frames = data / frameBytes;
  return true;
}

struct JournalContents {
  std::string started;
  std::vector<std::pair<std::string, std::string>> files;  // raw audio and peaks, in order
  std::map<std::string, uint16_t> channels;                // of each raw audio file
};

JournalContents ReadJournal(int fd) {
  JournalContents contents;
  std::string text;
  char buffer[65536];
  for (off_t at = 0;;) {
    const ssize_t n = ::pread(fd, buffer, sizeof buffer, at);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(buffer, static_cast<size_t>(n));
    at += n;
  }
  size_t begin = 0;
  bool first = true;
  while (begin < text.size()) {
    size_t end = text.find('\n', begin);
    // A line the dead run did not finish is no entry.
    if (end == std::string::npos) break;
    const std::string line = text.substr(begin, end - begin);
    begin = end + 1;
    if (first) {
      if (line != kFirstLine) return {};
      first = false;
      continue;
    }
    if (line.rfind(kStartedField, 0) == 0) {
      contents.started = line.substr(std::strlen(kStartedField));
      continue;
    }
    const size_t tab1 = line.find('\t');
    const size_t tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
    if (tab2 == std::string::npos) continue;
    const std::string channelText = line.substr(0, tab1);
    if (channelText != "1" && channelText != "2") continue;
    const std::string pcm = line.substr(tab1 + 1, tab2 - tab1 - 1);
    const std::string pek = line.substr(tab2 + 1);
    if (!contents.channels.count(pcm)) contents.files.emplace_back(pcm, pek);
    contents.channels[pcm] = static_cast<uint16_t>(channelText[0] - '0');
  }
  return contents;
}

// The journal of one dead run: its audio as WAV files, then the raw files and the journal gone.
void RecoverJournal(const std::string& journal, const std::string& audioFolder, RecoveredAudio& recovered) {
  const int fd = ::open(journal.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return;
  // A live run holds its journal's lock; another start may be recovering this one.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || !SameFile(fd, journal)) {
    ::close(fd);
    return;
  }
  const JournalContents contents = ReadJournal(fd);
  std::string folder;
  int failed = 0;
  for (const auto& [pcm, pek] : contents.files) {
    const int64_t size = FileSize(pcm);
    const uint16_t channels = contents.channels.at(pcm);
    if (size < static_cast<int64_t>(channels) * 2) {
      // Gone (a save moved it to its project) or holding no audio.
      if (size >= 0) DeleteAudioFile(pcm);
      if (size >= 0 || FileSize(pek) >= 0) DeleteAudioFile(pek);
      continue;
    }
    if (folder.empty()) {
      const std::string base = audioFolder + "/" + kRecoveredFolder + "/" + FolderStamp(contents.started);
      std::string made = base;
      for (int n = 2; platform::FolderExists(made); ++n) made = base + "_" + std::to_string(n);
      if (!platform::CreateFolder(made)) {
        recovered.problem = made + ": " + std::strerror(errno);
        ++failed;
        continue;
      }
      folder = made;
      recovered.folders.push_back(folder);
    }
    std::string name = NameOf(pcm);
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".pcm") == 0) name.resize(name.size() - 4);
    uint64_t frames = 0;
    if (!WriteWave(pcm, channels, folder + "/" + name + ".wav", &frames)) {
      recovered.problem = name + ".wav: " + std::strerror(errno);
      ++failed;
      continue;
    }
    ++recovered.files;
    recovered.longest = std::max(recovered.longest, frames);
    DeleteAudioFile(pcm);
    DeleteAudioFile(pek);
  }
  recovered.failed += failed;
  // What could not be written stays listed, for the next start to try again.
  if (failed == 0) ::unlink(journal.c_str());
  ::close(fd);
}

}  // namespace

CAudioJournal::~CAudioJournal() { Close(); }

bool CAudioJournal::Begin(const std::string& folder) {
  std::lock_guard hold(lock_);
  Close();
  folder_ = folder;
  entries_.clear();
  char stamp[15] = "00000000000000";
  GetTimestampText(stamp);
  started_ = stamp;
  return MakeFile();
}

bool CAudioJournal::IsOpen() const {
  std::lock_guard hold(lock_);
  return fd_ >= 0;
}

std::string CAudioJournal::LineOf(const Entry& entry) {
  return std::to_string(entry.channels) + "\t" + entry.pcm + "\t" + entry.pek + "\n";
}

bool CAudioJournal::StillThere() const { return fd_ >= 0 && SameFile(fd_, path_); }

bool CAudioJournal::MakeFile() {
  if (!platform::CreateFolder(folder_)) return false;
  // Made under a name no start looks at, locked, then given its own: a start in
  // between never finds it unlocked.
  const std::string part = platform::MakeUniqueFile(folder_, kPartPrefix, ".part");
  if (part.empty()) return false;
  // The unique letters keep two journals of one second and one process apart.
  const std::string unique = part.substr(folder_.size() + 1 + std::strlen(kPartPrefix), 6);
  const int fd = ::open(part.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0 || ::flock(fd, LOCK_EX) != 0) {
    if (fd >= 0) ::close(fd);
    ::unlink(part.c_str());
    return false;
  }
  std::string text = std::string(kFirstLine) + "\n" + kStartedField + started_ + "\n";
  for (const Entry& entry : entries_) {
    // The last one is about to be written.
    if (&entry == &entries_.back() || FileSize(entry.pcm) >= 0 || FileSize(entry.pek) >= 0) text += LineOf(entry);
  }
  const std::string path =
      folder_ + "/" + kJournalPrefix + started_ + "_" + std::to_string(::getpid()) + "_" + unique + kJournalSuffix;
  if (!WriteAll(fd, text) || !platform::RenameFile(part, path)) {
    ::close(fd);
    ::unlink(part.c_str());
    return false;
  }
  Close();
  fd_ = fd;
  path_ = path;
  return true;
}

void CAudioJournal::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

void CAudioJournal::Note(const std::string& pcm, const std::string& pek, uint16_t channels) {
  // A name that would break its line cannot be listed.
  for (const std::string* path : {&pcm, &pek}) {
    if (path->find_first_of("\t\n") != std::string::npos) return;
  }
  std::lock_guard hold(lock_);
  if (folder_.empty()) return;
  for (const Entry& entry : entries_) {
    if (entry.pcm == pcm && entry.pek == pek && entry.channels == channels) return;
  }
  entries_.push_back({pcm, pek, channels});
  if (!StillThere()) {
    MakeFile();
    return;
  }
  WriteAll(fd_, LineOf(entries_.back()));
}

std::vector<std::string> CAudioJournal::Files() const {
  std::lock_guard hold(lock_);
  std::vector<std::string> files;
  for (const Entry& entry : entries_) {
    files.push_back(entry.pcm);
    files.push_back(entry.pek);
  }
  return files;
}

void CAudioJournal::End(const std::set<std::string>& keep) {
  std::lock_guard hold(lock_);
  for (const Entry& entry : entries_) {
    for (const std::string* path : {&entry.pcm, &entry.pek}) {
      if (!keep.count(*path) || FileSize(*path) == 0) DeleteAudioFile(*path);
    }
  }
  if (StillThere()) ::unlink(path_.c_str());
  Close();
  entries_.clear();
  folder_.clear();
}

RecoveredAudio RecoverAudioOfEndedRuns(const std::string& tempFolder, const std::string& audioFolder) {
  RecoveredAudio recovered;
  for (const std::string& name : platform::ListFolder(tempFolder, kJournalSuffix)) {
    if (name.rfind(kJournalPrefix, 0) != 0) continue;
    RecoverJournal(tempFolder + "/" + name, audioFolder, recovered);
  }
  return recovered;
}

std::string RecoveredAudioText(const RecoveredAudio& recovered) {
  if (recovered.files == 0 && recovered.failed == 0) return "";
  std::string text;
  if (recovered.files > 0) {
    text = "Tessiro did not end properly the last time it ran. The audio it had recorded or made and not saved "
           "is kept as " +
           (recovered.files == 1 ? "1 WAV file of " + LengthText(recovered.longest)
                                 : std::to_string(recovered.files) + " WAV files of up to " +
                                       LengthText(recovered.longest) + " each") +
           " in:\n\n";
    for (const std::string& folder : recovered.folders) text += folder + "\n";
    text += "\nFile > Import Audio File to Track brings them into a project.";
  }
  if (recovered.failed > 0) {
    if (!text.empty()) text += "\n\n";
    text += std::to_string(recovered.failed) +
            (recovered.failed == 1 ? " file of audio from that run could not be written as a WAV file ("
                                   : " files of audio from that run could not be written as WAV files (") +
            recovered.problem + "). They stay where they are; the next start tries again.";
  }
  return text;
}
