#include "LevelEnvelopeWidget.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "DialogKit.h"

namespace dialogs {

using Envelope = forms::CAudioLevelsVisualDialog;

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

const QColor kBackground(220, 220, 220);
const QColor kDotted(100, 100, 100);
// Below the graph's picture: the scroll bar, then the controls.
constexpr int kControlsTop = Envelope::kPictureY + Envelope::kPictureHeight + 4;
constexpr int kLevelLines[2] = {61, 122};  // 200 % and 100 %

void Fill(QComboBox* combo, const std::vector<std::string>& items, int selection) {
  QStringList wanted;
  for (const std::string& item : items) wanted << Q(item);
  QStringList shown;
  for (int i = 0; i < combo->count(); ++i) shown << combo->itemText(i);
  if (shown != wanted) {
    combo->clear();
    combo->addItems(wanted);
  }
  combo->setCurrentIndex(selection);
}

}  // namespace

CLevelEnvelopeWidget::CLevelEnvelopeWidget(Envelope& form, QWidget* parent) : QWidget(parent), form_(form) {
  setObjectName(CtlName(Envelope::kTemplateId));
  setMouseTracking(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, kControlsTop, 8, 4);

  auto* scrollRow = new QHBoxLayout;
  scrollRow->addSpacing(Envelope::kAreaLeft);
  scroll_ = new QScrollBar(Qt::Horizontal, this);
  scroll_->setObjectName(CtlName(Envelope::kScrollBar));
  scroll_->setFixedWidth(Envelope::kGraphWidth + 1);
  scrollRow->addWidget(scroll_);
  scrollRow->addStretch();
  layout->addLayout(scrollRow);

  auto* viewRow = new QHBoxLayout;
  viewRow->addSpacing(Envelope::kAreaLeft);
  channel_ = AddCombo(Envelope::kChannel);
  viewRow->addWidget(channel_);
  pointer_ = AddEdit(Envelope::kPointer, true);
  viewRow->addWidget(pointer_, 1);
  layout->addLayout(viewRow);

  auto* zoomRow = new QHBoxLayout;
  zoomRow->addSpacing(Envelope::kAreaLeft);
  const std::pair<int, const char*> buttons[] = {
      {Envelope::kZoomIn, "Zoom In"}, {Envelope::kZoomOut, "Zoom Out"}, {Envelope::kViewAll, "View All"}};
  for (const auto& [id, text] : buttons) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(CtlName(id));
    button->setAutoDefault(false);
    zoomRow->addWidget(button);
    connect(button, &QPushButton::clicked, this, [this, id = id] {
      Act([this, id] {
        if (id == Envelope::kZoomIn) form_.ZoomIn();
        if (id == Envelope::kZoomOut) form_.ZoomOut();
        if (id == Envelope::kViewAll) form_.ViewAll();
      });
    });
  }
  zoomRow->addStretch();
  layout->addLayout(zoomRow);
  // A page taller than the editor: the point's fields go to its foot, not a gap.
  layout->addStretch();

  auto* groups = new QHBoxLayout;
  auto* pointGroup = new QGroupBox("View / Edit Point", this);
  auto* pointForm = new QHBoxLayout(pointGroup);
  point_ = AddEdit(Envelope::kPoint, true);
  time_ = AddEdit(Envelope::kTime, true);
  level_ = AddEdit(Envelope::kLevel, false);
  point_->setFixedWidth(40);
  time_->setFixedWidth(84);
  level_->setFixedWidth(64);
  levelUnit_ = new QLabel(pointGroup);
  levelUnit_->setObjectName(CtlName(Envelope::kLevelUnit));
  levelUnit_->setMinimumWidth(levelUnit_->fontMetrics().horizontalAdvance("dB") + 2);
  pointForm->addWidget(new QLabel("Point:", pointGroup));
  pointForm->addWidget(point_);
  pointForm->addWidget(new QLabel("Time:", pointGroup));
  pointForm->addWidget(time_);
  pointForm->addWidget(new QLabel("Level:", pointGroup));
  pointForm->addWidget(level_);
  pointForm->addWidget(levelUnit_);
  groups->addWidget(pointGroup);
  auto* timeGroup = new QGroupBox("Time Units", this);
  timeUnits_ = AddCombo(Envelope::kTimeUnits);
  (new QVBoxLayout(timeGroup))->addWidget(timeUnits_);
  groups->addWidget(timeGroup);
  auto* unitsGroup = new QGroupBox("Audio Units", this);
  units_ = AddCombo(Envelope::kUnits);
  (new QVBoxLayout(unitsGroup))->addWidget(units_);
  groups->addWidget(unitsGroup);
  layout->addLayout(groups);

  menu_ = new QMenu("Audio Levels Popup", this);
  insert_ = menu_->addAction("Insert New Point");
  insert_->setObjectName(CtlName(Envelope::kInsert));
  delete_ = menu_->addAction("Delete Point");
  delete_->setObjectName(CtlName(Envelope::kDelete));
  connect(insert_, &QAction::triggered, this, [this] { Act([this] { form_.InsertPoint(); }); });
  connect(delete_, &QAction::triggered, this, [this] { Act([this] { form_.DeletePoint(); }); });

  connect(scroll_, &QScrollBar::actionTriggered, this, [this](int action) {
    if (showing_) return;
    const forms::SliderAction a = SliderActionOf(action);
    const int thumb = scroll_->sliderPosition();
    Act([this, a, thumb] { form_.Scroll(a, thumb); });
  });
  connect(channel_, &QComboBox::activated, this, [this](int i) { Act([this, i] { form_.SelectChannel(i); }); });
  connect(timeUnits_, &QComboBox::activated, this, [this](int i) { Act([this, i] { form_.SelectTimeUnits(i); }); });
  connect(units_, &QComboBox::activated, this, [this](int i) { Act([this, i] { form_.SelectUnits(i); }); });
  connect(level_, &QLineEdit::editingFinished, this, [this] { CommitTypedEdits(); });

  setMinimumWidth(Envelope::kPictureX + Envelope::kPictureWidth + 8);
  Render();
}

QComboBox* CLevelEnvelopeWidget::AddCombo(int id) {
  auto* combo = new QComboBox(this);
  combo->setObjectName(CtlName(id));
  combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  return combo;
}

QLineEdit* CLevelEnvelopeWidget::AddEdit(int id, bool readOnly) {
  auto* edit = new QLineEdit(this);
  edit->setObjectName(CtlName(id));
  edit->setReadOnly(readOnly);
  return edit;
}

void CLevelEnvelopeWidget::Act(const std::function<void()>& action) {
  if (showing_) return;
  action();
  Render();
}

void CLevelEnvelopeWidget::CommitTypedEdits() {
  if (showing_ || !level_->isModified()) return;
  level_->setModified(false);
  Act([this] { form_.CommitLevel(level_->text().toStdString()); });
}

void CLevelEnvelopeWidget::Render() {
  showing_ = true;
  {
    const QSignalBlocker blockScroll(scroll_);
    const int page = form_.ScrollPage();
    scroll_->setRange(0, Envelope::kScrollSteps - page);
    scroll_->setPageStep(page);
    scroll_->setSingleStep(std::max(1, page / 4));
    scroll_->setValue(form_.ScrollPosition());
  }
  Fill(channel_, form_.Items(Envelope::kChannel), form_.Selection(Envelope::kChannel));
  Fill(timeUnits_, form_.Items(Envelope::kTimeUnits), form_.Selection(Envelope::kTimeUnits));
  Fill(units_, form_.Items(Envelope::kUnits), form_.Selection(Envelope::kUnits));
  pointer_->setText(Q(form_.Text(Envelope::kPointer)));
  point_->setText(Q(form_.Text(Envelope::kPoint)));
  time_->setText(Q(form_.Text(Envelope::kTime)));
  if (!(level_->hasFocus() && level_->isModified())) level_->setText(Q(form_.Text(Envelope::kLevel)));
  levelUnit_->setText(Q(form_.Text(Envelope::kLevelUnit)));
  setCursor(form_.SizeCursor() || form_.Dragging() ? Qt::SizeVerCursor : Qt::ArrowCursor);
  showing_ = false;
  update();
}

QImage CLevelEnvelopeWidget::Picture() const {
  QImage picture(Envelope::kPictureWidth, Envelope::kPictureHeight, QImage::Format_RGB32);
  if (picture.isNull()) return picture;
  picture.fill(kBackground);
  QPainter p(&picture);
  const int left = Envelope::kGraphLeft, right = Envelope::kGraphLeft + Envelope::kGraphWidth, bottom = Envelope::kGraphHeight;
  p.setPen(QPen(Qt::black, 1, Qt::SolidLine));
  p.drawLine(left, 0, left, bottom);
  p.drawLine(left, bottom, right, bottom);
  p.drawLine(right, 0, right, bottom);
  p.setPen(QPen(kDotted, 1, Qt::DotLine));
  p.drawLine((left + right) / 2, 0, (left + right) / 2, bottom);
  for (int y : kLevelLines) p.drawLine(left, y, right, y);

  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(10);
  p.setFont(font);
  p.setPen(Qt::black);
  const Envelope::Drawing drawing = form_.Draw();
  for (size_t i = 0; i < drawing.timeLabels.size(); ++i) {
    p.drawText(Envelope::kTimeLabelX[i], Envelope::kPictureHeight - 3, Q(drawing.timeLabels[i]));
  }
  // The level scale, left of the graph.
  const std::pair<int, const char*> scale[] = {{0, "300%"}, {kLevelLines[0], "200%"}, {kLevelLines[1], "100%"}};
  for (const auto& [y, text] : scale) {
    p.drawText(QRect(0, y, left - 3, 12), Qt::AlignRight | Qt::AlignTop, text);
  }
  p.drawText(QRect(0, bottom - 12, left - 3, 12), Qt::AlignRight | Qt::AlignBottom, "0%");
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(QPen(Qt::black, 1));
  for (const Envelope::Line& line : drawing.lines) p.drawLine(line.x1, line.y1, line.x2, line.y2);
  p.setBrush(Qt::black);
  for (const Envelope::Rect& r : drawing.squares) p.drawRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
  return picture;
}

void CLevelEnvelopeWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(Envelope::kPictureX, Envelope::kPictureY, Picture());
}

void CLevelEnvelopeWidget::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  Act([this, at] { form_.MouseMove(at.x(), at.y()); });
}

void CLevelEnvelopeWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  const QPoint at = event->position().toPoint();
  Act([this, at] {
    form_.MouseMove(at.x(), at.y());
    form_.MouseDown();
  });
}

void CLevelEnvelopeWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
  Act([this] { form_.MouseUp(); });
}

void CLevelEnvelopeWidget::contextMenuEvent(QContextMenuEvent* event) {
  form_.MouseMove(event->pos().x(), event->pos().y());
  form_.OpenContextMenu(event->pos().x(), event->pos().y());
  delete_->setEnabled(form_.DeleteEnabled());
  menu_->exec(event->globalPos());
}

}  // namespace dialogs
