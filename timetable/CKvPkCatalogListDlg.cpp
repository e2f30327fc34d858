#include "timetable/CKvPkCatalogListDlg.h"

#include "timetable/CKvPkCatalogList.h"
#include "ui/CKvCommandRouter.h"
#include "ui/KvCommands.h"
#include "ui/KvObjectNames.h"

#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

CKvPkCatalogListDlg::CKvPkCatalogListDlg(int nMode, CKvDb* pDb, const QString& code, QWidget* parent)
    : CKvZrvDlg(IDD, pDb, parent), m_nMode(nMode), m_strCode(code) {
  // Enter acts as 打开, not as a move to the next control.
  m_bEnterNextCtrl = 0;
}

void CKvPkCatalogListDlg::SetList(CKvPkCatalogList* pList, const QString& title) {
  m_pList = KvSetControlId(pList, IDC_LIST);
  m_pList->m_nMode = m_nMode;
  m_strTitle = title;
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_pList, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  m_pNew = KvSetControlId(new QPushButton(QStringLiteral("&N.新增"), this), IDC_NEW);
  m_pOpen = KvSetControlId(new QPushButton(QStringLiteral("&O.打开"), this), KV_IDOK);
  m_pModify = KvSetControlId(new QPushButton(QStringLiteral("&M.修改"), this), IDC_MODIFY);
  m_pDelete = KvSetControlId(new QPushButton(QStringLiteral("&D.删除"), this), IDC_DELETE);
  auto* close = KvSetControlId(new QPushButton(QStringLiteral("&X.关闭"), this), KV_IDCANCEL);
  for (QPushButton* button : {m_pNew, m_pOpen, m_pModify, m_pDelete, close}) {
    button->setAutoDefault(false);
    buttons->addWidget(button);
  }
  layout->addLayout(buttons);
  const auto run = [this](int id) {
    if (KvCmdEnabled(m_pList, id))
      m_pList->ExecuteCmd(id);
    updateButtons();
  };
  connect(m_pNew, &QPushButton::clicked, this, [run] { run(KV_CMD_NEW); });
  connect(m_pModify, &QPushButton::clicked, this, [run] { run(KV_CMD_MODIFY); });
  connect(m_pDelete, &QPushButton::clicked, this, [run] { run(KV_CMD_DELETE); });
  resize(760, 420);
}

void CKvPkCatalogListDlg::OnInitDialog() {
  CKvZrvDlg::OnInitDialog();
  setWindowTitle(m_strTitle);
  m_pList->Setup();
  if (!m_strCode.isEmpty())
    m_pList->FindAndSelect(m_strCode);
  connect(m_pList->DetailsView()->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { updateButtons(); });
  connect(m_pList->DetailsView()->model(), &QAbstractItemModel::modelReset, this, [this] { updateButtons(); });
  updateButtons();
}

bool CKvPkCatalogListDlg::SaveData() {
  if (m_nMode == 0 && KvCmdEnabled(m_pList, KV_CMD_MODIFY))
    m_pList->ExecuteCmd(KV_CMD_MODIFY);
  updateButtons();
  return false;
}

void CKvPkCatalogListDlg::updateButtons() {
  m_pNew->setEnabled(KvCmdEnabled(m_pList, KV_CMD_NEW));
  m_pOpen->setEnabled(KvCmdEnabled(m_pList, KV_CMD_OPEN));
  m_pModify->setEnabled(KvCmdEnabled(m_pList, KV_CMD_MODIFY));
  m_pDelete->setEnabled(KvCmdEnabled(m_pList, KV_CMD_DELETE));
}
