#include "timetable/CKvPkCatalogEditDlg.h"

#include "core/CKvDb.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "app/KvLoggedWrite.h"
#include "ui/CKvEdit.h"
#include "ui/KvObjectNames.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CKvPkCatalogEditDlg::CKvPkCatalogEditDlg(unsigned idd, int nMode, const QString& code, CKvDb* pDb,
                                         QWidget* parent)
    : CKvAppDlg(idd, pDb, parent), m_nMode(nMode), m_strCode(code), m_pGrid(new QGridLayout) {
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(m_pGrid);
  m_pGrid->setColumnStretch(1, 1);
}

CKvEdit* CKvPkCatalogEditDlg::AddField(int id, const QString& label, QString* field, const QString& inputType,
                                       int length, const QString& note) {
  auto* edit = new CKvEdit(this);
  edit->SetInputType(inputType, length, -1);
  // A field about as wide as its longest text, within reason.
  edit->setMinimumWidth(qBound(80, length * 9, 360));
  AddControl(id, label, edit);
  if (!note.isEmpty())
    m_pGrid->addWidget(new QLabel(note, this), m_nRows - 1, 2);
  m_fields.append({edit, field});
  return edit;
}

void CKvPkCatalogEditDlg::AddControl(int id, const QString& label, QWidget* control) {
  KvSetControlId(control, id);
  m_pGrid->addWidget(new QLabel(label, this), m_nRows, 0);
  m_pGrid->addWidget(control, m_nRows, 1);
  ++m_nRows;
}

void CKvPkCatalogEditDlg::FinishLayout() {
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(KvSetControlId(new QPushButton(QStringLiteral("&S.确认"), this), KV_IDOK));
  buttons->addWidget(KvSetControlId(new QPushButton(QStringLiteral("&X.取消"), this), KV_IDCANCEL));
  static_cast<QVBoxLayout*>(layout())->addLayout(buttons);
}

bool CKvPkCatalogEditDlg::DoDataExchange(bool bSave) {
  for (const Field& field : m_fields) {
    if (bSave)
      *field.text = field.edit->text();
    else
      field.edit->setText(*field.text);
  }
  return true;
}

void CKvPkCatalogEditDlg::Refuse(const QString& message, int id) {
  KvMessageBox(message, KV_MB_OK | KV_MB_ICONSTOP);
  if (QWidget* control = KvDlgItem(this, id))
    control->setFocus();
}

bool CKvPkCatalogEditDlg::NormaliseCode(QString* code, int width, int id) {
  int digits = 0;
  while (digits < code->size() && code->at(digits).isDigit() && code->at(digits).unicode() < 128)
    ++digits;
  const QString number = code->left(digits);
  bool ok = false;
  const int value = number.toInt(&ok);
  if (!ok || value <= 0 || QString::number(value).size() > width) {
    Refuse(QStringLiteral("代码不合适，请重输！"), id);
    return false;
  }
  *code = QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
  return true;
}

bool CKvPkCatalogEditDlg::Require(const QString& text, const QString& message, int id) {
  if (!text.isEmpty())
    return true;
  Refuse(message, id);
  return false;
}

bool CKvPkCatalogEditDlg::Store(const std::function<bool()>& write, int logCode, const QString& note, int codeId) {
  m_strRefusal.clear();
  if (KvLoggedWrite(Db(), logCode, note, write))
    return true;
  // Shown after the write rolled back, so that no lock waits on the box.
  if (!m_strRefusal.isEmpty())
    KvMessageBox(m_strRefusal, KV_MB_OK | KV_MB_ICONSTOP);
  if (QWidget* control = KvDlgItem(this, codeId))
    control->setFocus();
  return false;
}

void CKvPkCatalogEditDlg::MirrorNames(int shortId, QString* shortName, int fullId, QString* fullName) {
  m_nShortId = shortId;
  m_nFullId = fullId;
  m_pShort = shortName;
  m_pFull = fullName;
  for (int id : {shortId, fullId})
    if (QWidget* edit = KvDlgItem(this, id))
      edit->installEventFilter(this);
}

bool CKvPkCatalogEditDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn && m_pShort &&
      (watched == KvDlgItem(this, m_nShortId) || watched == KvDlgItem(this, m_nFullId))) {
    UpdateData(true);
    if (m_pShort->isEmpty())
      *m_pShort = *m_pFull;
    if (m_pFull->isEmpty())
      *m_pFull = *m_pShort;
    UpdateData(false);
  }
  return CKvAppDlg::eventFilter(watched, event);
}

bool CKvPkCatalogEditDlg::CheckCodeAndNames(QString* code, int width, int codeId) {
  return NormaliseCode(code, width, codeId) &&
         Require(*m_pShort, QStringLiteral("简称不能为空，请重输！"), m_nShortId) &&
         Require(*m_pFull, QStringLiteral("全称不能为空，请重输！"), m_nFullId);
}

QString CKvPkCatalogEditDlg::LogNote(const QString& oldName, const QString& newCode, const QString& newName) const {
  if (m_nMode == 1)
    return KvFormat("新增：%s - %s", newCode, newName);
  return KvFormat("修改：%s(%s) --> %s(%s)", m_strCode, oldName, newCode, newName);
}

bool CKvPkCatalogEditDlg::LoadRowToChange() {
  if (!m_bRowRead)
    m_bRowRead = ReadRow() >= 0;
  return m_bRowRead;
}

bool CKvPkCatalogEditDlg::FoundOld(int count) {
  if (count > 0)
    return true;
  if (count < 0)
    return false;
  m_strRefusal = KvFormat("代码%s已不存在，不能修改！", m_strCode);
  return false;
}

bool CKvPkCatalogEditDlg::LockTable(const QString& table) { return Db()->LockTable(table); }

bool CKvPkCatalogEditDlg::RefuseChanged(const QString& word) {
  m_strRefusal = KvFormat("%s%s已被其他窗口或工作站修改，请重新打开后再修改！", word, m_strCode);
  return false;
}
