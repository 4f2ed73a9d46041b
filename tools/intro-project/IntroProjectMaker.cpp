// Synthesises the intro project: twenty seconds in A minor at 120 BPM, with
// a drum loop and a four-bar bass loop in the Loop Bank, a pad, a melody
// played six times and an ending chord on extended tracks, and a little echo
// on the melody. The audio goes through the program's own segment writer, so
// its ".pek" files are what the program makes; the project through the
// program's own project writer.
//
// The file names and the order of the records are fixed: on a first start the
// program rewrites the ten audio paths in place at fixed offsets (loops 0 and
// 1, then snippet records 0 to 7 on tracks 0 to 2). Fixed seeds: every build
// writes the same bytes.
//
// usage: intro-project <folder>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "AudioSegment.h"
#include "AudioTrack.h"
#include "ProjectFormat.h"
#include "../shared/XorshiftNoise.h"

namespace {

constexpr double kRate = 44100.0;
constexpr double kTwoPi = 6.28318530717958647692;
constexpr double kBeatSeconds = 0.5;  // 120 BPM
constexpr double kBarSeconds = 4 * kBeatSeconds;
constexpr float kTempo = 120.0f;
constexpr uint32_t kWriteFrames = 4096;  // a multiple of 64: the peak records stay aligned

// The ten files, in the order the program's rewrite names them.
constexpr const char* kDrumLoopFile = "QRVD_20060612230447_27965453";
constexpr const char* kBassLoopFile = "QRVD_20060612230452_27969703";
constexpr const char* kPadFile = "QRVD_20060614191254_68983359";
constexpr const char* kMelodyFile = "QRVD_20060613113101_72739359";
constexpr const char* kEndingFile = "QRVD_20060614194639_71008421";

using Sound = std::vector<double>;

uint32_t Frames(double seconds) { return static_cast<uint32_t>(std::lround(seconds * kRate)); }
double Hz(int midiNote) { return 440.0 * std::pow(2.0, (midiNote - 69) / 12.0); }

// Attack, then exponential decay towards sustain, then a release from the note's end.
double Adsr(double t, double length, double attack, double decay, double sustain, double release) {
  double level = t < attack ? t / attack : sustain + (1.0 - sustain) * std::exp(-(t - attack) / decay);
  if (t > length) level *= std::exp(-(t - length) / release);
  return level;
}

// Adds a sound made by f(t, seconds since the note began) into out from start seconds on, for seconds.
template <typename F>
void AddNote(Sound* out, double start, double seconds, F f) {
  const uint32_t first = Frames(start);
  const uint32_t count = Frames(seconds);
  for (uint32_t n = 0; n < count && first + n < out->size(); ++n) (*out)[first + n] += f(n / kRate);
}

// ---- Drums: one bar ---------------------------------------------------------

Sound DrumLoop() {
  Sound s(Frames(kBarSeconds), 0.0);
  for (int beat = 0; beat < 4; ++beat) {
    const double at = beat * kBeatSeconds;
    if (beat % 2 == 0) {
      double phase = 0.0;
      AddNote(&s, at, 0.45, [&phase](double t) {
        phase += kTwoPi * (45.0 + 110.0 * std::exp(-t / 0.03)) / kRate;
        return std::exp(-t / 0.16) * std::sin(phase);
      });
    } else {
      CNoise noise(0x736e6172u + beat);
      double lastIn = 0.0, high = 0.0;
      AddNote(&s, at, 0.3, [&](double t) {
        const double in = noise.Next();
        high = 0.85 * (high + in - lastIn);
        lastIn = in;
        return 0.55 * std::exp(-t / 0.05) * high + 0.35 * std::exp(-t / 0.04) * std::sin(kTwoPi * 190.0 * t);
      });
    }
  }
  // Closed hi-hats on the eighths, the off-beats softer.
  for (int eighth = 0; eighth < 8; ++eighth) {
    CNoise noise(0x68686174u + eighth);
    double lastIn = 0.0, lastDiff = 0.0;
    const double gain = eighth % 2 == 0 ? 0.28 : 0.18;
    AddNote(&s, eighth * kBeatSeconds / 2, 0.08, [&](double t) {
      const double in = noise.Next();
      const double diff = in - lastIn;
      const double second = diff - lastDiff;
      lastIn = in;
      lastDiff = diff;
      return gain * std::exp(-t / 0.012) * second;
    });
  }
  return s;
}

// ---- Bass: four bars, one chord root each -------------------------------------

// A saw through a one-pole low pass whose cutoff falls after each attack.
void AddBassNote(Sound* out, double start, double seconds, int note) {
  double phase = 0.0, low = 0.0;
  const double hz = Hz(note);
  AddNote(out, start, seconds + 0.08, [&](double t) {
    phase += hz / kRate;
    phase -= std::floor(phase);
    const double saw = 2.0 * phase - 1.0;
    const double cutoff = 180.0 + 900.0 * std::exp(-t / 0.07);
    low += (1.0 - std::exp(-kTwoPi * cutoff / kRate)) * (saw - low);
    return Adsr(t, seconds, 0.004, 0.15, 0.6, 0.02) * low;
  });
}

Sound BassLoop() {
  Sound s(Frames(4 * kBarSeconds), 0.0);
  const int roots[4] = {45, 41, 48, 43};  // A2, F2, C3, G2
  // Root on the beat, again on the and of two, the octave on the and of four.
  const struct {
    double beat, beats;
    int offset;
  } pattern[] = {{0.0, 1.0, 0}, {1.5, 0.5, 0}, {2.0, 1.0, 0}, {3.0, 0.5, 7}, {3.5, 0.5, 12}};
  for (int bar = 0; bar < 4; ++bar) {
    for (const auto& p : pattern) {
      AddBassNote(&s, bar * kBarSeconds + p.beat * kBeatSeconds, p.beats * kBeatSeconds * 0.9, roots[bar] + p.offset);
    }
  }
  return s;
}

// ---- Pad: eight bars of chords ------------------------------------------------

Sound Pad() {
  Sound s(Frames(8 * kBarSeconds), 0.0);
  const int chords[4][3] = {{57, 60, 64}, {53, 57, 60}, {55, 60, 64}, {55, 59, 62}};  // Am, F, C, G
  for (int bar = 0; bar < 8; ++bar) {
    for (int note : chords[bar % 4]) {
      for (double detune : {-0.004, 0.0, 0.005}) {
        const double hz = Hz(note) * (1.0 + detune);
        double phase = detune * 7.0, low = 0.0;
        AddNote(&s, bar * kBarSeconds, kBarSeconds + 0.6, [&](double t) {
          phase += hz / kRate;
          phase -= std::floor(phase);
          low += 0.08 * ((2.0 * phase - 1.0) - low);  // about 560 Hz: soft
          return Adsr(t, kBarSeconds, 0.35, 0.8, 0.75, 0.25) * low;
        });
      }
    }
  }
  return s;
}

// ---- Melody: one bar of A minor pentatonic --------------------------------------

Sound Melody() {
  Sound s(Frames(kBarSeconds), 0.0);
  const struct {
    double beat, beats;
    int note;
  } phrase[] = {{0.0, 0.5, 76}, {0.5, 0.5, 79}, {1.0, 1.0, 81}, {2.0, 0.5, 79},
                {2.5, 0.5, 76}, {3.0, 0.5, 74}, {3.5, 0.45, 72}};  // E G A G E D C
  for (const auto& p : phrase) {
    const double hz = Hz(p.note);
    const double seconds = p.beats * kBeatSeconds;
    double phase = 0.0;
    AddNote(&s, p.beat * kBeatSeconds, seconds, [&](double t) {
      const double vibrato = 1.0 + 0.004 * std::fmin(1.0, t / 0.2) * std::sin(kTwoPi * 5.5 * t);
      phase += hz * vibrato / kRate;
      phase -= std::floor(phase);
      const double triangle = 4.0 * std::fabs(phase - 0.5) - 1.0;
      return Adsr(t, seconds - 0.03, 0.01, 0.12, 0.7, 0.01) * (triangle + 0.25 * std::sin(2.0 * kTwoPi * phase));
    });
  }
  return s;
}

// ---- Ending: an A minor chord that rings out ------------------------------------

Sound Ending() {
  constexpr double seconds = 4.0;
  Sound s(Frames(seconds), 0.0);
  for (int note : {45, 57, 60, 64, 69}) {
    const double hz = Hz(note);
    AddNote(&s, 0.0, seconds, [hz](double t) {
      double v = 0.0;
      for (int h = 1; h <= 4; ++h) v += std::sin(kTwoPi * hz * h * t) * std::exp(-t * h / 2.5) / h;
      // The last half second fades to silence so the project ends without a cut.
      const double fade = t > seconds - 0.5 ? (seconds - t) / 0.5 : 1.0;
      return std::fmin(1.0, t / 0.005) * v * fade;
    });
  }
  return s;
}

std::vector<int16_t> ToPcm(const Sound& s, double peak) {
  double largest = 1e-9;
  for (double v : s) largest = std::fmax(largest, std::fabs(v));
  std::vector<int16_t> pcm(s.size());
  for (size_t n = 0; n < s.size(); ++n) pcm[n] = static_cast<int16_t>(std::lround(s[n] / largest * peak));
  return pcm;
}

// Writes the audio as a mono segment with a fixed name and gives its record.
bool WriteSegment(const std::string& folder, const char* name, const std::vector<int16_t>& pcm,
                  ProjectSegmentRecord* record) {
  const std::string pcmPath = folder + "/" + name + ".pcm";
  const std::string pekPath = folder + "/" + name + ".pek";
  std::remove(pcmPath.c_str());  // the segment writes from byte 0 and would keep an older tail
  std::remove(pekPath.c_str());
  CAudioSegment segment(folder);
  segment.SetPcmFileName(pcmPath);
  segment.SetPeakFileName(pekPath);
  segment.SetFormat(AudioQuality{44100, 1, 16});
  if (segment.Open(1) != 1) return false;
  for (size_t done = 0; done < pcm.size();) {
    const uint32_t frames = static_cast<uint32_t>(std::min<size_t>(kWriteFrames, pcm.size() - done));
    uint32_t written = 0;
    if (segment.Write(pcm.data() + done, frames, &written) != 0 || written != frames) return false;
    done += frames;
  }
  if (segment.Close() != 1) return false;
  const uint32_t length = static_cast<uint32_t>(pcm.size());
  record->tempo = kTempo;
  record->channels = 1;
  // Bare names: the program writes its own folder in front of them when it first opens the intro.
  record->pcmPath = std::string(name) + ".pcm";
  record->pekPath = std::string(name) + ".pek";
  record->state = {length, 0, length, length, 0, 0, 0, CAudioSegment::kMarkerUnset, CAudioSegment::kMarkerUnset,
                   CAudioSegment::kMarkerUnset};
  return true;
}

ProjectSnippetRecord Placed(int32_t id, double startSeconds, uint32_t length) {
  ProjectSnippetRecord s;
  s.savedId = id;
  s.tempo = kTempo;
  s.ratio = 1.0f;
  s.start = static_cast<int32_t>(Frames(startSeconds));
  s.length = static_cast<int32_t>(length);
  s.end = s.start + s.length;
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  ProjectSegmentRecord drums, bass, pad, melody, ending;
  // Peaks that cannot clip even where every track peaks at once (with the track gains below).
  if (!WriteSegment(folder, kDrumLoopFile, ToPcm(DrumLoop(), 12000), &drums) ||
      !WriteSegment(folder, kBassLoopFile, ToPcm(BassLoop(), 9000), &bass) ||
      !WriteSegment(folder, kPadFile, ToPcm(Pad(), 7000), &pad) ||
      !WriteSegment(folder, kMelodyFile, ToPcm(Melody(), 8000), &melody) ||
      !WriteSegment(folder, kEndingFile, ToPcm(Ending(), 14000), &ending)) {
    std::fprintf(stderr, "intro-project: cannot write the audio in %s: %s\n", folder.c_str(), std::strerror(errno));
    return 1;
  }

  ProjectImage image;
  image.tags.title = "Welcome to Tessiro";
  image.tags.artist = "Tessiro";
  image.tags.description =
      "Drums and bass play from the Loop Bank; a pad, a melody and an ending chord lie on extended tracks.";
  image.tempo = kTempo;
  image.viewEnd = image.viewSpan = static_cast<int32_t>(Frames(20.0));

  image.loops.resize(2);
  image.loops[0] = {0, 1, 0, "Intro Drums", drums};
  image.loops[1] = {1, 4, 0, "Intro Bass", bass};

  int32_t id = 1;
  const char* names[] = {"Pad", "Melody", "Ending", "Drums", "Bass"};
  const float gains[] = {0.6f, 0.75f, 0.8f, 0.9f, 0.85f};
  // A record's colours start all black; the tracks get what a new track has.
  for (auto& track : image.tracks) track.colors = kDefaultTrackColors;
  for (int t = 0; t < 5; ++t) {
    image.tracks[t].description = names[t];
    image.tracks[t].gainLeft = image.tracks[t].gainRight = gains[t];
  }
  image.tracks[0].selected = 1;
  // Records 0..7: the pad, the melody six times, the ending (their paths are rewritten in place).
  image.tracks[0].snippets.push_back(Placed(id++, 0.0, pad.state[kStateLength]));
  image.tracks[0].snippets.back().segment = pad;
  for (int k = 0; k < 6; ++k) {
    image.tracks[1].snippets.push_back(Placed(id++, (2 + k) * kBarSeconds, melody.state[kStateLength]));
    image.tracks[1].snippets.back().segment = melody;
  }
  image.tracks[2].snippets.push_back(Placed(id++, 8 * kBarSeconds, ending.state[kStateLength]));
  image.tracks[2].snippets.back().segment = ending;
  // The loops on tracks after them.
  image.tracks[3].type = image.tracks[4].type = 1;
  for (int bar = 0; bar < 8; ++bar) {
    image.tracks[3].snippets.push_back(Placed(id++, bar * kBarSeconds, drums.state[kStateLength]));
    image.tracks[3].snippets.back().kind = 0;
    image.tracks[3].snippets.back().loopNumber = 0;
  }
  for (int half = 0; half < 2; ++half) {
    image.tracks[4].snippets.push_back(Placed(id++, half * 4 * kBarSeconds, bass.state[kStateLength]));
    image.tracks[4].snippets.back().kind = 0;
    image.tracks[4].snippets.back().loopNumber = 1;
  }
  // A dotted-eighth echo on the melody.
  ProjectEffectSlot echo;
  echo.type = static_cast<int32_t>(ZelmoEcho);
  EffectParameters parameters;
  parameters.echo = {1.0f, 1.0f, 0.3f, 0.3f, 0.5f, 0.5f, 375.0f, 375.0f};
  EncodeEffectParameters(echo.type, parameters, echo.parameters.data());
  image.tracks[1].chain.effects.push_back(echo);

  std::vector<uint8_t> bytes;
  std::string problem;
  if (!SerializeProject(image, &bytes, &problem)) {
    std::fprintf(stderr, "intro-project: %s\n", problem.c_str());
    return 1;
  }
  const std::string path = folder + "/Intro.qvk";
  const std::string temporary = path + ".tmp";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  const bool written = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const bool closed = file && std::fclose(file) == 0;
  if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::fprintf(stderr, "intro-project: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
    std::remove(temporary.c_str());
    return 1;
  }
  return 0;
}
