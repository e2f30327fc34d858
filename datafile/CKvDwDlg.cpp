#include "datafile/CKvDwDlg.h"

#include "app/KvDwRight.h"
#include "datafile/CKvDwList.h"
#include "ui/KvAppServices.h"
#include "ui/KvCommands.h"
#include "ui/KvModal.h"
#include "ui/KvObjectNames.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {
constexpr unsigned kTemplate = 790;
}  // namespace

CKvDwDlg::CKvDwDlg(CKvDb* db, QWidget* parent) : CKvZrvDlg(kTemplate, db, parent) {
  m_bEnterNextCtrl = 0;
  m_pList = KvSetControlId(new CKvDwList(this), 1000);
  struct ButtonDef {
    int id;
    const char* text;
    int command;
  };
  const ButtonDef defs[] = {
      {1002, "&N.增下级", KV_CMD_NEW},        {1008, "&T.增同级", KV_CMD_NEW_SIBLING},
      {1003, "&M.修改", KV_CMD_MODIFY},        {1004, "&D.删除", KV_CMD_DELETE},
      {57634, "&C.复制", KV_CMD_EDIT_COPY},    {57635, "&T.剪切", KV_CMD_EDIT_CUT},
      {57637, "&V.粘贴", KV_CMD_EDIT_PASTE},   {1005, "&E.导出数据", KV_CMD_DW_EXPORT},
      {1006, "&I.导入数据", KV_CMD_DW_IMPORT},
      {1007, "&K.清空数据", KV_CMD_DW_CLEAR},
  };
  auto* side = new QVBoxLayout;
  for (const ButtonDef& def : defs) {
    auto* button = KvSetControlId(new QPushButton(QString::fromUtf8(def.text), this), def.id);
    button->setAutoDefault(false);
    m_buttons.insert(def.command, button);
    side->addWidget(button);
    const int command = def.command;
    connect(button, &QPushButton::clicked, this, [this, command] {
      if (KvCmdEnabled(m_pList, command))
        m_pList->ExecuteCmd(command);
      UpdateButtons();
    });
  }
  side->addStretch(1);
  side->addWidget(KvSetControlId(new QPushButton(QStringLiteral("&O.打开"), this), KV_IDOK));
  side->addWidget(KvSetControlId(new QPushButton(QStringLiteral("&X.取消"), this), KV_IDCANCEL));
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(m_pList, 1);
  layout->addLayout(side);
  resize(820, 440);
}

void CKvDwDlg::OnInitDialog() {
  CKvZrvDlg::OnInitDialog();
  setWindowTitle(KvAppServiceDwCaption());
  m_pList->SetDb(Db());
  m_pList->InitList();
  m_pList->SetExStyle(CKvListCtrl::LVS_EX_GRIDLINES | CKvListCtrl::LVS_EX_FULLROWSELECT);
  m_pList->Fill();
  connect(m_pList->DetailsView()->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { UpdateButtons(); });
  connect(m_pList->DetailsView()->model(), &QAbstractItemModel::modelReset, this, [this] { UpdateButtons(); });
  UpdateButtons();
}

void CKvDwDlg::UpdateButtons() {
  for (auto it = m_buttons.cbegin(); it != m_buttons.cend(); ++it)
    it.value()->setEnabled(KvCmdEnabled(m_pList, it.key()));
}

bool CKvDwDlg::SaveData() {
  if (KvCmdEnabled(m_pList, KV_CMD_MODIFY))
    m_pList->ExecuteCmd(KV_CMD_MODIFY);
  UpdateButtons();
  return false;
}

bool KvRunDwDlg(QWidget* parent) {
  if (!KvCheckAllSubDwRight(true))
    return false;
  CKvDwDlg dialog(nullptr, parent);
  return KvExecDialog(&dialog) == QDialog::Accepted;
}
