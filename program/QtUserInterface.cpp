#include "QtUserInterface.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStringList>
#include <cstdio>
#include <filesystem>

namespace {

QString FromUtf8(const std::string& text) { return QString::fromStdString(text); }

QString Pattern(QString pattern) {
  return pattern.replace(QLatin1Char(';'), QLatin1Char(' ')).simplified();
}

}  // namespace

QString QtFileFilter(const std::string& filter) {
  const QString text = FromUtf8(filter);
  QStringList filters;
  if (text.contains(QLatin1Char('|'))) {
    // Description and pattern in turn; an empty description ends the list.
    const QStringList parts = text.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
      if (parts[i].isEmpty()) break;
      QString description = parts[i];
      description.remove(QRegularExpression(QStringLiteral("\\s*\\([^)]*\\)\\s*$")));
      filters << description + QStringLiteral(" (") + Pattern(parts[i + 1]) + QLatin1Char(')');
    }
  } else {
    static const QRegularExpression kGroup(QStringLiteral("\\(([^)]*)\\)"));
    QString converted = text;
    QRegularExpressionMatchIterator it = kGroup.globalMatch(text);
    while (it.hasNext()) {
      const QRegularExpressionMatch m = it.next();
      converted.replace(m.captured(0), QLatin1Char('(') + Pattern(m.captured(1)) + QLatin1Char(')'));
    }
    if (!converted.isEmpty()) filters << converted;
  }
  return filters.join(QStringLiteral(";;"));
}

std::string WithDefaultExtension(const std::string& path, const std::string& extension) {
  if (extension.empty() || path.empty()) return path;
  if (std::filesystem::path(path).has_extension()) return path;
  return path + "." + extension;
}

CQtUserInterface::CQtUserInterface(std::function<QWidget*()> parent) : parent_(std::move(parent)) {}

int CQtUserInterface::MessageBox(const std::string& text, ui::Icon icon, ui::Buttons buttons) {
  QMessageBox box(Parent());
  box.setWindowTitle(QString::fromLatin1(kTitle));
  box.setText(FromUtf8(text));
  switch (icon) {
    case ui::Icon::Information: box.setIcon(QMessageBox::Information); break;
    case ui::Icon::Error: box.setIcon(QMessageBox::Critical); break;
    case ui::Icon::Warning: box.setIcon(QMessageBox::Warning); break;
    case ui::Icon::Question: box.setIcon(QMessageBox::Question); break;
  }
  switch (buttons) {
    case ui::Buttons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case ui::Buttons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case ui::Buttons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case ui::Buttons::YesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
  }
  switch (box.exec()) {
    case QMessageBox::Cancel: return ui::kAnswerCancel;
    case QMessageBox::Yes: return ui::kAnswerYes;
    case QMessageBox::No: return ui::kAnswerNo;
    case QMessageBox::Ok: return ui::kAnswerOk;
    default:
      // Closed from the title bar: the safe answer of the buttons shown.
      return buttons == ui::Buttons::Ok ? ui::kAnswerOk
             : buttons == ui::Buttons::YesNo ? ui::kAnswerNo
                                              : ui::kAnswerCancel;
  }
}

std::optional<std::string> CQtUserInterface::ChooseFile(const ui::FileChooser& chooser) {
  QFileDialog dialog(Parent(), FromUtf8(chooser.caption), FromUtf8(chooser.initialPath), QtFileFilter(chooser.filter));
  dialog.setAcceptMode(chooser.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(chooser.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (!chooser.defaultExtension.empty()) dialog.setDefaultSuffix(FromUtf8(chooser.defaultExtension));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return WithDefaultExtension(dialog.selectedFiles().front().toStdString(), chooser.defaultExtension);
}

std::optional<std::string> CQtUserInterface::ChooseFolder(const ui::FolderChooser& chooser) {
  const QString folder = QFileDialog::getExistingDirectory(Parent(), FromUtf8(chooser.caption),
                                                           FromUtf8(chooser.initialFolder), QFileDialog::ShowDirsOnly);
  if (folder.isEmpty()) return std::nullopt;
  return folder.toStdString();
}

std::any CQtUserInterface::Ask(std::type_index kind, const void* request, const char* kindName) {
  if (handlers_.Has(kind)) return handlers_.Call(kind, request);
  std::fprintf(stderr, "tessiro: no window answers %s yet; taken as cancelled\n", kindName);
  return {};
}
