// The journal of the audio files a run creates, so that audio a run made and
// never saved outlives a run that does not end (a crash, a kill, a power cut).
//
// Each running program keeps one journal in its temporary audio folder
// ("qvk_temp"), locked for as long as it runs: a lock the system lets go when
// the process dies tells a dead run's journal from a live one, so two programs
// on one audio folder never take each other's files. A file is written to the
// journal before its first byte of audio. A clean exit deletes the files the
// journal lists that nothing names any more, then the journal; the next start
// turns the audio a dead run's journal lists into WAV files a user can import.
#pragma once

#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <vector>

class CAudioJournal {
 public:
  CAudioJournal() = default;
  // Lets go of the journal and leaves it on disk: only End removes it.
  ~CAudioJournal();
  CAudioJournal(const CAudioJournal&) = delete;
  CAudioJournal& operator=(const CAudioJournal&) = delete;

  // Makes and locks this run's journal in folder; false (errno set) when it cannot.
  bool Begin(const std::string& folder);
  bool IsOpen() const;
  const std::string& Path() const { return path_; }

  // A raw audio file and its peak file about to be written. A journal whose
  // folder was deleted is made again, listing what still exists.
  void Note(const std::string& pcm, const std::string& pek, uint16_t channels);
  // The files noted, in order.
  std::vector<std::string> Files() const;

  // A clean exit: deletes every noted file that keep does not hold (and every
  // empty one, which holds no audio), then the journal.
  void End(const std::set<std::string>& keep);

 private:
  struct Entry {
    std::string pcm, pek;
    uint16_t channels = 0;
  };
  static std::string LineOf(const Entry& entry);
  // The journal at its path is still the file this run holds.
  bool StillThere() const;
  // A new journal file holding what was noted and still exists (and the last
  // noted, about to be written); it replaces the old one.
  bool MakeFile();
  void Close();

  mutable std::mutex lock_;
  std::string folder_;
  std::string path_;
  std::string started_;  // local time stamp of the run's start
  int fd_ = -1;
  std::vector<Entry> entries_;
};

// What the start-up made of the journals that runs which did not end left behind.
struct RecoveredAudio {
  int files = 0;        // WAV files written
  uint64_t longest = 0;  // frames of the longest
  std::vector<std::string> folders;
  int failed = 0;       // raw files that stay where they are (the journal stays too)
  std::string problem;  // why the last of those failed
};

// Writes the audio each dead run's journal in tempFolder lists as WAV files (a
// header over the raw audio) into "<audioFolder>/qvk_recovered/<date-time>/",
// then removes the raw files and the journal. Journals of live runs and files
// no journal lists are left alone.
RecoveredAudio RecoverAudioOfEndedRuns(const std::string& tempFolder, const std::string& audioFolder);

// What the user is told of it: one message, or "" when nothing was recovered.
std::string RecoveredAudioText(const RecoveredAudio& recovered);
