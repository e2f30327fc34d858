#include "school/CKvStdDirDlg.h"

#include "app/CKvApp.h"
#include "app/CKvOperation.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "core/KvNumber.h"
#include "school/CKvStdEditDlg.h"
#include "school/CStd.h"
#include "school/CXxDataType.h"
#include "ui/CKvCodeBrowseList.h"
#include "ui/CKvCommandRegistry.h"
#include "ui/CKvWaitWnd.h"
#include "ui/KvComboHelpers.h"
#include "ui/KvModal.h"
#include "ui/KvObjectNames.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace {
int studentLevel() { return CXxDataType::LevelCount() - 1; }

// The kind of the rows of level L: 0 units, 1 grades, 2 classes, 3 students.
int kindOfLevel(int level) {
  const int units = CXxDataType::MgmtLevelsRef();
  if (level < units)
    return 0;
  if (level == units)
    return 1;
  return level < studentLevel() ? 2 : 3;
}

bool askToChange(const QString& question) {
  return KvMessageBox(question, KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION) == KV_IDYES;
}

void refuse(const QString& message) { KvMessageBox(message, KV_MB_OK | KV_MB_ICONSTOP); }

QAction* commandAction(const QMenu* popup, int id) {
  for (QAction* action : popup->actions())
    if (KvActionCommandId(action) == id)
      return action;
  return nullptr;
}
}  // namespace

QString CKvStdDirDlg::KindWord(int level) {
  static const char* const words[] = {"管理机构", "级次", "班次", "学生"};
  return QString::fromUtf8(words[kindOfLevel(level)]);
}

CKvStdDirDlg::CKvStdDirDlg(CKvDb* db, int mode, const QString& startCode, int deepestLevel, QWidget* parent)
    : CKvCodeBrowseDlg(IDD, IDC_LIST, db, mode, parent, QString()), m_nDeepestLevel(deepestLevel) {
  m_strSelectedCode = startCode;
  setWindowTitle(QStringLiteral("机构、班级、学生目录"));

  m_pParent = KvSetControlId(new QLabel(this), IDC_PARENT);
  m_pLevels = KvSetControlId(new QComboBox(this), IDC_LEVELS);
  m_pMultiClass = KvSetControlId(new QCheckBox(QStringLiteral("一级多班吗"), this), IDC_MULTI_CLASS);
  m_pLength = KvSetControlId(new QComboBox(this), IDC_LENGTH);
  auto* levelsLabel = KvSetControlId(new QLabel(QStringLiteral("“年级”前面有几级："), this), IDC_LEVELS_LABEL);
  auto* lengthLabel = KvSetControlId(new QLabel(QStringLiteral("当前级次码长："), this), IDC_LENGTH_LABEL);
  m_pNew = KvSetControlId(new QPushButton(QStringLiteral("&A.新增"), this), IDC_NEW);
  m_pModify = KvSetControlId(new QPushButton(QStringLiteral("&M.修改"), this), IDC_MODIFY);
  m_pDelete = KvSetControlId(new QPushButton(QStringLiteral("&D.删除"), this), IDC_DELETE);
  m_pDown = KvSetControlId(new QPushButton(QStringLiteral("进子项"), this), IDC_DOWN);
  auto* open = KvSetControlId(new QPushButton(QStringLiteral("&O.打开"), this), KV_IDOK);
  m_pClose = KvSetControlId(new QPushButton(QStringLiteral("&X.关闭"), this), IDC_CLOSE);
  open->setDefault(true);
  KvSetComboExtendedUi(m_pLevels);
  KvSetComboExtendedUi(m_pLength);
  m_paramControls = {levelsLabel, m_pLevels, m_pMultiClass, lengthLabel, m_pLength};

  auto* parentRow = new QHBoxLayout;
  parentRow->addWidget(new QLabel(QStringLiteral("父项："), this));
  parentRow->addWidget(m_pParent, 1);

  auto* buttons = new QVBoxLayout;
  for (QPushButton* button : {m_pNew, m_pModify, m_pDelete, m_pDown})
    buttons->addWidget(button);
  buttons->addStretch(1);
  buttons->addWidget(open);
  buttons->addWidget(m_pClose);
  auto* body = new QHBoxLayout;
  body->addWidget(List(), 1);
  body->addLayout(buttons);

  auto* params = new QHBoxLayout;
  params->addWidget(levelsLabel);
  params->addWidget(m_pLevels);
  params->addSpacing(16);
  params->addWidget(m_pMultiClass);
  params->addSpacing(16);
  params->addWidget(lengthLabel);
  params->addWidget(m_pLength);
  params->addStretch(1);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(parentRow);
  layout->addLayout(body, 1);
  layout->addLayout(params);
  resize(740, 420);

  connect(m_pNew, &QPushButton::clicked, this, [this] { runListCommand(KV_CMD_NEW); });
  connect(m_pModify, &QPushButton::clicked, this, [this] { runListCommand(KV_CMD_MODIFY); });
  connect(m_pDelete, &QPushButton::clicked, this, [this] { runListCommand(KV_CMD_DELETE); });
  connect(m_pDown, &QPushButton::clicked, this, [this] { runListCommand(KV_CMD_FORWARD); });
  // The buttons follow the list's commands: 修改 and 删除 want a row and the
  // level's right; "进子项" a row that has children to open (not a class
  // where the directory stops at classes, nor a student).
  connect(List()->DetailsView()->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &CKvStdDirDlg::updateButtons);
  connect(m_pClose, &QPushButton::clicked, this, &CKvStdDirDlg::onClose);
  connect(m_pMultiClass, &QCheckBox::clicked, this, &CKvStdDirDlg::onMultiClassClicked);
  connect(m_pLevels, &QComboBox::activated, this, &CKvStdDirDlg::onLevelsChosen);
  connect(m_pLength, &QComboBox::activated, this, &CKvStdDirDlg::onLengthChosen);
}

int CKvStdDirDlg::LevelShown() const { return CXxDataType::LevelOfCode(ParentCode()); }

// --- Setting up ---

void CKvStdDirDlg::OnInitDialog() {
  CKvCodeBrowseDlg::OnInitDialog();
  // Another station may have changed the tree's shape since the login.
  if (CXxDataType::CheckParamChange(true, Db()) != 0)
    done(Rejected);
}

void CKvStdDirDlg::OnInitBrowse() {
  for (int i = 1; i <= 4; ++i)
    m_pLevels->addItem(QString::number(i));
  showParams();
  if (KvHasRightCode(QStringLiteral("0080")) && Mode() == 0) {
    // The shape may change only while no rows depend on it.
    m_pMultiClass->setEnabled(!CStd::HasRowsAtLastLevels(Db()));
    m_pLevels->setEnabled(!CStd::HasRowsBelowUnits(Db()));
    m_pLength->setEnabled(true);
    return;
  }
  for (QWidget* control : std::as_const(m_paramControls)) {
    control->setEnabled(false);
    control->hide();
  }
}

void CKvStdDirDlg::FillList() {
  const int level = LevelShown();
  const bool students = level >= studentLevel();
  CKvCodeBrowseList* list = List();
  list->DeleteAllItems();
  QStringList captions{QStringLiteral("代码"), students ? QStringLiteral("姓名") : QStringLiteral("名称")};
  QList<int> widths{120, 120};
  if (!students) {
    captions << QStringLiteral("负责人");
    widths << 80;
  }
  captions << QStringLiteral("电话") << QStringLiteral("备注");
  widths << 100 << 200;
  list->SetColumns(captions, widths);
  m_pClose->setText(ParentCode().isEmpty() ? QStringLiteral("&X.关闭") : QStringLiteral("&X.后退"));
  fillLengths();

  CStd parent(Db(), ParentCode());
  if (!ParentCode().isEmpty())
    parent.Load(0, -1);
  m_pParent->setText(KvFormat(QStringLiteral("%s %s"), parent.KNO, parent.NA));
  setWindowTitle(KindWord(level) + QStringLiteral("目录"));

  const int image = kindOfLevel(level);
  QList<CStd> rows;
  CStd(Db(), ParentCode()).Select(&rows, 2, -1);
  for (const CStd& row : std::as_const(rows)) {
    QStringList texts{row.KNO, row.NA};
    if (!students)
      texts << row.MRG;
    texts << row.TEL << row.NT;
    list->AddRow(texts, image);
  }
  list->setFocus();
  updateButtons();
}

void CKvStdDirDlg::updateButtons() {
  m_pNew->setEnabled(KvCmdEnabled(List(), KV_CMD_NEW));
  m_pModify->setEnabled(KvCmdEnabled(List(), KV_CMD_MODIFY));
  m_pDelete->setEnabled(KvCmdEnabled(List(), KV_CMD_DELETE));
  m_pDown->setEnabled(KvCmdEnabled(List(), KV_CMD_FORWARD));
}

void CKvStdDirDlg::GetIconIds(QList<int>* ids) const { *ids = {685, 606, 611, 651}; }

// --- The tree's answers ---

bool CKvStdDirDlg::CanStartAt(const QString& code) { return CStd(Db(), code).Count(0, -1) > 0; }

bool CKvStdDirDlg::IsSelectable(const QString& code) { return CStd(Db(), code).Count(1, -1) == 1; }

bool CKvStdDirDlg::CanDrillDown(const QString& code) {
  const int deepest = m_nDeepestLevel < 0 ? studentLevel() : m_nDeepestLevel;
  return code.size() < CXxDataType::CodeLenOfLevel(deepest);
}

QString CKvStdDirDlg::GetParentCode(const QString& code) { return CStd::ParentCode(code); }

bool CKvStdDirDlg::IsCodeUsed(const QString& code) { return CStd(Db(), code).IsReferenced(); }

bool CKvStdDirDlg::IsCmdAllowed(int id) {
  const int level = LevelShown();
  switch (id) {
    case KV_CMD_EDIT_COPY: return false;
    case KV_CMD_EDIT_CUT:
    case KV_CMD_EDIT_PASTE:
      // Only students move between classes.
      if (level != studentLevel())
        return false;
      [[fallthrough]];
    case KV_CMD_NEW:
    case KV_CMD_MODIFY:
    case KV_CMD_DELETE:
      return KvHasRightCode(level < CXxDataType::MgmtLevelsRef() ? QStringLiteral("0081")
                            : level < studentLevel()              ? QStringLiteral("0082")
                                                                  : QStringLiteral("0083"));
    default: return true;
  }
}

void CKvStdDirDlg::OnPrepareContextMenu(QMenu* popup) {
  QList<int> dropped{KV_CMD_EDIT_COPY};
  if (LevelShown() != studentLevel())
    dropped << KV_CMD_EDIT_CUT << KV_CMD_EDIT_PASTE;
  for (int id : dropped)
    if (QAction* action = commandAction(popup, id))
      popup->removeAction(action);
}

// --- Editing ---

bool CKvStdDirDlg::EditCode(QString* code, bool isNew) {
  const int level = LevelShown();
  const int units = CXxDataType::MgmtLevelsRef();
  const int form = level == units ? CKvStdEditDlg::IDD_GRADE
                   : level >= studentLevel() ? CKvStdEditDlg::IDD_STUDENT
                                             : CKvStdEditDlg::IDD_UNIT;
  CKvStdEditDlg dialog(form, Db(), ParentCode(), isNew ? QString() : *code, isNew, this);
  // A node that cannot be read is not offered for editing; one that is gone
  // leaves the list, which is read again.
  if (!dialog.Load()) {
    if (dialog.IsGone()) {
      const int row = List()->GetFirstSelected();
      FillList();
      List()->SelectOnlyRow(std::min(row, List()->GetItemCount() - 1));
    }
    return false;
  }
  if (KvExecDialog(&dialog) != QDialog::Accepted)
    return false;
  *code = dialog.SavedCode();
  return true;
}

bool CKvStdDirDlg::DeleteCode(const QString& code) {
  CStd row(Db(), code);
  if (!paramsUnchanged() || !row.Delete(true))
    return false;
  CKvOperation::WriteLog(kLogCode, KvFormat(QStringLiteral("删除：%s"), code));
  return true;
}

QString CKvStdDirDlg::MakeChildSegment(const QString& destination, const QString& segment) {
  const int level = CXxDataType::LevelOfCode(destination);
  if (level >= CXxDataType::LevelCount())
    return QString();
  const int length = CXxDataType::CodeLenRef(level);
  const int number = KvStrToInt(segment);
  if (QString::number(number).size() > length)
    return QString();
  return KvIntToText(number, length);
}

QString CKvStdDirDlg::GetPasteCode(const QString& rowCode, const QString& targetParent) {
  return MakeChildSegment(targetParent, rowCode.mid(CStd::ParentCode(rowCode).size()));
}

bool CKvStdDirDlg::PasteCode(const QString& rowCode, const QString& newCode, bool cut) {
  CStd source(Db(), rowCode);
  if (source.Load(0, -1) < 0)
    return false;
  CStd target = source;
  target.KNO = newCode;
  if (!(cut ? target.Modify(source, true) : target.Paste(source, true)))
    return false;
  CKvOperation::WriteLog(kLogCode, KvFormat(cut ? QStringLiteral("移动：%s(%s-->%s)")
                                                : QStringLiteral("复制：%s(%s-->%s)"),
                                            target.NA, rowCode, target.KNO));
  return true;
}

// --- Buttons ---

void CKvStdDirDlg::runListCommand(int id) {
  if (KvCmdEnabled(List(), id))
    List()->ExecuteCmd(id);
  updateButtons();
}

void CKvStdDirDlg::onClose() {
  if (ParentCode().isEmpty())
    reject();
  else
    runListCommand(KV_CMD_BACK);
}

// --- The structure parameters ---

void CKvStdDirDlg::showParams() {
  m_pLevels->setCurrentIndex(CXxDataType::MgmtLevelsRef() - 1);
  m_pMultiClass->setChecked(CXxDataType::MultiClassRef() != 0);
  fillLengths();
}

void CKvStdDirDlg::fillLengths() {
  // A code has room for 15 characters; the other levels take theirs.
  const int level = LevelShown();
  const int length = CXxDataType::CodeLenRef(level);
  const int largest = 15 - (CXxDataType::StudentCodeLen() - length);
  m_pLength->clear();
  for (int i = 1; i <= largest; ++i)
    m_pLength->addItem(QString::number(i));
  m_pLength->setCurrentIndex(length - 1);
}

bool CKvStdDirDlg::paramsUnchanged() {
  if (CXxDataType::CheckParamChange(true, Db()) == 0)
    return true;
  showParams();
  return false;
}

void CKvStdDirDlg::saveParams(int levels, int multiClass) {
  // The rows the structure depends on are checked again in the save, after
  // the question; its refusal is told after its rollback.
  CStd::Refusal refusal;
  if (!CStd::ChangeStructure(levels, multiClass, Db(), &refusal))
    CStd::Tell(refusal, true, Db());
}

void CKvStdDirDlg::onMultiClassClicked() {
  const int chosen = m_pMultiClass->isChecked() ? 1 : 0;
  if (!paramsUnchanged())
    return;
  if (CStd::HasRowsAtLastLevels(Db())) {
    showParams();
    refuse(QStringLiteral("已有班级，不能修改！"));
    return;
  }
  if (chosen != CXxDataType::MultiClassRef() && askToChange(QStringLiteral("真的要修改此参数吗?")))
    saveParams(CXxDataType::MgmtLevelsRef(), chosen);
  showParams();
}

void CKvStdDirDlg::onLevelsChosen() {
  const int levels = m_pLevels->currentIndex() + 1;
  if (!paramsUnchanged() || levels == CXxDataType::MgmtLevelsRef())
    return;
  if (CStd::HasRowsBelowUnits(Db())) {
    showParams();
    refuse(QStringLiteral("已有年级，不能修改！"));
    return;
  }
  if (askToChange(QStringLiteral("真的要修改此参数吗?")))
    saveParams(levels, CXxDataType::MultiClassRef());
  showParams();
}

void CKvStdDirDlg::onLengthChosen() {
  const int length = m_pLength->currentIndex() + 1;
  const int level = LevelShown();
  if (!paramsUnchanged() || length == CXxDataType::CodeLenRef(level))
    return;
  if (!askToChange(QStringLiteral("真的要修改当前级次的代码的级长吗?"))) {
    fillLengths();
    return;
  }
  bool changed = false;
  {
    CKvWaitWnd wait;
    wait.Show(this);
    changed = CStd::ChangeLevelLengthAndSave(level, length, Db());
  }
  if (!changed) {
    fillLengths();
    return;
  }
  // Every code at and below the level was rewritten.
  FillList();
  List()->SelectOnlyRow(0);
}
