#include "timetable/CKvCourseEditDlg.h"

#include "timetable/CSbtTable.h"
#include "ui/KvModal.h"

CKvCourseEditDlg::CKvCourseEditDlg(int nMode, const QString& code, CKvDb* pDb, QWidget* parent)
    : CKvPkCatalogEditDlg(IDD, nMode, code, pDb, parent) {
  const QString text = QStringLiteral("MDBSTRING");
  AddField(IDC_CODE, QStringLiteral("代  码："), &m_rec.KNO, QStringLiteral("STRING DIGIT"), 4);
  AddField(IDC_SHORT, QStringLiteral("简  称："), &m_rec.NA, text, 8);
  AddField(IDC_FULL, QStringLiteral("全  称："), &m_rec.NAA, text, 40);
  AddField(1062, QStringLiteral("备  注："), &m_rec.NT, text, 60);
  FinishLayout();
  MirrorNames(IDC_SHORT, &m_rec.NA, IDC_FULL, &m_rec.NAA);
}

QString CKvCourseEditDlg::Run(int nMode, const QString& code, CKvDb* pDb, QWidget* parent) {
  CKvCourseEditDlg dlg(nMode, nMode == 1 ? QString() : code, pDb, parent);
  if (nMode == 0 && !dlg.LoadRowToChange())
    return QString();
  return KvExecDialog(&dlg) == QDialog::Accepted ? dlg.m_rec.KNO : QString();
}

int CKvCourseEditDlg::ReadRow() {
  // The row as read is kept: the save compares the stored row with it.
  const int count = CSbtTable::LoadByCode(m_read, m_strCode, Db());
  if (count > 0)
    m_rec = m_read;
  return count;
}

void CKvCourseEditDlg::OnInitDialog() {
  CKvPkCatalogEditDlg::OnInitDialog();
  if (m_nMode == 1) {
    setWindowTitle(QStringLiteral("增加课程"));
    m_rec.Clear();
    m_rec.KNO = CSbtTable::NextCode(Db());
  } else {
    setWindowTitle(QStringLiteral("修改课程信息"));
    LoadRowToChange();
  }
  UpdateData(false);
}

bool CKvCourseEditDlg::SaveData() {
  if (!CheckCodeAndNames(&m_rec.KNO, 4, IDC_CODE))
    return false;
  // The row as it is stored, for the log: read inside the write under the
  // lock, which it refuses when it cannot be read or is no longer the row
  // the form read.
  CSbtRec old;
  QString note;
  const auto write = [&] {
    if (m_nMode == 1) {
      note = LogNote(QString(), m_rec.KNO, m_rec.NA);
      return CSbtTable::Insert(m_rec, Db(), Refusal());
    }
    if (!StoredAsRead(QStringLiteral("SBT"), QStringLiteral("课程"), &CSbtTable::LoadByCode, m_read, &old))
      return false;
    note = LogNote(old.NA, m_rec.KNO, m_rec.NA);
    return CSbtTable::Update(m_rec, m_strCode, Db(), Refusal());
  };
  return Store(write, 82, note, IDC_CODE);
}
