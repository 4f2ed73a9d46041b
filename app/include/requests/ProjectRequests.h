// Requests of the project files: the question before a modified project is
// discarded (by New, Open, a dropped file or the end of the program).
#pragma once

#include <string>

struct ModifiedProjectRequest {
  static constexpr const char* kKind = "CModifiedDialog";
  std::string text = "The current project has been modified.  Would you like to save the changes?";
  enum class Answer { Yes, No, Cancel };
  struct Result {
    Answer answer = Answer::Cancel;
  };
};
