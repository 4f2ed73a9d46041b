// The first-start pages and the notices as Qt windows over their forms, and
// the answers they give the core's requests.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>

#include "FirstStartForms.h"
#include "NoticeForms.h"
#include "UiServices.h"
#include "requests/ProjectRequests.h"

class QComboBox;
class QLineEdit;
class QCheckBox;

namespace dialogs {

struct StartupServices {
  std::function<QWidget*()> parent;  // the window the dialogs are shown over
  // The folder browser of "Browse...": the chosen folder, nothing on cancel.
  std::function<std::optional<std::string>(const std::string& initial)> browseFolder;
  // A refusal with the stop icon (a folder the page does not take).
  std::function<void(const std::string& text)> refuse;
  // Instead of the modal loop when set: acts on the window and closes it (the tests).
  std::function<void(QDialog&)> run;
};

class CInitWindow1 : public QDialog {
  Q_OBJECT
 public:
  explicit CInitWindow1(QWidget* parent = nullptr);
};

class CInitWindow2 : public QDialog {
  Q_OBJECT
 public:
  CInitWindow2(const InitDialog2Request& request, StartupServices services, QWidget* parent = nullptr);
  void accept() override;
  const forms::CInitDialog2& Form() const { return form_; }

 private:
  void Browse();
  void Refuse(const std::string& text);

  forms::CInitDialog2 form_;
  StartupServices services_;
  QComboBox* devices_;
  QLineEdit* path_;
};

class CNoticeWindow : public QDialog {
  Q_OBJECT
 public:
  explicit CNoticeWindow(const forms::NoticeForm& notice, QWidget* parent = nullptr);
  bool DontShowAgain() const { return dontShow_.DontShowAgain(); }

 private:
  forms::CDontShowAgain dontShow_;
};

// Each notice is the shared window with its own text, link, picture and box.
class CArmButtonDialog final : public CNoticeWindow {
 public:
  explicit CArmButtonDialog(QWidget* parent = nullptr) : CNoticeWindow(forms::ArmButtonNotice(), parent) {}
};
class CDropoutDialog final : public CNoticeWindow {
 public:
  explicit CDropoutDialog(QWidget* parent = nullptr) : CNoticeWindow(forms::DropoutNotice(), parent) {}
};
class CMAudioFoundDialog final : public CNoticeWindow {
 public:
  explicit CMAudioFoundDialog(QWidget* parent = nullptr) : CNoticeWindow(forms::MAudioFoundNotice(), parent) {}
};
class CNoAudioEditingExistsDialog final : public CNoticeWindow {
 public:
  explicit CNoAudioEditingExistsDialog(QWidget* parent = nullptr)
      : CNoticeWindow(forms::NoAudioEditingNotice(), parent) {}
};
class CNoLoopsExistDialog final : public CNoticeWindow {
 public:
  explicit CNoLoopsExistDialog(QWidget* parent = nullptr) : CNoticeWindow(forms::NoLoopsNotice(), parent) {}
};

// "Save Modified Project?": Yes, No and Cancel as the request's answer.
class CModifiedWindow : public QDialog {
  Q_OBJECT
 public:
  explicit CModifiedWindow(const std::string& text, QWidget* parent = nullptr);
  ModifiedProjectRequest::Answer Answer() const;

 private:
  forms::CModifiedDialog form_;
};

// Runs the window modally, or through services.run; the dialog's result code.
int RunWindow(QDialog& window, const StartupServices& services);

void AnswerStartupRequests(ui::CRequestHandlers& handlers, const StartupServices& services);
// The transport's notices (no armed track, a dropout) and the modified-project question.
void AnswerNoticeRequests(ui::CRequestHandlers& handlers, const StartupServices& services);

}  // namespace dialogs
