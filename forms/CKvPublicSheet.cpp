#include "forms/CKvPublicSheet.h"

#include "app/CKvApp.h"
#include "app/CKvOperation.h"
#include "core/CKvDb.h"
#include "core/CKvQuery.h"
#include "core/KvDbTransaction.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "forms/CFormChildFrm.h"
#include "forms/CFormDataType.h"
#include "forms/CKvDoc.h"
#include "forms/CKvDocTemplate.h"
#include "forms/CKvPublicPage1.h"
#include "forms/CKvPublicPage2.h"
#include "forms/CKvPublicPage3.h"
#include "forms/CKvPublicPage4.h"
#include "print/CKvPrintSet.h"
#include "print/KvPageSetupParts.h"
#include "ui/CKvEdit.h"
#include "ui/KvModal.h"
#include "ui/KvObjectNames.h"

#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWhatsThis>

namespace {

// Change-hook kinds.
enum : int {
  kAnyChange = -1,
  kColumns = 0,
  kHeadBlocks = 1,
  kHeadNotes = 2,
  kTitle = 3,
  kHeadRows = 4,
  kNumber = 5,
  kOption = 6,
};

// No difference between two record arrays.
constexpr int kSame = -2;

// The stored layout of the entry's key, all four parts: 1 stored, 0 not
// stored, -1 when any part cannot be read.
int readStoredLayout(KvFormEntry& entry) {
  const int found = entry.Load();
  if (found > 0 && (!entry.LoadFormulas() || !entry.LoadTopWords() || !entry.LoadHeadNotes()))
    return -1;
  return found;
}

// -1 when the counts differ, the first index whose records differ, else
// kSame.
template <class T>
int firstDifference(const QList<T>& a, const QList<T>& b) {
  if (a.size() != b.size())
    return -1;
  for (int i = 0; i < a.size(); ++i)
    if (!(a.at(i) == b.at(i)))
      return i;
  return kSame;
}

}  // namespace

CKvPublicSheet::CKvPublicSheet(CKvDoc* pDoc, const QString& caption, QWidget* parent, int nFirstPage)
    : QDialog(parent), m_pDoc(pDoc), m_pTabs(new QTabWidget(this)) {
  setObjectName(QStringLiteral("CKvPublicSheet"));
  setWindowTitle(caption);
  setWindowFlag(Qt::WindowContextHelpButtonHint, true);

  // What the document shows, with the stored parts read afresh: the sheet
  // edits the template as it is stored now. A part that is not stored (or
  // a page the document keeps to itself) stays as the document has it.
  CKvDb* pDb = pDoc->m_pDb;
  m_edited = pDoc->m_formEntry;
  m_edited.SetKey(pDb, pDoc->m_nFlag, pDoc->m_nForm);
  // What is read here is also what OK finds stored, or it writes nothing.
  m_stored.SetKey(pDb, pDoc->m_nFlag, pDoc->m_nForm);
  m_nStoredFound = readStoredLayout(m_stored);
  if (m_nStoredFound > 0) {
    m_edited.sFna = m_stored.sFna;
    m_edited.nOpen = m_stored.nOpen;
    m_edited.nTopNum = m_stored.nTopNum;
    m_edited.nOption = m_stored.nOption;
    if (pDoc->HasPropertyPage(1) && !m_stored.formulas.isEmpty()) {
      m_edited.formulas = m_stored.formulas;
      pDoc->PrepareColumns(m_edited);
    }
    if (pDoc->HasPropertyPage(2) && !m_stored.topWords.isEmpty())
      m_edited.topWords = m_stored.topWords;
    if (pDoc->HasPropertyPage(3) && !m_stored.headNotes.isEmpty())
      m_edited.headNotes = m_stored.headNotes;
  }
  m_initial = m_edited;

  addPage(m_pPage1 = new CKvPublicPage1(pDoc, &m_edited));
  if (pDoc->HasPropertyPage(1))
    addPage(m_pPage2 = new CKvPublicPage2(pDoc, &m_edited));
  if (pDoc->HasPropertyPage(2))
    addPage(m_pPage3 = new CKvPublicPage3(pDoc, &m_edited));
  if (pDoc->HasPropertyPage(3))
    addPage(m_pPage4 = new CKvPublicPage4(pDoc, &m_edited));

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_pTabs);
  KvAddOkCancelRow(this, layout);
  connect(KvDlgItem<QPushButton>(this, KV_IDOK), &QPushButton::clicked, this, [this] { OnOK(); });
  connect(KvDlgItem<QPushButton>(this, KV_IDCANCEL), &QPushButton::clicked, this,
          [this] { reject(); });
  auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
  connect(help, &QShortcut::activated, this, [this] { ShowHelpFor(focusWidget()); });

  m_pTabs->setCurrentIndex(qBound(0, nFirstPage, m_pTabs->count() - 1));
  m_nCurrentPage = m_pTabs->currentIndex();
  if (auto* page = qobject_cast<CKvPublicPage*>(m_pTabs->currentWidget()))
    page->OnSetActive();
  connect(m_pTabs, &QTabWidget::currentChanged, this, [this](int index) { pageChanged(index); });
  resize(800, 460);
}

void CKvPublicSheet::addPage(CKvPublicPage* pPage) {
  pPage->LoadControls();
  m_pTabs->addTab(pPage, pPage->Caption());
}

void CKvPublicSheet::pageChanged(int index) {
  if (auto* left = qobject_cast<CKvPublicPage*>(m_pTabs->widget(m_nCurrentPage)))
    left->OnKillActive();
  m_nCurrentPage = index;
  if (auto* shown = qobject_cast<CKvPublicPage*>(m_pTabs->widget(index)))
    shown->OnSetActive();
}

bool CKvPublicSheet::ShowHelpFor(QWidget* control) {
  for (QWidget* widget = control; widget && widget != this; widget = widget->parentWidget()) {
    if (widget->whatsThis().isEmpty())
      continue;
    const QPoint below(widget->width() / 2, widget->height());
    QWhatsThis::showText(widget->mapToGlobal(below), widget->whatsThis(), widget);
    return true;
  }
  return false;
}

bool CKvPublicSheet::mayChange(int nKind, int nIndex) {
  return m_pDoc->OnLayoutChange(1, nKind, nIndex, m_initial, m_edited);
}

bool CKvPublicSheet::isNumberUsed(int nFlag, int nForm) const {
  CKvDb* pDb = m_pDoc->m_pDb;
  if (pDb &&
      pDb->GetLong(KvFormat(QStringLiteral("Select Count(*) From KvFormList Where nFlag=%d And nForm=%d"), nFlag, nForm)) > 0)
    return true;
  // A built-in type counts even when it was never stored.
  if (auto* pModule = dynamic_cast<CFormDataType*>(KvFindDataType(m_pDoc->m_nModule)))
    return pModule->GetEntry(nFlag, nForm);
  return m_pDoc->m_pTemplate && m_pDoc->m_pTemplate->FindEntry(nForm) >= 0;
}

void CKvPublicSheet::OnOK() {
  // The general page gives up the title, the number and the head rows.
  if (auto* page = qobject_cast<CKvPublicPage*>(m_pTabs->currentWidget()))
    page->OnKillActive();
  if (m_pPage1 && m_pTabs->currentWidget() != m_pPage1)
    m_pPage1->OnKillActive();
  m_edited.sFna = m_edited.sFna.trimmed();
  if (m_edited.sFna.isEmpty()) {
    KvMessageBox(QStringLiteral("标题名称不能为空，返回修改。"), KV_MB_OK | KV_MB_ICONSTOP);
    return;
  }
  // A title stored longer than it was typed would lose its end.
  if (!KvFormEntry::TitleFits(m_edited.nOption, m_edited.sFna)) {
    KvMessageBox(QStringLiteral("标题名称太长，返回修改。"), KV_MB_OK | KV_MB_ICONSTOP);
    m_pTabs->setCurrentWidget(m_pPage1);
    m_pPage1->TitleEdit()->setFocus();
    return;
  }
  // No fields stored reads as none stored: the module's default fields
  // would come back at once.
  if (m_pPage4 && m_edited.headNotes.isEmpty()) {
    KvFormEntry defaults;
    m_pDoc->BuildHeadNotes(defaults);
    if (!defaults.headNotes.isEmpty()) {
      KvMessageBox(QStringLiteral("表头表尾字域不能全部删除，至少保留一个！"), KV_MB_OK | KV_MB_ICONSTOP);
      m_pTabs->setCurrentWidget(m_pPage4);
      return;
    }
  }

  // The blocks must cover the head exactly once; the operator may store a
  // head that does not, when asked. The head rows of page 1 count even
  // where the blocks have no page of their own.
  QString message;
  if (!m_edited.CheckColumnHead(&message) &&
      KvMessageBox(KvFormat(QStringLiteral("%s\n存盘吗？"), message), KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION) != KV_IDYES)
    return;

  const int nFlag = m_edited.nFlag;
  const int nOld = m_initial.nForm;
  const int nNew = m_edited.nForm;
  const bool changed = m_edited.Compare(m_initial) != 0;
  if (changed && !mayChange(kAnyChange, 0))
    return;
  if (nNew != nOld) {
    if (isNumberUsed(nFlag, nNew)) {
      refuseNumber();
      return;
    }
    if (!mayChange(kNumber, 0))
      return;
  }
  if (m_edited.sFna != m_initial.sFna && !mayChange(kTitle, 0))
    return;
  if (m_edited.nTopNum != m_initial.nTopNum && !mayChange(kHeadRows, 0))
    return;
  if (m_edited.nOption != m_initial.nOption && !mayChange(kOption, 0))
    return;
  const int columns = firstDifference(m_edited.formulas, m_initial.formulas);
  if (columns != kSame && !mayChange(kColumns, columns))
    return;
  const int blocks = firstDifference(m_edited.topWords, m_initial.topWords);
  if (blocks != kSame && !mayChange(kHeadBlocks, blocks))
    return;
  const int notes = firstDifference(m_edited.headNotes, m_initial.headNotes);
  if (notes != kSame && !mayChange(kHeadNotes, notes))
    return;

  if (changed) {
    // Said once the lock is given up: the other workstations wait for none.
    switch (writeTemplate(nOld)) {
      case WriteResult::Written: break;
      case WriteResult::Failed: return;
      case WriteResult::NumberTaken: refuseNumber(); return;
      case WriteResult::ChangedElsewhere:
        KvMessageBox(QStringLiteral("文档模板已被其他窗口或工作站修改，请关闭后重新设置！"),
                     KV_MB_OK | KV_MB_ICONSTOP);
        return;
    }
    // The open document goes on with its template under the new number.
    m_pDoc->m_nForm = nNew;
    m_pDoc->m_entry.nForm = nNew;
  }
  // The template list shows the new number or title, its row selected.
  if (nNew != nOld || m_edited.sFna != m_initial.sFna)
    if (auto* pModule = dynamic_cast<CFormDataType*>(KvFindDataType(m_pDoc->m_nModule)))
      pModule->RefillTemplateList(nFlag, nNew);
  CKvOperation(15, KvFormat(QStringLiteral("设置：%d(%d--->%d)"), nFlag, nOld, nNew));
  done(Accepted);
}

void CKvPublicSheet::refuseNumber() {
  KvMessageBox(QStringLiteral("文档模板的序号已被使用，返回修改！"), KV_MB_OK | KV_MB_ICONSTOP);
  m_pTabs->setCurrentWidget(m_pPage1);
  m_pPage1->FormEdit()->setFocus();
}

CKvPublicSheet::WriteResult CKvPublicSheet::writeTemplate(int nOldForm) {
  constexpr WriteResult kFailed = WriteResult::Failed;
  CKvDb* pDb = m_pDoc->m_pDb;
  if (!pDb || !pDb->IsOpenOrFailsAsLost())
    return kFailed;
  const int nFlag = m_edited.nFlag;
  const int nNew = m_edited.nForm;
  KvDbTransaction transaction(*pDb);
  if (!transaction.IsActive() || !pDb->LockTable(QStringLiteral("KvFormList")))
    return kFailed;
  // Under the lock: the template is still stored as the sheet read it, and
  // nobody took the new number since the check before the questions.
  KvFormEntry now;
  now.SetKey(pDb, nFlag, nOldForm);
  const int found = readStoredLayout(now);
  if (found < 0)
    return kFailed;
  if (found != m_nStoredFound || (found > 0 && now.Compare(m_stored) != 0))
    return WriteResult::ChangedElsewhere;
  if (nNew != nOldForm) {
    CKvQuery query(1, 0, 0, pDb);
    if (!query.Open(KvFormat(QStringLiteral("Select Count(*) From KvFormList Where nFlag=%d And nForm=%d"), nFlag, nNew)))
      return kFailed;
    if (!query.IsEOF() && query.GetLong(0) > 0)
      return WriteResult::NumberTaken;
    query.Close();
    // The print settings of every printer and the template's parameter
    // rows follow the template to its new number.
    for (const char* table : {"KVPAGESET", "KVFONT", "FIELDWIDTH"})
      if (!pDb->Execute(KvFormat(QStringLiteral("Update %s Set SFIELDMODE='%d' WHERE nFlag=%d AND SFIELDMODE='%d'"),
                                 table, nNew, nFlag, nOldForm)))
        return kFailed;
    if (!pDb->Execute(KvFormat(QStringLiteral("Update SysCsTab Set CsNa='%d' Where Cs=9000 And CsN=%d And CsNa='%d'"),
                               nNew, nFlag, nOldForm)))
      return kFailed;
  }
  m_pDoc->PrepareColumns(m_edited);
  m_edited.SetKey(pDb, nFlag, nNew);
  // The current printer's settings are read and written back: a template
  // stored for the first time keeps what it printed with.
  CKvPrintSet printSet;
  if (!printSet.Load(pDb, nFlag, QString::number(nNew)))
    return kFailed;
  KvFormEntry old;
  old.SetKey(pDb, nFlag, nOldForm);
  if (!old.DeleteLayoutRows())
    return kFailed;
  if (!m_edited.SaveLayout(m_pDoc->HasPropertyPage(1), m_pDoc->HasPropertyPage(2),
                           m_pDoc->HasPropertyPage(3)))
    return kFailed;
  if (!printSet.Save(pDb, nFlag, QString::number(nNew)))
    return kFailed;
  return transaction.Commit() ? WriteResult::Written : kFailed;
}

void KvInstallPublicSheet() {
  KvSetDocPropertiesRunner([](CKvDoc& doc, const QString& caption) {
    const QList<CFormChildFrm*> frames = doc.GetFrames();
    CKvPublicSheet sheet(&doc, caption, frames.isEmpty() ? nullptr : frames.first());
    return KvExecDialog(&sheet) == QDialog::Accepted;
  });
}
