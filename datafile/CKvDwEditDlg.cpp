#include "datafile/CKvDwEditDlg.h"

#include "app/CKvOperation.h"
#include "core/CKvDb.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "core/KvNumber.h"
#include "ui/CKvEdit.h"
#include "ui/KvAppServices.h"
#include "ui/KvObjectNames.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr unsigned kTemplate = 791;
constexpr unsigned kIcon = 128;
constexpr int kSegmentMax = 4;

// Field index, control id, label, input type, length (0: the segment).
struct FieldDef {
  int field;
  int id;
  const char* label;
  const char* type;
  int length;
};
const FieldDef kFields[] = {
    {1, 1003, "&Q.名称：", "MDBSTRING", 60},   {2, 1004, "&J.简称：", "MDBSTRING", 20},
    {3, 1007, "&F.负责人：", "MDBSTRING", 12}, {4, 1008, "&Z.主管：", "MDBSTRING", 12},
    {5, 1009, "&T.电话：", "MDBSTRING", 25},   {6, 1010, "&A.地址：", "MDBSTRING", 255},
    {7, 1006, "&C.操作员：", "STRING 0123456789;", 1000}, {8, 1011, "&N.备注：", "MDBSTRING", 255},
};

// The segment's value; 0 for an empty or non-numeric one.
int segmentValue(const QString& segment) { return segment.toInt(); }
}  // namespace

CKvDwEditDlg::CKvDwEditDlg(const QString& code, bool bNew, CKvDb* db, QWidget* parent)
    : CKvAppDlg(kTemplate, db, parent, kIcon), m_strCode(code), m_bNew(bNew) {
  auto* grid = new QGridLayout;
  m_pParentCode = KvSetControlId(new QLabel(this), 1001);
  m_edits[0] = KvSetControlId(new CKvEdit(this), 1002);
  auto* codeRow = new QHBoxLayout;
  codeRow->setSpacing(0);
  codeRow->addWidget(m_pParentCode);
  codeRow->addWidget(m_edits[0], 1);
  auto* codeLabel = new QLabel(QStringLiteral("&D.代码："), this);
  codeLabel->setBuddy(m_edits[0]);
  grid->addWidget(codeLabel, 0, 0);
  grid->addLayout(codeRow, 0, 1);
  int row = 1;
  for (const FieldDef& def : kFields) {
    auto* edit = KvSetControlId(new CKvEdit(this), def.id);
    edit->SetInputType(QString::fromUtf8(def.type), def.length, -1);
    m_edits[def.field] = edit;
    auto* label = new QLabel(QString::fromUtf8(def.label), this);
    label->setBuddy(edit);
    grid->addWidget(label, row, 0);
    grid->addWidget(edit, row++, 1);
  }
  m_edits[1]->setMinimumWidth(320);
  grid->setColumnStretch(1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(KvSetControlId(new QPushButton(QStringLiteral("&S.确定"), this), KV_IDOK));
  buttons->addWidget(KvSetControlId(new QPushButton(QStringLiteral("&X.取消"), this), KV_IDCANCEL));
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(buttons);
}

bool CKvDwEditDlg::Prepare() {
  CKvDwRec probe;
  if (m_bNew) {
    m_parent.Clear();
    if (!m_strCode.isEmpty())
      m_parent.KvFindDw(m_strCode, 0);
    m_nWidth = qMin(kSegmentMax, CKvDwRec::kCodeWidth - int(m_strCode.size()));
  } else {
    m_parent.KvFindDwEx(m_strCode);
    const int longest = probe.KvMaxDwFieldLen(m_parent.KNO, 0);
    m_nWidth = qMin(kSegmentMax, CKvDwRec::kCodeWidth + int(m_strCode.size()) - int(m_parent.KNO.size()) - longest);
  }
  if (m_nWidth <= 0) {
    KvMessageBox(QStringLiteral("代码长度不够！"), KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  m_edits[0]->SetInputType(QStringLiteral("STRING DIGIT"), m_nWidth, -1);
  const QString parentCode = m_bNew ? m_strCode : m_parent.KNO;
  if (m_bNew) {
    const QString last = probe.KvLastChildDw(parentCode);
    const QString segment = last.mid(parentCode.size());
    // One more than the last child, as wide as its segment or wider (the
    // level's width then grows when the unit is added).
    m_rec.KNO = segment.isEmpty() ? QStringLiteral("01")
                                  : QString::number(segmentValue(segment) + 1)
                                        .rightJustified(segment.size(), QLatin1Char('0'));
  } else {
    // The unit as stored now, which the save must find unchanged.
    if (m_rec.KvLoadDw(m_strCode, Db()) != 1) {
      KvMessageBox(QStringLiteral("%1：已不存在，请刷新后再修改！").arg(m_strCode), KV_MB_OK | KV_MB_ICONSTOP);
      return false;
    }
    m_loaded = m_rec;
    m_rec.KNO = m_strCode.mid(parentCode.size());
  }
  m_pParentCode->setText(parentCode);
  setWindowTitle((m_bNew ? QStringLiteral("新增") : QStringLiteral("修改")) + KvAppServiceDwCaption());
  if (!m_bNew && probe.KvFindDw(m_strCode, 3) > 0) {
    m_rec.Operators.clear();
    m_edits[7]->setEnabled(false);
  }
  DoDataExchange(false);
  return true;
}

void CKvDwEditDlg::TakeValues(const CKvDwRec& rec) {
  for (int i = 1; i < CKvDwRec::kFieldCount; ++i)
    m_rec.SetField(i, rec.Field(i));
  DoDataExchange(false);
  // The name taken over is selected, so that what is typed or pasted
  // replaces it rather than being added to it.
  m_edits[1]->selectAll();
  m_edits[1]->setFocus();
}

bool CKvDwEditDlg::DoDataExchange(bool bSave) {
  for (int i = 0; i < CKvDwRec::kFieldCount; ++i) {
    if (bSave)
      m_rec.SetField(i, m_edits[i]->text());
    else
      m_edits[i]->setText(m_rec.Field(i));
  }
  return true;
}

bool CKvDwEditDlg::Refuse(const QString& message, int id) {
  KvMessageBox(message, KV_MB_OK | KV_MB_ICONSTOP);
  if (QWidget* control = KvDlgItem(this, id))
    control->setFocus();
  return false;
}

bool CKvDwEditDlg::SaveData() {
  const QString segment = m_rec.KNO;
  if (segmentValue(segment) <= 0)
    return Refuse(QStringLiteral("代码值不能小于0！"), 1002);
  const QString parentCode = m_pParentCode->text();
  CKvDwRec rec = m_rec;
  rec.KNO = parentCode + segment;
  if (rec.NA.isEmpty())
    return Refuse(QStringLiteral("名称不能为空！"), 1003);
  for (const CKvDwRec& other : KvGetDwArray()) {
    if (!m_bNew && other.KNO == m_loaded.KNO)
      continue;
    if (other.NA != rec.NA && other.JA != rec.JA)
      continue;
    if (KvMessageBox(KvFormat("与代码为：%s的单位同名，还要继续吗？", other.KNO),
                     KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION) != KV_IDYES) {
      m_edits[1]->setFocus();
      return false;
    }
  }
  if (rec.JA.isEmpty())
    return Refuse(QStringLiteral("简称不能为空！"), 1004);
  CKvDb* db = Db();
  if (!db || !db->ReopenMdbExclusive(true))
    return false;
  const bool saved = m_bNew ? rec.KvAddDw(db) : rec.KvModifyDw(m_loaded.KNO, db, &m_loaded);
  db->ReopenMdbExclusive(false);
  if (!saved)
    return false;
  m_rec = rec;
  CKvOperation(27, m_bNew ? KvFormat("增加：%s", rec.KNO) : KvFormat("修改：%s->%s", m_loaded.KNO, rec.KNO));
  return true;
}
