// Little-endian fields of the stored records (configuration, projects, presets).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "TrackColorSet.h"

namespace bytes {

inline void PutU32(uint8_t* at, uint32_t v) {
  at[0] = static_cast<uint8_t>(v);
  at[1] = static_cast<uint8_t>(v >> 8);
  at[2] = static_cast<uint8_t>(v >> 16);
  at[3] = static_cast<uint8_t>(v >> 24);
}
inline void PutI32(uint8_t* at, int32_t v) { PutU32(at, static_cast<uint32_t>(v)); }
inline void PutU16(uint8_t* at, uint16_t v) {
  at[0] = static_cast<uint8_t>(v);
  at[1] = static_cast<uint8_t>(v >> 8);
}
inline void PutI16(uint8_t* at, int16_t v) { PutU16(at, static_cast<uint16_t>(v)); }
inline void PutF32(uint8_t* at, float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  PutU32(at, bits);
}

inline uint32_t GetU32(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
         static_cast<uint32_t>(at[3]) << 24;
}
inline int32_t GetI32(const uint8_t* at) { return static_cast<int32_t>(GetU32(at)); }
inline uint16_t GetU16(const uint8_t* at) {
  return static_cast<uint16_t>(at[0] | at[1] << 8);
}
inline int16_t GetI16(const uint8_t* at) { return static_cast<int16_t>(GetU16(at)); }
inline float GetF32(const uint8_t* at) {
  uint32_t bits = GetU32(at);
  float v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

// One reader and one writer per kind of stored field, so that a record's
// fields can be listed once and the list walked both ways.
inline void Get(const uint8_t* at, uint8_t* v) { *v = *at; }
inline void Get(const uint8_t* at, int16_t* v) { *v = GetI16(at); }
inline void Get(const uint8_t* at, int32_t* v) { *v = GetI32(at); }
inline void Get(const uint8_t* at, uint32_t* v) { *v = GetU32(at); }
inline void Get(const uint8_t* at, float* v) { *v = GetF32(at); }
template <size_t N>
void Get(const uint8_t* at, std::array<uint32_t, N>* v) {
  for (size_t i = 0; i < N; ++i) (*v)[i] = GetU32(at + 4 * i);
}
// The 16 bytes of a colour set, in the configuration and in a project's track records.
inline void Get(const uint8_t* at, TrackColorSet* v) {
  *v = {GetU32(at), GetU32(at + 4), GetU32(at + 8), GetU32(at + 12)};
}

inline void Put(uint8_t* at, uint8_t v) { *at = v; }
inline void Put(uint8_t* at, int16_t v) { PutI16(at, v); }
inline void Put(uint8_t* at, int32_t v) { PutI32(at, v); }
inline void Put(uint8_t* at, uint32_t v) { PutU32(at, v); }
inline void Put(uint8_t* at, float v) { PutF32(at, v); }
template <size_t N>
void Put(uint8_t* at, const std::array<uint32_t, N>& v) {
  for (size_t i = 0; i < N; ++i) PutU32(at + 4 * i, v[i]);
}
inline void Put(uint8_t* at, const TrackColorSet& v) {
  PutU32(at, v.snippetBox);
  PutU32(at + 4, v.waveformFill);
  PutU32(at + 8, v.waveformOutline);
  PutU32(at + 12, v.marker);
}

// The two walkers of a field list: field(offset, member) for each field.
struct FieldReader {
  const uint8_t* at;
  template <class T>
  void operator()(size_t offset, T& v) const {
    Get(at + offset, &v);
  }
};

struct FieldWriter {
  uint8_t* at;
  template <class T>
  void operator()(size_t offset, const T& v) const {
    Put(at + offset, v);
  }
};

}  // namespace bytes
