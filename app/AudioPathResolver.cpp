#include "AudioPathResolver.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

bool StatsAsRegularFile(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string Join(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (path != "/") path += '/';
  path += name;
  return path;
}

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

}  // namespace

CAudioPathResolver::CAudioPathResolver(std::vector<std::string> folders) : folders_(std::move(folders)) {}

bool CAudioPathResolver::List(const std::string& path, Folder* folder) {
  std::unique_ptr<DIR, DirCloser> dir(::opendir(path.c_str()));
  if (!dir) return false;
  std::vector<std::pair<size_t, unsigned char>> at;  // offsets first: the names may move while they grow
  while (const dirent* entry = ::readdir(dir.get())) {
    at.emplace_back(folder->names.size(), entry->d_type);
    folder->names.append(entry->d_name, std::strlen(entry->d_name) + 1);
  }
  folder->entries.reserve(at.size());
  for (const auto& [offset, type] : at) folder->entries.emplace_back(folder->names.c_str() + offset, type);
  std::sort(folder->entries.begin(), folder->entries.end());
  return true;
}

// A listing tells a regular file from the rest by name; a link, or a file
// system that does not say, is asked after all.
bool CAudioPathResolver::IsRegularFile(std::string_view folder, std::string_view name) {
  if (name.empty()) return false;
  auto at = listings_.find(folder);
  if (at == listings_.end()) at = listings_.try_emplace(std::pmr::string(folder, &arena_)).first;
  Folder& known = at->second;
  // A folder that cannot be read may still be searched: then each file is asked.
  if (!known.listed && ++known.looks > kLooksBeforeListing) known.listed = List(std::string(at->first), &known);
  if (!known.listed) return StatsAsRegularFile(Join(folder, name));
  const auto entry = std::lower_bound(known.entries.begin(), known.entries.end(), name,
                                      [](const auto& e, std::string_view n) { return e.first < n; });
  if (entry == known.entries.end() || entry->first != name) return false;
  if (entry->second == DT_REG) return true;
  return (entry->second == DT_LNK || entry->second == DT_UNKNOWN) && StatsAsRegularFile(Join(folder, name));
}

std::string_view CAudioPathResolver::Find(std::string_view stored) {
  auto at = found_.find(stored);
  const bool added = at == found_.end();
  if (added) at = found_.try_emplace(std::pmr::string(stored, &arena_)).first;
  Found& found = at->second;
  if (added) {
    const std::string_view path = stored;
    if (!path.empty() && path[0] == '/') {
      const size_t slash = path.rfind('/');
      found.asWritten = IsRegularFile(slash == 0 ? std::string_view("/") : path.substr(0, slash), path.substr(slash + 1));
    }
    const size_t cut = path.find_last_of("/\\");
    const std::string_view name = cut == std::string_view::npos ? path : path.substr(cut + 1);
    for (size_t i = 0; !found.asWritten && !name.empty() && i < folders_.size(); ++i) {
      if (!folders_[i].empty() && IsRegularFile(folders_[i], name)) {
        found.elsewhere = folders_[i] + "/";
        found.elsewhere += name;
        break;
      }
    }
  }
  return found.asWritten ? std::string_view(at->first) : std::string_view(found.elsewhere);
}
