#include "PropertiesForms.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "AudioLoop.h"
#include "FloatText.h"
#include "Generic.h"

namespace forms {

namespace {
constexpr uint32_t kFramesPerSecond = 44100;
constexpr int kBeatsPerMeasure = 4;

bool HoldsNumber(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
}
}  // namespace

LoopPropertiesForm::LoopPropertiesForm(const LoopPropertiesRequest& request)
    : title(request.title),
      measures(std::clamp(request.measures, kMinMeasures, kMaxMeasures)),
      tempo(request.tempo),
      number_(request.loopNumber),
      lengthFrames_(request.lengthFrames),
      inUse_(request.inUse),
      audioFile_(request.audioFile) {}

std::string LoopPropertiesForm::TempoText() const { return FormatFloat(tempo, 2); }

std::string LoopPropertiesForm::LengthText() const {
  char text[32];
  FormatSamplesAsTime(lengthFrames_, kFramesPerSecond, text);
  return text;
}

bool LoopPropertiesForm::SetMeasures(int position, std::string* refusal) {
  if (inUse_) {
    *refusal = kLoopInUse;
    return false;
  }
  const int wanted = std::clamp(position, kMinMeasures, kMaxMeasures);
  const double seconds = static_cast<double>(lengthFrames_) / kFramesPerSecond;
  const float faster = seconds != 0.0 ? static_cast<float>(60.0 / (seconds / (wanted * kBeatsPerMeasure))) : tempo;
  if (const char* tooFast = RefuseLoopTempo(faster)) {
    *refusal = tooFast;
    return false;
  }
  measures = wanted;
  tempo = faster;
  return true;
}

SnippetPropertiesForm::SnippetPropertiesForm(const SnippetPropertiesRequest& request)
    : tempo(request.tempo),
      loopSnippet_(request.loopSnippet),
      loopNumber_(request.loopNumber),
      identifier_(request.identifier),
      audioFile_(request.audioFile) {}

std::string SnippetPropertiesForm::TypeText() const {
  return loopSnippet_ ? "Loop Audio - #" + std::to_string(loopNumber_ + 1) : "Extended Audio";
}

std::string SnippetPropertiesForm::TempoText() const { return FormatFloat(tempo, 2); }

void SnippetPropertiesForm::SetTypedTempo(const std::string& text) {
  const std::string read = text.substr(0, kMaxTempoText);
  if (!HoldsNumber(read)) return;
  const float typed = ParseFloat(read);
  if (std::isnan(typed)) return;
  // Held as shown, so that what OK hands back is what the edit says.
  tempo = ParseFloat(FormatFloat(std::clamp(typed, kMinTempo, kMaxTempo), 2));
}

}  // namespace forms
