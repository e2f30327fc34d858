#include "ui/CKvFontDlg.h"

#include "core/KvNumber.h"
#include "ui/CKvColourDlg.h"
#include "ui/KvModal.h"
#include "ui/KvObjectNames.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QVBoxLayout>

namespace {
constexpr unsigned kTemplate = 830;
constexpr int kFaceCombo = 1000;
constexpr int kSizeCombo = 1001;
constexpr int kEffectOn = 1007;
constexpr int kEffectOff = 1008;
constexpr int kEffectKeep = 1009;
constexpr int kEffectTabs = 1010;
constexpr int kSample = 1016;
constexpr int kColourButton = 1032;
constexpr int kSwatch = 1033;

constexpr char kFaceCode = 'O';
constexpr char kSizeCode = 'P';
constexpr char kColourCode = 'Q';
// On and off letters of bold, italic, underline and strikeout.
constexpr char kOnCodes[4] = {'G', 'A', 'C', 'E'};
constexpr char kOffCodes[4] = {'H', 'B', 'D', 'F'};

const QString kSampleText = QStringLiteral("青禾苑软件Good 598");

bool effectOf(const KvLogFont& font, int effect) {
  switch (effect) {
    case CKvFontDlg::Bold: return font.weight >= 700;
    case CKvFontDlg::Italic: return font.italic;
    case CKvFontDlg::Underline: return font.underline;
    default: return font.strikeOut;
  }
}

void setEffectOf(KvLogFont* font, int effect, bool on) {
  switch (effect) {
    case CKvFontDlg::Bold: font->weight = on ? 700 : 400; break;
    case CKvFontDlg::Italic: font->italic = on; break;
    case CKvFontDlg::Underline: font->underline = on; break;
    default: font->strikeOut = on; break;
  }
}

// Selects the item with the text; a text the list lacks is added first, at
// `insertAt` (-1: at the top), so that the given value shows.
void selectText(QComboBox* combo, const QString& text, int insertAt) {
  int index = combo->findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive);
  if (index < 0) {
    index = insertAt < 0 ? 0 : insertAt;
    combo->insertItem(index, text);
  }
  combo->setCurrentIndex(index);
}
}  // namespace

QString KvFontAttrCode(char letter) {
  return QString(QChar(27)) + QLatin1Char(letter);
}

bool KvHasFontAttr(const QString& codes, char letter) {
  return codes.contains(KvFontAttrCode(letter));
}

CKvFontDlg::CKvFontDlg(const KvLogFont& font, quint32 colour, const QString& codes,
                       QWidget* parent)
    : CKvDlg(kTemplate, parent),
      m_font(font),
      m_codes(codes),
      m_colour(colour),
      m_givenColour(colour),
      m_colourSet(!KvHasFontAttr(codes, kColourCode)) {
  for (int effect = 0; effect < 4; ++effect) {
    if (KvHasFontAttr(codes, kOnCodes[effect]) || KvHasFontAttr(codes, kOffCodes[effect]))
      m_effects[effect] = EffectKeep;
    else
      m_effects[effect] = effectOf(font, effect) ? EffectOn : EffectOff;
  }

  setWindowTitle(QStringLiteral("字体"));
  m_faces = KvSetControlId(new QComboBox(this), kFaceCombo);
  m_sizes = KvSetControlId(new QComboBox(this), kSizeCombo);
  auto* faceLabel = new QLabel(QStringLiteral("字体(&F)"), this);
  faceLabel->setBuddy(m_faces);
  auto* sizeLabel = new QLabel(QStringLiteral("字号(&S)"), this);
  sizeLabel->setBuddy(m_sizes);
  auto* fontRow = new QGridLayout;
  fontRow->addWidget(faceLabel, 0, 0);
  fontRow->addWidget(m_faces, 1, 0);
  fontRow->addWidget(sizeLabel, 0, 1);
  fontRow->addWidget(m_sizes, 1, 1);
  fontRow->setColumnStretch(0, 3);
  fontRow->setColumnStretch(1, 1);

  auto* effects = new QGroupBox(QStringLiteral("特殊效果"), this);
  m_tabs = KvSetControlId(new QTabBar(effects), kEffectTabs);
  m_states = new QButtonGroup(this);
  auto* radios = new QHBoxLayout;
  const QList<std::pair<int, QString>> states = {{kEffectOn, QStringLiteral("需要")},
                                                 {kEffectOff, QStringLiteral("不需要")},
                                                 {kEffectKeep, QStringLiteral("保持原状")}};
  for (int state = 0; state < states.size(); ++state) {
    auto* radio = KvSetControlId(new QRadioButton(states.at(state).second, effects),
                                 states.at(state).first);
    m_states->addButton(radio, state);
    radios->addWidget(radio);
  }
  auto* effectsLayout = new QVBoxLayout(effects);
  effectsLayout->addWidget(m_tabs);
  effectsLayout->addLayout(radios);

  auto* colourLabel = new QLabel(QStringLiteral("颜色(&C)"), this);
  auto* colourButton = KvSetControlId(new QPushButton(QStringLiteral("选择颜色..."), this),
                                      kColourButton);
  colourButton->setAutoDefault(false);
  colourLabel->setBuddy(colourButton);
  m_swatch = KvSetControlId(new QLabel(this), kSwatch);
  m_swatch->setFrameShape(QFrame::Box);
  m_swatch->setAlignment(Qt::AlignCenter);
  m_swatch->setAutoFillBackground(true);
  m_swatch->setMinimumSize(80, 24);
  auto* colourRow = new QHBoxLayout;
  colourRow->addWidget(colourLabel);
  colourRow->addWidget(colourButton);
  colourRow->addWidget(m_swatch, 1);

  auto* preview = new QGroupBox(QStringLiteral("预  览"), this);
  m_sample = KvSetControlId(new QLabel(kSampleText, preview), kSample);
  m_sample->setAlignment(Qt::AlignCenter);
  m_sample->setMinimumSize(260, 90);
  auto* previewLayout = new QVBoxLayout(preview);
  previewLayout->addWidget(m_sample);

  auto* ok = KvSetControlId(new QPushButton(QStringLiteral("确定"), this), KV_IDOK);
  auto* cancel = KvSetControlId(new QPushButton(QStringLiteral("取消"), this), KV_IDCANCEL);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fontRow);
  layout->addWidget(effects);
  layout->addLayout(colourRow);
  layout->addWidget(preview);
  layout->addLayout(buttons);

  connect(colourButton, &QPushButton::clicked, this, [this] { chooseColour(); });
}

void CKvFontDlg::OnInitDialog() {
  CKvDlg::OnInitDialog();

  QStringList families;
  for (const QString& family : QFontDatabase::families()) {
    if (!families.contains(family))
      families.append(family);
  }
  m_faces->addItems(families);
  if (!KvHasFontAttr(m_codes, kFaceCode) && !m_font.faceName.isEmpty())
    selectText(m_faces, m_font.faceName, 0);
  else
    m_faces->setCurrentIndex(-1);

  static const int sizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
  for (int size : sizes)
    m_sizes->addItem(QString::number(size));
  if (!KvHasFontAttr(m_codes, kSizeCode)) {
    int at = 0;
    while (at < m_sizes->count() && KvLeadingInt(m_sizes->itemText(at)) < m_font.height)
      ++at;
    selectText(m_sizes, QString::number(m_font.height), at);
  } else {
    m_sizes->setCurrentIndex(-1);
  }

  for (const QString& tab : {QStringLiteral("加粗"), QStringLiteral("斜体"),
                             QStringLiteral("下划线"), QStringLiteral("删除线")})
    m_tabs->addTab(tab);
  m_tabs->setCurrentIndex(0);
  showEffect(0);

  // Only a choice of the operator counts as setting the face or the size.
  connect(m_faces, &QComboBox::activated, this, [this] { m_faceChosen = true; });
  connect(m_sizes, &QComboBox::activated, this, [this] { m_sizeChosen = true; });
  connect(m_faces, &QComboBox::currentIndexChanged, this, [this] { updateSample(); });
  connect(m_sizes, &QComboBox::currentIndexChanged, this, [this] { updateSample(); });
  connect(m_tabs, &QTabBar::currentChanged, this, [this](int tab) { showEffect(tab); });
  connect(m_states, &QButtonGroup::idClicked, this, [this](int state) { setEffect(state); });
  updateSwatch();
  updateSample();
}

void CKvFontDlg::showEffect(int tab) {
  if (tab < 0 || tab >= 4)
    return;
  m_tab = tab;
  m_states->button(m_effects[tab])->setChecked(true);
}

void CKvFontDlg::setEffect(int state) {
  m_effects[m_tab] = EffectState(state);
  updateSample();
}

void CKvFontDlg::chooseColour() {
  const QPoint below = m_swatch->mapToGlobal(QPoint(0, m_swatch->height()));
  CKvColourDlg palette(m_colour, below.x(), below.y(), m_swatch->height(), this);
  if (KvExecDialog(&palette) != Accepted)
    return;
  m_colourSet = palette.HasColour();
  if (m_colourSet) {
    m_colour = palette.Colour();
    m_colourChanged = true;
  }
  updateSwatch();
  updateSample();
}

void CKvFontDlg::updateSwatch() {
  QPalette colours = m_swatch->palette();
  colours.setColor(QPalette::Window, m_colourSet ? KvColorOf(m_colour) : QColor(Qt::white));
  colours.setColor(QPalette::WindowText, Qt::black);
  m_swatch->setPalette(colours);
  m_swatch->setText(m_colourSet ? QString() : QStringLiteral("保持原状"));
}

KvLogFont CKvFontDlg::shownFont() const {
  KvLogFont font = m_font;
  if (m_faces->currentIndex() >= 0)
    font.faceName = m_faces->currentText();
  if (m_sizes->currentIndex() >= 0)
    font.height = KvLeadingInt(m_sizes->currentText());
  for (int effect = 0; effect < 4; ++effect) {
    if (m_effects[effect] != EffectKeep)
      setEffectOf(&font, effect, m_effects[effect] == EffectOn);
  }
  return font;
}

void CKvFontDlg::updateSample() {
  m_sample->setFont(KvFontFromLogFont(shownFont()));
  QPalette colours = m_sample->palette();
  colours.setColor(QPalette::WindowText, KvColorOf(m_colourSet ? m_colour : m_givenColour));
  m_sample->setPalette(colours);
}

void CKvFontDlg::GetResult(KvLogFont* font, quint32* colour, QString* codes) const {
  KvLogFont result = m_font;
  quint32 resultColour = m_givenColour;
  QString resultCodes;
  if (m_faceChosen && m_faces->currentIndex() >= 0) {
    result.faceName = m_faces->currentText();
    resultCodes += KvFontAttrCode(kFaceCode);
  }
  if (m_sizeChosen && m_sizes->currentIndex() >= 0) {
    result.height = KvLeadingInt(m_sizes->currentText());
    resultCodes += KvFontAttrCode(kSizeCode);
  }
  if (m_colourChanged && m_colourSet) {
    resultColour = m_colour;
    resultCodes += KvFontAttrCode(kColourCode);
  }
  for (int effect = 0; effect < 4; ++effect) {
    if (m_effects[effect] == EffectKeep)
      continue;
    const bool on = m_effects[effect] == EffectOn;
    setEffectOf(&result, effect, on);
    resultCodes += KvFontAttrCode(on ? kOnCodes[effect] : kOffCodes[effect]);
  }
  if (font)
    *font = result;
  if (colour)
    *colour = resultColour;
  if (codes)
    *codes = resultCodes;
}
