#include "print/CKvCardPageSetupDlg.h"

#include "core/CKvDb.h"
#include "core/KvFormat.h"
#include "print/KvPageSetupParts.h"
#include "print/KvPageSetupControls.h"
#include "ui/CKvColourDlg.h"
#include "ui/KvAppServices.h"
#include "ui/KvObjectNames.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
constexpr unsigned kTemplate = 970;
constexpr int kTitle = 1000;
constexpr int kTitleFontButton = 1010;
constexpr int kTextFontButton = 1012;
constexpr int kTitleSample = 1020;
constexpr int kTextSample = 1022;
constexpr int kCardWidth = 1080;
constexpr int kCardHeight = 1081;
// Largest card on screen, in pixels.
constexpr int kMaxCardSide = 10000;

QSpinBox* pixelBox(QWidget* parent, int id) {
  auto* box = KvSetControlId(new QSpinBox(parent), id);
  box->setRange(0, kMaxCardSide);
  box->setAlignment(Qt::AlignRight);
  return box;
}
}  // namespace

CKvCardPageSetupDlg::CKvCardPageSetupDlg(CKvCardPageFormat* format, CKvDb* db, QWidget* parent)
    : CKvDlg(kTemplate, parent),
      m_format(format),
      m_db(db),
      m_titleFont(format->TitleFont),
      m_textFont(format->TextFont),
      m_titleColour(KvColorOf(quint32(format->TitleValue))),
      m_textColour(KvColorOf(quint32(format->TextValue))) {
  setWindowTitle(QStringLiteral("页面设置"));
  m_read.Key = format->Key;
  m_read.Load(db);

  auto* titleBox = new QGroupBox(QStringLiteral("标题与字体"), this);
  m_title = KvPageTextEdit(titleBox, kTitle);
  auto* titleFont =
      KvSetControlId(new QPushButton(QStringLiteral("标题字体..."), titleBox), kTitleFontButton);
  auto* textFont =
      KvSetControlId(new QPushButton(QStringLiteral("正文字体..."), titleBox), kTextFontButton);
  titleFont->setAutoDefault(false);
  textFont->setAutoDefault(false);
  m_titleSample = KvSetControlId(new QLabel(titleBox), kTitleSample);
  m_textSample = KvSetControlId(new QLabel(titleBox), kTextSample);
  auto* titleLabel = new QLabel(QStringLiteral("标题(&I)："), titleBox);
  titleLabel->setBuddy(m_title);
  auto* titleLayout = new QGridLayout(titleBox);
  titleLayout->addWidget(titleLabel, 0, 0);
  titleLayout->addWidget(m_title, 0, 1, 1, 3);
  titleLayout->addWidget(titleFont, 1, 0);
  titleLayout->addWidget(m_titleSample, 1, 1);
  titleLayout->addWidget(textFont, 1, 2);
  titleLayout->addWidget(m_textSample, 1, 3);
  titleLayout->setColumnStretch(1, 1);
  titleLayout->setColumnStretch(3, 1);

  m_page = new KvPageSetupControls(this);

  auto* screen = new QGroupBox(QStringLiteral("屏幕大小(单位：像素)"), this);
  m_cardWidth = pixelBox(screen, kCardWidth);
  m_cardHeight = pixelBox(screen, kCardHeight);
  auto* screenLayout = new QHBoxLayout(screen);
  auto* widthLabel = new QLabel(QStringLiteral("宽度(&X)："), screen);
  widthLabel->setBuddy(m_cardWidth);
  auto* heightLabel = new QLabel(QStringLiteral("高度(&Y)："), screen);
  heightLabel->setBuddy(m_cardHeight);
  screenLayout->addWidget(widthLabel);
  screenLayout->addWidget(m_cardWidth, 1);
  screenLayout->addWidget(heightLabel);
  screenLayout->addWidget(m_cardHeight, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(titleBox);
  layout->addWidget(m_page);
  layout->addWidget(screen);
  KvAddOkCancelRow(this, layout);

  connect(titleFont, &QPushButton::clicked, this, [this] {
    if (KvChooseFont(this, &m_titleFont, &m_titleColour))
      showFonts();
  });
  connect(textFont, &QPushButton::clicked, this, [this] {
    if (KvChooseFont(this, &m_textFont, &m_textColour))
      showFonts();
  });
}

void CKvCardPageSetupDlg::OnInitDialog() {
  CKvDlg::OnInitDialog();
  m_title->setText(m_format->Title);
  m_page->SetPage(m_format->PaperWidth, m_format->PaperLength, m_format->IsLandscape(),
                  m_format->Left, m_format->Top, m_format->Right, m_format->Bottom);
  m_cardWidth->setValue(m_format->CardWidth);
  m_cardHeight->setValue(m_format->CardHeight);
  showFonts();
}

void CKvCardPageSetupDlg::showFonts() {
  KvShowFontSample(m_titleSample, m_titleFont, m_titleColour);
  KvShowFontSample(m_textSample, m_textFont, m_textColour);
}

bool CKvCardPageSetupDlg::SaveData() {
  if (!m_page->CheckPage())
    return false;
  if ((m_cardWidth->value() == 0) != (m_cardHeight->value() == 0)) {
    KvMessageBox(QStringLiteral("屏幕大小的宽度和高度要么都为0（不设定），要么都大于0！"),
                 KV_MB_OK | KV_MB_ICONSTOP);
    m_cardWidth->setFocus();
    return false;
  }
  CKvCardPageFormat format = *m_format;
  format.Title = m_title->text();
  format.TitleFont = m_titleFont;
  format.TextFont = m_textFont;
  format.TitleValue = int(KvRgbValueOf(m_titleColour));
  format.TextValue = int(KvRgbValueOf(m_textColour));
  format.PaperWidth = m_page->PaperWidth();
  format.PaperLength = m_page->PaperLength();
  format.Orientation = m_page->IsLandscape() ? 1 : 0;
  format.Left = m_page->Left();
  format.Top = m_page->Top();
  format.Right = m_page->Right();
  format.Bottom = m_page->Bottom();
  format.CardWidth = m_cardWidth->value();
  format.CardHeight = m_cardHeight->value();
  const auto asRead = [&] {
    CKvCardPageFormat stored;
    stored.Key = m_format->Key;
    return stored.Load(m_db) && stored.StoredRows() == m_read.StoredRows();
  };
  if (!KvSavePageSetupAsRead(m_db, {QStringLiteral("SysCsTab")}, asRead,
                             [&] { return format.SaveChanges(m_db, *m_format); }))
    return false;
  *m_format = format;
  KvAppServiceLog(KV_LOG_PAGE_SETUP, KvFormat(QStringLiteral("页面设置“%s”"), format.Title));
  return true;
}
