// What the about box shows: its caption, the version and credit lines, and the
// addresses behind its four links (the maker's pages are the manual the
// program ships, opened locally).
#pragma once

#include <string>

struct AboutLink {
  int controlId;
  std::string text;
  std::string address;
};

struct AboutInfo {
  static constexpr const char* kCaption = "About the Orvane Tessiro...";
  static constexpr const char* kProgramName = "Orvane Tessiro";
  static constexpr const char* kVersion = "Version 1.6.3";
  static constexpr const char* kCredit = "MP3 Conversions Provided by L.A.M.E. Open Source Project";
  static constexpr const char* kSupportAddress = "support@tessiro.org";

  // 1335 the maker's site, 1336 the contact address, 1337 the encoder's credit, 1338 the tutorial.
  AboutLink links[4];
};

// The links with the manual's location in the program's data folder.
AboutInfo MakeAboutInfo(const std::string& manualFolder);
// The manual's page (index.html) or one of its sections.
std::string ManualAddress(const std::string& manualFolder, const std::string& section = "");
