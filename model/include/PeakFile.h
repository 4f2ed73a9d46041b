// The peak file beside a raw audio file: what the waveform painter draws when a
// stretch is too long to read sample by sample.
//
// A ".pek" file has no header: one record per 64 frames of each write to its
// raw audio file, 2 bytes for mono (maximum, minimum magnitude) and 4 for
// stereo (left pair, then right). Each byte is the extreme shifted right by 7,
// 0..255. Record j of a write of F frames folds frames [0, 65) for j = 0 and
// [64j + 1, 64j + 65) after that, the last ending at F; a write adds F / 64
// records (rounded down), so writers hand over multiples of 64 frames.
//
// Threads: no lock. It is written by one writer (a recorder thread, an import
// or an edit worker) and mapped by the user-interface thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "AudioFileIo.h"
#include "File.h"

constexpr uint32_t kFramesPerPeak = 64;

// The records of [firstRecord, firstRecord + recordCount) of one write of
// frames interleaved frames of channels (1 or 2) into out, which holds
// recordCount * channels * 2 bytes. Returns the bytes made.
size_t MakePeakRecords(const int16_t* samples, uint32_t frames, uint16_t channels, uint32_t firstRecord,
                       uint32_t recordCount, uint8_t* out);

class CPeakFile {
 public:
  explicit CPeakFile(const std::string& path);
  virtual ~CPeakFile();
  CPeakFile(const CPeakFile&) = delete;
  CPeakFile& operator=(const CPeakFile&) = delete;

  uint32_t GetIdentifier() const { return identifier_; }
  const std::string& GetPath() const { return path_; }
  // Points the object at another file; anything open on the old one is closed first.
  int SetPath(const std::string& path);

  // Mode 0 maps the whole file read-only (creating an empty file when missing;
  // an empty file cannot be mapped and is reported); mode 1 opens the write
  // side at byte 0. Other modes do nothing.
  int Open(int mode);
  int GetMode() const { return mode_; }

  // The mapped records and their byte count, mapping on first use and again
  // when the file has grown; the address stays valid until the next call that
  // maps, unmaps or closes. The file's size is looked at again only after the
  // program wrote peaks (to any file): a file grown by another program is seen
  // once this one writes peaks.
  int GetData(const uint8_t** data, uint32_t* size);

  // Appends count bytes of records at the write position.
  int Write(const void* bytes, uint32_t count, uint32_t* written);
  // Failed writes are not reported (errno keeps the cause).
  void SetQuietWrites(bool quiet) { writer_.SetQuiet(quiet); }
  // Appends the records of one write of frames to the raw audio file.
  int WritePeaksOf(const int16_t* samples, uint32_t frames, uint16_t channels);
  // Appends the records of frames that continue this write session (Open(1)
  // to Close): a record that spans two writes is finished by the later one,
  // and Close writes the last when it is due, so the file is what one write of
  // the whole session would make, however the writer cut its blocks.
  int AppendPeaksOf(const int16_t* samples, uint32_t frames, uint16_t channels);

  int Tell(uint32_t* position);
  int GetSize(uint32_t* size);

  int MapFile();
  int UnmapFile();
  int Close();

  bool IsMapped() const { return view_.IsMapped(); }
  uint32_t MappedBytes() const { return static_cast<uint32_t>(view_.Length()); }
  uint32_t KnownSize() const { return size_; }

 private:
  // The file's size on disk now; 0 when it cannot be had.
  uint32_t SizeOnDisk() const;

  const uint32_t identifier_;
  std::string path_;
  CWriteSide writer_;
  platform::CMappedFile view_;
  uint32_t size_ = 0;
  int mode_ = -1;
  // An empty file was reported once; GetData stays quiet until it grows.
  bool emptyReported_ = false;
  // The program's count of peak writes when the size on disk was last known.
  uint64_t writesSeen_ = 0;
  // The write session: frames so far, and the extremes of the record still
  // open, in the eight lanes the record builder folds (even lanes left).
  static constexpr size_t kLanes = 8;
  void ResetSession();
  int WriteOpenRecord();
  uint64_t sessionFrames_ = 0;
  uint16_t sessionChannels_ = 0;
  int16_t openMaximum_[kLanes] = {};
  int16_t openMinimum_[kLanes] = {};
};
