// Pobix: the device input/output library.
//
// Owns: one player that plays the program's stereo mix on one output device, and
// one recorder per physical input (at most 16), each capturing 16-bit stereo at
// 44100 Hz and handing the audio, converted per input (stereo pair, left or right
// channel; stereo frames or mono samples), to the program's input callbacks. Up to
// four inputs share one recorder. The format is fixed: 16-bit signed little-endian,
// 2 channels, 44100 frames a second, 4 bytes a frame.
//
// Threads: the program calls CPobix from its user-interface thread. The player and
// every recorder run a thread of their own, above normal priority, woken by their
// device's notices; the fill, input, end-of-audio and dropout callbacks run there
// (the first playback buffers are filled on the caller's thread inside Start). Stop
// may also be called from those callbacks: there it asks for the stop of the run
// the callback belongs to and returns at once, waiting for nothing and taking no
// lock, so it can neither hold up the program's thread inside Start or Stop nor
// end a run begun since. Faults are reported with ReportErrorDll, which hands
// reports from device threads to the user-interface thread and never blocks.
//
// On the device threads: nothing is allocated while audio runs (buffers are set up
// by SetOutputBufferInfo and SetInputBufferInfo), nothing waits on the
// user-interface thread, and a callback may take no longer than a buffer lasts.
//
// The program reads the device tables, their counts and lastStartType directly
// from the object, so the order of the public members below is fixed.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "Events.h"

namespace platform {
class CWaveSystem;
}
class CAudioPlayer;
class CAudioRecorder;

// Fills one playback buffer: stores the bytes to play (0 to bytes, a multiple of 4)
// through bytesFilled and 1 through endOfAudio when the buffer holds the last audio.
// The first argument is always 0.
using PobixOutputCallback = void (*)(uint32_t zero, unsigned char* buffer, uint32_t bytes, uint32_t* bytesFilled,
                                     int32_t* endOfAudio);
// Takes one delivery of converted audio for a record slot; stores the bytes it
// consumed through bytesTaken. The last argument is not read.
using PobixInputCallback = void (*)(uint32_t recordSlot, unsigned char* data, uint32_t bytes, uint32_t* bytesTaken,
                                    int32_t* reserved);
// End of audio of the player or of a recorder.
using PobixNotifyCallback = void (*)();
// where: "playback" or "recording"; what: "Consecutive Delays" or "Accumulated Delays".
using PobixDropoutCallback = void (*)(const char* where, const char* what);

constexpr int kPobixMaxOutputs = 16;
constexpr int kPobixMaxPhysicalInputs = 16;
constexpr int kPobixMaxVirtualInputs = 48;
constexpr int kPobixMaxRecorders = 16;
constexpr int kPobixStopEvents = 48;

// Start types.
constexpr uint32_t kPobixPlay = 0;
constexpr uint32_t kPobixRecord = 1;
constexpr uint32_t kPobixPlayAndRecord = 2;
constexpr uint32_t kPobixMonitor = 3;

// One entry of a device table.
struct PobixDevice {
  int32_t ordinal;   // the entry's index in its table (not set in physical-input entries)
  int32_t deviceId;  // wave device id; for virtual inputs the physical-input index
  char name[64];
};

// One input to record.
struct PobixInit {
  int32_t inputIndex;  // physical index x 3 + 0 stereo, 1 left channel, 2 right channel
  int32_t reserved;
  int16_t bitsPerSample;     // informational
  int32_t samplesPerSecond;  // informational
  int32_t recordSlot;        // handed back to the callback; the key of GetOutputBytesWritten
  int32_t stereo;            // nonzero: deliver stereo frames, else mono samples
  PobixInputCallback callback;
};

class CPobix {
 public:
  CPobix();
  ~CPobix();
  // The object owns threads and devices; nothing copies it.
  CPobix(const CPobix&) = delete;
  CPobix& operator=(const CPobix&) = delete;

  int16_t GetInputDeviceCount() const { return inputDeviceCount; }
  int16_t GetInputPhysicalDeviceCount() const { return inputPhysicalDeviceCount; }
  int16_t GetOutputDeviceCount() const { return outputDeviceCount; }
  int16_t GetOutputPhysicalDeviceCount() const { return outputPhysicalDeviceCount; }
  PobixDevice* GetOutputDevices() { return outputDevices; }
  PobixDevice* GetInputDevices() { return inputDevices; }
  PobixDevice* GetPhysicalInputDevices() { return physicalInputDevices; }
  uint32_t GetLastStartType() const { return lastStartType; }

  // 1 with the output open (paused); 0 when no player could be made or the device did not open (reported).
  unsigned int OutputInit(uint32_t outputIndex, PobixOutputCallback fill);
  unsigned int SetOutputBufferInfo(uint32_t count, uint32_t bytes);
  void UpdateOutputStereoCallback(PobixOutputCallback fill);
  void UpdateEndOfAudioCallback(PobixNotifyCallback endOfAudio);
  void UpdatePlayerDropoutMessageCallback(PobixDropoutCallback dropout);

  unsigned int SetupPhysicalInput(uint32_t physicalIndex, uint32_t samplesPerSecond, int16_t bitsPerSample);
  // 0 added (also after a reported fault), 1 that recorder already holds 4 inputs,
  // 2 no recorder serves that physical input.
  unsigned int AddInput(const PobixInit* init);
  unsigned int SetInputBufferInfo(int16_t inputIndex, uint32_t count, uint32_t bytes);
  unsigned int SetInputBufferInfoAllDevices(uint32_t count, uint32_t bytes);
  unsigned int RemoveAllInputs();
  void SetActiveInput(int16_t recorderIndex, int32_t active);
  void SetAllInputsFalseActive();
  void UpdateRecorderEndOfAudioCallback(PobixNotifyCallback endOfAudio);
  void UpdateRecorderDropoutMessageCallback(PobixDropoutCallback dropout);
  void SetInternalLogging(int32_t logging);

  // From the program's thread only; asked from a device callback it is refused
  // (reported).
  unsigned int Start(uint32_t type);
  // After a recording (types 1 and 2), on the program's thread, returns once every
  // recorder of the run has stopped and its last callback has returned, whatever
  // ran before; after monitoring and playback it does not wait.
  unsigned int Stop();

  uint32_t GetMillisecondsPlayed();
  void GetCurrentOutputBufferNumberAndPosition(int16_t* number, uint32_t* position);
  void GetCurrentOutputBuffer(unsigned char** dst, uint32_t bytes);
  void GetCurrentInputBuffer(int16_t recorderIndex, unsigned char** dst, uint32_t bytes);
  uint32_t GetOutputBytesWritten(uint32_t recordSlot);
  void GetOutputBufferAndTime(unsigned char** buffer, uint32_t* bufferBytes, uint32_t* bufferMilliseconds,
                              uint32_t* elapsedMilliseconds, int16_t* bufferCount);
  void GetInputBufferAndTime(int16_t recorderIndex, unsigned char** buffer, uint32_t* bufferBytes,
                             uint32_t* bufferMilliseconds, uint32_t* elapsedMilliseconds, int16_t* bufferCount);

  platform::CCriticalSection lock;
  int16_t inputDeviceCount = 0;
  int16_t inputPhysicalDeviceCount = 0;
  uint32_t lastStartType = 0;
  PobixDevice outputDevices[kPobixMaxOutputs] = {};
  PobixDevice inputDevices[kPobixMaxVirtualInputs] = {};
  PobixDevice physicalInputDevices[kPobixMaxVirtualInputs] = {};
  int16_t recorderCount = 0;
  std::unique_ptr<CAudioPlayer> player;
  std::unique_ptr<CAudioRecorder> recorders[kPobixMaxRecorders];
  // stopEvents[i] is recorder i's: each run of it resets the event when it begins
  // and sets it once stopped. stopEventCount counts the recorders given inputs
  // since the last RemoveAllInputs.
  platform::CEvent stopEvents[kPobixStopEvents];
  int16_t stopEventCount = 0;
  int32_t internalLogging = 0;
  int16_t outputDeviceCount = 0;
  int16_t outputPhysicalDeviceCount = 0;

 private:
  unsigned int InitInputDeviceList();
  unsigned int InitOutputDeviceList();
  // The recorder whose device is physical input physicalIndex's; null when none.
  CAudioRecorder* FindRecorder(int32_t physicalIndex);
  bool HasInputs(int index) const;
  // Whether the calling thread is the player's or a recorder's, and if so the run
  // it serves.
  bool OnDeviceThread(uint32_t& run) const;

  std::shared_ptr<platform::CWaveSystem> waveSystem_;
  // Runs are numbered from 1; the run Start began last, the recorders it started
  // (one bit each) and the stop events a stop of it waits for.
  std::atomic<uint32_t> run_{0};
  uint32_t runRecorders_ = 0;
  platform::CEvent* runStopEvents_[kPobixMaxRecorders] = {};
  int runStopEventCount_ = 0;
};
