// The ".qvk" project file ("QRVD12") as plain records, and its reader and
// writer.
//
// A project file is a fixed 65,664-byte header (settings, the description,
// 24 track records with their effect chains, the Loop Bank, the Audio
// Editor's state), then the snippet records of tracks 0..23 in track order,
// then the level-envelope points of the master chain and of tracks 0..23. The
// audio stays in the segments' ".pcm" and ".pek" files, named by path.
//
// ParseProject checks the whole file before anything uses it: a file it
// accepts describes a project the application can load without further
// checks. SerializeProject writes exactly the layout ParseProject reads, field
// by field, little-endian, zero in every byte the reader does not read, so a
// saved image parses back equal and saving it twice gives the same bytes.
//
// Plain functions on plain records: no application, no files, no threads.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "AudioLoop.h"
#include "TrackColorSet.h"
#include "Zelmo.h"

namespace qvk {

constexpr char kMagic[] = "QRVD12";
constexpr size_t kMagicBytes = 6;
constexpr size_t kHeaderBytes = 65664;
constexpr size_t kSnippetRecordBytes = 616;
constexpr size_t kLevelEntryBytes = 20;
constexpr size_t kPathBytes = 261;  // a NUL-terminated path of at most 260 bytes
constexpr int kTracks = 24;
constexpr int kChainSlots = 10;
constexpr size_t kParameterBlockBytes = 100;
constexpr int kMaxSnippetsPerTrack = 32767;

// Header offsets.
constexpr size_t kOffTitle = 268;
constexpr size_t kOffArtist = 524;
constexpr size_t kOffAlbum = 780;
constexpr size_t kOffYear = 1036;
constexpr size_t kOffGenre = 1041;
constexpr size_t kOffDescription = 1042;
constexpr size_t kOffTempo = 5160;
constexpr size_t kOffPitch = 5164;
constexpr size_t kOffMasterGainLeft = 5168;
constexpr size_t kOffMasterGainRight = 5172;
constexpr size_t kOffViewStart = 5188;
constexpr size_t kOffViewEnd = 5192;
constexpr size_t kOffViewSpan = 5196;
constexpr size_t kOffMasterLevelsLength = 5200;
constexpr size_t kOffSoloActive = 5204;
constexpr size_t kOffMasterChain = 5224;
constexpr size_t kOffBypassAll = 6428;
constexpr size_t kOffTracks = 6460;
constexpr size_t kTrackRecordBytes = 1552;
constexpr size_t kOffLoopCount = 43700;  // inside the unread tail of track 23's record
constexpr size_t kOffLoops = 43708;
constexpr size_t kLoopRecordBytes = 668;
constexpr size_t kOffEditorSource = 65080;  // inside the unread tail of loop record 31
constexpr size_t kOffEditorTempo = 65088;
constexpr size_t kOffEditorChannels = 65092;
constexpr size_t kOffEditorPcm = 65094;
constexpr size_t kOffEditorPek = 65355;
constexpr size_t kOffEditorState = 65616;
constexpr size_t kOffEditorSnippetId = 65656;
constexpr size_t kOffEditorTrack = 65660;
constexpr size_t kOffEditorLoop = 65662;

constexpr size_t kTitleBytes = 256;
constexpr size_t kYearBytes = 5;
constexpr size_t kDescriptionBytes = kOffTempo - kOffDescription;

// Chain block offsets (the master's at kOffMasterChain, a track's at record offset kTrackOffChain).
constexpr size_t kChainOffCount = 0;
constexpr size_t kChainOffTypes = 4;
constexpr size_t kChainOffParameters = 44;
constexpr size_t kChainOffIndependent = 1044;
constexpr size_t kChainOffPoints1 = 1084;
constexpr size_t kChainOffPoints2 = 1124;
constexpr size_t kChainOffBypass = 1164;

// Track record offsets.
constexpr size_t kTrackOffType = 0;
constexpr size_t kTrackOffDescription = 2;
constexpr size_t kTrackDescriptionBytes = 258;
constexpr size_t kTrackOffPitch = 260;
constexpr size_t kTrackOffGainLeft = 264;
constexpr size_t kTrackOffGainRight = 268;
constexpr size_t kTrackOffArmed = 280;
constexpr size_t kTrackOffSolo = 284;
constexpr size_t kTrackOffMute = 288;
constexpr size_t kTrackOffSelected = 292;
constexpr size_t kTrackOffRecordSlot = 296;
constexpr size_t kTrackOffSnippetCount = 300;
constexpr size_t kTrackOffLevelsLength = 312;
constexpr size_t kTrackOffColors = 316;
constexpr size_t kTrackOffChain = 332;
constexpr size_t kTrackOffChainBypass = 1536;

// Loop record offsets.
constexpr size_t kLoopOffNumber = 0;
constexpr size_t kLoopOffMeasures = 2;
constexpr size_t kLoopOffWord = 8;
constexpr size_t kLoopOffTitle = 12;
constexpr size_t kLoopTitleBytes = 63;
constexpr size_t kLoopOffSegment = 80;  // tempo, channels, paths, state as in a snippet record from 44

// Snippet record offsets.
constexpr size_t kSnipOffId = 0;
constexpr size_t kSnipOffKind = 4;
constexpr size_t kSnipOffSelected = 8;
constexpr size_t kSnipOffTempo = 16;
constexpr size_t kSnipOffRatio = 20;
constexpr size_t kSnipOffStart = 24;
constexpr size_t kSnipOffEnd = 28;
constexpr size_t kSnipOffLength = 32;
constexpr size_t kSnipOffCarry = 36;
constexpr size_t kSnipOffSegment = 44;
constexpr size_t kSnipOffLoopNumber = 612;

// A segment's fields, relative to where they begin (loop 80, snippet 44, editor 65088).
constexpr size_t kSegOffTempo = 0;
constexpr size_t kSegOffChannels = 4;
constexpr size_t kSegOffPcm = 6;
constexpr size_t kSegOffPek = 267;
constexpr size_t kSegOffState = 528;
constexpr int kSegmentStateValues = 10;

// The editor's sources, as stored.
constexpr int32_t kEditorNothing = 1;
constexpr int32_t kEditorIndependent = 2;
constexpr int32_t kEditorSnippet = 3;
constexpr int32_t kEditorLoop = 4;

// Project limits the reader holds a file to.
constexpr float kMinTempo = 50.0f;
constexpr float kMaxTempo = 250.0f;
constexpr float kMaxGain = 100.0f;  // +40 dB; far above what any control sets
constexpr int64_t kMaxProjectFrames = 238140000;  // 90 minutes: no snippet ends later

}  // namespace qvk

// Length, view start, view end, view span, tracker start, tracker end, tracker
// size, marker start, marker end, marker size (markers 0xFFFFFFFF when unset).
using SegmentState = std::array<uint32_t, qvk::kSegmentStateValues>;
enum SegmentStateIndex {
  kStateLength,
  kStateViewStart,
  kStateViewEnd,
  kStateViewSpan,
  kStateTrackerStart,
  kStateTrackerEnd,
  kStateTrackerSize,
  kStateMarkerStart,
  kStateMarkerEnd,
  kStateMarkerSize,
};

// The audio a loop, an extended snippet or the editor's independent audio plays.
struct ProjectSegmentRecord {
  float tempo = 100.0f;
  int16_t channels = 2;
  std::string pcmPath;
  std::string pekPath;
  SegmentState state{};

  bool operator==(const ProjectSegmentRecord&) const = default;
};

// One slot of a chain block. Only slots below the chain's count exist.
struct ProjectEffectSlot {
  int32_t type = 0;
  // The effect's parameter record at the start of the block (see EncodeEffectParameters).
  std::array<uint8_t, qvk::kParameterBlockBytes> parameters{};
  int32_t channelsIndependent = 0;  // levels only
  int32_t bypass = 0;
  // Levels only: list 1, and list 2 when the channels are independent.
  std::vector<Zelmo_Level_Entry> points1;
  std::vector<Zelmo_Level_Entry> points2;

  bool operator==(const ProjectEffectSlot& other) const;
};

struct ProjectChainRecord {
  std::vector<ProjectEffectSlot> effects;  // at most kChainSlots
  bool operator==(const ProjectChainRecord&) const = default;
};

struct ProjectSnippetRecord {
  int32_t savedId = 0;
  int16_t kind = 1;  // 1 extended; any other value a loop snippet
  int32_t selected = 0;
  float tempo = 120.0f;
  float ratio = 1.0f;
  int32_t start = 0, end = 0, length = 0;
  float carry = 0.0f;
  ProjectSegmentRecord segment;  // extended snippets
  int32_t loopNumber = 0;        // loop snippets

  bool IsExtended() const { return kind == 1; }
  bool operator==(const ProjectSnippetRecord&) const = default;
};

struct ProjectTrackRecord {
  int16_t type = 0;  // 0 extended, 1 loop based
  std::string description;
  float pitch = 0.0f;
  float gainLeft = 1.0f, gainRight = 1.0f;
  int32_t armed = 0, solo = 0, mute = 0, selected = 0, recordSlot = 0;
  int32_t levelsLength = 0;
  TrackColorSet colors;
  ProjectChainRecord chain;
  int32_t chainBypass = 0;
  std::vector<ProjectSnippetRecord> snippets;

  bool operator==(const ProjectTrackRecord& other) const;
};

struct ProjectLoopRecord {
  int16_t number = 0;
  int16_t measures = 1;
  int32_t loopWord = 0;  // kept as the loop's selection flag
  std::string title;
  ProjectSegmentRecord segment;

  bool operator==(const ProjectLoopRecord&) const = default;
};

struct ProjectEditorRecord {
  int32_t source = qvk::kEditorNothing;
  ProjectSegmentRecord segment;  // source 2
  int32_t savedSnippetId = 0;    // source 3
  int16_t trackIndex = 0;        // source 3
  int16_t loopNumber = 0;        // source 4

  bool operator==(const ProjectEditorRecord&) const = default;
};

// The project's description fields (Project Settings).
struct ProjectTags {
  std::string title, artist, album, year;
  uint8_t genre = 0;
  std::string description;

  bool operator==(const ProjectTags&) const = default;
};

struct ProjectImage {
  ProjectTags tags;
  float tempo = 120.0f;
  float pitch = 0.0f;
  float masterGainLeft = 1.0f, masterGainRight = 1.0f;
  int32_t viewStart = 0, viewEnd = 441000, viewSpan = 441000;
  int32_t masterLevelsLength = 0;
  int32_t soloActive = 0;
  ProjectChainRecord masterChain;
  int32_t bypassAll = 0;  // also the master chain's own bypass
  std::array<ProjectTrackRecord, qvk::kTracks> tracks;
  std::vector<ProjectLoopRecord> loops;  // at most 32, numbers 0..31, each once
  ProjectEditorRecord editor;

  bool operator==(const ProjectImage&) const = default;
};

// The bytes a file must hold for the counts its header gives, or 0 (problem
// set) when the header itself is unusable. header holds kHeaderBytes bytes.
uint64_t RequiredProjectBytes(const uint8_t* header, std::string* problem);

// Reads and checks a whole file. false with a short sentence in *problem
// ("its tempo is not a number") when the file cannot be loaded; bytes past
// the records are ignored. Damage that loading can mend is mended in *image:
// more than four armed tracks or armed loop tracks are disarmed, a record
// slot outside 1..4 is replaced, an editor source that names nothing becomes 1.
bool ParseProject(const uint8_t* data, size_t size, ProjectImage* image, std::string* problem);

// The file of an image. false with *problem when the image does not fit the
// layout (a path longer than 260 bytes, more than 10 effects in a chain, ...);
// nothing is cut silently but texts, which are cut at a character boundary.
bool SerializeProject(const ProjectImage& image, std::vector<uint8_t>* out, std::string* problem);

// The parameter record of an effect of a type, kept in a 100-byte slot block
// field by field; the member of the type is the one in use.
struct EffectParameters {
  EchoParams echo{};
  ReverbParams reverb;
  ChorusFlangeParams chorusFlange;
  EqualizerParams equalizer{};
  Zelmo_Levels_Parameters levels{};
};
// false for a type without a record (0, 5, unknown); Decode also for a record
// holding a value that is not a finite number.
// The member of p that is the record of an effect of type (levels for any unknown type).
void* EffectParameterRecord(int32_t type, EffectParameters* p);
bool EncodeEffectParameters(int32_t type, const EffectParameters& record, uint8_t* block);
bool DecodeEffectParameters(int32_t type, const uint8_t* block, EffectParameters* record);

// A text of a field: UTF-8 as stored, or Latin-1 (the older program's
// encoding) turned into UTF-8 when it is not valid UTF-8.
std::string TextFromLegacyBytes(const char* bytes, size_t length);
