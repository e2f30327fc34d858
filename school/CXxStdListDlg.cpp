#include "school/CXxStdListDlg.h"

#include "school/CStd.h"
#include "school/CXxStdList.h"
#include "school/KvSchoolDlgParts.h"
#include "ui/KvObjectNames.h"

#include <QVBoxLayout>

CXxStdListDlg::CXxStdListDlg(const QString& search, CKvDb* pDb, QWidget* parent)
    : CKvZrvDlg(IDD, pDb, parent), m_strSearch(search), m_pList(KvSetControlId(new CXxStdList(this), IDC_LIST)) {
  setWindowTitle(QStringLiteral("学生目录"));
  m_pList->setMinimumSize(470, 240);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_pList, 1);
  layout->addLayout(KvNewOkCancelRow(this, QStringLiteral("&S.选择")));
}

void CXxStdListDlg::OnInitDialog() {
  CKvZrvDlg::OnInitDialog();
  m_pList->InitList();
  m_pList->SetExStyle(CKvListCtrl::LVS_EX_FULLROWSELECT | CKvListCtrl::LVS_EX_GRIDLINES);
  m_pList->SetColumns({QStringLiteral("代码"), QStringLiteral("名称"), QStringLiteral("位置")}, {120, 60, 270});
  CStd search(Db(), m_strSearch);
  QList<CStd> students;
  search.FindStudents(&students);
  for (CStd& student : students) {
    // The place is the path without the student's own name.
    QString path;
    QStringList codes, names;
    student.GetPath(&path, &codes, &names);
    m_pList->AddRow({student.KNO, student.NA, names.mid(0, names.size() - 1).join(QLatin1Char('/'))}, 0);
  }
  if (m_pList->GetItemCount() > 0)
    m_pList->FindAndSelect(m_pList->GetItemText(0, 0));
}

bool CXxStdListDlg::SaveData() {
  const QList<int> rows = m_pList->GetSelectedRows();
  if (rows.size() != 1)
    return false;
  m_strCode = m_pList->GetItemText(rows.first(), 0);
  return true;
}
