#include "timetable/CKvTeacherEditDlg.h"

#include "app/CKvApp.h"
#include "timetable/CTchrTable.h"
#include "ui/CKvEdit.h"
#include "ui/KvComboHelpers.h"
#include "ui/KvDateEdits.h"
#include "ui/KvModal.h"

#include <QComboBox>

CKvTeacherEditDlg::CKvTeacherEditDlg(int nMode, const QString& code, CKvDb* pDb, QWidget* parent)
    : CKvPkCatalogEditDlg(IDD, nMode, code, pDb, parent),
      m_pSex(new QComboBox(this)),
      m_pNation(new QComboBox(this)) {
  const QString text = QStringLiteral("MDBSTRING");
  AddField(IDC_CODE, QStringLiteral("代  码："), &m_rec.KNO, QStringLiteral("STRING DIGIT"), 4);
  AddField(IDC_NAME, QStringLiteral("姓  名："), &m_rec.NA, text, 12);
  AddField(1068, QStringLiteral("电  话："), &m_rec.TEL, text, 25);
  AddField(1069, QStringLiteral("住  址："), &m_rec.ADR, text, 50);
  AddControl(IDC_SEX, QStringLiteral("性  别："), m_pSex);
  AddField(IDC_BIRTH, QStringLiteral("出生日："), &m_rec.BT, QStringLiteral("STRING DIGIT"), 8,
           QStringLiteral("(yyyymmdd)"));
  AddField(1072, QStringLiteral("身份证："), &m_rec.PID, QStringLiteral("STRING DIGIT"), 18);
  AddControl(IDC_NATION, QStringLiteral("民  族："), m_pNation);
  AddField(1074, QStringLiteral("籍  贯："), &m_rec.FGF, text, 20);
  AddField(1075, QStringLiteral("职  务："), &m_rec.ZW, text, 16);
  AddField(1076, QStringLiteral("备  注："), &m_rec.NT, text, 60);
  FinishLayout();
}

QString CKvTeacherEditDlg::Run(int nMode, const QString& code, CKvDb* pDb, QWidget* parent) {
  CKvTeacherEditDlg dlg(nMode, nMode == 1 ? QString() : code, pDb, parent);
  if (nMode == 1 && !code.isEmpty())
    CTchrTable::LoadByCode(dlg.m_rec, code, dlg.Db());
  if (nMode == 0 && !dlg.LoadRowToChange())
    return QString();
  return KvExecDialog(&dlg) == QDialog::Accepted ? dlg.m_rec.KNO : QString();
}

int CKvTeacherEditDlg::ReadRow() {
  // The row as read is kept: the save compares the stored row with it.
  const int count = CTchrTable::LoadByCode(m_read, m_strCode, Db());
  if (count > 0)
    m_rec = m_read;
  return count;
}

void CKvTeacherEditDlg::OnInitDialog() {
  CKvPkCatalogEditDlg::OnInitDialog();
  if (m_nMode == 1) {
    setWindowTitle(QStringLiteral("增加教师"));
    m_rec.KNO = CTchrTable::NextCode(Db());
  } else {
    setWindowTitle(QStringLiteral("修改教师信息"));
    LoadRowToChange();
  }
  KvFillSexCombo(m_pSex);
  m_pSex->setCurrentIndex(m_rec.SEX == 0 ? 0 : 1);
  KvFillNationCombo(m_pNation, m_rec.NTN);
  UpdateData(false);
}

bool CKvTeacherEditDlg::SaveData() {
  if (!NormaliseCode(&m_rec.KNO, 4, IDC_CODE) ||
      !Require(m_rec.NA, QStringLiteral("名称不能为空，请重输！"), IDC_NAME) ||
      !KvGetSexCombo(m_pSex, &m_rec.SEX) || !KvGetNationCombo(m_pNation, &m_rec.NTN))
    return false;
  if (!m_rec.BT.isEmpty()) {
    QString message;
    if (KvDateMessage(&m_rec.BT, &message) != 0) {
      Refuse(message, IDC_BIRTH);
      return false;
    }
  }
  // The row as it is stored, for the log: read inside the write under the
  // lock, which it refuses when it cannot be read or is no longer the row
  // the form read.
  CTchrRec old;
  QString note;
  const auto write = [&] {
    if (m_nMode == 1) {
      note = LogNote(QString(), m_rec.KNO, m_rec.NA);
      return CTchrTable::Insert(m_rec, Db(), Refusal());
    }
    if (!StoredAsRead(QStringLiteral("TCHR"), QStringLiteral("教师"), &CTchrTable::LoadByCode, m_read, &old))
      return false;
    note = LogNote(old.NA, m_rec.KNO, m_rec.NA);
    return CTchrTable::Update(m_rec, m_strCode, Db(), Refusal());
  };
  return Store(write, 1900, note, IDC_CODE);
}
