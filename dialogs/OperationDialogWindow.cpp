#include "OperationDialogWindow.h"

#include <QAbstractEventDispatcher>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "controls/SkinProgress.h"

namespace {

// The window: Esc and its close box are Cancel too.
class CProgressDialog final : public QDialog {
 public:
  CProgressDialog(QWidget* owner, std::function<void()> cancel) : QDialog(owner), cancel_(std::move(cancel)) {}

 protected:
  void reject() override {
    if (cancel_) cancel_();
  }
  void closeEvent(QCloseEvent* event) override {
    event->ignore();
    if (cancel_) cancel_();
  }

 private:
  std::function<void()> cancel_;
};

QLabel* Label(QWidget* parent, int id, const QString& text, const QRect& where, Qt::Alignment align) {
  auto* label = new QLabel(text, parent);
  if (id) label->setObjectName(QString::number(id));
  label->setGeometry(where);
  label->setAlignment(align | Qt::AlignVCenter);
  return label;
}

}  // namespace

COperationDialogWindow::COperationDialogWindow(std::function<QWidget*()> owner) : owner_(std::move(owner)) {}

COperationDialogWindow::~COperationDialogWindow() { delete dialog_.data(); }

bool COperationDialogWindow::Create(const std::string& message) {
  Destroy();
  QWidget* owner = owner_ ? owner_() : nullptr;
  auto* dialog = new CProgressDialog(owner, [this] { Cancel(); });
  dialog->setObjectName(QStringLiteral("dlg130"));
  dialog->setWindowTitle(QString());
  dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  dialog->setWindowModality(Qt::ApplicationModal);
  dialog->setFixedSize(kWidth, kHeight);

  message_ = Label(dialog, kMessageId, QString::fromStdString(message), QRect(14, 12, kWidth - 28, 18), Qt::AlignLeft);
  auto* control = new QWidget(dialog);
  control->setObjectName(QString::number(kProgressId));
  control->setGeometry(14, 38, kWidth - 28, 18);
  percent_ = Label(dialog, kPercentId, QStringLiteral("100"), QRect(14, 62, 26, 18), Qt::AlignRight);
  Label(dialog, 0, QStringLiteral("%"), QRect(42, 62, 14, 18), Qt::AlignLeft);
  Label(dialog, 0, QStringLiteral("Estimated Remaining Time:"), QRect(72, 62, 150, 18), Qt::AlignRight);
  remaining_ = Label(dialog, kRemainingId, QStringLiteral("N/A"), QRect(226, 62, kWidth - 240, 18), Qt::AlignLeft);
  cancel_ = new QPushButton(QStringLiteral("Cancel"), dialog);
  cancel_->setObjectName(QString::number(kCancelId));
  cancel_->setGeometry(kWidth - 14 - 84, kHeight - 12 - 26, 84, 26);
  QObject::connect(cancel_.data(), &QPushButton::clicked, [this] { Cancel(); });
  bar_ = new CSkinProgress(control, 100, nullptr, 0, nullptr, QStringLiteral("This is a test"), -3);

  // Centred over the main window, in whole pixels.
  if (owner) {
    const QRect main = owner->geometry();
    dialog->move(main.left() + main.width() / 2 - kWidth / 2, main.top() + main.height() / 2 - kHeight / 2);
  }
  dialog_ = dialog;
  dialog->show();
  return true;
}

void COperationDialogWindow::Destroy() {
  if (!dialog_) return;
  QDialog* dialog = dialog_.data();
  dialog_.clear();
  dialog->hide();
  // Cancel may end the window from inside its own button's click.
  dialog->deleteLater();
}

void COperationDialogWindow::SetMessageText(const std::string& text) {
  if (message_) message_->setText(QString::fromStdString(text));
}

void COperationDialogWindow::SetPercentText(const std::string& text) {
  if (percent_) percent_->setText(QString::fromStdString(text));
}

void COperationDialogWindow::SetRemainingText(const std::string& text) {
  if (remaining_) remaining_->setText(QString::fromStdString(text));
}

void COperationDialogWindow::SetBarPosition(int percent) {
  if (bar_) bar_->SetPos(percent);
}

void COperationDialogWindow::DisableCancel() {
  if (cancel_) cancel_->setEnabled(false);
}

bool COperationDialogWindow::PumpOne() {
  QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
  return dispatcher && dispatcher->processEvents(QEventLoop::AllEvents);
}

void COperationDialogWindow::Cancel() {
  if (cancel_ && !cancel_->isEnabled()) return;
  if (onCancel_) onCancel_();
}
