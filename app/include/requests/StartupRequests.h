// Requests of the first start: the welcome page, the settings page and the
// notice shown when an M-Audio device is present.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct InitDialog1Request {
  static constexpr const char* kKind = "CInitDialog1";
  struct Result {};
};

struct InitDialog2Request {
  static constexpr const char* kKind = "CInitDialog2";
  std::string audioPath;                  // proposed folder
  std::vector<std::string> outputDevices; // names of the device object's outputs, in order
  int32_t outputDevice = 0;
  struct Result {
    std::string audioPath;
    int32_t outputDevice = 0;
  };
};

struct MAudioFoundRequest {
  static constexpr const char* kKind = "CMAudioFoundDialog";
  struct Result {};
};
