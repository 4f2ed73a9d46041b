#include "ProjectFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <utility>

#include "AudioLoop.h"
#include "ByteFields.h"

using namespace qvk;

namespace {

// ---- Effect parameter records, field by field -----------------------------

constexpr float EchoParams::*kEchoFields[] = {
    &EchoParams::dryGainLeft,  &EchoParams::dryGainRight, &EchoParams::echoGainLeft, &EchoParams::echoGainRight,
    &EchoParams::decayLeft,    &EchoParams::decayRight,   &EchoParams::delayMsLeft,  &EchoParams::delayMsRight,
};
constexpr float ReverbParams::*kReverbFields[] = {
    &ReverbParams::dryGainLeft,       &ReverbParams::dryGainRight,      &ReverbParams::reverbGainLeft,
    &ReverbParams::reverbGainRight,   &ReverbParams::decayLeft,         &ReverbParams::decayRight,
    &ReverbParams::delayMsLeft,       &ReverbParams::delayMsRight,      &ReverbParams::secondDelayMsLeft,
    &ReverbParams::secondDelayMsRight,
};
constexpr float ChorusFlangeParams::*kChorusFlangeFields[] = {
    &ChorusFlangeParams::dryGainLeft,     &ChorusFlangeParams::dryGainRight,
    &ChorusFlangeParams::wetGainLeft,     &ChorusFlangeParams::wetGainRight,
    &ChorusFlangeParams::lfoHzLeft,       &ChorusFlangeParams::lfoHzRight,
    &ChorusFlangeParams::lfoPhaseDegLeft, &ChorusFlangeParams::lfoPhaseDegRight,
    &ChorusFlangeParams::delayMsLeft,     &ChorusFlangeParams::delayMsRight,
    &ChorusFlangeParams::depthMsLeft,     &ChorusFlangeParams::depthMsRight,
};

// ---- Fields, listed once for both ways -----------------------------------
// Each record's fixed fields are named once, in a list that the reader walks
// with bytes::FieldReader and the writer with bytes::FieldWriter, so that what
// is written is what is read.

// Entry is Zelmo_Level_Entry, const for writing; the same for the lists below.
template <class Entry, class Field>
void LevelEntryFields(Entry& e, const Field& field) {
  field(0, e.identifier);
  field(4, e.tempo);
  field(8, e.gain);
  field(12, e.position);
  field(16, e.samplePosition);
}

template <class Levels, class Field>
void LevelsParameterFields(Levels& p, const Field& field) {
  field(0, p.currentSample);
  field(4, p.projectLength);
  field(8, p.currentTempo);
}

// The segment's fields but its two paths, which the reader and the writer check each its own way.
template <class Segment, class Field>
void SegmentFields(Segment& s, const Field& field) {
  field(kSegOffTempo, s.tempo);
  field(kSegOffChannels, s.channels);
  field(kSegOffState, s.state);
}

// A snippet's fields but its segment and its loop number, one of which it holds.
template <class Snippet, class Field>
void SnippetFields(Snippet& s, const Field& field) {
  field(kSnipOffId, s.savedId);
  field(kSnipOffKind, s.kind);
  field(kSnipOffSelected, s.selected);
  field(kSnipOffTempo, s.tempo);
  field(kSnipOffRatio, s.ratio);
  field(kSnipOffStart, s.start);
  field(kSnipOffEnd, s.end);
  field(kSnipOffLength, s.length);
  field(kSnipOffCarry, s.carry);
}

// A track's fields but its description, its snippet count and its chain.
template <class Track, class Field>
void TrackFields(Track& t, const Field& field) {
  field(kTrackOffType, t.type);
  field(kTrackOffPitch, t.pitch);
  field(kTrackOffGainLeft, t.gainLeft);
  field(kTrackOffGainRight, t.gainRight);
  field(kTrackOffArmed, t.armed);
  field(kTrackOffSolo, t.solo);
  field(kTrackOffMute, t.mute);
  field(kTrackOffSelected, t.selected);
  field(kTrackOffRecordSlot, t.recordSlot);
  field(kTrackOffLevelsLength, t.levelsLength);
  field(kTrackOffColors, t.colors);
  field(kTrackOffChainBypass, t.chainBypass);
}

// A loop's fields but its title and its segment.
template <class Loop, class Field>
void LoopFields(Loop& l, const Field& field) {
  field(kLoopOffNumber, l.number);
  field(kLoopOffMeasures, l.measures);
  field(kLoopOffWord, l.loopWord);
}

// The editor's fields but its segment, which only an independent source holds.
template <class Editor, class Field>
void EditorFields(Editor& e, const Field& field) {
  field(kOffEditorSource, e.source);
  field(kOffEditorSnippetId, e.savedSnippetId);
  field(kOffEditorTrack, e.trackIndex);
  field(kOffEditorLoop, e.loopNumber);
}

// The header's settings. The solo flag read here is made again from the
// tracks once they are read.
template <class Image, class Field>
void HeaderFields(Image& image, const Field& field) {
  field(kOffGenre, image.tags.genre);
  field(kOffTempo, image.tempo);
  field(kOffPitch, image.pitch);
  field(kOffMasterGainLeft, image.masterGainLeft);
  field(kOffMasterGainRight, image.masterGainRight);
  field(kOffViewStart, image.viewStart);
  field(kOffViewEnd, image.viewEnd);
  field(kOffViewSpan, image.viewSpan);
  field(kOffMasterLevelsLength, image.masterLevelsLength);
  field(kOffSoloActive, image.soloActive);
  field(kOffBypassAll, image.bypassAll);
}

// ---- Effect parameter records, by kind ------------------------------------

template <class R, size_t N>
void PutFloats(uint8_t* block, const R& record, float R::*const (&fields)[N]) {
  for (size_t i = 0; i < N; ++i) bytes::PutF32(block + 4 * i, record.*fields[i]);
}

template <class R, size_t N>
bool GetFloats(const uint8_t* block, R* record, float R::*const (&fields)[N]) {
  bool finite = true;
  for (size_t i = 0; i < N; ++i) {
    record->*fields[i] = bytes::GetF32(block + 4 * i);
    finite = finite && std::isfinite(record->*fields[i]);
  }
  return finite;
}

void PutEqualizer(uint8_t* block, const EqualizerParams& p) {
  bytes::PutI32(block, p.interpolationMode);
  for (int b = 0; b < kEqualizerBandCount; ++b) {
    bytes::PutF32(block + 4 + 4 * b, p.left.gains[b]);
    bytes::PutF32(block + 44 + 4 * b, p.right.gains[b]);
  }
}

bool GetEqualizer(const uint8_t* block, EqualizerParams* p) {
  p->interpolationMode = bytes::GetI32(block);
  bool finite = true;
  for (int b = 0; b < kEqualizerBandCount; ++b) {
    p->left.gains[b] = bytes::GetF32(block + 4 + 4 * b);
    p->right.gains[b] = bytes::GetF32(block + 44 + 4 * b);
    finite = finite && std::isfinite(p->left.gains[b]) && std::isfinite(p->right.gains[b]);
  }
  return finite;
}

bool SameEntry(const Zelmo_Level_Entry& a, const Zelmo_Level_Entry& b) {
  return a.identifier == b.identifier && a.tempo == b.tempo && a.gain == b.gain && a.position == b.position &&
         a.samplePosition == b.samplePosition;
}

// ---- Reading --------------------------------------------------------------

bool IsValidUtf8(const unsigned char* p, size_t n) {
  for (size_t i = 0; i < n;) {
    const unsigned char c = p[i];
    size_t follow;
    if (c < 0x80) {
      follow = 0;
    } else if (c >= 0xC2 && c <= 0xDF) {
      follow = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      follow = 2;
    } else if (c >= 0xF0 && c <= 0xF4) {
      follow = 3;
    } else {
      return false;
    }
    if (follow > n - i - 1) return false;
    for (size_t k = 1; k <= follow; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) return false;
    }
    i += follow + 1;
  }
  return true;
}

bool Fail(std::string* problem, const std::string& text) {
  if (problem) *problem = text;
  return false;
}

std::string Format(const char* format, double a, double b = 0) {
  char text[160];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

bool InRange(float v, float low, float high) { return std::isfinite(v) && v >= low && v <= high; }

// The text of a field that must hold its terminator.
bool ReadText(const uint8_t* at, size_t field, std::string* out) {
  const void* end = std::memchr(at, 0, field);
  if (!end) return false;
  *out = TextFromLegacyBytes(reinterpret_cast<const char*>(at), static_cast<const uint8_t*>(end) - at);
  return true;
}

bool ReadPath(const uint8_t* at, std::string* out) {
  const void* end = std::memchr(at, 0, kPathBytes);
  if (!end) return false;
  out->assign(reinterpret_cast<const char*>(at), static_cast<const uint8_t*>(end) - at);
  return true;
}

// Segment fields from where they begin; what is wrong with them, or "".
std::string ReadSegment(const uint8_t* at, ProjectSegmentRecord* s) {
  SegmentFields(*s, bytes::FieldReader{at});
  if (s->channels != 1 && s->channels != 2) return Format("has %g channels", s->channels);
  if (!(std::isfinite(s->tempo) && s->tempo > 0.0f)) return "has no usable tempo";
  if (!ReadPath(at + kSegOffPcm, &s->pcmPath) || !ReadPath(at + kSegOffPek, &s->pekPath)) {
    return "has an audio file path that does not end inside its field";
  }
  if (s->state[kStateLength] > 0x7FFFFFFFu) return "has a negative length";
  return "";
}

struct ChainCounts {
  int count = 0;
  int32_t types[kChainSlots] = {};
  int32_t independent[kChainSlots] = {};
  int32_t points1[kChainSlots] = {};
  int32_t points2[kChainSlots] = {};
  uint64_t points = 0;  // level entries that follow the snippet records
};

bool ReadChainCounts(const uint8_t* block, const std::string& chain, ChainCounts* c, std::string* problem) {
  c->count = bytes::GetI16(block + kChainOffCount);
  if (c->count < 0 || c->count > kChainSlots) {
    return Fail(problem, chain + Format(" holds %g effects (at most 10)", c->count));
  }
  for (int i = 0; i < c->count; ++i) {
    c->types[i] = bytes::GetI32(block + kChainOffTypes + 4 * i);
    c->independent[i] = bytes::GetI32(block + kChainOffIndependent + 4 * i);
    if (c->types[i] != static_cast<int32_t>(ZelmoLevels)) continue;
    c->points1[i] = bytes::GetI32(block + kChainOffPoints1 + 4 * i);
    c->points2[i] = c->independent[i] ? bytes::GetI32(block + kChainOffPoints2 + 4 * i) : 0;
    if (c->points1[i] < 0 || c->points2[i] < 0) return Fail(problem, chain + " has a negative number of level points");
    c->points += static_cast<uint64_t>(c->points1[i]) + static_cast<uint64_t>(c->points2[i]);
  }
  return true;
}

std::string TrackName(int t) { return Format("track %g", t + 1); }

bool ReadChain(const uint8_t* block, const std::string& chain, const ChainCounts& counts, ProjectChainRecord* out,
               std::string* problem) {
  out->effects.assign(counts.count, ProjectEffectSlot{});
  for (int i = 0; i < counts.count; ++i) {
    ProjectEffectSlot& slot = out->effects[i];
    slot.type = counts.types[i];
    std::memcpy(slot.parameters.data(), block + kChainOffParameters + kParameterBlockBytes * i, kParameterBlockBytes);
    slot.channelsIndependent = counts.independent[i];
    slot.bypass = bytes::GetI32(block + kChainOffBypass + 4 * i);
    EffectParameters record;
    const bool known = slot.type == static_cast<int32_t>(ZelmoEcho) || slot.type == static_cast<int32_t>(ZelmoReverb) ||
                       slot.type == static_cast<int32_t>(ZelmoChorus) ||
                       slot.type == static_cast<int32_t>(ZelmoFlange) ||
                       slot.type == static_cast<int32_t>(ZelmoEqualizer);
    if (known && !DecodeEffectParameters(slot.type, slot.parameters.data(), &record)) {
      return Fail(problem, chain + Format(" has effect %g with a setting that is not a number", i + 1));
    }
  }
  return true;
}

bool ReadPoints(const uint8_t*& at, int32_t count, const std::string& chain, std::vector<Zelmo_Level_Entry>* out,
                std::string* problem) {
  out->resize(count);
  for (int32_t k = 0; k < count; ++k, at += kLevelEntryBytes) {
    Zelmo_Level_Entry e{};
    LevelEntryFields(e, bytes::FieldReader{at});
    if (!(std::isfinite(e.tempo) && e.tempo > 0.0f) || !InRange(e.gain, 0.0f, kMaxGain)) {
      return Fail(problem, chain + " has a level point that is not usable");
    }
    (*out)[k] = e;
  }
  return true;
}

bool ReadChainPoints(const uint8_t*& at, const ChainCounts& counts, const std::string& chain, ProjectChainRecord* out,
                     std::string* problem) {
  for (int i = 0; i < counts.count; ++i) {
    if (counts.types[i] != static_cast<int32_t>(ZelmoLevels)) continue;
    if (!ReadPoints(at, counts.points1[i], chain, &out->effects[i].points1, problem)) return false;
    if (!ReadPoints(at, counts.points2[i], chain, &out->effects[i].points2, problem)) return false;
  }
  return true;
}

const uint8_t* TrackRecord(const uint8_t* data, int t) { return data + kOffTracks + kTrackRecordBytes * t; }

bool ReadSnippet(const uint8_t* at, const std::string& track, const std::vector<ProjectLoopRecord>& loops,
                 ProjectSnippetRecord* s, std::string* problem) {
  SnippetFields(*s, bytes::FieldReader{at});
  // Beyond these the tempo/pitch processor would need absurd buffers or positions would overflow.
  if (!InRange(s->tempo, 1.0f, 1.0e6f) || !InRange(s->ratio, 0.001f, 1000.0f) || !InRange(s->carry, -1.0f, 1.0f)) {
    return Fail(problem, "a snippet on " + track + " has timing values that are not usable");
  }
  if (s->start < 0 || s->length < 0 || s->end < s->start) {
    return Fail(problem, "a snippet on " + track + " has a negative position or length");
  }
  if (s->end > kMaxProjectFrames || int64_t{s->start} + s->length > kMaxProjectFrames) {
    return Fail(problem, "a snippet on " + track + " ends past the maximum project length of 90 minutes");
  }
  if (s->IsExtended()) {
    const std::string wrong = ReadSegment(at + kSnipOffSegment, &s->segment);
    if (!wrong.empty()) return Fail(problem, "the audio of a snippet on " + track + " " + wrong);
    return true;
  }
  s->loopNumber = bytes::GetI32(at + kSnipOffLoopNumber);
  const bool exists = std::any_of(loops.begin(), loops.end(),
                                  [s](const ProjectLoopRecord& l) { return l.number == s->loopNumber; });
  if (!exists) {
    return Fail(problem,
                "a loop snippet on " + track + Format(" plays loop %g, which the project does not hold", s->loopNumber));
  }
  return true;
}

bool ReadLoops(const uint8_t* data, std::vector<ProjectLoopRecord>* loops, std::string* problem) {
  const int count = bytes::GetI16(data + kOffLoopCount);
  if (count < 0 || count > kMaxLoops) return Fail(problem, Format("it holds %g loops (at most 32)", count));
  loops->assign(count, ProjectLoopRecord{});
  bool used[kMaxLoops] = {};
  for (int i = 0; i < count; ++i) {
    const uint8_t* at = data + kOffLoops + kLoopRecordBytes * i;
    ProjectLoopRecord& loop = (*loops)[i];
    LoopFields(loop, bytes::FieldReader{at});
    if (loop.number < 0 || loop.number >= kMaxLoops) return Fail(problem, Format("it holds a loop numbered %g", loop.number));
    if (used[loop.number]) return Fail(problem, Format("it holds loop %g twice", loop.number));
    used[loop.number] = true;
    // A title may fill its field: at most 63 characters are taken.
    const char* title = reinterpret_cast<const char*>(at + kLoopOffTitle);
    loop.title = CutText(TextFromLegacyBytes(title, strnlen(title, kLoopTitleBytes)), kLoopTitleBytes);
    const std::string wrong = ReadSegment(at + kLoopOffSegment, &loop.segment);
    if (!wrong.empty()) return Fail(problem, Format("the audio of loop %g ", loop.number) + wrong);
    if (loop.segment.state[kStateLength] > kMaxLoopFrames) {
      return Fail(problem, Format("loop %g is longer than 30 seconds", loop.number));
    }
  }
  return true;
}

bool ReadTags(const uint8_t* data, ProjectTags* tags, std::string* problem) {
  const bool terminated = ReadText(data + kOffTitle, kTitleBytes, &tags->title) &&
                          ReadText(data + kOffArtist, kTitleBytes, &tags->artist) &&
                          ReadText(data + kOffAlbum, kTitleBytes, &tags->album) &&
                          ReadText(data + kOffYear, kYearBytes, &tags->year) &&
                          ReadText(data + kOffDescription, kDescriptionBytes, &tags->description);
  return terminated || Fail(problem, "one of its description fields does not end inside its field");
}

bool ReadTrack(const uint8_t* data, int t, ProjectTrackRecord* track, ChainCounts* counts, std::string* problem) {
  const uint8_t* at = TrackRecord(data, t);
  const std::string name = TrackName(t);
  TrackFields(*track, bytes::FieldReader{at});
  if (track->type != 0 && track->type != 1) return Fail(problem, name + Format(" has an unknown type (%g)", track->type));
  if (!ReadText(at + kTrackOffDescription, kTrackDescriptionBytes, &track->description)) {
    return Fail(problem, "the description of " + name + " does not end inside its field");
  }
  if (!std::isfinite(track->pitch) || !InRange(track->gainLeft, 0.0f, kMaxGain) ||
      !InRange(track->gainRight, 0.0f, kMaxGain)) {
    return Fail(problem, name + " has a pitch or volume that is not usable");
  }
  track->pitch = std::clamp(track->pitch, -12.0f, 12.0f);
  return ReadChainCounts(at + kTrackOffChain, "the effects of " + name, counts, problem) &&
         ReadChain(at + kTrackOffChain, "the effects of " + name, *counts, &track->chain, problem);
}

// What loading mends rather than refuses.
void MendTracks(ProjectImage* image) {
  int armed = 0;
  bool slotTaken[5] = {};
  std::vector<ProjectTrackRecord*> needSlot;
  image->soloActive = 0;
  for (ProjectTrackRecord& track : image->tracks) {
    // A track takes the type of the last snippet added to it.
    const int16_t type = track.snippets.empty() ? track.type : (track.snippets.back().IsExtended() ? 0 : 1);
    if (track.armed && (type != 0 || armed == 4)) track.armed = 0;
    if (track.solo) image->soloActive = 1;
    if (!track.armed) continue;
    ++armed;
    if (track.recordSlot >= 1 && track.recordSlot <= 4 && !slotTaken[track.recordSlot]) {
      slotTaken[track.recordSlot] = true;
    } else {
      needSlot.push_back(&track);
    }
  }
  for (ProjectTrackRecord* track : needSlot) {
    int slot = 1;
    while (slotTaken[slot]) ++slot;
    slotTaken[slot] = true;
    track->recordSlot = slot;
  }
}

void MendEditor(const uint8_t* data, ProjectImage* image) {
  ProjectEditorRecord& e = image->editor;
  EditorFields(e, bytes::FieldReader{data});
  bool usable = e.source >= kEditorNothing && e.source <= kEditorLoop;
  if (e.source == kEditorIndependent) {
    usable = ReadSegment(data + kOffEditorTempo, &e.segment).empty();
  } else if (e.source == kEditorSnippet) {
    usable = e.trackIndex >= 0 && e.trackIndex < kTracks &&
             std::any_of(image->tracks[e.trackIndex].snippets.begin(), image->tracks[e.trackIndex].snippets.end(),
                         [&e](const ProjectSnippetRecord& s) { return s.savedId == e.savedSnippetId; });
  } else if (e.source == kEditorLoop) {
    usable = std::any_of(image->loops.begin(), image->loops.end(),
                         [&e](const ProjectLoopRecord& l) { return l.number == e.loopNumber; });
  }
  if (!usable) e = ProjectEditorRecord{};
}

// ---- Writing --------------------------------------------------------------

void PutText(uint8_t* at, size_t field, const std::string& text) {
  const std::string cut = CutText(text, field - 1);
  std::memcpy(at, cut.data(), cut.size());
}

bool PutPath(uint8_t* at, const std::string& path, std::string* problem) {
  if (path.size() >= kPathBytes) return Fail(problem, "the path " + path + " is longer than 260 bytes");
  std::memcpy(at, path.data(), path.size());
  return true;
}

bool PutSegment(uint8_t* at, const ProjectSegmentRecord& s, std::string* problem) {
  SegmentFields(s, bytes::FieldWriter{at});
  return PutPath(at + kSegOffPcm, s.pcmPath, problem) && PutPath(at + kSegOffPek, s.pekPath, problem);
}

bool PutChain(uint8_t* block, const ProjectChainRecord& chain, const std::string& name, std::string* problem) {
  if (chain.effects.size() > static_cast<size_t>(kChainSlots)) return Fail(problem, name + " holds more than 10 effects");
  bytes::PutI16(block + kChainOffCount, static_cast<int16_t>(chain.effects.size()));
  for (size_t i = 0; i < chain.effects.size(); ++i) {
    const ProjectEffectSlot& slot = chain.effects[i];
    bytes::PutI32(block + kChainOffTypes + 4 * i, slot.type);
    std::memcpy(block + kChainOffParameters + kParameterBlockBytes * i, slot.parameters.data(), kParameterBlockBytes);
    bytes::PutI32(block + kChainOffIndependent + 4 * i, slot.channelsIndependent);
    bytes::PutI32(block + kChainOffBypass + 4 * i, slot.bypass);
    if (slot.type != static_cast<int32_t>(ZelmoLevels)) continue;
    if (slot.points1.size() > 0x7FFFFFFF || slot.points2.size() > 0x7FFFFFFF) {
      return Fail(problem, name + " has too many level points");
    }
    bytes::PutI32(block + kChainOffPoints1 + 4 * i, static_cast<int32_t>(slot.points1.size()));
    if (slot.channelsIndependent) {
      bytes::PutI32(block + kChainOffPoints2 + 4 * i, static_cast<int32_t>(slot.points2.size()));
    }
  }
  return true;
}

uint64_t ChainPointCount(const ProjectChainRecord& chain) {
  uint64_t n = 0;
  for (const ProjectEffectSlot& slot : chain.effects) {
    if (slot.type != static_cast<int32_t>(ZelmoLevels)) continue;
    n += slot.points1.size() + (slot.channelsIndependent ? slot.points2.size() : 0);
  }
  return n;
}

uint8_t* PutChainPoints(uint8_t* at, const ProjectChainRecord& chain) {
  for (const ProjectEffectSlot& slot : chain.effects) {
    if (slot.type != static_cast<int32_t>(ZelmoLevels)) continue;
    for (const Zelmo_Level_Entry& e : slot.points1) {
      LevelEntryFields(e, bytes::FieldWriter{std::exchange(at, at + kLevelEntryBytes)});
    }
    if (!slot.channelsIndependent) continue;
    for (const Zelmo_Level_Entry& e : slot.points2) {
      LevelEntryFields(e, bytes::FieldWriter{std::exchange(at, at + kLevelEntryBytes)});
    }
  }
  return at;
}

bool PutSnippet(uint8_t* at, const ProjectSnippetRecord& s, std::string* problem) {
  SnippetFields(s, bytes::FieldWriter{at});
  if (!s.IsExtended()) {
    bytes::PutI32(at + kSnipOffLoopNumber, s.loopNumber);
    return true;
  }
  return PutSegment(at + kSnipOffSegment, s.segment, problem);
}

bool PutTrack(uint8_t* at, const ProjectTrackRecord& track, int t, std::string* problem) {
  if (track.snippets.size() > static_cast<size_t>(kMaxSnippetsPerTrack)) {
    return Fail(problem, TrackName(t) + " holds more than 32767 snippets");
  }
  TrackFields(track, bytes::FieldWriter{at});
  PutText(at + kTrackOffDescription, kTrackDescriptionBytes, track.description);
  bytes::PutI16(at + kTrackOffSnippetCount, static_cast<int16_t>(track.snippets.size()));
  return PutChain(at + kTrackOffChain, track.chain, "the effects of " + TrackName(t), problem);
}

bool PutLoops(uint8_t* data, const std::vector<ProjectLoopRecord>& loops, std::string* problem) {
  if (loops.size() > static_cast<size_t>(kMaxLoops)) return Fail(problem, "the project holds more than 32 loops");
  bytes::PutI16(data + kOffLoopCount, static_cast<int16_t>(loops.size()));
  bool used[kMaxLoops] = {};
  for (size_t i = 0; i < loops.size(); ++i) {
    const ProjectLoopRecord& loop = loops[i];
    if (loop.number < 0 || loop.number >= kMaxLoops || used[loop.number]) {
      return Fail(problem, Format("the Loop Bank holds a loop numbered %g", loop.number));
    }
    used[loop.number] = true;
    uint8_t* at = data + kOffLoops + kLoopRecordBytes * i;
    LoopFields(loop, bytes::FieldWriter{at});
    const std::string title = CutText(loop.title, kLoopTitleBytes);
    std::memcpy(at + kLoopOffTitle, title.data(), title.size());
    if (!PutSegment(at + kLoopOffSegment, loop.segment, problem)) return false;
  }
  return true;
}

bool PutEditor(uint8_t* data, const ProjectEditorRecord& e, std::string* problem) {
  EditorFields(e, bytes::FieldWriter{data});
  return e.source != kEditorIndependent || PutSegment(data + kOffEditorTempo, e.segment, problem);
}

}  // namespace

// ---- Public ---------------------------------------------------------------

bool ProjectEffectSlot::operator==(const ProjectEffectSlot& o) const {
  return type == o.type && parameters == o.parameters && channelsIndependent == o.channelsIndependent &&
         bypass == o.bypass && std::equal(points1.begin(), points1.end(), o.points1.begin(), o.points1.end(), SameEntry) &&
         std::equal(points2.begin(), points2.end(), o.points2.begin(), o.points2.end(), SameEntry);
}

bool ProjectTrackRecord::operator==(const ProjectTrackRecord& o) const {
  return type == o.type && description == o.description && pitch == o.pitch && gainLeft == o.gainLeft &&
         gainRight == o.gainRight && armed == o.armed && solo == o.solo && mute == o.mute && selected == o.selected &&
         recordSlot == o.recordSlot && levelsLength == o.levelsLength && colors.snippetBox == o.colors.snippetBox &&
         colors.waveformFill == o.colors.waveformFill && colors.waveformOutline == o.colors.waveformOutline &&
         colors.marker == o.colors.marker && chain == o.chain && chainBypass == o.chainBypass &&
         snippets == o.snippets;
}

void* EffectParameterRecord(int32_t type, EffectParameters* p) {
  switch (type) {
    case static_cast<int32_t>(ZelmoEcho):
      return &p->echo;
    case static_cast<int32_t>(ZelmoReverb):
      return &p->reverb;
    case static_cast<int32_t>(ZelmoChorus):
    case static_cast<int32_t>(ZelmoFlange):
      return &p->chorusFlange;
    case static_cast<int32_t>(ZelmoEqualizer):
      return &p->equalizer;
    default:
      return &p->levels;
  }
}

bool EncodeEffectParameters(int32_t type, const EffectParameters& r, uint8_t* block) {
  std::memset(block, 0, kParameterBlockBytes);
  switch (type) {
    case static_cast<int32_t>(ZelmoEcho):
      PutFloats(block, r.echo, kEchoFields);
      return true;
    case static_cast<int32_t>(ZelmoReverb):
      PutFloats(block, r.reverb, kReverbFields);
      return true;
    case static_cast<int32_t>(ZelmoChorus):
    case static_cast<int32_t>(ZelmoFlange):
      PutFloats(block, r.chorusFlange, kChorusFlangeFields);
      return true;
    case static_cast<int32_t>(ZelmoEqualizer):
      PutEqualizer(block, r.equalizer);
      return true;
    case static_cast<int32_t>(ZelmoLevels):
      LevelsParameterFields(r.levels, bytes::FieldWriter{block});
      return true;
    default:
      return false;
  }
}

bool DecodeEffectParameters(int32_t type, const uint8_t* block, EffectParameters* r) {
  switch (type) {
    case static_cast<int32_t>(ZelmoEcho):
      return GetFloats(block, &r->echo, kEchoFields);
    case static_cast<int32_t>(ZelmoReverb):
      return GetFloats(block, &r->reverb, kReverbFields);
    case static_cast<int32_t>(ZelmoChorus):
    case static_cast<int32_t>(ZelmoFlange):
      return GetFloats(block, &r->chorusFlange, kChorusFlangeFields);
    case static_cast<int32_t>(ZelmoEqualizer):
      return GetEqualizer(block, &r->equalizer);
    case static_cast<int32_t>(ZelmoLevels):
      LevelsParameterFields(r->levels, bytes::FieldReader{block});
      return std::isfinite(r->levels.currentTempo);
    default:
      return false;
  }
}

std::string TextFromLegacyBytes(const char* bytes, size_t length) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes);
  if (IsValidUtf8(p, length)) return std::string(bytes, length);
  std::string text;
  text.reserve(length * 2);
  for (size_t k = 0; k < length; ++k) {
    const unsigned char c = p[k];
    if (c < 0x80) {
      text += static_cast<char>(c);
    } else {
      text += static_cast<char>(0xC0 | (c >> 6));
      text += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return text;
}

uint64_t RequiredProjectBytes(const uint8_t* data, std::string* problem) {
  ChainCounts counts;
  if (!ReadChainCounts(data + kOffMasterChain, "the master effects", &counts, problem)) return 0;
  uint64_t points = counts.points;
  uint64_t snippets = 0;
  for (int t = 0; t < kTracks; ++t) {
    const int16_t n = bytes::GetI16(TrackRecord(data, t) + kTrackOffSnippetCount);
    if (n < 0) {
      Fail(problem, TrackName(t) + " has a negative number of snippets");
      return 0;
    }
    snippets += static_cast<uint64_t>(n);
    ChainCounts track;
    if (!ReadChainCounts(TrackRecord(data, t) + kTrackOffChain, "the effects of " + TrackName(t), &track, problem)) {
      return 0;
    }
    points += track.points;
  }
  return kHeaderBytes + snippets * kSnippetRecordBytes + points * kLevelEntryBytes;
}

bool ParseProject(const uint8_t* data, size_t size, ProjectImage* image, std::string* problem) {
  if (size < kHeaderBytes) return Fail(problem, Format("it is shorter than a project header (%.0f bytes)", static_cast<double>(size)));
  if (std::memcmp(data, kMagic, kMagicBytes) != 0) return Fail(problem, "it is not a Tessiro project");
  const uint64_t required = RequiredProjectBytes(data, problem);
  if (required == 0) return false;
  if (size < required) {
    return Fail(problem, Format("it is cut short: it holds %.0f bytes where its records need %.0f", static_cast<double>(size),
                                static_cast<double>(required)));
  }
  *image = ProjectImage{};
  if (!ReadTags(data, &image->tags, problem)) return false;
  HeaderFields(*image, bytes::FieldReader{data});
  if (!std::isfinite(image->tempo)) return Fail(problem, "its tempo is not a number");
  if (image->tempo < kMinTempo || image->tempo > kMaxTempo) {
    return Fail(problem, Format("its tempo (%g BPM) lies outside 50 to 250 BPM", image->tempo));
  }
  if (!std::isfinite(image->pitch)) return Fail(problem, "its pitch is not a number");
  image->pitch = std::clamp(image->pitch, -12.0f, 12.0f);
  if (!InRange(image->masterGainLeft, 0.0f, kMaxGain) || !InRange(image->masterGainRight, 0.0f, kMaxGain)) {
    return Fail(problem, "its master volume is not usable");
  }
  if (image->viewStart < 0 || image->viewEnd <= image->viewStart) {
    image->viewStart = 0;
    image->viewEnd = 441000;
  }
  image->viewSpan = image->viewEnd - image->viewStart;

  ChainCounts master;
  if (!ReadChainCounts(data + kOffMasterChain, "the master effects", &master, problem) ||
      !ReadChain(data + kOffMasterChain, "the master effects", master, &image->masterChain, problem)) {
    return false;
  }
  if (!ReadLoops(data, &image->loops, problem)) return false;
  ChainCounts trackCounts[kTracks];
  for (int t = 0; t < kTracks; ++t) {
    if (!ReadTrack(data, t, &image->tracks[t], &trackCounts[t], problem)) return false;
  }
  const uint8_t* at = data + kHeaderBytes;
  for (int t = 0; t < kTracks; ++t) {
    const int16_t n = bytes::GetI16(TrackRecord(data, t) + kTrackOffSnippetCount);
    image->tracks[t].snippets.resize(n);
    for (int k = 0; k < n; ++k, at += kSnippetRecordBytes) {
      if (!ReadSnippet(at, TrackName(t), image->loops, &image->tracks[t].snippets[k], problem)) return false;
    }
  }
  if (!ReadChainPoints(at, master, "the master effects", &image->masterChain, problem)) return false;
  for (int t = 0; t < kTracks; ++t) {
    if (!ReadChainPoints(at, trackCounts[t], "the effects of " + TrackName(t), &image->tracks[t].chain, problem)) {
      return false;
    }
  }
  MendTracks(image);
  MendEditor(data, image);
  return true;
}

bool SerializeProject(const ProjectImage& image, std::vector<uint8_t>* out, std::string* problem) {
  uint64_t snippets = 0;
  uint64_t points = ChainPointCount(image.masterChain);
  for (const ProjectTrackRecord& track : image.tracks) {
    snippets += track.snippets.size();
    points += ChainPointCount(track.chain);
  }
  const uint64_t total = kHeaderBytes + snippets * kSnippetRecordBytes + points * kLevelEntryBytes;
  if (total > 0x7FFFFFFF) return Fail(problem, "the project is too large for one file");
  out->assign(static_cast<size_t>(total), 0);
  uint8_t* data = out->data();
  std::memcpy(data, kMagic, kMagicBytes);
  PutText(data + kOffTitle, kTitleBytes, image.tags.title);
  PutText(data + kOffArtist, kTitleBytes, image.tags.artist);
  PutText(data + kOffAlbum, kTitleBytes, image.tags.album);
  PutText(data + kOffYear, kYearBytes, image.tags.year);
  PutText(data + kOffDescription, kDescriptionBytes, image.tags.description);
  HeaderFields(image, bytes::FieldWriter{data});
  if (!PutChain(data + kOffMasterChain, image.masterChain, "the master effects", problem)) return false;
  // Track records first: loop count and editor source lie in the tails of records before them.
  for (int t = 0; t < kTracks; ++t) {
    if (!PutTrack(data + kOffTracks + kTrackRecordBytes * t, image.tracks[t], t, problem)) return false;
  }
  if (!PutLoops(data, image.loops, problem) || !PutEditor(data, image.editor, problem)) return false;
  uint8_t* at = data + kHeaderBytes;
  for (const ProjectTrackRecord& track : image.tracks) {
    for (const ProjectSnippetRecord& s : track.snippets) {
      if (!PutSnippet(at, s, problem)) return false;
      at += kSnippetRecordBytes;
    }
  }
  at = PutChainPoints(at, image.masterChain);
  for (const ProjectTrackRecord& track : image.tracks) at = PutChainPoints(at, track.chain);
  return true;
}
