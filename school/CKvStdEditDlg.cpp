#include "school/CKvStdEditDlg.h"

#include "app/CKvOperation.h"
#include "core/CKvDb.h"
#include "core/KvDate.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "core/KvNumber.h"
#include "core/KvWidth.h"
#include "school/CKvStdDirDlg.h"
#include "school/CXxDataType.h"
#include "ui/CKvEdit.h"
#include "ui/KvObjectNames.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QString editText(const QWidget* dialog, int id) { return KvDlgItem<CKvEdit>(dialog, id)->text(); }
}  // namespace

CKvStdEditDlg::CKvStdEditDlg(int form, CKvDb* db, const QString& parentCode, const QString& code, bool isNew,
                             QWidget* parent)
    : CKvAppDlg(unsigned(form), db, parent),
      m_nForm(form),
      m_pDb(Db()),
      m_strParent(parentCode),
      m_strOpenCode(code),
      m_nLevel(CXxDataType::LevelOfCode(parentCode)),
      m_bNew(isNew) {
  m_nSegmentLength = m_nLevel < CXxDataType::LevelCount() ? CXxDataType::CodeLenRef(m_nLevel) : 0;
  m_row.m_pDb = m_pDb;
  setWindowTitle((isNew ? QStringLiteral("新增") : QStringLiteral("修改")) + CKvStdDirDlg::KindWord(m_nLevel));
  buildCommon();
  if (form == IDD_GRADE)
    buildGrade();
  else if (form == IDD_STUDENT)
    buildStudent();
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  auto* ok = KvSetControlId(new QPushButton(QStringLiteral("&S.确认"), this), KV_IDOK);
  ok->setDefault(true);
  buttons->addWidget(ok);
  buttons->addWidget(KvSetControlId(new QPushButton(QStringLiteral("&X.取消"), this), KV_IDCANCEL));
  static_cast<QVBoxLayout*>(layout())->addLayout(buttons);
}

CKvEdit* CKvStdEditDlg::addEdit(int id, const QString& inputType, int limit) {
  auto* edit = KvSetControlId(new CKvEdit(this), id);
  edit->SetInputType(inputType, limit);
  return edit;
}

void CKvStdEditDlg::buildCommon() {
  const bool student = m_nForm == IDD_STUDENT;
  auto* parentEdit = addEdit(IDC_PARENT, QStringLiteral("STRING"), 15);
  parentEdit->setReadOnly(true);
  parentEdit->setFocusPolicy(Qt::NoFocus);
  parentEdit->setFixedWidth(120);
  addEdit(IDC_SEGMENT, QStringLiteral("STRING DIGIT"), m_nSegmentLength);
  addEdit(IDC_NAME, QStringLiteral("MDBSTRING"), 40);
  addEdit(IDC_MANAGER, QStringLiteral("MDBSTRING"), 20);
  addEdit(IDC_TEL, QStringLiteral("MDBSTRING"), 25);
  addEdit(IDC_NOTE, QStringLiteral("MDBSTRING"), 60);

  auto* grid = new QGridLayout;
  grid->setObjectName(QStringLiteral("fields"));
  auto* code = new QHBoxLayout;
  code->addWidget(parentEdit);
  code->addWidget(KvDlgItem<QWidget>(this, IDC_SEGMENT), 1);
  grid->addWidget(new QLabel(QStringLiteral("代  码："), this), 0, 0);
  grid->addLayout(code, 0, 1);
  const struct {
    int id;
    const char* label;
  } rows[] = {{IDC_NAME, student ? "姓  名：" : "名  称："},
              {IDC_MANAGER, student ? "曾用名：" : "负责人："},
              {IDC_TEL, "电  话："},
              {IDC_NOTE, "备  注："}};
  int row = 1;
  for (const auto& field : rows) {
    grid->addWidget(new QLabel(QString::fromUtf8(field.label), this), row, 0);
    grid->addWidget(KvDlgItem<QWidget>(this, field.id), row, 1);
    ++row;
  }
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  if (!student)
    KvDlgItem<QWidget>(this, IDC_NAME)->setMinimumWidth(260);
}

void CKvStdEditDlg::buildGrade() {
  auto* terms = addEdit(IDC_TERMS, QStringLiteral("STRING DIGIT"), 2);
  terms->setFixedWidth(48);
  auto* kind = KvSetControlId(new QComboBox(this), IDC_TERM_KIND);
  kind->addItems({QStringLiteral("0 秋春学期"), QStringLiteral("1 春秋学期"), QStringLiteral("9 临时学期")});
  auto* start = addEdit(IDC_START, QStringLiteral("STRING DIGIT"), 8);
  auto* end = addEdit(IDC_END, QStringLiteral("STRING DIGIT"), 8);

  auto* group = new QGroupBox(QStringLiteral("学  期"), this);
  auto* grid = new QGridLayout(group);
  auto* count = new QHBoxLayout;
  count->addWidget(terms);
  count->addWidget(new QLabel(QStringLiteral("期"), group));
  count->addSpacing(16);
  count->addWidget(new QLabel(QStringLiteral("类型："), group));
  count->addWidget(kind, 1);
  grid->addWidget(new QLabel(QStringLiteral("期数："), group), 0, 0);
  grid->addLayout(count, 0, 1);
  auto* dates = new QHBoxLayout;
  dates->addWidget(start, 1);
  dates->addWidget(new QLabel(QStringLiteral("～"), group));
  dates->addWidget(end, 1);
  grid->addWidget(new QLabel(QStringLiteral("起止时间(yyyymmdd)："), group), 1, 0);
  grid->addLayout(dates, 1, 1);
  static_cast<QVBoxLayout*>(layout())->addWidget(group);
}

// --- Opening ---

void CKvStdEditDlg::OnInitDialog() {
  CKvAppDlg::OnInitDialog();
  QString code = m_strOpenCode;
  if (!m_bNew) {
    if ((m_nLoaded == 0 && !Load()) || m_nLoaded < 0) {
      done(Rejected);
      return;
    }
  } else {
    if (m_nForm == IDD_GRADE) {
      // A grade is named by the year it starts.
      code = m_strParent + KvNowText(QStringLiteral("%Y")).right(m_nSegmentLength);
    } else if (QString full; (code = CStd(m_pDb, m_strParent).NextChildCode(&full)).isEmpty() && !full.isEmpty()) {
      // Past the level's last code the segment stays empty for the operator to type a free one.
      KvMessageBox(full, KV_MB_OK | KV_MB_ICONSTOP);
    }
    m_row.SetDefaults(m_nLevel + 1 == CXxDataType::LevelCount());
    m_row.KNO = code;
  }
  showRow();
  if (m_nForm == IDD_GRADE) {
    auto* kind = KvDlgItem<QComboBox>(this, IDC_TERM_KIND);
    kind->setCurrentIndex(-1);
    for (int i = 0; i < kind->count(); ++i)
      if (kind->itemText(i).startsWith(QString::number(m_row.XQL)))
        kind->setCurrentIndex(i);
    // The classes of a grade run its course of terms.
    if (m_bHasClasses)
      KvDlgItem<QWidget>(this, IDC_TERMS)->setEnabled(false);
  } else if (m_nForm == IDD_STUDENT) {
    showStudent();
  }
  KvDlgItem<QWidget>(this, IDC_SEGMENT)->setFocus();
}

bool CKvStdEditDlg::Load() {
  if (m_bNew)
    return true;
  m_nLoaded = -1;
  m_row.KNO = m_strOpenCode;
  const int found = m_row.Load(0, -1);
  if (found < 0)
    return false;
  if (found == 0) {
    // Another window or station removed the node: no blank form to type into.
    m_bGone = true;
    KvMessageBox(KvFormat(QStringLiteral("“%s”已不存在，不能修改！"), m_strOpenCode), KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  if (m_nForm == IDD_GRADE) {
    const int classes = CStd(m_pDb, m_strOpenCode).Count(2, -1);
    if (classes < 0)
      return false;
    m_bHasClasses = classes > 0;
  } else if (m_nForm == IDD_STUDENT) {
    for (int side = 0; side < 2; ++side) {
      m_otherTerms[side].clear();
      if (m_row.LB[side] != 1 || m_row.DM[side].isEmpty())
        continue;
      CStd other(m_pDb, m_row.DM[side]);
      const int found = other.Load(0, -1);
      if (found < 0)
        return false;
      if (found > 0)
        m_otherTerms[side] = QString::number(other.QC[1 - side] + 1);
    }
  }
  m_nLoaded = 1;
  return true;
}

void CKvStdEditDlg::showRow() {
  KvDlgItem<CKvEdit>(this, IDC_PARENT)->setText(m_strParent);
  KvDlgItem<CKvEdit>(this, IDC_SEGMENT)->setText(m_row.KNO.mid(m_strParent.size()));
  KvDlgItem<CKvEdit>(this, IDC_NAME)->setText(m_row.NA);
  KvDlgItem<CKvEdit>(this, IDC_MANAGER)->setText(m_row.MRG);
  KvDlgItem<CKvEdit>(this, IDC_TEL)->setText(m_row.TEL);
  KvDlgItem<CKvEdit>(this, IDC_NOTE)->setText(m_row.NT);
  if (m_nForm == IDD_GRADE) {
    KvDlgItem<CKvEdit>(this, IDC_TERMS)->setText(QString::number(m_row.XQN));
    KvDlgItem<CKvEdit>(this, IDC_START)->setText(m_row.XQT[0]);
    KvDlgItem<CKvEdit>(this, IDC_END)->setText(m_row.XQT[1]);
  }
}

// --- Saving ---

bool CKvStdEditDlg::refuse(const QString& message, int focusId) {
  KvMessageBox(message, KV_MB_OK | KV_MB_ICONSTOP);
  if (QWidget* control = KvDlgItem<QWidget>(this, focusId))
    control->setFocus();
  return false;
}

int CKvStdEditDlg::gradeTerms(const QString& code) const {
  CStd grade(m_pDb, code.left(CXxDataType::GradeCodeLen()));
  const int found = grade.Load(0, -1);
  if (found < 0)
    return -1;
  return found == 0 ? 0 : grade.XQN;
}

bool CKvStdEditDlg::SaveData() {
  if (!m_bNew && m_nLoaded <= 0)
    return false;
  const int changed = CXxDataType::CheckParamChange(true, m_pDb);
  if (changed != 0) {
    // The program is ending (or the parameters cannot be read): nothing is
    // written, and the directory must not open the next form.
    if (changed > 0)
      reject();
    return false;
  }
  bool isNumber = false;
  const qlonglong number = editText(this, IDC_SEGMENT).trimmed().toLongLong(&isNumber);
  const QString segment = QString::number(number).rightJustified(m_nSegmentLength, u'0');
  if (!isNumber || number < 1 || m_nSegmentLength <= 0 || segment.size() != m_nSegmentLength)
    return refuse(QStringLiteral("代码不合适!"), IDC_SEGMENT);

  CStd row = m_row;
  row.m_pDb = m_pDb;
  row.NA = editText(this, IDC_NAME);
  if (row.NA.trimmed().isEmpty())
    return refuse(QStringLiteral("名称不能为空，请重输!"), IDC_NAME);
  row.MRG = editText(this, IDC_MANAGER);
  row.TEL = editText(this, IDC_TEL);
  row.NT = editText(this, IDC_NOTE);
  if (m_nForm == IDD_GRADE && !checkGrade(&row))
    return false;
  if (m_nForm == IDD_STUDENT && !checkStudent(&row))
    return false;
  // Texts longer than their columns are cut, never inside a character.
  const QList<CKvFieldDesc> fields = CStd::GetFieldDefs();
  const auto fit = [&fields](QString* text, int field) { *text = KvLeftByWidth(*text, fields.at(field).nMaxLen); };
  fit(&row.NA, 1);
  fit(&row.MRG, 2);
  fit(&row.TEL, 3);
  fit(&row.HM, 9);
  fit(&row.PID, 11);
  fit(&row.NTN, 12);
  fit(&row.FGF, 13);
  fit(&row.FCH, 14);
  fit(&row.ADR, 15);
  fit(&row.NT, 22);
  row.KNO = m_strParent + segment;
  if (!row.Validate(true)) {
    // The record's check has shown why: the first field it cannot take
    // gets the focus.
    for (CKvEdit* edit : findChildren<CKvEdit*>())
      if (edit->isEnabled() && !edit->Accepts(edit->text())) {
        edit->setFocus();
        break;
      }
    return false;
  }

  // A save that found the tree's parameters changed under its lock has
  // closed the connection, as the check above does: the form goes.
  const auto failed = [this](int focus) {
    if (m_pDb->IsOpen())
      KvDlgItem<QWidget>(this, focus)->setFocus();
    else
      reject();
    return false;
  };
  if (m_bNew) {
    if (!row.Insert(true))
      return failed(IDC_SEGMENT);
  } else {
    // The row read at opening: the save is refused when the stored row is
    // no longer that row.
    bool termRefused = false;
    const bool saved = m_nForm == IDD_STUDENT
                           ? row.ModifyWithTransfer(m_row, KvStrToInt(editText(this, IDC_NEW_TERM)), true,
                                                    &termRefused)
                           : row.Modify(m_row, true);
    if (!saved)
      return failed(m_nForm != IDD_STUDENT || m_row.DM[1] == row.DM[1] ? IDC_SEGMENT
                    : termRefused                                    ? IDC_NEW_TERM
                                                                     : IDC_NEW_CODE);
  }
  const QString note = m_bNew ? KvFormat(QStringLiteral("新增：%s - %s"), row.KNO, row.NA)
                              : KvFormat(QStringLiteral("修改：%s(%s) --> %s(%s)"), m_row.KNO, m_row.NA,
                                         row.KNO, row.NA);
  CKvOperation::WriteLog(CKvStdDirDlg::kLogCode, note);
  m_strParent = row.KNO;
  return true;
}

bool CKvStdEditDlg::checkGrade(CStd* row) {
  const auto* kind = KvDlgItem<QComboBox>(this, IDC_TERM_KIND);
  if (kind->currentIndex() < 0)
    return refuse(QStringLiteral("未选择学期类别!"), IDC_TERM_KIND);
  row->XQL = KvStrToInt(kind->currentText().section(u' ', 0, 0));
  row->XQN = KvStrToInt(editText(this, IDC_TERMS));
  if (row->XQN < 1 || row->XQN > 99)
    return refuse(QStringLiteral("学期数超界!"), IDC_TERMS);
  row->XQT[0] = editText(this, IDC_START);
  row->XQT[1] = editText(this, IDC_END);
  QString message;
  const int side = row->CheckTerms(&message);
  if (side >= 0)
    return refuse(message, side == 0 ? IDC_START : IDC_END);
  if (!m_bNew && row->XQN != m_row.XQN) {
    const int classes = CStd(m_pDb, m_strOpenCode).Count(2, -1);
    if (classes != 0)
      return classes < 0 ? false : refuse(QStringLiteral("它下面已有班级，不能修改学期数！"), IDC_TERMS);
  }
  return true;
}
