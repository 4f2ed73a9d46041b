// Where the audio a project names is: as written when that is a regular file
// here, else by its file name in the project's folder, the data folder, then
// the temporary folder (a path of another system, a project moved with its
// audio).
//
// Each stored name is looked up once, however many snippets name it. A folder
// asked for many names is read once, as a listing, instead of being asked for
// each file: a project of thousands of takes would otherwise spend its load in
// system calls. The answers are those of asking for each file.
#pragma once

#include <functional>
#include <memory_resource>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

class CAudioPathResolver {
 public:
  // Folders asked for this many names are read whole from then on.
  static constexpr size_t kLooksBeforeListing = 32;

  explicit CAudioPathResolver(std::vector<std::string> folders);

  // "" when the file is nowhere; valid as long as the resolver.
  std::string_view Find(std::string_view stored);

 private:
  // Texts looked up by views, without making a string for each look.
  struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  template <typename Value>
  using TextMap = std::pmr::unordered_map<std::pmr::string, Value, TextHash, std::equal_to<>>;

  struct Folder {
    size_t looks = 0;
    bool listed = false;
    // The listing: its names one after another, and each name (a view into
    // them) with the file type the listing gave (DT_REG, DT_LNK, ...), sorted.
    std::string names;
    std::vector<std::pair<std::string_view, unsigned char>> entries;
  };
  struct Found {
    bool asWritten = false;
    std::string elsewhere;  // when not as written: the file found, "" for none
  };

  // What one load looks up lives and goes at once: tens of thousands of names.
  std::pmr::monotonic_buffer_resource arena_;

  bool IsRegularFile(std::string_view folder, std::string_view name);
  static bool List(const std::string& path, Folder* folder);

  std::vector<std::string> folders_;
  TextMap<Found> found_{&arena_};
  TextMap<Folder> listings_{&arena_};
};
