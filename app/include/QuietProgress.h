// A progress display that shows nothing and is never cancelled, for a core run
// without windows (benchmarks, previews). It exists between Create and Destroy
// so the operations that check for their window go on as they would.
//
// Threads: user-interface thread only.
#pragma once

#include <string>

#include "UiServices.h"

namespace ui {

class CQuietProgress final : public IProgressDisplay {
 public:
  bool Create(const std::string&) override { return exists_ = true; }
  void Destroy() override { exists_ = false; }
  bool Exists() const override { return exists_; }
  void SetMessageText(const std::string&) override {}
  void SetPercentText(const std::string&) override {}
  void SetRemainingText(const std::string&) override {}
  void SetBarPosition(int) override {}
  void DisableCancel() override {}
  bool PumpOne() override { return false; }

 private:
  bool exists_ = false;
};

}  // namespace ui
