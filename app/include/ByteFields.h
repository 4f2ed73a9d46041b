// Little-endian fields of the stored records (configuration, projects, presets).
#pragma once

#include <cstdint>
#include <cstring>

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

}  // namespace bytes
