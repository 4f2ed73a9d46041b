// What the project-file operations of CProApp share with their callers and
// tests: the file types, the fixed texts, and the places a test may break a
// save to prove it never loses the old file.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ProjectFormat.h"

class CAudioSegment;
class COperationDialog;

// The result of the type test.
enum ProjectFileType : int {
  ProjectFileFault = -1,  // the file could not be read (reported)
  ProjectFileUnknown = 0,
  ProjectFileQrvd12 = 1,  // ".qvk", this program's projects
  ProjectFileQrvz30 = 2,  // ".mix" of the older program, three versions
  ProjectFileQrvz32 = 3,
  ProjectFileQrvz33 = 4,
};

namespace project_text {
constexpr const char* kNotAProject = "Selected file is not an Orvane Tessiro or Orvane Quillon v3.0 file.";
constexpr const char* kLoading = "Loading Tessiro File...";
constexpr const char* kImportingAudio = "Importing Audio Data...";
constexpr const char* kFileFilter = "Orvane Project Files (*.qvk; *.mix)";
constexpr const char* kOpenFilters =
    "Orvane Project Files (*.qvk; *.mix);;Tessiro (*.qvk);;Quillon v3.0 (*.mix);;All files (*.*)";
constexpr const char* kProjectExtension = "qvk";
constexpr const char* kIntroFile = "Intro.qvk";
}  // namespace project_text

// Reads and checks a ".qvk" file whole (see ParseProject); false with the
// reason in *problem.
bool ReadProjectFile(const std::string& path, ProjectImage* image, std::string* problem);

// The one message that refuses a project file: its path and what is wrong.
std::string ProjectRefusalText(const std::string& path, const std::string& problem);

// Save's refusal of a read-only project file, with the question that offers Save As.
std::string ReadOnlyProjectText(const std::string& path);

// Opens the progress window with text, also right after a cancelled one.
void BeginProgress(COperationDialog& progress, const std::string& text);

// Maps the peaks of a segment whose peak file is on disk from an earlier
// session (this session never opened it, so its size is read from the disk)
// when the file holds any: a take shorter than 64 frames has none, which is no fault.
void MapStoredPeaks(CAudioSegment& segment);

// The document title of a project path: its file name without the extension.
std::string ProjectTitleOf(const std::string& path);

// Writes bytes to path so that path holds either its old contents or all of
// the new ones, whatever happens: a temporary file beside it, flushed to disk,
// then renamed over it. A symbolic link stays: the file it names is the one
// replaced. A read-only file is not replaced. false with errno set on failure;
// the old file is then untouched and the temporary file removed.
bool WriteFileReplacing(const std::string& path, const std::vector<uint8_t>& bytes);

// Tests only: called between the complete temporary file and the rename; a
// hook that returns false makes the write fail there (as a crash would leave it).
void SetReplaceFaultHookForTest(std::function<bool(const std::string& temporary)> hook);

// The ten audio files of the intro project, beside "Intro.qvk": each name
// with ".pcm" and ".pek".
extern const char* const kIntroAudioNames[5];
