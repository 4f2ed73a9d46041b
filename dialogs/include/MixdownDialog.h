// "Mixdown to Track": 24 source boxes, Check All / Clear All, and the target.
#pragma once

#include <array>
#include <functional>
#include <optional>

#include "DialogKit.h"
#include "MixdownForm.h"

class QCheckBox;
class QComboBox;

namespace dialogs {

class CMixdownDialog final : public CFormDialog {
 public:
  static constexpr int kTemplateId = 262;
  static constexpr int kTarget = 1243;
  static constexpr int kCheckAll = 1245;
  static constexpr int kClearAll = 1083;
  // The source boxes of tracks 1..24, in track order.
  static constexpr std::array<int, 24> kSourceIds = {1244, 1053, 1071, 1077, 1025, 1054, 1072, 1078,
                                                     1037, 1055, 1073, 1079, 1041, 1056, 1074, 1080,
                                                     1045, 1057, 1075, 1081, 1049, 1058, 1076, 1082};

  // tell shows the refusal when nothing is ticked (information icon).
  CMixdownDialog(const MixdownDialogRequest& request, std::function<void(const std::string&)> tell,
                 QWidget* parent = nullptr);
  const MixdownDialogRequest::Result& Result() const { return accepted_; }
  static std::optional<MixdownDialogRequest::Result> Ask(const MixdownDialogRequest& request,
                                                         std::function<void(const std::string&)> tell,
                                                         QWidget* parent);

 protected:
  void Render() override;
  bool CanAccept() override;

 private:
  forms::MixdownForm form_;
  std::function<void(const std::string&)> tell_;
  MixdownDialogRequest::Result accepted_;
  std::array<QCheckBox*, 24> sources_{};
  QComboBox* target_;
};

}  // namespace dialogs
