// "Loop Properties" (the loop's title and measures) and "Audio Snippet
// Properties" (the tempo of a snippet's audio), built in code over their forms.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "DialogKit.h"
#include "PropertiesForms.h"

class QLabel;
class QLineEdit;
class QSpinBox;

namespace dialogs {

class CAudioLoopPropertiesDialog final : public CFormDialog {
 public:
  static constexpr int kTemplateId = 270;
  enum Control { kNumber = 1295, kTitle = 1211, kMeasures = 1296, kSpin = 1297, kAudioFile = 1274,
                 kTempo = 1276, kLength = 1293 };

  // tell shows the refusal of a measures change while the project plays the loop.
  CAudioLoopPropertiesDialog(const LoopPropertiesRequest& request, std::function<void(const std::string&)> tell,
                        QWidget* parent = nullptr);
  LoopPropertiesRequest::Result Result() const { return form_.Accept(); }
  static std::optional<LoopPropertiesRequest::Result> Ask(const LoopPropertiesRequest& request,
                                                          std::function<void(const std::string&)> tell,
                                                          QWidget* parent);

 protected:
  void Render() override;

 private:
  forms::LoopPropertiesForm form_;
  std::function<void(const std::string&)> tell_;
  QLineEdit* title_;
  QSpinBox* spin_;
  QLabel* tempo_;
};

class CSnippetPropertiesDialog final : public CFormDialog {
 public:
  static constexpr int kTemplateId = 264;
  enum Control { kType = 1275, kTempo = 1276, kIdentifier = 1335, kAudioFile = 1334 };

  explicit CSnippetPropertiesDialog(const SnippetPropertiesRequest& request, QWidget* parent = nullptr);
  SnippetPropertiesRequest::Result Result() const { return form_.Accept(); }
  static std::optional<SnippetPropertiesRequest::Result> Ask(const SnippetPropertiesRequest& request,
                                                             QWidget* parent);

 protected:
  void Render() override;

 private:
  forms::SnippetPropertiesForm form_;
  QLineEdit* tempo_;
};

}  // namespace dialogs
