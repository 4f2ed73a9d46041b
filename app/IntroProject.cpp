// The intro project of a first start: "Intro.qvk" and its audio in the
// program folder, its audio paths rewritten for where the program lives.
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "File.h"
#include "Folders.h"
#include "Generic.h"
#include "pro.h"

const char* const kIntroAudioNames[5] = {
    "QRVD_20060612230447_27965453",  // loop 0
    "QRVD_20060612230452_27969703",  // loop 1
    "QRVD_20060614191254_68983359",  // snippet record 0
    "QRVD_20060613113101_72739359",  // snippet records 1..6
    "QRVD_20060614194639_71008421",  // snippet record 7
};

namespace {

constexpr const char* kSource = "pro";
constexpr int kLineNoProgramFolder = 20825;
constexpr int kLineOpenIntro = 20835;
constexpr int kLinePathTooLong = __LINE__;
constexpr const char* kIntroFolderInData = "intro";

struct IntroField {
  size_t pcmOffset;  // the ".pek" path follows in the next field
  int name;          // index into kIntroAudioNames
};

constexpr IntroField kIntroFields[] = {
    {43794, 0},
    {44462, 1},
    {65714, 2},
    {qvk::kHeaderBytes + qvk::kSnippetRecordBytes * 1 + 50, 3},
    {qvk::kHeaderBytes + qvk::kSnippetRecordBytes * 2 + 50, 3},
    {qvk::kHeaderBytes + qvk::kSnippetRecordBytes * 3 + 50, 3},
    {qvk::kHeaderBytes + qvk::kSnippetRecordBytes * 4 + 50, 3},
    {qvk::kHeaderBytes + qvk::kSnippetRecordBytes * 5 + 50, 3},
    {qvk::kHeaderBytes + qvk::kSnippetRecordBytes * 6 + 50, 3},
    {70026, 4},
};

// Far beyond the intro that ships: a larger file under its name is not it.
constexpr size_t kMaxIntroBytes = 16u << 20;

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes) {
  int64_t size = 0;
  return platform::ReadRegularFile(path, kMaxIntroBytes, bytes, &size) && size == static_cast<int64_t>(bytes->size());
}

// Each path field of the intro's audio: the folder and the file's name. A
// path too long for its field is reported and left as it is; the reader then
// finds the file by its name beside the project.
void RewriteIntroPaths(std::vector<uint8_t>* bytes, const std::string& folder) {
  bool reported = false;
  for (const IntroField& field : kIntroFields) {
    for (int k = 0; k < 2; ++k) {
      const size_t offset = field.pcmOffset + k * qvk::kPathBytes;
      const std::string path = folder + "/" + kIntroAudioNames[field.name] + (k == 0 ? ".pcm" : ".pek");
      if (offset + qvk::kPathBytes > bytes->size()) continue;
      if (path.size() >= qvk::kPathBytes) {
        if (!reported) ReportError(kSource, kLinePathTooLong, ("Intro audio path too long: " + path).c_str());
        reported = true;
        continue;
      }
      std::fill_n(bytes->begin() + static_cast<std::ptrdiff_t>(offset), qvk::kPathBytes, 0);
      std::copy(path.begin(), path.end(), bytes->begin() + static_cast<std::ptrdiff_t>(offset));
    }
  }
}

// The intro and its audio in a folder of the user's own, for a program folder that cannot be written.
bool CopyIntroAudio(const std::string& from, const std::string& to) {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::create_directories(to, error);
  for (const char* name : kIntroAudioNames) {
    for (const char* extension : {".pcm", ".pek"}) {
      const std::string file = std::string(name) + extension;
      fs::copy_file(fs::path(from) / file, fs::path(to) / file, fs::copy_options::overwrite_existing, error);
      if (error) return false;
    }
  }
  return true;
}

}  // namespace

int CProApp::OpenIntroProject() {
  const std::string folder = programFolder_.Path();
  if (folder.empty()) {
    ReportError(kSource, kLineNoProgramFolder, "");
    NewProject();
    return 0;
  }
  const std::string shipped = folder + "/" + project_text::kIntroFile;
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(shipped, &bytes)) {
    ReportError(kSource, kLineOpenIntro, ("Failed to open intro project " + shipped).c_str());
    NewProject();  // the program still starts with a project
    return 0;
  }
  std::vector<uint8_t> rewritten = bytes;
  RewriteIntroPaths(&rewritten, folder);
  std::string path = shipped;
  if (!WriteFileReplacing(shipped, rewritten)) {
    const std::string own = dataFolder + "/" + kIntroFolderInData;
    path = own + "/" + project_text::kIntroFile;
    rewritten = bytes;
    RewriteIntroPaths(&rewritten, own);
    if (!CopyIntroAudio(folder, own) || !WriteFileReplacing(path, rewritten)) {
      ReportError(kSource, kLineOpenIntro, ("Failed to open intro project " + path).c_str());
      NewProject();
      return 0;
    }
  }
  if (OpenProject(path) != status::kDone) {
    NewProject();
    return 0;
  }
  OnPlayProject();  // a new user is greeted with sound
  return 0;
}
