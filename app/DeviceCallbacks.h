// The plain callbacks the device object calls on its player and recorder
// threads. They reach the application through CProApp::Instance(), only mix,
// read or append audio, and post whatever must happen on the user-interface
// thread, marked with the run they belong to; they never allocate and never
// wait on it.
#pragma once

#include <cstdint>

// Output callbacks (player thread; the first buffers are filled inside Start).
// The project's mix (and the metronome while recording).
void ProjectOutputCallback(uint32_t zero, unsigned char* buffer, uint32_t bytes, uint32_t* bytesFilled,
                           int32_t* endOfAudio);
// The Audio Editor's region, read from its segment.
void EditorOutputCallback(uint32_t zero, unsigned char* buffer, uint32_t bytes, uint32_t* bytesFilled,
                          int32_t* endOfAudio);
// The Audio Editor's snippet through the project's tempo, pitch and effects.
void EditorProjectOutputCallback(uint32_t zero, unsigned char* buffer, uint32_t bytes, uint32_t* bytesFilled,
                                 int32_t* endOfAudio);
// The Audio Editor's region over and over; never ends by itself.
void EditorLoopOutputCallback(uint32_t zero, unsigned char* buffer, uint32_t bytes, uint32_t* bytesFilled,
                              int32_t* endOfAudio);
// The previewed loop of the Loop Bank, under the preview lock.
void PreviewOutputCallback(uint32_t zero, unsigned char* buffer, uint32_t bytes, uint32_t* bytesFilled,
                           int32_t* endOfAudio);

// Ends of audio and dropouts: their work runs on the user-interface thread.
void ProjectEndOfAudioCallback();
void EditorEndOfAudioCallback();
void PreviewEndOfAudioCallback();
void RecorderEndOfAudioCallback();
void DropoutCallback(const char* where, const char* what);

// Appends one delivery of a recorder to the record segment of its slot (1..4);
// slot 0 (input monitoring) takes nothing. Recorder thread.
void InputCallback(uint32_t recordSlot, unsigned char* data, uint32_t bytes, uint32_t* bytesTaken,
                   int32_t* reserved);

// The edit workers' progress (user-interface thread): 0 once the progress
// window was cancelled, else 1 after showing the percentage.
int ProgressCallback(int percent);
