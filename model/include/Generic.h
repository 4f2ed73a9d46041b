// Helpers every part of the program calls: the fault report, unique identifiers,
// level and pitch conversions, the two time displays and their parsers, the
// program folder, and small file helpers. All are plain functions; only
// GetUniqueTickCount keeps state (the last identifier handed out).
#pragma once

#include <cstddef>
#include <cstdint>

#include "AudioQuality.h"

class CTarvex;

// The two time displays of the rulers and position edits.
enum TimeDisplayMode { TimeDisplayStandard = 1, TimeDisplayTempo = 2 };

// The program's fault report. sourcePath may be a source path or a bare title;
// returns the box's result. Callable from any thread.
int ReportError(const char* sourcePath, int line, const char* message);

// A millisecond tick count different from, and later than, every one returned
// before, across threads; asked faster than once a millisecond it runs ahead
// of the clock instead of waiting. Identifiers of segments, snippets, tracks
// and loops, and the names of audio files, come from it.
uint32_t GetUniqueTickCount();

// The level meters' scale: entry i is the meter height (0..100) for level i.
short* InitLevelScaleTable(short table[100]);

bool IsPointInRect(int x, int y, int left, int top, int right, int bottom);

// dB = 20 log10(percent / 100); 0 % gives -140 dB.
int PercentToDecibel(float percent, float* decibels);
int DecibelToPercent(float decibels, float* percent);
int RatioToSemitones(float ratio, float* semitones);
int SemitonesToRatio(float semitones, float* ratio);

// "mm:ss.mmm" (three-digit minutes from 100 on); returns the text length.
int FormatSamplesAsTime(uint32_t frames, uint32_t rate, char* out);
// "bars:beat:quarter.hundredths", counted from 0; beatsPerBarChoice 1 means three
// beats to the bar, anything else four. Returns the text length.
int FormatSamplesAsTempoTime(uint32_t frames, uint32_t rate, float tempoBpm, int beatsPerBarChoice, char* out);

int ParseTimeText(const char* text, int32_t* minutes, int32_t* seconds, int32_t* milliseconds);
int ParseTempoTimeText(const char* text, int32_t* bars, int32_t* beats, int32_t* quarters, int32_t* hundredths);
int ParseTimeToSamples(const char* text, uint32_t rate, uint32_t* frames);
int ParseTempoTimeToSamples(const char* text, int beatsPerBarChoice, float tempoBpm, uint32_t rate,
                            uint32_t* frames);
int FormatTimeParts(int32_t minutes, int32_t seconds, int32_t milliseconds, char* out);
int NormalizeTimeString(const char* text, char* out);

// A number typed in an edit box, read the same in every window whatever the
// desktop's locale: the first maxChars characters, blanks first skipped,
// whatever follows the number ignored. Text that holds no number ("", "abc",
// "nan", "inf") reads as 0; a number too large reads as the largest of its sign.
double ParseNumberText(const char* text, size_t maxChars);

// Local time as fourteen digits, year to second; out holds at least 15 bytes.
void GetTimestampText(char* out);

// "WAV", "MP3", "MIX", "PCM", "PEK" or "QVK" from the extension, else "".
void GetAudioFileType(const char* fileName, char out[4]);

// The program's own folder (configuration, presets, samples); out holds 256 bytes.
int GetProgramFolder(char* out);

// Opens a web or mail address, or a page of the program folder, in the desktop's browser.
int OpenURL(const char* address);

// 1 when a new file can be created (and is then removed) in folder, else 0.
int CanWriteToFolder(const char* folder);

// Conversion of decoded blocks to the program's format. Mono or stereo, 8 or 16
// bits; 16-bit samples are little-endian and the target buffer is 2-byte
// aligned. Each function is told how many bytes its target holds and never
// writes past them. All return 0; faults are reported.

// Prepares the converter for blocks of `bytes` bytes: channel count, block size,
// rate = target rate / source rate. Rates outside 1000..384000 Hz are refused.
int SetupRateConversion(CTarvex* converter, const AudioQuality* source, const AudioQuality* target, uint32_t bytes);

// Channel count and sample width only (the rates are taken as equal).
int ConvertChannelsAndBits(const AudioQuality* source, const AudioQuality* target, const void* sourceSamples,
                           void* targetBuffer, uint32_t sourceBytes, uint32_t targetCapacityBytes);

// One block to the target format, resampling through the converter prepared by
// SetupRateConversion when the rates differ; *outFrames tells how many frames
// landed in the target. When the target fills up the converter keeps the rest,
// and a further call with sourceBytes 0 hands it out.
int ConvertAudioFormat(const AudioQuality* source, const AudioQuality* target, const void* sourceSamples,
                       void* targetBuffer, uint32_t sourceBytes, uint32_t targetCapacityBytes, CTarvex* converter,
                       uint32_t* outFrames);
