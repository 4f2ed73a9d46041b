#include "LameProgress.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace lunder {
namespace {

constexpr char kFrameTag[] = "Frame#";
constexpr size_t kFrameTagLength = sizeof kFrameTag - 1;
// Bounds that keep a record, and so the carried text, short.
constexpr size_t kMaxBlanks = 32;
constexpr size_t kMaxDigits = 10;
// LAME's banner (its first two reads while encoding) holds "(11x)"-like texts, not progress.
constexpr int kEncodeBannerPieces = 2;

// None: no record here. Partial: the text ended while it could still become one.
enum class Match { None, Partial, Complete };

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

short ClampPercent(uint64_t value) { return static_cast<short>(std::min<uint64_t>(value, 100)); }

// Blanks, then a number ended by a non-digit, or by the end of the output.
Match ReadNumber(const std::string& text, size_t* at, bool atEnd, uint64_t* value) {
  size_t i = *at;
  for (size_t blanks = 0; i < text.size() && text[i] == ' '; ++i) {
    if (++blanks > kMaxBlanks) return Match::None;
  }
  if (i == text.size()) return atEnd ? Match::None : Match::Partial;
  const size_t first = i;
  uint64_t v = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    if (i - first == kMaxDigits) return Match::None;
    v = v * 10 + static_cast<uint64_t>(text[i] - '0');
  }
  if (i == first) return Match::None;
  if (i == text.size() && !atEnd) return Match::Partial;  // more digits may follow
  *at = i;
  *value = v;
  return Match::Complete;
}

// "Frame#", blanks, current, '/', total.
Match MatchFrame(const std::string& text, size_t at, bool atEnd, size_t* length, short* percent) {
  const size_t compare = std::min(text.size() - at, kFrameTagLength);
  if (text.compare(at, compare, kFrameTag, compare) != 0) return Match::None;
  if (compare < kFrameTagLength) return atEnd ? Match::None : Match::Partial;
  size_t i = at + kFrameTagLength;
  uint64_t current = 0, total = 0;
  Match m = ReadNumber(text, &i, atEnd, &current);
  if (m != Match::Complete) return m;
  if (i == text.size() || text[i] != '/') return Match::None;
  ++i;
  m = ReadNumber(text, &i, atEnd, &total);
  if (m != Match::Complete) return m;
  *length = i - at;
  *percent = total == 0 ? 0 : ClampPercent(current * 100 / total);
  return Match::Complete;
}

// '(', blanks, a number, '%'.
Match MatchPercent(const std::string& text, size_t at, bool atEnd, size_t* length, short* percent) {
  if (text[at] != '(') return Match::None;
  size_t i = at + 1;
  uint64_t value = 0;
  const Match m = ReadNumber(text, &i, atEnd, &value);
  if (m != Match::Complete) return m;
  if (i == text.size()) return atEnd ? Match::None : Match::Partial;
  if (text[i] != '%') return Match::None;
  *length = i + 1 - at;
  *percent = ClampPercent(value);
  return Match::Complete;
}

}  // namespace

void CLameProgress::Scan(bool atEnd, std::vector<short>* percents) {
  size_t at = 0;
  while (at < pending_.size()) {
    size_t length = 0;
    short percent = 0;
    const Match m = kind_ == Kind::Decode ? MatchFrame(pending_, at, atEnd, &length, &percent)
                                          : MatchPercent(pending_, at, atEnd, &length, &percent);
    if (m == Match::Partial) break;  // kept for the next piece
    if (m == Match::Complete) {
      percents->push_back(percent);
      at += length;
    } else {
      ++at;
    }
  }
  pending_.erase(0, at);
}

void CLameProgress::Feed(const char* piece, size_t bytes, std::vector<short>* percents) {
  const int index = pieces_++;
  if (stopped_ || !piece || bytes == 0) return;
  if (kind_ == Kind::Encode) {
    // The closing statistics follow the last progress line; nothing after them is progress.
    if (bytes >= 10 && std::memcmp(piece + 2, "average:", 8) == 0) {
      stopped_ = true;
      pending_.clear();
      return;
    }
    if (index < kEncodeBannerPieces) return;
  }
  pending_.append(piece, bytes);
  Scan(false, percents);
}

void CLameProgress::Finish(std::vector<short>* percents) {
  if (!stopped_) Scan(true, percents);
  pending_.clear();
}

}  // namespace lunder
