#include "ThreadCount.h"

#include <dirent.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

namespace tessiro::test {

int ThreadsNamed(std::string_view prefix) {
  int count = 0;
  DIR* tasks = opendir("/proc/self/task");
  if (!tasks) return -1;
  while (const dirent* entry = readdir(tasks)) {
    if (entry->d_name[0] == '.') continue;
    std::ifstream comm(std::string("/proc/self/task/") + entry->d_name + "/comm");
    std::string name;
    // A thread that ended between the listing and the read has no name to give.
    if (std::getline(comm, name) && name.starts_with(prefix)) ++count;
  }
  closedir(tasks);
  return count;
}

int AwaitThreadsNamed(std::string_view prefix, int expected) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  int count = ThreadsNamed(prefix);
  while (count != expected && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    count = ThreadsNamed(prefix);
  }
  return count;
}

}  // namespace tessiro::test
