#include "LameProcess.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "ReportErrorDll.h"

namespace lunder {
namespace {

// LAME writes its progress in pieces of about this size; they are read as such,
// as many as have come (within a bound, so the audio's pipes are seen to as well).
constexpr size_t kPieceBytes = 256;
constexpr int kPiecesAtOnce = 64;
// Audio goes through its pipes in pieces of this size.
constexpr size_t kAudioBytes = 256 * 1024;
// LAME reads and writes its pipes 4 KB at a time: woken for each, both sides
// spend more on waking than on the audio. After a small piece this side waits
// a moment for the pipes to fill or empty, far less than they hold.
constexpr auto kPipePatience = std::chrono::milliseconds(2);
constexpr size_t kSmallPiece = kAudioBytes / 4;
constexpr size_t kTailBytes = 2048;
constexpr size_t kShownTailBytes = 400;

// What LAME says when the file it wrote is not whole, though it may still exit 0
// (a full disk while it writes its tag: "fatal error: can't update LAME-tag frame!").
constexpr const char* kFatalWords[] = {"fatal error", "error writing", "internal error", "error reading input"};

constexpr size_t LongestFatalWords() {
  size_t longest = 0;
  for (const char* words : kFatalWords) longest = std::max(longest, std::char_traits<char>::length(words));
  return longest;
}

}  // namespace

// Hands percents to the caller and, whenever LAME has been quiet for a
// heartbeat, the last one again.
class CProgressRelay {
 public:
  using Clock = std::chrono::steady_clock;

  CProgressRelay(LunderProgressCallback progress, short first)
      : progress_(progress), last_(Clock::now()), percent_(first) {}

  // false when the caller cancelled.
  bool Report(short percent) {
    percent_ = percent;
    return Call();
  }
  bool KeepAlive() { return MsUntilDue() > 0 || Call(); }
  short Percent() const { return percent_; }
  int MsUntilDue() const {
    if (!progress_) return platform::CChildProcess::kWaitForever;
    const auto since = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - last_).count();
    return since >= kProgressHeartbeatMs ? 0 : static_cast<int>(kProgressHeartbeatMs - since);
  }

 private:
  bool Call() {
    if (!progress_) return true;
    int cancel = 0;
    progress_(percent_, &cancel);
    last_ = Clock::now();
    return cancel == 0;
  }

  LunderProgressCallback progress_;
  Clock::time_point last_;
  short percent_;
};

CLameAudio::Step CLameAudio::Give(uint8_t*, size_t, size_t* got) {
  *got = 0;
  return Step::Ended;
}

CLameAudio::Step CLameAudio::Take(const uint8_t*, size_t, short) { return Step::Go; }

CLameAudio::Step CLameAudio::Finish() { return Step::Go; }

CLameProcess::CLameProcess(const char* sourceTitle, int linePipe, int lineStart)
    : source_(sourceTitle), linePipe_(linePipe), lineStart_(lineStart) {}

bool CLameProcess::Start(const std::vector<std::string>& arguments, platform::ChildStreams streams) {
  std::vector<std::string> argv{kLameProgram};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  streams_ = streams;
  // Numbers in LAME's messages and arguments stay in the C locale's form.
  const auto failure = child_.Start(argv, {"LC_ALL=C"}, streams);
  if (failure == platform::CChildProcess::StartFailure::Pipe) {
    ReportErrorDll(source_, linePipe_, "Could not make a pipe to read the MP3 encoder's progress.");
    return false;
  }
  if (failure == platform::CChildProcess::StartFailure::Spawn) {
    ReportErrorDll(source_, lineStart_,
                   "Could not start the MP3 encoder program \"lame\". Is the Debian package \"lame\" installed?");
    return false;
  }
  return true;
}

bool CLameProcess::LowerPriority() {
  // A child that has already ended cannot be reprioritised, and need not be.
  return child_.LowerPriority() || errno == ESRCH;
}

CLameProcess::End CLameProcess::Run(CLameProgress* parser, LunderProgressCallback progress, CLameAudio* audio) {
  using Step = CLameAudio::Step;
  CProgressRelay relay(progress, parser ? 0 : kLunderNoPercent);
  if (audio) audioBuffer_.resize(kAudioBytes);
  bool messages = true;
  bool data = audio && streams_.data;
  bool input = audio && streams_.input;
  std::vector<short> percents;
  while (messages || data || input) {
    using platform::CChildProcess;
    const unsigned wanted = (messages ? CChildProcess::kOutputReady : 0u) | (data ? CChildProcess::kDataReady : 0u) |
                            (input ? CChildProcess::kInputReady : 0u);
    const int ready = child_.WaitReady(wanted, relay.MsUntilDue());
    percents.clear();
    if (ready < 0 || ((ready & CChildProcess::kOutputReady) && !ReadMessages(parser, &percents, &messages))) {
      ReportErrorDll(source_, __LINE__, "Could not read the MP3 encoder's output; it was stopped.");
      child_.Kill();
      return End::Failed;
    }
    bool going = true;
    for (size_t i = 0; going && i < percents.size(); ++i) going = relay.Report(percents[i]);
    Step step = Step::Go;
    size_t moved = 0;
    if (going && (ready & CChildProcess::kDataReady)) step = Drain(*audio, relay.Percent(), &data, &moved);
    if (going && step == Step::Go && (ready & CChildProcess::kInputReady)) step = Feed(*audio, &input, &moved);
    if (step == Step::Failed) {
      child_.Kill();
      return End::Failed;
    }
    if (!going || step == Step::Cancelled || !relay.KeepAlive()) {
      child_.Kill();
      return End::Cancelled;
    }
    if ((data || input) && ready > 0 && moved < kSmallPiece) std::this_thread::sleep_for(kPipePatience);
  }
  platform::ChildExit exit;
  bool cancelled = false;
  if (!WaitForExit(relay, &exit, &cancelled)) {
    if (cancelled) return End::Cancelled;
    ReportErrorDll(source_, __LINE__, "Lost track of the MP3 encoder program.");
    return End::Failed;
  }
  char text[200];
  if (!exit.exited) {
    std::snprintf(text, sizeof text, "The MP3 encoder program \"lame\" was ended by signal %d.", exit.signal);
  } else if (exit.code != 0) {
    std::snprintf(text, sizeof text, "The MP3 encoder program \"lame\" failed with exit code %d.", exit.code);
  } else if (saidFatal_) {
    std::snprintf(text, sizeof text,
                  "The MP3 encoder program \"lame\" reported a fatal error; its output is not used.");
  } else if (stoppedReading_) {
    std::snprintf(text, sizeof text,
                  "The MP3 encoder program \"lame\" stopped reading the audio before its end; its output is not "
                  "used.");
  } else {
    return audio && audio->Finish() != Step::Go ? End::Failed : End::Finished;
  }
  ReportFailure(text);
  return End::Failed;
}

// LAME's messages as far as they have come, piece by piece; false on a
// failure. *open turns false at their end.
bool CLameProcess::ReadMessages(CLameProgress* parser, std::vector<short>* percents, bool* open) {
  char piece[kPieceBytes];
  int timeout = platform::CChildProcess::kWaitForever;
  for (int pieces = 0; pieces < kPiecesAtOnce; ++pieces, timeout = 0) {
    const int64_t n = child_.ReadOutput(piece, sizeof piece, timeout);
    if (n == platform::CChildProcess::kReadTimedOut) return true;
    if (n < 0) return false;
    if (n == 0) {
      if (parser) parser->Finish(percents);
      *open = false;
      return true;
    }
    KeepTail(piece, static_cast<size_t>(n));
    LookForFatalWords(piece, static_cast<size_t>(n));
    if (parser) parser->Feed(piece, static_cast<size_t>(n), percents);
    if (static_cast<size_t>(n) < sizeof piece) return true;
  }
  return true;
}

// Hands LAME's input what it takes now, asking the audio for more once all
// given before has gone. *open turns false once the input is closed.
CLameAudio::Step CLameProcess::Feed(CLameAudio& audio, bool* open, size_t* moved) {
  using Step = CLameAudio::Step;
  if (pendingAt_ == pendingEnd_) {
    size_t got = 0;
    const Step step = audio.Give(audioBuffer_.data(), audioBuffer_.size(), &got);
    if (step == Step::Ended) {
      child_.CloseInput();
      *open = false;
      return Step::Go;
    }
    if (step != Step::Go) return step;
    pendingAt_ = 0;
    pendingEnd_ = std::min(got, audioBuffer_.size());
  }
  const int64_t n = child_.WriteInput(audioBuffer_.data() + pendingAt_, pendingEnd_ - pendingAt_);
  if (n < 0) {
    // LAME no longer reads: its exit status and its words tell why.
    stoppedReading_ = true;
    child_.CloseInput();
    *open = false;
    return Step::Go;
  }
  pendingAt_ += static_cast<size_t>(n);
  *moved += static_cast<size_t>(n);
  return Step::Go;
}

// One read of what LAME wrote, handed to the audio. *open turns false at its end.
CLameAudio::Step CLameProcess::Drain(CLameAudio& audio, short percent, bool* open, size_t* moved) {
  const int64_t n = child_.ReadData(audioBuffer_.data(), audioBuffer_.size());
  if (n < 0) {
    ReportErrorDll(source_, __LINE__, "Could not read the audio the MP3 decoder wrote; it was stopped.");
    return CLameAudio::Step::Failed;
  }
  if (n == 0) {
    *open = false;
    return CLameAudio::Step::Go;
  }
  *moved += static_cast<size_t>(n);
  const CLameAudio::Step step = audio.Take(audioBuffer_.data(), static_cast<size_t>(n), percent);
  return step == CLameAudio::Step::Ended ? CLameAudio::Step::Go : step;
}

// LAME may close its output before it ends; it can still be cancelled meanwhile.
bool CLameProcess::WaitForExit(CProgressRelay& relay, platform::ChildExit* exit, bool* cancelled) {
  for (;;) {
    if (child_.Wait(exit, relay.MsUntilDue())) return true;
    if (errno != ETIMEDOUT) return false;
    if (!relay.KeepAlive()) {
      child_.Kill();
      *cancelled = true;
      return false;
    }
  }
}

void CLameProcess::ReportFailure(const char* what) {
  std::string message = what;
  const std::string said = ReadableTail();
  if (!said.empty()) message += "\n" + said;
  errno = 0;  // the report's system error would be unrelated
  ReportErrorDll(source_, __LINE__, message.c_str());
}

void CLameProcess::KeepTail(const char* piece, size_t bytes) {
  tail_.append(piece, bytes);
  if (tail_.size() > kTailBytes) tail_.erase(0, tail_.size() - kTailBytes);
}

void CLameProcess::LookForFatalWords(const char* piece, size_t bytes) {
  for (size_t i = 0; i < bytes; ++i) window_ += static_cast<char>(std::tolower(static_cast<unsigned char>(piece[i])));
  for (const char* words : kFatalWords) saidFatal_ = saidFatal_ || window_.find(words) != std::string::npos;
  if (window_.size() > LongestFatalWords()) window_.erase(0, window_.size() - LongestFatalWords());
}

// LAME's last words without its terminal control: carriage returns become line
// breaks, escape sequences and other control characters go.
std::string CLameProcess::ReadableTail() const {
  std::string text;
  for (size_t i = 0; i < tail_.size(); ++i) {
    const char c = tail_[i];
    if (c == '\x1b') {
      if (i + 1 < tail_.size() && tail_[i + 1] == '[') {
        i += 2;
        while (i < tail_.size() && !(tail_[i] >= '@' && tail_[i] <= '~')) ++i;
      }
      continue;
    }
    if (c == '\r' || c == '\n') {
      if (!text.empty() && text.back() != '\n') text += '\n';
    } else if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7f) {
      text += c;
    }
  }
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  if (text.size() > kShownTailBytes) text.erase(0, text.size() - kShownTailBytes);
  return text;
}

}  // namespace lunder
