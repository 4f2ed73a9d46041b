// One take of raw audio on disk: a ".pcm" file and its ".pek" peak file, with
// the audio's format, length and tempo, and the Audio Editor's view, highlighted
// range and markers over it.
//
// Recordings, imports, edit results, loops and the snippets of extended tracks
// all keep their audio in segments, shared through std::shared_ptr by snippets,
// loops, the editor, clipboards and undo records. A segment never deletes its
// files: they are the user's audio.
//
// Threads: the read lock makes read starts of the player thread and reads,
// seeks, opens and closes of the user-interface thread exclusive. CompleteRead
// (player thread, after its BeginRead) and Write (one writer: a recorder thread,
// an import or an edit worker) take no lock; neither allocates.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "AudioQuality.h"
#include "Events.h"
#include "LargeFile.h"
#include "PeakFile.h"

class CAudioSegment {
 public:
  // A marker that is not set; marker comparisons are unsigned, so it lies above every frame.
  static constexpr uint32_t kMarkerUnset = 0xFFFFFFFF;
  static constexpr uint32_t kFramesPerSecond = 44100;

  // Names the files "<folder>/QRVD_<time stamp>_<identifier>.pcm" and ".pek".
  explicit CAudioSegment(const std::string& folder);
  // The same in a folder the caller has just made sure of: a project's load
  // makes thousands, and a look at the folder is a system call.
  struct FolderExists {};
  CAudioSegment(const std::string& folder, FolderExists);
  virtual ~CAudioSegment();
  CAudioSegment(const CAudioSegment&) = delete;
  CAudioSegment& operator=(const CAudioSegment&) = delete;

  uint32_t GetIdentifier() const { return identifier_; }

  // Mode 0 opens the raw audio for reading; modes 1 and 2 for writing from its
  // start, mode 1 with the peak file too (while peaks are on).
  int Open(int mode);
  // Closes the raw audio file (its write side when open, else its read side)
  // and the peak file. Files closed after writing are flushed to the disk
  // first, so a saved project never names audio that is only in the cache.
  int Close();

  // Reads frames at the read position, which advances.
  int Read(void* buffer, uint32_t frames, uint32_t* framesRead);
  // Appends frames and, while peaks are on, their peak records, which carry
  // across the writes of one opening for writing; 0 on success. A write cut
  // short counts whole frames only, and the next one follows them.
  int Write(const void* samples, uint32_t frames, uint32_t* framesWritten);
  // Moves the read position (and an open write side) to the frame; 0 on success.
  int Seek(uint32_t frame, uint32_t* newFrame);

  // A playback read in two steps (see CLargeFile): the buffer holds
  // frames * channels * 2 + CLargeFile::kReadSlackBytes bytes.
  int BeginRead(uint32_t firstFrame, uint32_t frames, uint32_t* transferred, void* buffer);
  int CompleteRead(uint32_t* frames, void* buffer);
  int CloseReadHandle();
  bool IsReadHandleClosed() const;

  float GetLengthSeconds() const;
  void SetLengthFromBytes(uint32_t bytes);

  // Points the raw audio at an existing file (an empty one is created when it is missing).
  void SetPcmFileName(const std::string& path);
  // Points the raw audio at a file the caller found, without opening it: the
  // first read opens it.
  void SetFoundPcmFileName(const std::string& path);
  void SetPeakFileName(const std::string& path);
  const std::string& GetPcmFileName() const { return raw_.GetPath(); }
  const std::string& GetPeakFileName() const { return peaks_.GetPath(); }
  CPeakFile& GetPeakFile() { return peaks_; }
  // The peak bytes a reader may use: the mapped length while mapped.
  uint32_t GetPeakCount() const;

  void SetFormat(const AudioQuality& format);
  const AudioQuality& GetFormat() const { return format_; }
  uint16_t GetChannels() const { return format_.channels; }
  uint32_t GetBytesPerSample() const { return bytesPerSample_; }

  // The highlighted range from two fractions of the view's width.
  void SetTrackerFromView(float first, float second);
  // Moves or clears the markers after an edit of [first, end): operation 1
  // removed that range, operation 2 inserted end - first frames at first.
  int AdjustMarkers(int operation, uint32_t first, uint32_t end);

  // Format, tempo, length, view, tracker and markers.
  int CopyAttributesTo(CAudioSegment* other) const;

  // A writer that tells its user of a failed write itself (a recording that
  // stops on a full disk) has its writes fail without a report; errno keeps the cause.
  void SetQuietWrites(bool quiet);

  // Every segment alive in the process, whoever holds it (a snippet, a loop, the
  // editor, an undo record, a clipboard). User-interface thread: the visitor must
  // neither make nor destroy segments.
  static void ForEachLive(const std::function<void(CAudioSegment&)>& visit);
  // After a file was moved: every live segment that named from names to. The number re-pointed.
  static int FollowMove(const std::string& from, const std::string& to);

  // Called before a segment opens its files for writing, while they are still
  // empty or missing: the program keeps a journal of the audio it creates.
  using WriteObserver = void (*)(void* context, const CAudioSegment& segment);
  static void SetWriteObserver(WriteObserver observer, void* context);
  // Takes a NUL-terminated text as the source name; returns what follows its terminator.
  const char* SetNameFromBuffer(const char* text);

  // Plain values the editor, the snippets, the commands and the project file
  // read and write on the user-interface thread while nothing plays.
  int32_t peaks = 1;     // while set, every write appends peak records
  float tempo = 100.0f;  // beats per minute of the material
  std::string sourceName;  // the file an import decoded into this segment
  uint32_t length = 0;     // frames
  uint32_t viewStart = 0, viewEnd = 0, viewWidth = 0;
  uint32_t trackerStart = 0, trackerEnd = 0, trackerSize = 0;
  uint32_t markerStart = kMarkerUnset, markerEnd = kMarkerUnset, markerSize = kMarkerUnset;

 private:
  CAudioSegment(const std::string& folder, bool checkFolder);

  // Bytes per frame; 0 (reported with the line given for whichever factor is
  // 0) when the format is not set.
  uint32_t FrameBytes(int lineNoSampleWidth, int lineNoChannels) const;

  // The list of live segments, linked through the segments themselves so that
  // making and destroying one never allocates.
  void Link();
  void Unlink();
  CAudioSegment* livePrevious_ = nullptr;
  CAudioSegment* liveNext_ = nullptr;

  mutable platform::CCriticalSection readLock_;
  const uint32_t identifier_;
  CLargeFile raw_;
  CPeakFile peaks_;
  AudioQuality format_;
  uint32_t bytesPerSample_ = 2;
};
