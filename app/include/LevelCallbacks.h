// What the level window asks of the application: gains in decibels, the
// newest output, track and input audio for its meters, and input monitoring.
// Channel 0 is the master, 1..24 the tracks, 25 and up the physical inputs.
// User-interface thread only.
#pragma once

#include <cstdint>

struct LevelsCallbacks {
  void (*setGain)(uint32_t channel, int32_t leftDb, int32_t rightDb);
  void (*getGain)(uint32_t channel, int16_t* leftDb, int16_t* rightDb);
  void (*getOutputBuffer)(unsigned char** buffer, uint32_t bytes);
  void (*getChannelBuffer)(int16_t channel, unsigned char** buffer, uint32_t bytes);
  void (*startMonitor)(int16_t channel);
  void (*stopMonitor)();
};

void SetLevelCallback(uint32_t channel, int32_t leftDb, int32_t rightDb);
// The gains as whole decibels, halves away from zero.
void GetLevelCallback(uint32_t channel, int16_t* leftDb, int16_t* rightDb);
void GetOutputBufferCallback(unsigned char** buffer, uint32_t bytes);
void GetChannelBufferCallback(int16_t channel, unsigned char** buffer, uint32_t bytes);
void StartMonitorCallback(int16_t channel);
void StopMonitorCallback();

// The six, for the level window.
LevelsCallbacks MakeLevelsCallbacks();
