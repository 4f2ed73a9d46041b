#include "ZelmoSettingsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "FormWidget.h"
#include "LevelEnvelopeWidget.h"

namespace dialogs {

using forms::CEffectsWindowForm;

namespace {
const QSize kEmptyArea(520, 340);
// The smallest page a window made small leaves the panels: they scroll in it.
const QSize kSmallestArea(240, 160);
constexpr int kAreaMargin = 4;
// DialogKit's helpers are not used here: its value records share names with the effect forms'.
QString CtlName(int id) { return QString::number(id); }
QString Qs(const std::string& text) { return QString::fromStdString(text); }
// The panels' page. It asks for room for the largest panel, so that the window
// has one size whatever panel it shows, and scrolls a panel only when the
// window is made smaller than that.
class CPanelArea final : public QScrollArea {
 public:
  explicit CPanelArea(QWidget* parent) : QScrollArea(parent) {}
  void SetRoom(const QSize& room) {
    room_ = room;
    updateGeometry();
  }
  QSize sizeHint() const override { return room_ + QSize(2 * frameWidth(), 2 * frameWidth()); }
  QSize minimumSizeHint() const override { return kSmallestArea; }

 private:
  QSize room_ = kEmptyArea;
};

QComboBox* MakeCombo(int id, const std::vector<std::string>& entries, QWidget* parent) {
  auto* combo = new QComboBox(parent);
  combo->setObjectName(CtlName(id));
  for (const std::string& entry : entries) combo->addItem(Qs(entry));
  return combo;
}
QGroupBox* Group(const char* title, QWidget* parent) {
  auto* box = new QGroupBox(QString::fromUtf8(title), parent);
  box->setLayout(new QVBoxLayout);
  return box;
}
QCheckBox* Check(int id, const char* text, QWidget* parent) {
  auto* check = new QCheckBox(QString::fromUtf8(text), parent);
  check->setObjectName(CtlName(id));
  return check;
}
}  // namespace

CLevelsIndependentDialog::CLevelsIndependentDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("dlg269"));
  setWindowTitle("Use Independent Channels?");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("Allow levels to be channel independent?", this));
  auto* note = new QLabel(
      "Yes gives the left and right channels envelopes of their own; No edits one envelope for both.", this);
  note->setWordWrap(true);
  layout->addWidget(note);
  auto* buttons = new QHBoxLayout;
  auto* yes = new QPushButton("Yes", this);
  yes->setObjectName(CtlName(kYes));
  auto* no = new QPushButton("No", this);
  no->setObjectName(CtlName(kNo));
  buttons->addStretch();
  buttons->addWidget(yes);
  buttons->addWidget(no);
  layout->addLayout(buttons);
  connect(yes, &QPushButton::clicked, this, [this] { Answer(1); });
  connect(no, &QPushButton::clicked, this, [this] { Answer(0); });
}

void CLevelsIndependentDialog::Answer(int answer) {
  independent = answer;
  done(answer);
}

CZelmoSettingsDialog::CZelmoSettingsDialog(CProApp& app, QWidget* parent) : QDialog(parent), form_(app) {
  setWindowTitle("Realtime Audio Effects");
  form_.SetAskIndependent([this] {
    CLevelsIndependentDialog ask(this);
    ask.exec();
    return ask.independent;
  });
  auto* layout = new QHBoxLayout(this);

  auto* left = new QVBoxLayout;
  tabs_ = new CZelmoSettingsTabCtrl(form_, this);
  tabs_->setObjectName(CtlName(kTabs));
  // The tabs' page: framed, so an empty chain still shows where panels go.
  auto* page = new CPanelArea(this);
  page->setObjectName("1033area");
  page->setFrameShape(QFrame::StyledPanel);
  page->setWidgetResizable(true);
  area_ = new QWidget(page);
  areaLayout_ = new QVBoxLayout(area_);
  areaLayout_->setContentsMargins(kAreaMargin, kAreaMargin, kAreaMargin, kAreaMargin);
  page->setWidget(area_);
  page->SetRoom(LargestPanel() + QSize(2 * kAreaMargin, 2 * kAreaMargin));
  left->addWidget(tabs_);
  left->addWidget(page, 1);
  layout->addLayout(left, 1);

  auto* right = new QVBoxLayout;
  QGroupBox* track = Group("Track Selection", this);
  std::vector<std::string> chains;
  for (int i = 0; i < CEffectsWindowForm::kChains; ++i) chains.push_back(CEffectsWindowForm::ChainName(i));
  chain_ = MakeCombo(kChainCombo, chains, track);
  track->layout()->addWidget(chain_);
  right->addWidget(track);

  QGroupBox* adding = Group("Add an Effect", this);
  auto* addRow = new QHBoxLayout;
  auto* addButton = new QPushButton("<", adding);
  addButton->setObjectName(CtlName(kAdd));
  addButton->setFixedWidth(32);
  add_ = MakeCombo(kAddCombo, {std::begin(CEffectsWindowForm::kAddItems), std::end(CEffectsWindowForm::kAddItems)},
                   adding);
  addRow->addWidget(addButton);
  addRow->addWidget(add_, 1);
  static_cast<QVBoxLayout*>(adding->layout())->addLayout(addRow);
  right->addWidget(adding);

  QGroupBox* moving = Group("Move Current Effect", this);
  auto* move = new QWidget(moving);
  move->setObjectName(CtlName(kMove));
  auto* moveRow = new QHBoxLayout(move);
  moveRow->setContentsMargins(0, 0, 0, 0);
  auto* forward = new QToolButton(move);
  forward->setArrowType(Qt::LeftArrow);
  forward->setObjectName(CtlName(kMoveForward));
  auto* back = new QToolButton(move);
  back->setArrowType(Qt::RightArrow);
  back->setObjectName(CtlName(kMoveBack));
  moveRow->addWidget(forward);
  moveRow->addWidget(back);
  moveRow->addStretch();
  moving->layout()->addWidget(move);
  right->addWidget(moving);

  auto* remove = new QPushButton("Remove Effect", this);
  remove->setObjectName(CtlName(kRemove));
  auto* removeAll = new QPushButton("Remove All Effects", this);
  removeAll->setObjectName(CtlName(kRemoveAll));
  right->addWidget(remove);
  right->addWidget(removeAll);

  QGroupBox* bypass = Group("Bypass", this);
  bypassCurrent_ = Check(kBypassCurrent, "Current Effect", bypass);
  bypassTrack_ = Check(kBypassTrack, "All Effects - This Track", bypass);
  bypassAll_ = Check(kBypassAll, "All Effects - All Tracks", bypass);
  bypass->layout()->addWidget(bypassCurrent_);
  bypass->layout()->addWidget(bypassTrack_);
  bypass->layout()->addWidget(bypassAll_);
  right->addWidget(bypass);
  right->addStretch();
  layout->addLayout(right);

  connect(chain_, &QComboBox::activated, this, &CZelmoSettingsDialog::OnChainChange);
  connect(tabs_, &QTabBar::tabBarClicked, this, [this](int tab) { Act([this, tab] { form_.SelectTab(tab); }); });
  connect(addButton, &QPushButton::clicked, this, &CZelmoSettingsDialog::OnAddEffect);
  connect(forward, &QToolButton::clicked, this, [this] { OnMoveEffect(kMoveForwardPosition); });
  connect(back, &QToolButton::clicked, this, [this] { OnMoveEffect(kMoveBackPosition); });
  connect(remove, &QPushButton::clicked, this, &CZelmoSettingsDialog::OnRemoveEffect);
  connect(removeAll, &QPushButton::clicked, this, &CZelmoSettingsDialog::OnRemoveAllEffects);
  connect(bypassCurrent_, &QCheckBox::clicked, this,
          [this](bool on) { Act([this, on] { form_.SetCurrentBypass(on); }); });
  connect(bypassTrack_, &QCheckBox::clicked, this, [this](bool on) { Act([this, on] { form_.SetTrackBypass(on); }); });
  connect(bypassAll_, &QCheckBox::clicked, this, [this](bool on) { Act([this, on] { form_.SetAllBypass(on); }); });

  form_.RebuildTabs();
  Show();
}

CZelmoSettingsDialog::~CZelmoSettingsDialog() {
  // The panel widgets refer to form members: they go first.
  delete panel_;
  panel_ = nullptr;
  delete envelope_;
  envelope_ = nullptr;
}

QWidget* CZelmoSettingsDialog::PanelWidget() const { return panel_; }

QSize CZelmoSettingsDialog::LargestPanel() {
  QSize largest = kEmptyArea;
  for (forms::CEffectPanel* panel : form_.Panels()) largest = largest.expandedTo(CFormWidget(*panel).sizeHint());
  return largest.expandedTo(CLevelEnvelopeWidget(form_.Levels()).sizeHint());
}

void CZelmoSettingsDialog::keyPressEvent(QKeyEvent* event) {
  // Enter only confirms the edit it was typed in: the window has no default
  // button, and its first button would otherwise add an effect.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void CZelmoSettingsDialog::RefreshTabs() {
  Act([this] { tabs_->RebuildTabs(); });
}

void CZelmoSettingsDialog::OnChainChange(int index) {
  Act([this, index] { tabs_->SelectChain(index); });
}

void CZelmoSettingsDialog::OnAddEffect() {
  Act([this] { form_.AddEffect(add_->currentIndex()); });
}

void CZelmoSettingsDialog::OnMoveEffect(int position) {
  Act([this, position] { position == kMoveForwardPosition ? form_.MoveForward() : form_.MoveBack(); });
}

void CZelmoSettingsDialog::OnRemoveEffect() {
  Act([this] { form_.RemoveEffect(); });
}

void CZelmoSettingsDialog::OnRemoveAllEffects() {
  Act([this] { form_.RemoveAllEffects(); });
}

void CZelmoSettingsDialog::Act(const std::function<void()>& action) {
  if (showing_) return;  // signals raised while the window is being filled
  // The panel's typed edits reach its effect before the tab changes.
  if (panel_) panel_->CommitTypedEdits();
  if (envelope_) envelope_->CommitTypedEdits();
  delete panel_;
  panel_ = nullptr;
  delete envelope_;
  envelope_ = nullptr;
  action();
  Show();
}

void CZelmoSettingsDialog::Show() {
  showing_ = true;
  tabs_->ShowTabs();
  chain_->setCurrentIndex(form_.ChainIndex());
  delete panel_;
  panel_ = nullptr;
  delete envelope_;
  envelope_ = nullptr;
  if (forms::CEffectPanel* panel = form_.ShownPanel()) {
    panel_ = new CFormWidget(*panel, area_);
    areaLayout_->addWidget(panel_, 0, Qt::AlignTop);
    panel_->Render();
    panel_->show();
  } else if (forms::CAudioLevelsVisualDialog* levels = form_.ShownLevels()) {
    envelope_ = new CLevelEnvelopeWidget(*levels, area_);
    areaLayout_->addWidget(envelope_, 0, Qt::AlignLeft);
    envelope_->show();
  }
  bypassCurrent_->setChecked(form_.CurrentBypass());
  bypassTrack_->setChecked(form_.TrackBypass());
  bypassAll_->setChecked(form_.AllBypass());
  bypassCurrent_->setEnabled(form_.CurrentBypassEnabled());
  bypassTrack_->setEnabled(form_.TrackBypassEnabled());
  showing_ = false;
}

CZelmoSettingsTabCtrl::CZelmoSettingsTabCtrl(CEffectsWindowForm& form, QWidget* parent)
    : QTabBar(parent), form_(form) {
  setExpanding(false);
  // As tall with no tab as with tabs, so that an empty chain keeps the window's size.
  addTab(QStringLiteral("Equalizer"));
  setMinimumHeight(sizeHint().height());
  removeTab(0);
}

void CZelmoSettingsTabCtrl::SelectChain(int index) { form_.SelectChain(index); }

void CZelmoSettingsTabCtrl::RebuildTabs() { form_.RebuildTabs(); }

void CZelmoSettingsTabCtrl::ShowTabs() {
  while (count() > 0) removeTab(0);
  for (const std::string& tab : form_.Tabs()) addTab(Qs(tab));
  if (!form_.Tabs().empty()) setCurrentIndex(form_.CurrentTab());
}

}  // namespace dialogs
