#include "timetable/CKvPubRoomEditDlg.h"

#include "timetable/CPubRmTable.h"
#include "ui/KvModal.h"

CKvPubRoomEditDlg::CKvPubRoomEditDlg(int nMode, const QString& code, CKvDb* pDb, QWidget* parent)
    : CKvPkCatalogEditDlg(IDD, nMode, code, pDb, parent) {
  const QString text = QStringLiteral("MDBSTRING");
  AddField(IDC_CODE, QStringLiteral("代  码："), &m_rec.KNO, QStringLiteral("STRING DIGIT"), 3);
  AddField(IDC_SHORT, QStringLiteral("简  称："), &m_rec.NA, text, 8);
  AddField(IDC_FULL, QStringLiteral("全  称："), &m_rec.NAA, text, 40);
  AddField(1079, QStringLiteral("位  置："), &m_rec.ADR, text, 50);
  AddField(1071, QStringLiteral("管理员："), &m_rec.MGR, text, 12);
  AddField(1080, QStringLiteral("电  话："), &m_rec.TEL, text, 25);
  AddField(1081, QStringLiteral("备  注："), &m_rec.NT, text, 60);
  FinishLayout();
  MirrorNames(IDC_SHORT, &m_rec.NA, IDC_FULL, &m_rec.NAA);
}

QString CKvPubRoomEditDlg::Run(int nMode, const QString& code, CKvDb* pDb, QWidget* parent) {
  CKvPubRoomEditDlg dlg(nMode, nMode == 1 ? QString() : code, pDb, parent);
  if (nMode == 0 && !dlg.LoadRowToChange())
    return QString();
  return KvExecDialog(&dlg) == QDialog::Accepted ? dlg.m_rec.KNO : QString();
}

int CKvPubRoomEditDlg::ReadRow() {
  // The row as read is kept: the save compares the stored row with it.
  const int count = CPubRmTable::LoadByCode(m_read, m_strCode, Db());
  if (count > 0)
    m_rec = m_read;
  return count;
}

void CKvPubRoomEditDlg::OnInitDialog() {
  CKvPkCatalogEditDlg::OnInitDialog();
  if (m_nMode == 1) {
    setWindowTitle(QStringLiteral("增加公用教室"));
    m_rec.Clear();
    m_rec.KNO = CPubRmTable::NextCode(Db());
  } else {
    setWindowTitle(QStringLiteral("修改公用教室信息"));
    LoadRowToChange();
  }
  UpdateData(false);
}

bool CKvPubRoomEditDlg::SaveData() {
  if (!CheckCodeAndNames(&m_rec.KNO, 3, IDC_CODE))
    return false;
  // The row as it is stored, for the log: read inside the write under the
  // lock, which it refuses when it cannot be read or is no longer the row
  // the form read.
  CPubRmRec old;
  QString note;
  const auto write = [&] {
    if (m_nMode == 1) {
      note = LogNote(QString(), m_rec.KNO, m_rec.NA);
      return CPubRmTable::Insert(m_rec, Db(), Refusal());
    }
    if (!StoredAsRead(QStringLiteral("PUBRM"), QStringLiteral("公用教室"), &CPubRmTable::LoadByCode, m_read, &old))
      return false;
    note = LogNote(old.NA, m_rec.KNO, m_rec.NA);
    return CPubRmTable::Update(m_rec, m_strCode, Db(), Refusal());
  };
  return Store(write, 1901, note, IDC_CODE);
}
