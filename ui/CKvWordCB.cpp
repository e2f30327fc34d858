#include "ui/CKvWordCB.h"

#include "core/CKvCsTab.h"
#include "core/CKvDb.h"
#include "core/KvSqlTranslator.h"
#include "core/KvText.h"
#include "ui/KvComboHelpers.h"
#include "ui/KvMenus.h"

#include <QContextMenuEvent>
#include <QMenu>

#include <memory>

namespace {
// The index of the first item that begins with (or, with `whole`, equals)
// the text, ASCII case ignored; -1 when none does.
int findItem(const QComboBox* box, const QString& text, bool whole) {
  const QString key = KvUpper(text);
  for (int i = 0; i < box->count(); ++i) {
    const QString item = KvUpper(box->itemText(i));
    if (whole ? item == key : item.startsWith(key))
      return i;
  }
  return -1;
}
}  // namespace

CKvWordCB::CKvWordCB(QWidget* parent) : QComboBox(parent) {
  // Words enter the list only by being saved.
  KvSetComboEditable(this);
}

void CKvWordCB::SetWordList(CKvDb* pDb, int nListNumber, int nSecondNumber) {
  m_pDb = pDb;
  m_nListNumber = nListNumber;
  m_nSecondNumber = nSecondNumber;
}

void CKvWordCB::LoadContextMenu(int menuId) { m_nMenuId = menuId; }

int CKvWordCB::FillWords() {
  const QString typed = currentText();
  clear();
  QList<CKvCsRec> rows;
  CKvCsTab(m_pDb).SelectByCsN(kWordCategory, m_nListNumber, &rows);
  // Lists that share the number keep apart by the second number.
  const QString second = QString::number(m_nSecondNumber);
  for (const CKvCsRec& row : rows) {
    if (row.CsNa == second)
      addItem(row.CsVal);
  }
  setCurrentIndex(-1);
  setEditText(typed);
  return count();
}

void CKvWordCB::OnSaveWord() {
  const QString word = currentText();
  if (word.isEmpty() || findItem(this, word, false) >= 0)
    return;
  addItem(word);
  const int index = count() - 1;
  setCurrentIndex(index);
  CKvCsRec row(m_pDb);
  row.Set(kWordCategory, m_nListNumber, QString::number(m_nSecondNumber), word, QString());
  if (!row.Insert()) {
    // Not stored (the failure was shown): the list must not pretend it was.
    removeItem(index);
    setCurrentIndex(-1);
    setEditText(word);
  }
}

void CKvWordCB::OnDeleteWord() {
  const QString typed = currentText();
  const int index = findItem(this, typed, true);
  // The row holds the word as it was saved.
  const QString word = index >= 0 ? itemText(index) : typed;
  CKvCsTab table(m_pDb);
  const int kind = m_pDb ? m_pDb->GetKind() : 0;
  // Not deleted (the failure was shown): the list keeps showing the word.
  if (!table.DeleteWhere(QStringLiteral("Where Cs=") + QString::number(kWordCategory) +
                         QStringLiteral(" And CsN=") + QString::number(m_nListNumber) +
                         QStringLiteral(" And CsNa='") + QString::number(m_nSecondNumber) +
                         QStringLiteral("' And CsVal='") + KvQuoteSqlText(word, kind) + u'\'') ||
      index < 0)
    return;
  removeItem(index);
  setCurrentIndex(-1);
  setEditText(typed);
}

bool CKvWordCB::HandlesCmd(int id) const {
  return id == KV_CMD_SAVE_WORD || id == KV_CMD_DELETE_WORD;
}

void CKvWordCB::ExecuteCmd(int id) {
  if (id == KV_CMD_SAVE_WORD)
    OnSaveWord();
  else if (id == KV_CMD_DELETE_WORD)
    OnDeleteWord();
}

void CKvWordCB::contextMenuEvent(QContextMenuEvent* event) {
  if (m_nMenuId == 0) {
    event->ignore();
    return;
  }
  event->accept();
  std::unique_ptr<QMenu> menu(KvBuildPopupMenu(m_nMenuId, this));
  KvTrackPopupMenu(menu.get(), event->globalPos(), this);
}
