// The band bar at the foot of the main window: the lower tool bars stacked as
// bands in a fixed order, each shown or hidden on its own.
#pragma once

#include <QWidget>
#include <vector>

class QVBoxLayout;

class CReBar final : public QWidget {
 public:
  explicit CReBar(QWidget* parent = nullptr);

  // Adds a band after the others; its index.
  int AddBand(QWidget* band);
  void ShowBand(int index, bool show);
  int BandCount() const { return static_cast<int>(bands_.size()); }
  QWidget* Band(int index) const;
  bool IsBandShown(int index) const;

 private:
  QVBoxLayout* layout_;
  std::vector<QWidget*> bands_;
};
