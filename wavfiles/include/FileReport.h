// A fault report that names the file it concerns, "<text> (<path>)", for the
// codecs' reports about the user's files.
#pragma once

#include <string>

#include "ReportErrorDll.h"

namespace ombrel {

inline void ReportAboutFile(const char* source, int line, const std::string& text, const std::string& path) {
  ReportErrorDll(source, line, (text + " (" + path + ")").c_str());
}

}  // namespace ombrel
