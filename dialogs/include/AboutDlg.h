// The about box: the program's name and version, its picture, the credit to
// the MP3 encoder, and four links (the maker's pages, the contact address,
// the encoder's credit, the tutorial) that open in the desktop's browser.
//
// Threads: user-interface thread only.
#pragma once

#include <QDialog>
#include <array>

#include "AboutInfo.h"

class CHyperLink;

class CAboutDlg final : public QDialog {
 public:
  CAboutDlg(const AboutInfo& info, QWidget* parent = nullptr);

  CHyperLink* Link(int controlId) const;

 private:
  std::array<CHyperLink*, 4> links_{};
};
