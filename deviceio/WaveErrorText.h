// The text shown for a wave-audio result when a device cannot be opened.
#pragma once

#include <cstdint>

// "" for success; "Unspecified Error" for codes without a text of their own.
const char* WaveErrorText(uint32_t result);
