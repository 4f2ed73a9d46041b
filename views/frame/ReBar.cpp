#include "frame/ReBar.h"

#include <QVBoxLayout>

CReBar::CReBar(QWidget* parent) : QWidget(parent), layout_(new QVBoxLayout(this)) {
  setObjectName(QStringLiteral("rebar"));
  // As high as its shown bands, never more: the view takes what is left.
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  layout_->setContentsMargins(0, 0, 0, 0);
  layout_->setSpacing(0);
}

int CReBar::AddBand(QWidget* band) {
  band->setParent(this);
  layout_->addWidget(band);
  bands_.push_back(band);
  return static_cast<int>(bands_.size()) - 1;
}

QWidget* CReBar::Band(int index) const {
  return index >= 0 && index < BandCount() ? bands_[static_cast<size_t>(index)] : nullptr;
}

void CReBar::ShowBand(int index, bool show) {
  if (QWidget* band = Band(index)) band->setVisible(show);
}

bool CReBar::IsBandShown(int index) const {
  QWidget* band = Band(index);
  return band && !band->isHidden();
}
