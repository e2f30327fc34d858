#include "forms/CKvPublicPage1.h"

#include "forms/CKvDoc.h"
#include "forms/KvFormEntry.h"
#include "forms/KvSheetControls.h"
#include "ui/CKvEdit.h"
#include "ui/KvObjectNames.h"
#include "ui/KvUpDownEdit.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

namespace {
// The title may hold none of the characters the stored layout and its
// column definitions use as separators or quotes.
const QString kTitleType = QStringLiteral("STRING NOT |[]'/\"\\");
// The store keeps the title with a ticked print option's digit and a TAB
// in front: the box takes what is then stored whole.
constexpr int kTitleWidth = KvFormEntry::kTitleWidth - 2;
constexpr int kFormDigits = 9;
}  // namespace

CKvPublicPage1::CKvPublicPage1(CKvDoc* pDoc, KvFormEntry* pEntry, QWidget* parent)
    : CKvPublicPage(852, pDoc, pEntry, parent),
      m_pTitle(KvSetControlId(new CKvEdit(this), IDC_TITLE)),
      m_pFlag(KvSetControlId(new QLabel(this), IDC_FLAG)),
      m_pForm(KvSetControlId(new CKvEdit(this), IDC_FORM)),
      m_pTopNum(KvSetControlId(new KvUpDownEdit(this), IDC_TOPNUM)),
      m_pPageSum(KvSetControlId(new QCheckBox(QStringLiteral("打印输出时单页求和"), this), IDC_PAGE_SUM)),
      m_pOverlayTitle(KvSetControlId(new QCheckBox(QStringLiteral("套打文档标题"), this), IDC_OVERLAY_TITLE)) {
  m_pTitle->SetInputType(kTitleType, kTitleWidth);
  m_pForm->SetInputType(QStringLiteral("STRING DIGIT"), kFormDigits);
  m_pFlag->setFrameShape(QFrame::StyledPanel);
  m_pFlag->setFrameShadow(QFrame::Sunken);
  m_pFlag->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  m_pForm->setAlignment(Qt::AlignRight);
  for (QWidget* field : {static_cast<QWidget*>(m_pFlag), static_cast<QWidget*>(m_pForm),
                         static_cast<QWidget*>(m_pTopNum)})
    field->setFixedWidth(120);

  SetHelp(m_pTitle, QStringLiteral("文档的标题，显示和打印在表格的上方。"
                                   "不能含有 | [ ] ' / \" \\ 这七个字符。"));
  SetHelp(m_pFlag, QStringLiteral("文档模板号，由系统确定，不能修改。"));
  SetHelp(m_pForm, QStringLiteral("文档模板的序号。只有用户增加的文档模板才能修改序号，"
                                  "新序号不能与已有的文档模板重复。"));
  SetHelp(m_pTopNum, QStringLiteral("栏头所占的行数（1至10）；"
                                    "不能少于栏头单元块已用到的行数。"));
  SetHelp(m_pPageSum, QStringLiteral("选中后，打印输出时在每页末尾打印本页的合计。"));
  SetHelp(m_pOverlayTitle, QStringLiteral("选中后，套打时也打印文档的标题。"));

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(10);
  grid->setVerticalSpacing(10);
  const auto label = [this](const QString& text, QWidget* buddy) {
    return KvNewBuddyLabel(text, buddy, this);
  };
  grid->addWidget(label(QStringLiteral("标题名称："), m_pTitle), 0, 0);
  grid->addWidget(m_pTitle, 0, 1, 1, 2);
  grid->addWidget(label(QStringLiteral("模 板 号："), m_pFlag), 1, 0);
  grid->addWidget(m_pFlag, 1, 1);
  grid->addWidget(label(QStringLiteral("序    号："), m_pForm), 2, 0);
  grid->addWidget(m_pForm, 2, 1);
  grid->addWidget(label(QStringLiteral("栏头行数："), m_pTopNum), 3, 0);
  grid->addWidget(m_pTopNum, 3, 1);
  grid->setColumnStretch(2, 1);

  auto* options = new QGroupBox(QStringLiteral("打印选项"), this);
  auto* optionLayout = new QVBoxLayout(options);
  optionLayout->addWidget(m_pPageSum);
  optionLayout->addWidget(m_pOverlayTitle);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(16, 16, 16, 16);
  layout->addLayout(grid);
  layout->addSpacing(8);
  layout->addWidget(options);
  layout->addStretch();

  connect(m_pPageSum, &QCheckBox::clicked, this, [this] { optionClicked(); });
  connect(m_pOverlayTitle, &QCheckBox::clicked, this, [this] { optionClicked(); });
}

QString CKvPublicPage1::Caption() const { return QStringLiteral("综合设置"); }

void CKvPublicPage1::LoadControls() {
  const KvFormEntry& entry = Entry();
  m_pTitle->setText(entry.sFna);
  m_pFlag->setText(QString::number(entry.nFlag));
  m_pForm->setText(QString::number(entry.nForm));
  m_pTopNum->SetRange(kKvHeadRows.low, kKvHeadRows.high);
  m_pTopNum->SetPos(entry.nTopNum);
  // Built-in document types keep their sequence number.
  m_pForm->setEnabled(Document()->m_entry.bStored != 0);
  m_pPageSum->setChecked(entry.nOption & 1);
  m_pOverlayTitle->setChecked(entry.nOption & 2);
}

void CKvPublicPage1::OnSetActive() {
  // The head cannot lose rows that column-head blocks use.
  int lowest = kKvHeadRows.low;
  for (const KvTopWord& word : Entry().topWords)
    lowest = std::max({lowest, word.nRow1, word.nRow2});
  m_pTopNum->SetRange(lowest, kKvHeadRows.high);
  m_pTopNum->SetPos(Entry().nTopNum);
}

void CKvPublicPage1::OnKillActive() {
  KvFormEntry& entry = Entry();
  entry.sFna = m_pTitle->text();
  bool isNumber = false;
  const int form = m_pForm->text().trimmed().toInt(&isNumber);
  if (isNumber)
    entry.nForm = form;
  if (m_pTopNum->InRange())
    entry.nTopNum = m_pTopNum->Pos();
}

void CKvPublicPage1::optionClicked() {
  Entry().nOption = (m_pPageSum->isChecked() ? 1 : 0) + (m_pOverlayTitle->isChecked() ? 2 : 0);
}
