// The pastes: the audio clipboard inserted at, laid over, or mixed into the
// source from the insertion point. A clipboard of the other channel count is
// converted block by block on the way in.
#include <algorithm>
#include <cstring>

#include "AudioSegment.h"
#include "EditPass.h"
#include "Generic.h"
#include "SampleMath.h"

namespace {

constexpr const char* kSource = "pro";
constexpr uint32_t kPasteBlockFrames = 65536;
constexpr uint32_t kMixBlockFrames = 32768;
constexpr size_t kConvertedArea = 262144;  // bytes into the work buffer
constexpr size_t kClipboardArea = 524288;
constexpr int kLineNoClipboard = __LINE__;
constexpr int kLineClipboardFormat = __LINE__;
constexpr int kLineOpenClipboard = __LINE__;
constexpr int kLineReadClipboard = __LINE__;

// The clipboard's audio, read from its start, in the source's channel count.
class CClipboardReader {
 public:
  explicit CClipboardReader(CEditPass& pass) : pass_(pass) {}
  ~CClipboardReader() {
    if (clip_) clip_->Close();
  }
  CClipboardReader(const CClipboardReader&) = delete;
  CClipboardReader& operator=(const CClipboardReader&) = delete;

  // false after a reported fault.
  bool Open() {
    const OperationParameters& p = pass_.Params();
    if (!p.audioClipboard || !*p.audioClipboard || p.audioClipboard->get() == &pass_.Source()) {
      ReportError(kSource, kLineNoClipboard, "");
      return false;
    }
    CAudioSegment* clip = p.audioClipboard->get();
    const uint16_t channels = clip->GetChannels();
    if ((channels != 1 && channels != 2) || clip->GetFormat().bitsPerSample != 16) {
      ReportError(kSource, kLineClipboardFormat, "");
      return false;
    }
    uint32_t at = 0;
    if (clip->Open(0) != 1 || clip->Seek(0, &at) != 0) {
      ReportError(kSource, kLineOpenClipboard, "");
      return false;
    }
    clip_ = clip;
    return true;
  }
  uint32_t Length() const { return clip_->length; }

  // Up to frames frames into area (bytes from the start of the work buffer);
  // *samples points at them in the source's format. false after a fault.
  bool Read(size_t area, uint32_t frames, uint32_t* got, int16_t** samples) {
    auto* work = reinterpret_cast<uint8_t*>(pass_.Work());
    auto* raw = reinterpret_cast<int16_t*>(work + area);
    if (clip_->Read(raw, frames, got) != 1) {
      ReportError(kSource, kLineReadClipboard, "");
      return false;
    }
    *samples = raw;
    if (clip_->GetChannels() == pass_.Channels() || *got == 0) return true;
    auto* converted = reinterpret_cast<int16_t*>(work + kConvertedArea);
    uint32_t out = 0;
    const AudioQuality from = clip_->GetFormat();
    const AudioQuality to = pass_.Source().GetFormat();
    const uint32_t bytes = *got * from.channels * 2u;
    ConvertAudioFormat(&from, &to, raw, converted, bytes, static_cast<uint32_t>(kClipboardArea - kConvertedArea),
                       nullptr, &out);
    if (out != *got) {
      ReportError(kSource, kLineClipboardFormat, "");
      return false;
    }
    *samples = converted;
    return true;
  }

 private:
  CEditPass& pass_;
  CAudioSegment* clip_ = nullptr;
};

// The whole clipboard appended, in blocks of the paste's size.
bool AppendClipboard(CEditPass& pass, CClipboardReader& clip, uint32_t block) {
  for (uint32_t done = 0; done < clip.Length();) {
    uint32_t got = 0;
    int16_t* samples = nullptr;
    if (!clip.Read(0, std::min(block, clip.Length() - done), &got, &samples)) return false;
    if (got == 0) break;
    if (!pass.AppendAndReport(samples, got)) return false;
    done += got;
  }
  return true;
}

// Head [0, P), the clipboard, then the source from resumeAt (or from P + the
// clipboard's length when over) to its end.
OperationResult Paste(CAudioSegment* source, std::shared_ptr<CAudioSegment>* result, OperationParameters* params,
                      bool over) {
  CEditPass pass(source, result, params);
  if (OperationResult begun = pass.Begin(); begun != OperationResultDone) return begun;
  CClipboardReader clip(pass);
  if (!clip.Open()) return pass.Abandon();
  const uint32_t point = InsertionPoint(pass.Source(), pass.Values().range);
  if (!pass.Copy(0, point, kPasteBlockFrames) || !AppendClipboard(pass, clip, kPasteBlockFrames)) return pass.Stop();
  const uint64_t resume = over ? static_cast<uint64_t>(point) + clip.Length() : point;
  if (resume < pass.Length() && !pass.Copy(static_cast<uint32_t>(resume), pass.Length(), kPasteBlockFrames)) {
    return pass.Stop();
  }
  return pass.Finish();
}

}  // namespace

OperationResult EditPasteInsert(CAudioSegment* source, std::shared_ptr<CAudioSegment>* result,
                                OperationParameters* params) {
  return Paste(source, result, params, false);
}

OperationResult EditPasteOver(CAudioSegment* source, std::shared_ptr<CAudioSegment>* result,
                              OperationParameters* params) {
  return Paste(source, result, params, true);
}

OperationResult EditPasteMix(CAudioSegment* source, std::shared_ptr<CAudioSegment>* result,
                             OperationParameters* params) {
  CEditPass pass(source, result, params);
  if (OperationResult begun = pass.Begin(); begun != OperationResultDone) return begun;
  CClipboardReader clip(pass);
  if (!clip.Open()) return pass.Abandon();
  const uint32_t point = InsertionPoint(pass.Source(), pass.Values().range);
  if (!pass.Copy(0, point, kMixBlockFrames) || !pass.Seek(point)) return pass.Stop();

  const FXOperationParams& v = pass.Values();
  const uint16_t channels = pass.Channels();
  const float sourceGain[2] = {v.level1Left, v.level1Right};
  const float clipGain[2] = {v.level2Left, v.level2Right};
  int16_t* mixed = pass.Work();
  uint32_t sourceLeft = pass.Length() - point;
  uint32_t clipLeft = clip.Length();
  while (sourceLeft > 0 || clipLeft > 0) {
    uint32_t fromSource = 0;
    if (sourceLeft > 0 && !pass.Read(mixed, std::min(kMixBlockFrames, sourceLeft), &fromSource)) return pass.Stop();
    sourceLeft = fromSource == 0 ? 0 : sourceLeft - fromSource;
    pass.Silence(mixed + static_cast<size_t>(fromSource) * channels, kMixBlockFrames - fromSource);
    uint32_t fromClip = 0;
    int16_t* added = nullptr;
    if (clipLeft > 0 && !clip.Read(kClipboardArea, std::min(kMixBlockFrames, clipLeft), &fromClip, &added)) {
      return pass.Abandon();
    }
    clipLeft = fromClip == 0 ? 0 : clipLeft - fromClip;
    const uint32_t frames = std::max(fromSource, fromClip);
    if (frames == 0) break;
    // Where the clipboard lies, both are scaled and added; past it the source stays.
    for (uint32_t f = 0; f < fromClip; ++f) {
      for (uint16_t c = 0; c < channels; ++c) {
        int16_t& out = mixed[static_cast<size_t>(f) * channels + c];
        const float sum = static_cast<float>(added[static_cast<size_t>(f) * channels + c]) * clipGain[c] +
                          static_cast<float>(out) * sourceGain[c];
        out = SaturateToSample(sum);
      }
    }
    if (!pass.AppendAndReport(mixed, frames)) return pass.Stop();
  }
  return pass.Finish();
}
