// The per-user profile on QSettings: "<organisation>/<application>" sections
// and entries as the program has always kept them, and the recent-file list.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "UiServices.h"

class QSettings;

class CSettingsProfile final : public ui::IProfile {
 public:
  static constexpr const char* kOrganization = "Local AppWizard-Generated Applications";
  static constexpr const char* kApplication = "Tessiro";

  // The user's profile under the organisation and application above.
  CSettingsProfile();
  // A profile kept in one INI file (tests, portable use).
  explicit CSettingsProfile(const std::string& iniPath);
  ~CSettingsProfile() override;

  std::string GetString(const std::string& section, const std::string& entry) override;
  void WriteString(const std::string& section, const std::string& entry, const std::string& value) override;

 private:
  std::unique_ptr<QSettings> settings_;
};

// The most recently opened projects, newest first, at most eight, kept in the
// profile as "Recent File List"/"File1".."File8".
class CRecentFileList {
 public:
  static constexpr size_t kMaxFiles = 8;
  static constexpr const char* kSection = "Recent File List";

  explicit CRecentFileList(ui::IProfile& profile) : profile_(profile) {}

  void Load();
  // Moves the path to the top (adding it when new) and saves the list.
  void Add(const std::string& path);
  void Remove(const std::string& path);
  const std::vector<std::string>& GetFiles() const { return files_; }

 private:
  void Save();

  ui::IProfile& profile_;
  std::vector<std::string> files_;
};
