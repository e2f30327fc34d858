#include "school/CKvCostListDlg.h"

#include "school/CKvCostList.h"
#include "school/KvSchoolDlgParts.h"
#include "ui/KvCommands.h"
#include "ui/KvObjectNames.h"

#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

CKvCostListDlg::CKvCostListDlg(CKvDb* pDb, const QString& startCode, QWidget* parent)
    : CKvZrvDlg(IDD, pDb, parent),
      m_strStartCode(startCode),
      m_pList(KvSetControlId(new CKvCostList(pDb, this), IDC_LIST)) {
  setWindowTitle(QStringLiteral("收费项目表"));
  m_pList->setMinimumSize(380, 260);
  auto* buttons = new QVBoxLayout;
  const struct {
    const char* caption;
    int id;
    int command;
  } rows[] = {{"&N.新增", IDC_NEW, KV_CMD_NEW},
              {"&O.打开", KV_IDOK, 0},
              {"&M.修改", IDC_MODIFY, KV_CMD_MODIFY},
              {"&D.删除", IDC_DELETE, KV_CMD_DELETE},
              {"&X.关闭", KV_IDCANCEL, 0}};
  for (const auto& row : rows) {
    QPushButton* button = KvNewIdButton(QString::fromUtf8(row.caption), row.id, this);
    button->setAutoDefault(false);
    if (row.command != 0)
      connect(button, &QPushButton::clicked, this, [this, id = row.command] { runListCommand(id); });
    // 打开 edits the selected item: it follows the modify command.
    if (row.id != KV_IDCANCEL)
      m_commandButtons.append({button, row.command != 0 ? row.command : KV_CMD_MODIFY});
    buttons->addWidget(button);
  }
  buttons->addStretch();
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(m_pList, 1);
  layout->addLayout(buttons);
  // A refill resets the model and a selection change moves the selection:
  // both change what the buttons may do.
  connect(m_pList->DetailsView()->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &CKvCostListDlg::updateButtons);
  connect(m_pList->DetailsView()->model(), &QAbstractItemModel::modelReset, this,
          &CKvCostListDlg::updateButtons);
}

void CKvCostListDlg::OnInitDialog() {
  CKvZrvDlg::OnInitDialog();
  m_pList->InitList();
  m_pList->SetExStyle(CKvListCtrl::LVS_EX_FULLROWSELECT | CKvListCtrl::LVS_EX_GRIDLINES);
  m_pList->SetColumns({QStringLiteral("代码"), QStringLiteral("名称"), QStringLiteral("备注")}, {70, 150, 120});
  m_pList->Fill();
  m_pList->FindAndSelect(m_strStartCode);
  updateButtons();
}

void CKvCostListDlg::OnOK() { runListCommand(KV_CMD_MODIFY); }

void CKvCostListDlg::runListCommand(int id) {
  if (KvCmdEnabled(m_pList, id))
    m_pList->ExecuteCmd(id);
  updateButtons();
}

void CKvCostListDlg::updateButtons() {
  for (const auto& [button, command] : std::as_const(m_commandButtons))
    button->setEnabled(KvCmdEnabled(m_pList, command));
}
