#include "LameProcess.h"

#include <cerrno>
#include <cstdio>

#include "ReportErrorDll.h"

namespace lunder {
namespace {

// LAME writes its progress in pieces of about this size; reading more at once gains nothing.
constexpr size_t kPieceBytes = 256;
constexpr size_t kTailBytes = 2048;
constexpr size_t kShownTailBytes = 400;

}  // namespace

CLameProcess::CLameProcess(const char* sourceTitle, int linePipe, int lineStart)
    : source_(sourceTitle), linePipe_(linePipe), lineStart_(lineStart) {}

bool CLameProcess::Start(const std::vector<std::string>& arguments) {
  std::vector<std::string> argv{kLameProgram};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  // Numbers in LAME's messages and arguments stay in the C locale's form.
  const auto failure = child_.Start(argv, {"LC_ALL=C"});
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

CLameProcess::End CLameProcess::Run(CLameProgress& parser, LunderProgressCallback progress) {
  char piece[kPieceBytes];
  std::vector<short> percents;
  for (bool more = true; more;) {
    const int64_t n = child_.ReadOutput(piece, sizeof piece);
    percents.clear();
    if (n > 0) {
      KeepTail(piece, static_cast<size_t>(n));
      parser.Feed(piece, static_cast<size_t>(n), &percents);
    } else if (n == 0) {
      parser.Finish(&percents);
      more = false;
    } else {
      ReportErrorDll(source_, __LINE__, "Could not read the MP3 encoder's output; it was stopped.");
      child_.Kill();
      return End::Failed;
    }
    for (short percent : percents) {
      if (!progress) break;
      int cancel = 0;
      progress(percent, &cancel);
      if (cancel != 0) {
        child_.Kill();
        return End::Cancelled;
      }
    }
  }
  platform::ChildExit exit;
  if (!child_.Wait(&exit)) {
    ReportErrorDll(source_, __LINE__, "Lost track of the MP3 encoder program.");
    return End::Failed;
  }
  if (exit.exited && exit.code == 0) return End::Finished;
  char text[kShownTailBytes + 200];
  if (exit.exited) {
    std::snprintf(text, sizeof text, "The MP3 encoder program \"lame\" failed with exit code %d.", exit.code);
  } else {
    std::snprintf(text, sizeof text, "The MP3 encoder program \"lame\" was ended by signal %d.", exit.signal);
  }
  std::string message = text;
  const std::string said = ReadableTail();
  if (!said.empty()) message += "\n" + said;
  errno = 0;  // the report's system error would be unrelated
  ReportErrorDll(source_, __LINE__, message.c_str());
  return End::Failed;
}

void CLameProcess::KeepTail(const char* piece, size_t bytes) {
  tail_.append(piece, bytes);
  if (tail_.size() > kTailBytes) tail_.erase(0, tail_.size() - kTailBytes);
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
