// The ".prt" preset files: one per form kind ("echo", "fade", ...) in the
// program folder, the user's presets only, as fixed-size little-endian records
// back to back with no header. Each record starts with a 128-byte name and a
// 32-bit lock flag; the rest is laid out by kind (offsets beside the forms that
// store them).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace forms {

constexpr size_t kPresetNameBytes = 128;
constexpr uint32_t kPresetLockOffset = 128;
constexpr size_t kMaxPresets = 64;

class CPresetRecord {
 public:
  CPresetRecord() = default;
  explicit CPresetRecord(size_t bytes) : bytes_(bytes, 0) {}

  // At most 127 bytes, cut between UTF-8 characters: the name always ends inside its field.
  std::string Name() const;
  void SetName(const std::string& name);
  int32_t Int(uint32_t offset) const;
  float Float(uint32_t offset) const;
  void SetInt(uint32_t offset, int32_t value);
  void SetFloat(uint32_t offset, float value);

  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  std::vector<uint8_t>& Bytes() { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

// The record size of a kind, 0 for a kind that keeps no presets.
size_t PresetRecordBytes(const std::string& key);
std::string PresetFilePath(const std::string& folder, const std::string& key);

struct PresetFileContents {
  std::vector<CPresetRecord> records;
  // Bytes that made no whole, sound record (a cut file, damaged values, more
  // records than the list takes): left out of the list, and said so once.
  bool partlyUnreadable = false;
};

// At most room records of a kind from a file's bytes.
PresetFileContents ParsePresetBytes(const uint8_t* bytes, size_t count, const std::string& key, size_t room);
// A missing file holds no presets and is no fault; one that cannot be read (a
// folder, a FIFO, a device, no permission) holds none and is partly unreadable.
PresetFileContents ReadPresetFile(const std::string& path, const std::string& key, size_t room);

// Replaces the file with the records in one step (a new file renamed over the
// old one), so that a failure leaves the old file whole; false on failure.
bool WritePresetFile(const std::string& path, const std::vector<CPresetRecord>& records);

}  // namespace forms
