// The notices: fixed texts, an optional link and, for the two empty-editor
// notices, a "do not show again" box the caller reads after OK.
#pragma once

#include <functional>
#include <optional>

#include "FirstStartForms.h"

namespace forms {

struct NoticeForm {
  const char* kind;     // the request's dialog class name
  const char* caption;
  const char* text;
  int textId = 0;                   // 0: the text has no id of its own
  std::optional<HyperLink> link;
  int checkId = 0;                  // 0: no "do not show again" box
  const char* picture = nullptr;    // resource name of the picture at the right
};

NoticeForm ArmButtonNotice();
NoticeForm DropoutNotice();
NoticeForm MAudioFoundNotice();
NoticeForm NoAudioEditingNotice();
NoticeForm NoLoopsNotice();

constexpr const char* kDontShowAgainText = "Don't show this message in the future.";

// The box is cleared each time the notice opens; only a tick sets it.
class CDontShowAgain {
 public:
  void OnInitDialog() { dontShowAgain_ = false; }
  void OnCheck(bool ticked) { dontShowAgain_ = ticked; }
  bool DontShowAgain() const { return dontShowAgain_; }

 private:
  bool dontShowAgain_ = false;
};

// "Save Modified Project?": Yes saves, then answers OK; No answers No; Cancel answers Cancel.
class CModifiedDialog {
 public:
  static constexpr int kIdYes = 4;
  static constexpr int kIdNo = 3;
  static constexpr int kIdCancel = 2;
  static const char* Caption();
  static const char* Text();

  explicit CModifiedDialog(std::function<void()> save) : save_(std::move(save)) {}
  // The button's id in, one of ui::kAnswerOk / kAnswerNo / kAnswerCancel out.
  int OnButton(int id);

 private:
  std::function<void()> save_;
};

}  // namespace forms
