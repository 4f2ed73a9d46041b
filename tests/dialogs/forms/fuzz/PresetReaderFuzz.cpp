// Any bytes at all as a ".prt" file of every kind, and as a typed name.
// Besides the sanitizers' checks: the reader takes no more records than the
// list has room for, each of its kind's size with its name ended inside the
// field; the bytes the writer would write of them read back to the same
// records; and a name is cut to its field between UTF-8 characters.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "PresetFile.h"
#include "Utf8.h"

namespace {

const char* const kKeys[] = {"fade", "reverb", "echo", "flange", "chorus", "stretch_compress", "pitch_shift",
                             "equalizer"};

void CheckName(const uint8_t* data, size_t size) {
  const std::string typed(reinterpret_cast<const char*>(data), size);
  forms::CPresetRecord record(forms::PresetRecordBytes("echo"));
  record.SetName(typed);
  const std::string kept = record.Name();
  if (kept.size() > forms::kPresetNameBytes - 1) __builtin_trap();
  // What is kept begins what was typed, up to its first NUL.
  if (typed.compare(0, kept.size(), kept) != 0) __builtin_trap();
  const std::string upToNul = typed.substr(0, typed.find('\0'));
  if (tessiro::test::IsValidUtf8(upToNul) && !tessiro::test::IsValidUtf8(kept)) __builtin_trap();
  if (upToNul.size() <= forms::kPresetNameBytes - 1 && kept != upToNul) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first byte chooses the room the list has left, as its built-ins would.
  const size_t room = size > 0 ? data[0] % (forms::kMaxPresets + 1) : forms::kMaxPresets;
  for (const char* key : kKeys) {
    const size_t recordBytes = forms::PresetRecordBytes(key);
    const forms::PresetFileContents contents = forms::ParsePresetBytes(data, size, key, room);
    if (contents.records.size() > room) __builtin_trap();
    if (size % recordBytes != 0 && !contents.partlyUnreadable) __builtin_trap();  // a cut record is said
    std::vector<uint8_t> written;
    for (const forms::CPresetRecord& record : contents.records) {
      if (record.Bytes().size() != recordBytes) __builtin_trap();
      if (record.Name().size() > forms::kPresetNameBytes - 1) __builtin_trap();
      written.insert(written.end(), record.Bytes().begin(), record.Bytes().end());
    }
    const forms::PresetFileContents back = forms::ParsePresetBytes(written.data(), written.size(), key, room);
    if (back.partlyUnreadable || back.records.size() != contents.records.size()) __builtin_trap();
    for (size_t i = 0; i < back.records.size(); ++i) {
      if (back.records[i].Bytes() != contents.records[i].Bytes()) __builtin_trap();
    }
  }
  CheckName(data, size);
  return 0;
}
