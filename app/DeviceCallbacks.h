// The plain callbacks the device object calls on its player and recorder
// threads. They reach the application through CProApp::Instance(), only mix,
// read or append audio, and post whatever must happen on the user-interface
// thread; they never allocate and never wait on it.
#pragma once

#include <cstdint>

// Fills one buffer with the project's mix (and the metronome while recording).
void ProjectOutputCallback(uint32_t zero, unsigned char* buffer, uint32_t bytes, uint32_t* bytesFilled,
                           int32_t* endOfAudio);
// The project played to its end: Stop runs on the user-interface thread.
void ProjectEndOfAudioCallback();
// A dropout of playback or recording: the notice is shown on the user-interface thread.
void DropoutCallback(const char* where, const char* what);
