#include "AboutDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/HyperLink.h"
#include "skin/SkinFactory.h"
#include "skin/SkinIds.h"

CAboutDlg::CAboutDlg(const AboutInfo& info, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("dlg100"));
  setWindowTitle(QString::fromLatin1(AboutInfo::kCaption));
  setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

  auto* picture = new QLabel(this);
  const draw::CBitmap& art = CSkinFactory::Get(skin::kAboutPicture, devicePixelRatioF());
  QPixmap pixmap = QPixmap::fromImage(art.Image());
  pixmap.setDevicePixelRatio(art.Scale());
  picture->setPixmap(pixmap);
  picture->setAlignment(Qt::AlignTop);

  auto* name = new QLabel(QString::fromLatin1(AboutInfo::kProgramName), this);
  QFont bold = name->font();
  bold.setBold(true);
  bold.setPixelSize(bold.pixelSize() > 0 ? bold.pixelSize() + 4 : 16);
  name->setFont(bold);
  auto* version = new QLabel(QString::fromLatin1(AboutInfo::kVersion), this);
  auto* credit = new QLabel(QString::fromLatin1(AboutInfo::kCredit), this);

  auto* text = new QVBoxLayout;
  text->setSpacing(4);
  text->addWidget(name);
  text->addWidget(version);
  text->addSpacing(8);
  text->addWidget(credit);
  text->addSpacing(8);
  for (size_t i = 0; i < links_.size(); ++i) {
    const AboutLink& link = info.links[i];
    auto* label = new CHyperLink(QString::fromStdString(link.text), this);
    label->setObjectName(QString::number(link.controlId));
    label->SetURL(QString::fromStdString(link.address));
    links_[i] = label;
    text->addWidget(label, 0, Qt::AlignLeft);
  }
  text->addStretch(1);

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("1"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);

  auto* body = new QHBoxLayout;
  body->setSpacing(16);
  body->addWidget(picture, 0, Qt::AlignTop);
  body->addLayout(text, 1);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(16, 16, 16, 12);
  outer->addLayout(body);
  outer->addSpacing(8);
  outer->addLayout(buttons);
  setFixedSize(sizeHint());
}

CHyperLink* CAboutDlg::Link(int controlId) const {
  for (CHyperLink* link : links_) {
    if (link && link->objectName() == QString::number(controlId)) return link;
  }
  return nullptr;
}
