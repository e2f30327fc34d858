#include "forms/CKvColumnDlg.h"

#include "app/KvAppFrame.h"
#include "core/KvWidth.h"
#include "forms/CKvDoc.h"
#include "forms/CKvPublicPage.h"
#include "forms/CKvPublicPage2.h"
#include "forms/KvColumnDef.h"
#include "forms/KvFormEntry.h"
#include "forms/KvSheetControls.h"
#include "print/KvPageSetupParts.h"
#include "ui/CKvEdit.h"
#include "ui/CMdiClient.h"
#include "ui/KvObjectNames.h"
#include "ui/KvUpDownEdit.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr int kNameWidth = 50;
constexpr int kFormulaWidth = 180;
constexpr int kDefinitionWidth = 200;
constexpr int kMostWidth = 60;
constexpr int kMostDecimals = 4;
// "/" separates the parts of a column definition; the other four are the
// characters no stored text may hold.
const QString kNameType = QStringLiteral("STRING NOT |[]'/");
}  // namespace

CKvColumnDlg::CKvColumnDlg(CKvPublicPage* pPage, KvFormEntry* pEntry, int nIndex, bool bNew)
    : CKvAppDlg(854, pPage->Document()->m_pDb, pPage),
      m_pPage(pPage),
      m_pEntry(pEntry),
      m_nIndex(nIndex),
      m_bNew(bNew),
      m_pName(KvSetControlId(new CKvEdit(this), IDC_NAME)),
      m_pFormula(KvSetControlId(new CKvEdit(this), IDC_FORMULA)),
      m_pPosition(KvNewUpDown(this, IDC_POSITION, 70)),
      m_pNumber(KvSetControlId(new QRadioButton(QStringLiteral("数值"), this), IDC_NUMBER)),
      m_pText(KvSetControlId(new QRadioButton(QStringLiteral("文字"), this), IDC_TEXT)),
      m_pLeft(KvSetControlId(new QRadioButton(QStringLiteral("居左"), this), IDC_LEFT)),
      m_pMid(KvSetControlId(new QRadioButton(QStringLiteral("居中"), this), IDC_MID)),
      m_pRight(KvSetControlId(new QRadioButton(QStringLiteral("居右"), this), IDC_RIGHT)),
      m_pKind(KvSetControlId(new QComboBox(this), IDC_KIND)),
      m_pDisplayWidth(KvNewUpDown(this, IDC_DISPLAY_WIDTH, 70)),
      m_pEditWidth(KvNewUpDown(this, IDC_EDIT_WIDTH, 70)),
      m_pLess(KvNewUpDown(this, IDC_LESS, 70)),
      m_pMore(KvNewUpDown(this, IDC_MORE, 70)),
      m_pScale(KvSetControlId(new QComboBox(this), IDC_SCALE)),
      m_pTotal(KvSetControlId(new QComboBox(this), IDC_TOTAL)),
      m_pWrap(KvSetControlId(new QCheckBox(QStringLiteral("自动折行"), this), IDC_WRAP)),
      m_pSimplified(KvSetControlId(new QCheckBox(QStringLiteral("允许简省"), this), IDC_SIMPLIFIED)) {
  setWindowTitle(bNew ? QStringLiteral("新增栏") : QStringLiteral("修改栏属性"));
  m_pName->SetInputType(kNameType, kNameWidth);
  m_pFormula->SetInputType(QStringLiteral("MDBSTRING"), kFormulaWidth);
  auto* editFormulaButton =
      KvSetControlId(new QPushButton(QStringLiteral("…"), this), IDC_EDIT_FORMULA);
  editFormulaButton->setAutoDefault(false);
  editFormulaButton->setFixedWidth(editFormulaButton->sizeHint().height() + 8);

  // Name, formula, place and kind.
  auto* top = new QGridLayout;
  top->setHorizontalSpacing(8);
  top->addWidget(KvNewBuddyLabel(QStringLiteral("栏  序："), m_pPosition, this), 0, 0);
  top->addWidget(m_pPosition, 0, 1);
  top->addWidget(KvNewBuddyLabel(QStringLiteral("栏类型："), m_pKind, this), 0, 3);
  top->addWidget(m_pKind, 0, 4);
  top->setColumnStretch(2, 1);
  top->addWidget(KvNewBuddyLabel(QStringLiteral("栏名称："), m_pName, this), 1, 0);
  top->addWidget(m_pName, 1, 1, 1, 4);
  top->addWidget(KvNewBuddyLabel(QStringLiteral("栏公式："), m_pFormula, this), 2, 0);
  auto* formulaRow = new QHBoxLayout;
  formulaRow->addWidget(m_pFormula, 1);
  formulaRow->addWidget(editFormulaButton);
  top->addLayout(formulaRow, 2, 1, 1, 4);

  // Value type and alignment, each one exclusive group.
  auto* types = new QGroupBox(QStringLiteral("值类型"), this);
  auto* typeLayout = new QHBoxLayout(types);
  typeLayout->addWidget(m_pNumber);
  typeLayout->addWidget(m_pText);
  typeLayout->addStretch();
  auto* typeGroup = new QButtonGroup(this);
  typeGroup->addButton(m_pNumber);
  typeGroup->addButton(m_pText);
  auto* aligns = new QGroupBox(QStringLiteral("对齐方式"), this);
  auto* alignLayout = new QHBoxLayout(aligns);
  alignLayout->addWidget(m_pLeft);
  alignLayout->addWidget(m_pMid);
  alignLayout->addWidget(m_pRight);
  alignLayout->addStretch();
  auto* alignGroup = new QButtonGroup(this);
  alignGroup->addButton(m_pLeft);
  alignGroup->addButton(m_pMid);
  alignGroup->addButton(m_pRight);
  auto* groups = new QHBoxLayout;
  groups->addWidget(types, 2);
  groups->addWidget(aligns, 3);

  // Widths, decimals, scale and total.
  auto* numbers = new QGroupBox(QStringLiteral("宽度和数值格式"), this);
  auto* grid = new QGridLayout(numbers);
  grid->setHorizontalSpacing(8);
  grid->addWidget(KvNewBuddyLabel(QStringLiteral("显示宽度："), m_pDisplayWidth, numbers), 0, 0);
  grid->addWidget(m_pDisplayWidth, 0, 1);
  grid->addWidget(KvNewBuddyLabel(QStringLiteral("编辑宽度："), m_pEditWidth, numbers), 0, 3);
  grid->addWidget(m_pEditWidth, 0, 4);
  grid->addWidget(KvNewBuddyLabel(QStringLiteral("至少小数位："), m_pLess, numbers), 1, 0);
  grid->addWidget(m_pLess, 1, 1);
  grid->addWidget(KvNewBuddyLabel(QStringLiteral("至多小数位："), m_pMore, numbers), 1, 3);
  grid->addWidget(m_pMore, 1, 4);
  grid->addWidget(KvNewBuddyLabel(QStringLiteral("放缩因子："), m_pScale, numbers), 2, 0);
  grid->addWidget(m_pScale, 2, 1);
  grid->addWidget(KvNewBuddyLabel(QStringLiteral("合计栏："), m_pTotal, numbers), 2, 3);
  grid->addWidget(m_pTotal, 2, 4);
  grid->setColumnMinimumWidth(2, 16);
  grid->setColumnStretch(2, 1);

  auto* checks = new QHBoxLayout;
  checks->addWidget(m_pWrap);
  checks->addSpacing(24);
  checks->addWidget(m_pSimplified);
  checks->addStretch();

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(groups);
  layout->addWidget(numbers);
  layout->addLayout(checks);
  KvAddOkCancelRow(this, layout);

  m_pScale->addItems(CKvPublicPage2::ScaleNames());
  m_pTotal->addItems({QStringLiteral("不需要"), QStringLiteral("垂直求和产生"),
                      QStringLiteral("水平运算产生")});

  connect(m_pNumber, &QRadioButton::clicked, this, [this] { numberChosen(); });
  connect(m_pText, &QRadioButton::clicked, this, [this] { m_bNumberChosen = false; });
  connect(m_pLess, &KvUpDownEdit::editingFinished, this, [this] { lessLeft(); });
  connect(m_pMore, &KvUpDownEdit::editingFinished, this, [this] { moreLeft(); });
  connect(editFormulaButton, &QPushButton::clicked, this, [this] { editFormula(); });
  loadControls();
}

void CKvColumnDlg::loadControls() {
  const QList<KvFormula>& formulas = m_pEntry->formulas;
  KvFormula column;
  KvColumnDef def;
  if (m_bNew) {
    def.sType = QStringLiteral("NUMBER");
    def.sAlign = QStringLiteral("RIGHT");
    def.d4 = 1;
    column.Set(100, 10 * 100 + 10, 2, 2, QString());
  } else {
    column = formulas.value(m_nIndex);
    KvParseColumnDef(column, def);
  }
  m_bFixed = !m_bNew && def.d4 == 0;

  m_pPosition->SetRange(1, int(formulas.size()) + (m_bNew ? 1 : 0));
  m_pPosition->SetPos(m_nIndex + 1);

  // A bound column may not grow wider than the module made it.
  int mostDisplay = kMostWidth;
  int mostEdit = kMostWidth;
  if (!m_bNew && column.Link() != 0) {
    KvFormEntry defaults;
    m_pPage->Document()->BuildColumns(defaults);
    if (m_nIndex < defaults.formulas.size()) {
      mostDisplay = defaults.formulas.at(m_nIndex).DisplayWidth();
      mostEdit = defaults.formulas.at(m_nIndex).EditWidth();
    }
  }
  m_pDisplayWidth->SetRange(1, mostDisplay);
  m_pEditWidth->SetRange(1, mostEdit);
  m_pLess->SetRange(0, kMostDecimals);
  m_pMore->SetRange(0, kMostDecimals);

  m_pName->setText(def.sTitle);
  m_pFormula->setText(def.sFormula);
  m_pDisplayWidth->SetPos(column.DisplayWidth());
  m_pEditWidth->SetPos(column.EditWidth());
  m_pLess->SetPos(column.nLess);
  m_pMore->SetPos(column.nMore);

  if (m_bFixed) {
    m_pKind->addItem(CKvPublicPage2::KindName(0));
    m_pKind->setCurrentIndex(0);
  } else {
    m_pKind->addItems({CKvPublicPage2::KindName(1), CKvPublicPage2::KindName(2)});
    m_pKind->setCurrentIndex(m_bNew || def.d4 != 2 ? 0 : 1);
  }
  m_pFormula->setEnabled(!m_bFixed);
  m_pKind->setEnabled(!m_bFixed);
  m_pNumber->setEnabled(!m_bFixed);
  m_pText->setEnabled(!m_bFixed);
  KvDlgItem(this, IDC_EDIT_FORMULA)->setEnabled(!m_bFixed);

  m_pScale->setCurrentIndex(std::clamp(def.nScale, -6, 6) + 6);
  m_pTotal->setCurrentIndex(std::clamp(def.d3, 0, 2));
  m_bNumberChosen = def.IsNumber();
  (m_bNumberChosen ? m_pNumber : m_pText)->setChecked(true);
  if (def.sAlign == u"LEFT")
    m_pLeft->setChecked(true);
  else if (def.sAlign == u"RIGHT")
    m_pRight->setChecked(true);
  else
    m_pMid->setChecked(true);
  m_pWrap->setChecked(def.d2 != 0);
  m_pSimplified->setChecked(def.d1 != 0);
}

void CKvColumnDlg::OnInitDialog() {
  CKvAppDlg::OnInitDialog();
  // The dialog opens in the bottom-right corner of the main window, where
  // it hides least of the form.
  if (const CMdiClient* client = KvGetMdiClient()) {
    const QRect main = client->window()->frameGeometry();
    QRect frame = frameGeometry();
    frame.moveBottomRight(main.bottomRight());
    move(frame.topLeft());
  }
}

void CKvColumnDlg::numberChosen() {
  if (!m_bNumberChosen)
    m_pTotal->setCurrentIndex(0);
  m_bNumberChosen = true;
}

void CKvColumnDlg::lessLeft() {
  bool ok = false;
  const int less = m_pLess->Pos(&ok);
  if (!ok || less < 0 || less > kMostDecimals)
    return;
  m_pMore->SetRange(less, kMostDecimals);
  bool moreOk = false;
  if (m_pMore->Pos(&moreOk) < less && moreOk)
    m_pMore->SetPos(less);
}

void CKvColumnDlg::moreLeft() {
  bool ok = false;
  const int more = m_pMore->Pos(&ok);
  if (!ok || more < 0 || more > kMostDecimals)
    return;
  m_pLess->SetRange(0, more);
}

void CKvColumnDlg::editFormula() {
  QString formula = m_pFormula->text();
  if (!m_pPage->Document()->EditFormula(formula))
    return;
  m_pFormula->setText(formula);
  m_pFormula->setFocus();
}

bool CKvColumnDlg::SaveData() {
  const QString name = m_pName->text().trimmed();
  if (name.isEmpty())
    return KvRefuseField(QStringLiteral("栏名不能为空，重输！"), m_pName);
  if (!m_pPosition->InRange())
    return KvRefuseField(QStringLiteral("栏顺序号超界！"), m_pPosition);
  if (!m_pDisplayWidth->InRange())
    return KvRefuseField(QStringLiteral("显示宽度超界！"), m_pDisplayWidth);
  if (!m_pEditWidth->InRange())
    return KvRefuseField(QStringLiteral("编辑宽度超界！"), m_pEditWidth);
  if (!m_pLess->InRange())
    return KvRefuseField(QStringLiteral("至少保留小数位数不合适！"), m_pLess);
  if (!m_pMore->InRange())
    return KvRefuseField(QStringLiteral("最多保留小数位数不合适！"), m_pMore);
  if (m_pLess->Pos() > m_pMore->Pos())
    return KvRefuseField(QStringLiteral("最多保留小数位数不合适！"), m_pMore);
  if (m_pKind->currentIndex() < 0)
    return KvRefuseField(QStringLiteral("未选择栏类型！"), m_pKind);
  if (m_pScale->currentIndex() < 0)
    return KvRefuseField(QStringLiteral("未选择放缩因子！"), m_pScale);

  KvFormula column = m_bNew ? KvFormula() : m_pEntry->formulas.value(m_nIndex);
  KvColumnDef def;
  if (!m_bNew)
    KvParseColumnDef(column, def);
  column.nFact = m_pDisplayWidth->Pos() * 100 + m_pEditWidth->Pos();
  column.nLess = m_pLess->Pos();
  column.nMore = m_pMore->Pos();
  def.sTitle = name;
  def.d3 = m_pTotal->currentIndex();
  if (m_bNew || def.d4 != 0) {
    def.d4 = m_pKind->currentIndex() + 1;
    def.sType = m_pText->isChecked() ? QStringLiteral("MDBSTRING") : QStringLiteral("NUMBER");
    def.sFormula = m_pFormula->text();
  }
  // Only a computed column can be summed horizontally.
  if (def.d3 < 0)
    def.d3 = 0;
  if (def.d3 == 2 && def.d4 < 2)
    def.d3 = 1;
  def.sAlign = m_pLeft->isChecked()    ? QStringLiteral("LEFT")
               : m_pRight->isChecked() ? QStringLiteral("RIGHT")
                                       : QStringLiteral("MID");
  def.nScale = m_pScale->currentIndex() - 6;
  def.d2 = m_pWrap->isChecked() ? 1 : 0;
  def.d1 = m_pSimplified->isChecked() ? 1 : 0;
  if (KvTextWidth(KvWriteColumnDef(def)) > kDefinitionWidth)
    return KvRefuseField(QStringLiteral("公式长度超界！"), m_pFormula);

  QList<KvFormula>& formulas = m_pEntry->formulas;
  int index = std::clamp(m_nIndex, 0, int(formulas.size()));
  if (m_bNew) {
    column.nType = 100;
    KvWriteColumnDef(column, def);
    formulas.insert(index, column);
  } else {
    KvWriteColumnDef(column, def);
    formulas[index] = column;
  }
  const int target = std::clamp(m_pPosition->Pos() - 1, 0, int(formulas.size()) - 1);
  formulas.move(index, target);
  m_nResult = target;
  return true;
}
