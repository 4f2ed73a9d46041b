#include "StartupWindows.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstring>

#include "DialogKit.h"
#include "controls/HyperLink.h"
#include "requests/ProjectRequests.h"
#include "requests/TransportRequests.h"
#include "requests/ViewRequests.h"
#include "skin/SkinFactory.h"

namespace dialogs {

namespace {

QString IdName(int id) { return QString::number(id); }

QLabel* Text(const char* text, int id, QWidget* parent) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setWordWrap(true);
  if (id != 0) label->setObjectName(IdName(id));
  return label;
}

// The skinned link: link colours, a hand over it, its target opened when clicked;
// in a notice it is not underlined.
CHyperLink* Link(const forms::HyperLink& link, QWidget* parent) {
  auto* label = new CHyperLink(QString::fromStdString(link.text), parent);
  label->SetURL(QString::fromStdString(link.target));
  label->SetUnderline(0);
  label->setObjectName(IdName(link.id));
  return label;
}

// The skin's picture of a notice; 0 for one the skin does not draw.
int PictureId(const char* name) {
  if (std::strcmp(name, "arm-button") == 0) return skin::kArmPicture;
  if (std::strcmp(name, "multitrack-independent") == 0) return skin::kDriverPicture;
  return 0;
}

QDialogButtonBox* OkButton(QDialog* dialog) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, dialog);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(IdName(1));
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  return buttons;
}

}  // namespace

CInitWindow1::CInitWindow1(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("298"));
  setWindowTitle(QString::fromUtf8(forms::CInitDialog1::Caption()));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Text(forms::CInitDialog1::WelcomeText(), forms::CInitDialog1::kIdWelcome, this));
  auto* links = new QVBoxLayout;
  links->setSpacing(4);
  for (const forms::HyperLink& link : forms::CInitDialog1::Links()) links->addWidget(Link(link, this));
  layout->addLayout(links);
  layout->addWidget(Text(forms::CInitDialog1::SetupNote(), forms::CInitDialog1::kIdSetupNote, this));
  layout->addWidget(OkButton(this));
  setMinimumWidth(420);
}

CInitWindow2::CInitWindow2(const InitDialog2Request& request, StartupServices services, QWidget* parent)
    : QDialog(parent), form_(request), services_(std::move(services)) {
  using forms::CInitDialog2;
  setObjectName(QStringLiteral("299"));
  setWindowTitle(QString::fromUtf8(CInitDialog2::Caption()));
  form_.OnInitDialog();

  auto* layout = new QVBoxLayout(this);
  auto* audio = new QGroupBox(QStringLiteral("Audio Settings"), this);
  auto* audioLayout = new QVBoxLayout(audio);
  auto* deviceRow = new QHBoxLayout;
  deviceRow->addWidget(new QLabel(QStringLiteral("Output Device:"), audio));
  devices_ = MakeOutputCombo(CInitDialog2::kIdOutputDevice, form_.OutputDevices(), audio);
  devices_->setCurrentIndex(form_.OutputDevice() < 0 ? 0 : form_.OutputDevice());
  deviceRow->addWidget(devices_, 1);
  audioLayout->addLayout(deviceRow);

  auto* pathRow = new QHBoxLayout;
  pathRow->addWidget(new QLabel(QStringLiteral("Audio Path:"), audio));
  path_ = new QLineEdit(QString::fromStdString(form_.AudioPath()), audio);
  path_->setObjectName(IdName(CInitDialog2::kIdAudioPath));
  pathRow->addWidget(path_, 1);
  auto* browse = new QPushButton(QStringLiteral("Browse..."), audio);
  browse->setObjectName(IdName(CInitDialog2::kIdBrowse));
  pathRow->addWidget(browse);
  audioLayout->addLayout(pathRow);
  audioLayout->addWidget(Text(CInitDialog2::AudioPathNote(), 0, audio));
  layout->addWidget(audio);

  auto* license = new QGroupBox(QStringLiteral("License Agreement"), this);
  auto* licenseLayout = new QVBoxLayout(license);
  auto* agreement = new QPlainTextEdit(QString::fromUtf8(CInitDialog2::LicenseText()), license);
  agreement->setObjectName(IdName(CInitDialog2::kIdLicense));
  agreement->setReadOnly(true);
  agreement->setMinimumHeight(120);
  licenseLayout->addWidget(agreement);
  layout->addWidget(license);
  layout->addWidget(OkButton(this));
  setMinimumWidth(460);

  connect(devices_, &QComboBox::currentIndexChanged, this, [this](int index) { form_.SelectOutputDevice(index); });
  connect(path_, &QLineEdit::textEdited, this, [this](const QString& text) { form_.SetAudioPath(text.toStdString()); });
  connect(browse, &QPushButton::clicked, this, &CInitWindow2::Browse);
}

void CInitWindow2::Browse() {
  if (!services_.browseFolder) return;
  std::string from = form_.AudioPath();
  for (;;) {
    const std::optional<std::string> chosen = services_.browseFolder(from);
    const FolderCheck check = form_.ApplyBrowsed(chosen);
    if (check == FolderCheck::Accepted) break;
    Refuse(FolderRefusalText(*chosen, check));
    from = *chosen;
  }
  path_->setText(QString::fromStdString(form_.AudioPath()));
}

void CInitWindow2::accept() {
  // A folder that cannot be made is refused again by the core, which says why;
  // one too long to be kept stays here to be changed.
  const FolderCheck check = form_.OnOK();
  if (check == FolderCheck::TooLong) {
    Refuse(FolderRefusalText(form_.AudioPath(), check));
    path_->setFocus();
    return;
  }
  QDialog::accept();
}

void CInitWindow2::Refuse(const std::string& text) {
  if (services_.refuse) services_.refuse(text);
}

CNoticeWindow::CNoticeWindow(const forms::NoticeForm& notice, QWidget* parent) : QDialog(parent) {
  setObjectName(QString::fromUtf8(notice.kind));
  setWindowTitle(QString::fromUtf8(notice.caption));
  dontShow_.OnInitDialog();
  auto* layout = new QVBoxLayout(this);
  auto* body = new QHBoxLayout;
  body->addWidget(Text(notice.text, notice.textId, this), 1);
  if (notice.picture != nullptr) {
    const int id = PictureId(notice.picture);
    auto* picture = new QLabel(this);
    picture->setObjectName(QString::fromUtf8(notice.picture));
    if (id != 0) {
      const draw::CBitmap& art = CSkinFactory::Get(id, devicePixelRatioF());
      QPixmap pixmap = QPixmap::fromImage(art.Image());
      pixmap.setDevicePixelRatio(art.Scale());
      picture->setPixmap(pixmap);
      picture->setFixedSize(CSkinFactory::Size(id));
    }
    body->addWidget(picture, 0, Qt::AlignTop);
  }
  layout->addLayout(body);
  if (notice.link) {
    // Apart from the text, so that it reads as a link of its own.
    layout->addSpacing(4);
    layout->addWidget(Link(*notice.link, this));
  }
  if (notice.checkId != 0) {
    auto* check = new QCheckBox(QString::fromUtf8(forms::kDontShowAgainText), this);
    check->setObjectName(IdName(notice.checkId));
    connect(check, &QCheckBox::toggled, this, [this](bool ticked) { dontShow_.OnCheck(ticked); });
    layout->addWidget(check);
  }
  layout->addWidget(OkButton(this));
  // Wider beside a picture, so that the text keeps to a few lines.
  setMinimumWidth(notice.picture ? 500 : 400);
}

CModifiedWindow::CModifiedWindow(const std::string& text, QWidget* parent) : QDialog(parent), form_(nullptr) {
  using forms::CModifiedDialog;
  setObjectName(QStringLiteral("301"));
  setWindowTitle(QString::fromUtf8(CModifiedDialog::Caption()));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Text(text.empty() ? CModifiedDialog::Text() : text.c_str(), 0, this));
  auto* buttons = new QDialogButtonBox(this);
  const struct {
    int id;
    const char* text;
    QDialogButtonBox::ButtonRole role;
  } kButtons[] = {{CModifiedDialog::kIdYes, "&Yes", QDialogButtonBox::YesRole},
                  {CModifiedDialog::kIdNo, "&No", QDialogButtonBox::NoRole},
                  {CModifiedDialog::kIdCancel, "&Cancel", QDialogButtonBox::RejectRole}};
  for (const auto& entry : kButtons) {
    QPushButton* button = buttons->addButton(QString::fromUtf8(entry.text), entry.role);
    button->setObjectName(IdName(entry.id));
    const int id = entry.id;
    connect(button, &QPushButton::clicked, this, [this, id] { done(form_.OnButton(id)); });
  }
  layout->addWidget(buttons);
  // The question on one line in the program's font.
  setMinimumWidth(450);
}

ModifiedProjectRequest::Answer CModifiedWindow::Answer() const {
  // The application saves after Yes itself; Esc and the close button are Cancel.
  if (result() == ui::kAnswerOk) return ModifiedProjectRequest::Answer::Yes;
  if (result() == ui::kAnswerNo) return ModifiedProjectRequest::Answer::No;
  return ModifiedProjectRequest::Answer::Cancel;
}

int RunWindow(QDialog& window, const StartupServices& services) {
  if (services.run) {
    services.run(window);
    return window.result();
  }
  return window.exec();
}

void AnswerStartupRequests(ui::CRequestHandlers& handlers, const StartupServices& services) {
  auto owner = [parent = services.parent] { return parent ? parent() : nullptr; };
  handlers.On<InitDialog1Request>([owner, services](const InitDialog1Request&) {
    CInitWindow1 window(owner());
    RunWindow(window, services);
    return std::optional<InitDialog1Request::Result>(InitDialog1Request::Result{});
  });
  handlers.On<InitDialog2Request>([owner, services](const InitDialog2Request& request) {
    CInitWindow2 window(request, services, owner());
    std::optional<InitDialog2Request::Result> answer;
    // Closing the page without OK keeps what it proposed.
    RunWindow(window, services);
    answer = window.Form().Result();
    return answer;
  });
  handlers.On<MAudioFoundRequest>([owner, services](const MAudioFoundRequest&) {
    CMAudioFoundDialog window(owner());
    RunWindow(window, services);
    return std::optional<MAudioFoundRequest::Result>(MAudioFoundRequest::Result{});
  });
  handlers.On<NoAudioEditingExistsRequest>([owner, services](const NoAudioEditingExistsRequest&) {
    CNoAudioEditingExistsDialog window(owner());
    RunWindow(window, services);
    return std::optional<NoAudioEditingExistsRequest::Result>(NoAudioEditingExistsRequest::Result{window.DontShowAgain() ? 1 : 0});
  });
  handlers.On<NoLoopsExistRequest>([owner, services](const NoLoopsExistRequest&) {
    CNoLoopsExistDialog window(owner());
    RunWindow(window, services);
    return std::optional<NoLoopsExistRequest::Result>(NoLoopsExistRequest::Result{window.DontShowAgain() ? 1 : 0});
  });
}

void AnswerNoticeRequests(ui::CRequestHandlers& handlers, const StartupServices& services) {
  auto owner = [parent = services.parent] { return parent ? parent() : nullptr; };
  handlers.On<ArmButtonRequest>([owner, services](const ArmButtonRequest&) {
    CArmButtonDialog window(owner());
    RunWindow(window, services);
    return std::optional<ArmButtonRequest::Result>(ArmButtonRequest::Result{});
  });
  // Dropouts that come while the notice is open are told by the notice already
  // shown, not by a pile of them.
  auto showing = std::make_shared<bool>(false);
  handlers.On<DropoutNoticeRequest>([owner, services, showing](const DropoutNoticeRequest&) {
    if (!*showing) {
      *showing = true;
      CDropoutDialog window(owner());
      RunWindow(window, services);
      *showing = false;
    }
    return std::optional<DropoutNoticeRequest::Result>(DropoutNoticeRequest::Result{});
  });
  handlers.On<ModifiedProjectRequest>([owner, services](const ModifiedProjectRequest& request) {
    CModifiedWindow window(request.text, owner());
    RunWindow(window, services);
    return std::optional<ModifiedProjectRequest::Result>(ModifiedProjectRequest::Result{window.Answer()});
  });
}

}  // namespace dialogs
