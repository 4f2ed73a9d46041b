// "Create Track Snippet" (the track and the start of a snippet made from the
// Audio Editor's audio) and "Shift Tracks" (the tracks whose snippets move,
// and where their first one starts), built in code over their forms.
#pragma once

#include <array>
#include <optional>

#include "DialogKit.h"
#include "TrackTimeForms.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace dialogs {

class CCreateTrackSnippet final : public CFormDialog {
 public:
  static constexpr int kTemplateId = 287;
  enum Control { kTarget = 1306, kStart = 1307, kUnits = 1308 };

  explicit CCreateTrackSnippet(const CreateTrackSnippetRequest& request, QWidget* parent = nullptr);
  CreateTrackSnippetRequest::Result Result() const { return form_.Accept(); }
  static std::optional<CreateTrackSnippetRequest::Result> Ask(const CreateTrackSnippetRequest& request,
                                                              QWidget* parent);

 protected:
  void Render() override;

 private:
  forms::CreateTrackSnippetForm form_;
  QComboBox* target_;
  QLineEdit* start_;
  QComboBox* units_;
};

class CShiftTracksDialog final : public CFormDialog {
 public:
  static constexpr int kTemplateId = 263;
  static constexpr int kFirstTrack = 1247;  // "Track 1"; "Track 24" is 1270
  enum Control { kCheckAll = 1271, kClearAll = 1272, kStart = 1246, kUnits = 1324 };

  explicit CShiftTracksDialog(const ShiftTracksRequest& request, QWidget* parent = nullptr);
  ShiftTracksRequest::Result Result() const { return form_.Accept(); }
  static std::optional<ShiftTracksRequest::Result> Ask(const ShiftTracksRequest& request, QWidget* parent);

 protected:
  void Render() override;

 private:
  forms::ShiftTracksForm form_;
  std::array<QCheckBox*, forms::ShiftTracksForm::kTracks> tracks_{};
  QLineEdit* start_;
  QComboBox* units_;
};

}  // namespace dialogs
