#include "Profile.h"

#include <QSettings>
#include <QString>
#include <algorithm>

namespace {
QString Key(const std::string& section, const std::string& entry) {
  return QString::fromStdString(section) + "/" + QString::fromStdString(entry);
}
}  // namespace

CSettingsProfile::CSettingsProfile() : settings_(std::make_unique<QSettings>(kOrganization, kApplication)) {}

CSettingsProfile::CSettingsProfile(const std::string& iniPath)
    : settings_(std::make_unique<QSettings>(QString::fromStdString(iniPath), QSettings::IniFormat)) {}

CSettingsProfile::~CSettingsProfile() = default;

std::string CSettingsProfile::GetString(const std::string& section, const std::string& entry) {
  return settings_->value(Key(section, entry)).toString().toStdString();
}

void CSettingsProfile::WriteString(const std::string& section, const std::string& entry, const std::string& value) {
  settings_->setValue(Key(section, entry), QString::fromStdString(value));
  settings_->sync();
}

void CRecentFileList::Load() {
  files_.clear();
  for (size_t i = 1; i <= kMaxFiles; ++i) {
    std::string path = profile_.GetString(kSection, "File" + std::to_string(i));
    if (!path.empty() && std::find(files_.begin(), files_.end(), path) == files_.end()) files_.push_back(path);
  }
}

void CRecentFileList::Add(const std::string& path) {
  if (path.empty()) return;
  files_.erase(std::remove(files_.begin(), files_.end(), path), files_.end());
  files_.insert(files_.begin(), path);
  if (files_.size() > kMaxFiles) files_.resize(kMaxFiles);
  Save();
}

void CRecentFileList::Remove(const std::string& path) {
  auto at = std::remove(files_.begin(), files_.end(), path);
  if (at == files_.end()) return;
  files_.erase(at, files_.end());
  Save();
}

void CRecentFileList::Save() {
  for (size_t i = 0; i < kMaxFiles; ++i) {
    profile_.WriteString(kSection, "File" + std::to_string(i + 1), i < files_.size() ? files_[i] : "");
  }
}
