#include "print/KvPageSetupControls.h"

#include "core/KvCurrentPrinter.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "print/KvPrinterProfiles.h"
#include "ui/KvObjectNames.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
constexpr int kPrinter = 1070;
constexpr int kPaper = 1030;
constexpr int kWidth = 1031;
constexpr int kLength = 1032;
constexpr int kPortrait = 1040;
constexpr int kLandscape = 1041;
constexpr int kMargins = 1050;
// Largest paper side and margin the controls take, in 0.1 mm (5 m).
constexpr int kMaxLength = 50000;

QSpinBox* lengthBox(QWidget* parent, int id, int minimum) {
  auto* box = KvSetControlId(new QSpinBox(parent), id);
  box->setRange(minimum, kMaxLength);
  box->setAlignment(Qt::AlignRight);
  return box;
}
}  // namespace

KvPageSetupControls::KvPageSetupControls(QWidget* parent)
    : QWidget(parent), m_queue(KvCurrentQueue()), m_papers(KvQueuePapers(m_queue)) {
  const QString profile = KvCurrentPrinterName();
  const QString queueText =
      KvIsPdfQueue(m_queue) ? QStringLiteral("PDF文件") : m_queue;
  auto* printer = KvSetControlId(
      new QLabel(profile.isEmpty() ? KvFormat(QStringLiteral("打印机：%s"), queueText)
                                   : KvFormat(QStringLiteral("打印机：%s（%s）"), profile, queueText),
                 this),
      kPrinter);

  auto* paperBox = new QGroupBox(QStringLiteral("纸张"), this);
  m_paper = KvSetControlId(new QComboBox(paperBox), kPaper);
  for (const KvPaper& paper : m_papers)
    m_paper->addItem(KvFormat(QStringLiteral("%s（%.1f×%.1f毫米）"), paper.name,
                              paper.width / 10.0, paper.height / 10.0));
  m_paper->addItem(QStringLiteral("自定义"));
  m_width = lengthBox(paperBox, kWidth, 1);
  m_length = lengthBox(paperBox, kLength, 1);
  auto* paperLayout = new QFormLayout(paperBox);
  paperLayout->addRow(QStringLiteral("纸张(&P)："), m_paper);
  paperLayout->addRow(QStringLiteral("宽度(&W)："), m_width);
  paperLayout->addRow(QStringLiteral("长度(&H)："), m_length);

  auto* orientationBox = new QGroupBox(QStringLiteral("方向"), this);
  m_portrait = KvSetControlId(new QRadioButton(QStringLiteral("纵向(正常)"), orientationBox),
                              kPortrait);
  m_landscape =
      KvSetControlId(new QRadioButton(QStringLiteral("横向"), orientationBox), kLandscape);
  auto* orientationLayout = new QVBoxLayout(orientationBox);
  orientationLayout->addWidget(m_portrait);
  orientationLayout->addWidget(m_landscape);
  orientationLayout->addStretch();

  auto* marginBox = new QGroupBox(QStringLiteral("页边距"), this);
  const QString sides[4] = {QStringLiteral("左(&L)："), QStringLiteral("上(&T)："),
                            QStringLiteral("右(&R)："), QStringLiteral("下(&B)：")};
  auto* marginLayout = new QGridLayout(marginBox);
  for (int side = 0; side < 4; ++side) {
    m_margins[side] = lengthBox(marginBox, kMargins + side, 0);
    auto* label = new QLabel(sides[side], marginBox);
    label->setBuddy(m_margins[side]);
    marginLayout->addWidget(label, side / 2, (side % 2) * 2);
    marginLayout->addWidget(m_margins[side], side / 2, (side % 2) * 2 + 1);
  }
  marginLayout->setColumnStretch(1, 1);
  marginLayout->setColumnStretch(3, 1);

  auto* unit = new QLabel(QStringLiteral("长度单位：0.1毫米"), this);
  unit->setEnabled(false);

  auto* upper = new QHBoxLayout;
  upper->addWidget(paperBox, 3);
  upper->addWidget(orientationBox, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(printer);
  layout->addLayout(upper);
  layout->addWidget(marginBox);
  layout->addWidget(unit);

  connect(m_paper, &QComboBox::activated, this, [this](int index) { paperChosen(index); });
  connect(m_width, &QSpinBox::valueChanged, this, [this] { sizeEdited(); });
  connect(m_length, &QSpinBox::valueChanged, this, [this] { sizeEdited(); });
}

void KvPageSetupControls::SetPage(int width, int length, bool landscape, int left, int top,
                                  int right, int bottom) {
  {
    const QSignalBlocker widthBlock(m_width);
    const QSignalBlocker lengthBlock(m_length);
    m_width->setValue(width);
    m_length->setValue(length);
  }
  sizeEdited();
  (landscape ? m_landscape : m_portrait)->setChecked(true);
  const int margins[4] = {left, top, right, bottom};
  for (int side = 0; side < 4; ++side)
    m_margins[side]->setValue(margins[side]);
}

int KvPageSetupControls::PaperWidth() const { return m_width->value(); }
int KvPageSetupControls::PaperLength() const { return m_length->value(); }
bool KvPageSetupControls::IsLandscape() const { return m_landscape->isChecked(); }
int KvPageSetupControls::Left() const { return m_margins[0]->value(); }
int KvPageSetupControls::Top() const { return m_margins[1]->value(); }
int KvPageSetupControls::Right() const { return m_margins[2]->value(); }
int KvPageSetupControls::Bottom() const { return m_margins[3]->value(); }

void KvPageSetupControls::paperChosen(int index) {
  if (index < 0 || index >= m_papers.size())
    return;
  const KvPaper& paper = m_papers.at(index);
  const QSignalBlocker widthBlock(m_width);
  const QSignalBlocker lengthBlock(m_length);
  m_width->setValue(paper.width);
  m_length->setValue(paper.height);
}

void KvPageSetupControls::sizeEdited() {
  // The list shows the queue's paper of that size, else "自定义".
  int index = int(m_papers.size());
  for (int i = 0; i < m_papers.size(); ++i) {
    const KvPaper& paper = m_papers.at(i);
    if (paper.id != KV_PAPER_USER && paper.width == m_width->value() &&
        paper.height == m_length->value()) {
      index = i;
      break;
    }
  }
  m_paper->setCurrentIndex(index);
}

bool KvPageSetupControls::CheckPage() const {
  const bool landscape = IsLandscape();
  const int across = landscape ? PaperLength() : PaperWidth();
  const int down = landscape ? PaperWidth() : PaperLength();
  if (Left() + Right() >= across) {
    KvMessageBox(QStringLiteral("左右边距之和超出了纸张的宽度！"), KV_MB_OK | KV_MB_ICONSTOP);
    m_margins[0]->setFocus();
    return false;
  }
  if (Top() + Bottom() >= down) {
    KvMessageBox(QStringLiteral("上下边距之和超出了纸张的长度！"), KV_MB_OK | KV_MB_ICONSTOP);
    m_margins[1]->setFocus();
    return false;
  }
  if (KvIsPdfQueue(m_queue))
    return true;
  return KvTestPrinter(m_queue, PaperWidth(), PaperLength(),
                       landscape ? KV_ORIENT_LANDSCAPE : KV_ORIENT_PORTRAIT, Left(), Top(), Right(),
                       Bottom());
}
