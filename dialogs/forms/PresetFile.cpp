#include "PresetFile.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "AudioLoop.h"
#include "ByteFields.h"
#include "File.h"
#include "FileReplace.h"

namespace forms {
namespace {

// What each 4-byte field after the name holds, in order: 'b' a 0/1 flag, 'k' a
// kind (1 or 2), 'f' a float that must be a number, 'x' a float that may carry
// no meaning (the unused unit of a pitch).
struct Layout {
  const char* key;
  const char* fields;
};
const Layout kLayouts[] = {
    {"fade", "bffbbffbbb"},
    {"reverb", "bffbbffbbffffff"},
    {"echo", "bffbbffbbffff"},
    {"flange", "bffbbffbbffffffff"},
    {"chorus", "bffbbffbbffffffff"},
    {"stretch_compress", "bff"},
    {"pitch_shift", "bxxxxkk"},
    {"equalizer", "bbffffffffffffffffffffbbbbbbbbbbbbbbbbbbbb"},
};

const Layout* LayoutOf(const std::string& key) {
  for (const Layout& layout : kLayouts) {
    if (key == layout.key) return &layout;
  }
  return nullptr;
}

bool Sound(const CPresetRecord& record, const Layout& layout) {
  uint32_t offset = kPresetLockOffset;
  for (const char* kind = layout.fields; *kind; ++kind, offset += 4) {
    const int32_t i = record.Int(offset);
    if (*kind == 'b' && i != 0 && i != 1) return false;
    if (*kind == 'k' && i != 1 && i != 2) return false;
    if (*kind == 'f' && !std::isfinite(record.Float(offset))) return false;
  }
  return true;
}

}  // namespace

std::string CPresetRecord::Name() const {
  const size_t n = std::min(bytes_.size(), kPresetNameBytes - 1);
  const auto* text = reinterpret_cast<const char*>(bytes_.data());
  return std::string(text, strnlen(text, n));
}

void CPresetRecord::SetName(const std::string& name) {
  const std::string kept = CutText(name, std::min(kPresetNameBytes - 1, bytes_.size()));
  std::memset(bytes_.data(), 0, std::min(kPresetNameBytes, bytes_.size()));
  std::memcpy(bytes_.data(), kept.data(), kept.size());
}

int32_t CPresetRecord::Int(uint32_t offset) const {
  return offset + 4 <= bytes_.size() ? bytes::GetI32(bytes_.data() + offset) : 0;
}
float CPresetRecord::Float(uint32_t offset) const {
  return offset + 4 <= bytes_.size() ? bytes::GetF32(bytes_.data() + offset) : 0.0f;
}
void CPresetRecord::SetInt(uint32_t offset, int32_t value) {
  if (offset + 4 <= bytes_.size()) bytes::PutI32(bytes_.data() + offset, value);
}
void CPresetRecord::SetFloat(uint32_t offset, float value) {
  if (offset + 4 <= bytes_.size()) bytes::PutF32(bytes_.data() + offset, value);
}

size_t PresetRecordBytes(const std::string& key) {
  const Layout* layout = LayoutOf(key);
  return layout ? kPresetLockOffset + 4 * std::strlen(layout->fields) : 0;
}

std::string PresetFilePath(const std::string& folder, const std::string& key) { return folder + "/" + key + ".prt"; }

PresetFileContents ParsePresetBytes(const uint8_t* bytes, size_t count, const std::string& key, size_t room) {
  PresetFileContents contents;
  const Layout* layout = LayoutOf(key);
  if (!layout) return contents;
  const size_t size = PresetRecordBytes(key);
  for (size_t at = 0; at < count; at += size) {
    if (at + size > count || contents.records.size() >= room) {
      contents.partlyUnreadable = true;
      break;
    }
    CPresetRecord record(size);
    std::memcpy(record.Bytes().data(), bytes + at, size);
    record.Bytes()[kPresetNameBytes - 1] = 0;
    if (Sound(record, *layout)) {
      contents.records.push_back(std::move(record));
    } else {
      contents.partlyUnreadable = true;
    }
  }
  return contents;
}

PresetFileContents ReadPresetFile(const std::string& path, const std::string& key, size_t room) {
  const size_t size = PresetRecordBytes(key);
  if (size == 0) return {};
  // No list holds more records than that, so a file is never read beyond them.
  std::vector<uint8_t> bytes;
  int64_t length = 0;
  if (!platform::ReadRegularFile(path, kMaxPresets * size, &bytes, &length)) {
    PresetFileContents none;
    none.partlyUnreadable = errno != ENOENT;
    return none;
  }
  PresetFileContents contents = ParsePresetBytes(bytes.data(), bytes.size(), key, room);
  if (length > static_cast<int64_t>(bytes.size())) contents.partlyUnreadable = true;
  return contents;
}

bool WritePresetFile(const std::string& path, const std::vector<CPresetRecord>& records) {
  // Through a link: the file it names is replaced, and the link stays.
  const std::string target = platform::ReplacedFile(platform::AbsolutePath(path));
  platform::CTemporaryFileGuard temporary(platform::MakeUniqueFile(platform::FolderOfPath(target), ".presets", ".tmp"));
  if (temporary.Path().empty()) return false;
  platform::CFile file;
  if (!file.Open(temporary.Path(), platform::CFile::Mode::Create)) return false;
  for (const CPresetRecord& record : records) {
    const auto size = static_cast<int64_t>(record.Bytes().size());
    if (file.Write(record.Bytes().data(), record.Bytes().size()) != size) return false;
  }
  if (!file.Close() || !platform::ReplaceFileWith(temporary.Path(), target)) return false;
  temporary.Release();
  return true;
}

}  // namespace forms
