// Audio storage: the raw audio and peak files behind every take, import, edit
// result and loop.
//
// A ".pcm" file has no header: interleaved signed 16-bit little-endian samples,
// 44100 frames per second, left before right; its segment keeps the channel
// count. CLargeFile owns one such file with two independent sides: a write side
// that appends from where it stands (byte 0 when opened) and a read side for
// positioned reads.
//
// Reads keep the sector arithmetic playback buffers are sized for: a read of n
// bytes at p covers whole 512-byte sectors from p rounded down, so the caller's
// buffer must hold n + 1022 bytes. The bytes asked for are then moved to the
// front of the buffer.
//
// Threads: the class takes no lock. Its segment serialises the read starts of
// the player thread against reads of the user-interface thread; the write side
// belongs to one writer at a time (recorder thread, import or edit worker).
// Sizes and positions are 32-bit: a file holds at most 4 GB less one byte.
#pragma once

#include <cstdint>
#include <string>

#include "AudioFileIo.h"
#include "File.h"

class CLargeFile {
 public:
  static constexpr uint32_t kSectorBytes = 512;
  // Room a read buffer needs beyond the bytes asked for.
  static constexpr uint32_t kReadSlackBytes = 2 * (kSectorBytes - 1);

  explicit CLargeFile(const std::string& path);
  virtual ~CLargeFile();
  CLargeFile(const CLargeFile&) = delete;
  CLargeFile& operator=(const CLargeFile&) = delete;

  uint32_t GetIdentifier() const { return identifier_; }
  const std::string& GetPath() const { return path_; }
  // Points the object at another file; anything open on the old one is closed first.
  int SetPath(const std::string& path);

  // Mode 0 opens the read side (creating an empty file when missing); modes 1
  // and 2 the write side, neither truncated nor appending: writes start at byte 0.
  int Open(int mode);
  // Closes the write side when open (after flushing it to the disk), else the read side.
  int Close();

  // Writes at the write position; written counts the bytes that reached the
  // file. A write cut short inside a frame of frameBytes counts whole frames
  // only, and later writes follow the last whole frame.
  int Write(const void* samples, uint32_t bytes, uint32_t* written, uint32_t frameBytes = 1);
  // Failed writes are not reported (errno keeps the cause).
  void SetQuietWrites(bool quiet) { writer_.SetQuiet(quiet); }
  // Sets the read position, and moves the write side there when it is open.
  int Seek(uint32_t position, uint32_t* newPosition);
  int Tell(uint32_t* position);
  // The file's byte size through the write side.
  int GetSize(uint32_t* size);

  int OpenReadHandle();
  // 0 when no read side was open.
  int CloseReadHandle();
  bool IsReadHandleClosed() const { return !reader_.IsOpen(); }

  // A read in two steps, as playback issues it: StartRead reads the sectors
  // around [position, position + bytes) into buffer; FinishRead moves the bytes
  // asked for to the front and gives their count. A start at or past the end of
  // the file reads nothing and gives 0 bytes.
  int StartRead(uint32_t position, uint32_t bytes, uint32_t* transferred, void* buffer);
  int FinishRead(uint32_t* bytes, void* buffer);
  // Both steps at the read position, which advances by the bytes read.
  int Read(void* buffer, uint32_t bytes, uint32_t* bytesRead);

  // The byte size as this object knows it, and the read position.
  uint32_t KnownSize() const { return size_; }
  uint32_t ReadPosition() const { return position_; }

 private:
  // One read's sector arithmetic: head bytes before the position, tail bytes
  // after the end, both inside whole sectors.
  struct ReadRequest {
    bool active = false;
    bool pastEnd = false;
    uint32_t start = 0;
    uint32_t head = 0;
    uint32_t tail = 0;
    uint64_t length = 0;
    uint32_t requested = 0;
    uint64_t transferred = 0;
  };

  bool OpenReader();
  int Issue(ReadRequest& request, uint32_t position, uint32_t bytes, void* buffer);
  static uint32_t Trim(ReadRequest& request, void* buffer);

  const uint32_t identifier_;
  std::string path_;
  CWriteSide writer_;
  platform::CFile reader_;
  uint32_t size_ = 0;
  uint32_t position_ = 0;
  ReadRequest pending_;
};
