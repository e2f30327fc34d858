#include "forms/CKvFormPageSetupDlg.h"

#include "core/KvFormat.h"
#include "print/KvPageSetupControls.h"
#include "print/KvPageSetupParts.h"
#include "ui/KvAppServices.h"
#include "ui/KvObjectNames.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
constexpr int kRows = 1060;
constexpr int kSpacing = 1061;
}  // namespace

CKvFormPageSetupDlg::CKvFormPageSetupDlg(CKvPrintSet* printSet, CKvDb* db, int nFlag, int nForm,
                                         const QString& title, QWidget* parent)
    : CKvDlg(0, parent), m_pTarget(printSet), m_pDb(db), m_nFlag(nFlag), m_nForm(nForm), m_strTitle(title) {
  setObjectName(QStringLiteral("dlg_formpagesetup"));
  setWindowTitle(QStringLiteral("打印页面设置"));
  // The dialog shows what is stored now, not the view's copy from when the
  // window opened: what it shows, compares and writes is one read. With
  // nothing to read (no data file) it shows the view's set, which OK then
  // cannot store.
  if (m_read.Load(m_pDb, m_nFlag, QString::number(m_nForm)))
    m_set = m_read;
  else if (m_pTarget)
    m_set = *m_pTarget;

  auto* fonts = KvFontButtonsGroup(this, m_fontSamples, [this](int role) { chooseFont(role); });

  m_page = new KvPageSetupControls(this);

  auto* lines = new QGroupBox(QStringLiteral("行"), this);
  m_rows = KvSetControlId(new QSpinBox(lines), kRows);
  m_rows->setRange(0, 9999);
  m_rows->setAlignment(Qt::AlignRight);
  m_rows->setSpecialValueText(QStringLiteral("排满一页"));
  m_spacing = KvSetControlId(new QSpinBox(lines), kSpacing);
  m_spacing->setRange(0, 500);
  m_spacing->setAlignment(Qt::AlignRight);
  auto* lineLayout = new QFormLayout(lines);
  lineLayout->addRow(QStringLiteral("每页行数(&N)："), m_rows);
  lineLayout->addRow(QStringLiteral("行间距(&S)："), m_spacing);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(fonts);
  layout->addWidget(m_page);
  layout->addWidget(lines);
  KvAddOkCancelRow(this, layout);
}

void CKvFormPageSetupDlg::OnInitDialog() {
  CKvDlg::OnInitDialog();
  m_page->SetPage(m_set.PageWidth, m_set.PageLength, m_set.IsLandscape(), m_set.PageLeft, m_set.PageTop,
                  m_set.PageRight, m_set.PageBottom);
  m_rows->setValue(m_set.PageRow);
  m_spacing->setValue(m_set.PageSpace);
  showFonts();
}

void CKvFormPageSetupDlg::showFonts() {
  for (int role = 0; role < CKvPrintSet::FontCount; ++role)
    KvShowFontSample(m_fontSamples[role], m_set.Fonts[role], m_set.FontColors[role]);
}

void CKvFormPageSetupDlg::chooseFont(int role) {
  if (KvChooseFont(this, &m_set.Fonts[role], &m_set.FontColors[role]))
    showFonts();
}

bool CKvFormPageSetupDlg::SaveData() {
  if (!m_page->CheckPage())
    return false;
  CKvPrintSet set = m_set;
  set.PageWidth = m_page->PaperWidth();
  set.PageLength = m_page->PaperLength();
  set.PageCopies = m_page->IsLandscape() ? 0 : 1;
  set.PageLeft = m_page->Left();
  set.PageTop = m_page->Top();
  set.PageRight = m_page->Right();
  set.PageBottom = m_page->Bottom();
  set.PageRow = m_rows->value();
  set.PageSpace = m_spacing->value();
  const QString mode = QString::number(m_nForm);
  const auto asRead = [&] {
    CKvPrintSet stored;
    return stored.Load(m_pDb, m_nFlag, mode) && stored.SamePageAndFonts(m_read);
  };
  if (!KvSavePageSetupAsRead(m_pDb, {QStringLiteral("KVPAGESET"), QStringLiteral("KVFONT")}, asRead,
                             [&] { return set.SaveChanges(m_pDb, m_nFlag, mode, m_read); }))
    return false;
  m_set = set;
  if (m_pTarget)
    *m_pTarget = set;
  KvAppServiceLog(KV_LOG_PAGE_SETUP, KvFormat(QStringLiteral("页面设置“%s”"), m_strTitle));
  return true;
}
