// The student form of the node form: personal data, entry and exit with
// their terms, and the in-school transfer to another class.

#include "school/CKvStdEditDlg.h"

#include "core/KvFormat.h"
#include "core/KvNumber.h"
#include "school/CKvStdDirDlg.h"
#include "school/CXxDataType.h"
#include "ui/CKvEdit.h"
#include "ui/KvComboHelpers.h"
#include "ui/KvModal.h"
#include "ui/KvObjectNames.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// Per side (0 entry, 1 exit): kind combo, term, code, its "…" button, the
// other row's term, and the words of the messages.
struct Side {
  int kind;
  int term;
  int code;
  int pick;
  int otherTerm;
  const char* word;
  const char* codeWord;
};
constexpr Side kSides[2] = {
    {CKvStdEditDlg::IDC_ENTRY_KIND, CKvStdEditDlg::IDC_ENTRY_TERM, CKvStdEditDlg::IDC_OLD_CODE,
     CKvStdEditDlg::IDC_PICK_OLD, CKvStdEditDlg::IDC_OLD_TERM, "入学", "原"},
    {CKvStdEditDlg::IDC_EXIT_KIND, CKvStdEditDlg::IDC_EXIT_TERM, CKvStdEditDlg::IDC_NEW_CODE,
     CKvStdEditDlg::IDC_PICK_NEW, CKvStdEditDlg::IDC_NEW_TERM, "结业", "新"},
};

QString word(const char* text) { return QString::fromUtf8(text); }
}  // namespace

void CKvStdEditDlg::buildStudent() {
  auto* sex = KvSetControlId(new QComboBox(this), IDC_SEX);
  addEdit(IDC_ROOM, QStringLiteral("MDBSTRING"), 20);
  addEdit(IDC_BIRTH, QStringLiteral("STRING DIGIT"), 8);
  addEdit(IDC_ID_CARD, QStringLiteral("STRING"), 18);
  auto* nation = KvSetControlId(new QComboBox(this), IDC_NATION);
  addEdit(IDC_NATIVE, QStringLiteral("MDBSTRING"), 20);
  addEdit(IDC_FROM_SCHOOL, QStringLiteral("MDBSTRING"), 30);
  addEdit(IDC_ADDRESS, QStringLiteral("MDBSTRING"), 50);

  // The personal data beside the common fields.
  auto* grid = layout()->findChild<QGridLayout*>(QStringLiteral("fields"));
  auto* birth = new QHBoxLayout;
  birth->addWidget(KvDlgItem<QWidget>(this, IDC_BIRTH), 1);
  birth->addWidget(new QLabel(QStringLiteral("(yyyymmdd)"), this));
  const struct {
    const char* label;
    QWidget* control;
    QLayout* box;
  } right[] = {{"性  别：", sex, nullptr},
               {"民  族：", nation, nullptr},
               {"出生日：", nullptr, birth},
               {"身份证：", KvDlgItem<QWidget>(this, IDC_ID_CARD), nullptr}};
  int row = 0;
  for (const auto& field : right) {
    grid->addWidget(new QLabel(QString::fromUtf8(field.label), this), row, 2);
    if (field.control)
      grid->addWidget(field.control, row, 3);
    else
      grid->addLayout(field.box, row, 3);
    ++row;
  }
  row = 5;  // below the five rows of the common fields
  grid->setColumnMinimumWidth(1, 220);
  grid->setColumnMinimumWidth(3, 200);
  grid->setHorizontalSpacing(10);
  const struct {
    const char* label;
    int id;
  } wide[] = {{"籍  贯：", IDC_NATIVE}, {"来源学校：", IDC_FROM_SCHOOL}, {"家庭住址：", IDC_ADDRESS}};
  for (const auto& field : wide) {
    grid->addWidget(new QLabel(QString::fromUtf8(field.label), this), row, 0);
    grid->addWidget(KvDlgItem<QWidget>(this, field.id), row, 1, 1, 3);
    ++row;
  }
  // The dormitory takes the note's place; the note goes last, over the
  // whole width.
  QWidget* note = KvDlgItem<QWidget>(this, IDC_NOTE);
  QWidget* noteLabel = grid->itemAtPosition(4, 0)->widget();
  grid->removeWidget(note);
  grid->removeWidget(noteLabel);
  grid->addWidget(new QLabel(QStringLiteral("宿  舍："), this), 4, 0);
  grid->addWidget(KvDlgItem<QWidget>(this, IDC_ROOM), 4, 1);
  grid->addWidget(noteLabel, row, 0);
  grid->addWidget(note, row, 1, 1, 3);

  // Entry and exit.
  const QStringList kinds[2] = {{QStringLiteral("新生"), QStringLiteral("本校转入"), QStringLiteral("外校转入")},
                                {QStringLiteral("毕业"), QStringLiteral("本校转出"), QStringLiteral("外校转出")}};
  auto* sides = new QHBoxLayout;
  for (int side = 0; side < 2; ++side) {
    const Side& s = kSides[side];
    auto* kind = KvSetControlId(new QComboBox(this), s.kind);
    kind->addItems(kinds[side]);
    KvSetComboExtendedUi(kind);
    connect(kind, &QComboBox::activated, this, [this, side] { OnKindCloseUp(side); });
    auto* term = addEdit(s.term, QStringLiteral("STRING DIGIT"), 2);
    auto* code = addEdit(s.code, QStringLiteral("STRING DIGIT"), 15);
    auto* pick = KvSetControlId(new QPushButton(QStringLiteral("…"), this), s.pick);
    pick->setFixedWidth(28);
    code->setMinimumWidth(120);
    connect(pick, &QPushButton::clicked, this, [this, side] { OnPickCode(side); });
    auto* other = addEdit(s.otherTerm, QStringLiteral("STRING DIGIT"), 2);
    for (CKvEdit* edit : {term, other})
      edit->setFixedWidth(48);

    auto* group = new QGroupBox(word(s.word), this);
    auto* box = new QGridLayout(group);
    box->addWidget(new QLabel(QStringLiteral("类别："), group), 0, 0);
    box->addWidget(kind, 0, 1);
    box->addWidget(new QLabel(QStringLiteral("期次："), group), 0, 2);
    box->addWidget(term, 0, 3);
    box->addWidget(new QLabel(word(s.codeWord) + QStringLiteral("代码："), group), 1, 0);
    auto* codeRow = new QHBoxLayout;
    codeRow->addWidget(code, 1);
    codeRow->addWidget(pick);
    box->addLayout(codeRow, 1, 1);
    box->addWidget(new QLabel(word(s.codeWord) + QStringLiteral("期次："), group), 1, 2);
    box->addWidget(other, 1, 3);
    box->setColumnStretch(1, 1);
    sides->addWidget(group, 1);
  }
  static_cast<QVBoxLayout*>(layout())->addLayout(sides);
}

void CKvStdEditDlg::showStudent() {
  auto* sex = KvDlgItem<QComboBox>(this, IDC_SEX);
  KvFillSexCombo(sex);
  sex->setCurrentIndex(m_row.SEX);
  KvFillNationCombo(KvDlgItem<QComboBox>(this, IDC_NATION), m_row.NTN);
  KvDlgItem<CKvEdit>(this, IDC_ROOM)->setText(m_row.HM);
  KvDlgItem<CKvEdit>(this, IDC_BIRTH)->setText(m_row.BT);
  KvDlgItem<CKvEdit>(this, IDC_ID_CARD)->setText(m_row.PID);
  KvDlgItem<CKvEdit>(this, IDC_NATIVE)->setText(m_row.FGF);
  KvDlgItem<CKvEdit>(this, IDC_FROM_SCHOOL)->setText(m_row.FCH);
  KvDlgItem<CKvEdit>(this, IDC_ADDRESS)->setText(m_row.ADR);
  for (int side = 0; side < 2; ++side) {
    const Side& s = kSides[side];
    m_nKindAtOpen[side] = m_row.LB[side];
    KvDlgItem<QComboBox>(this, s.kind)->setCurrentIndex(m_row.LB[side]);
    KvDlgItem<CKvEdit>(this, s.term)->setText(QString::number(m_row.QC[side] + 1));
    KvDlgItem<CKvEdit>(this, s.code)->setText(m_row.DM[side]);
    // A transfer's other row shows the term the student left or entered it.
    if (!m_otherTerms[side].isEmpty())
      KvDlgItem<CKvEdit>(this, s.otherTerm)->setText(m_otherTerms[side]);
  }
  OnKindCloseUp(0);
  OnKindCloseUp(1);
}

void CKvStdEditDlg::OnKindCloseUp(int side) {
  const Side& s = kSides[side];
  auto* combo = KvDlgItem<QComboBox>(this, s.kind);
  int kind = combo->currentIndex();
  if (kind < 0)
    kind = 0;
  // An entry by in-school transfer is made by the transfer itself only.
  if (side == 0 && kind == 1 && (m_bNew || kind != m_nKindAtOpen[0]))
    kind = m_bNew ? 0 : m_nKindAtOpen[0];
  combo->setCurrentIndex(kind);
  KvDlgItem<QWidget>(this, s.term)->setEnabled(kind != 0);
  const bool newTransfer = kind == 1 && side == 1 && m_nKindAtOpen[1] != 1;
  for (int id : {s.code, s.pick, s.otherTerm})
    KvDlgItem<QWidget>(this, id)->setEnabled(newTransfer);
  // The two rows of a transfer point at each other: the side of a row that
  // took part in one stays as it is (deleting the new row undoes it).
  combo->setEnabled(m_nKindAtOpen[side] != 1 && (side == 0 || !m_bNew));
  if (kind != 1) {
    KvDlgItem<CKvEdit>(this, s.code)->clear();
    KvDlgItem<CKvEdit>(this, s.otherTerm)->clear();
  }
  if (kind == 0) {
    const int last = side == 0 ? 1 : gradeTerms(m_strParent);
    KvDlgItem<CKvEdit>(this, s.term)->setText(QString::number(qMax(last, 1)));
  }
}

void CKvStdEditDlg::OnPickCode(int side) {
  auto* code = KvDlgItem<CKvEdit>(this, kSides[side].code);
  CKvStdDirDlg dialog(m_pDb, 2, code->text(), -1, this);
  if (KvExecDialog(&dialog) == QDialog::Accepted)
    code->setText(dialog.ChosenCode());
  code->setFocus();
}

// --- Save checks ---

bool CKvStdEditDlg::checkStudent(CStd* row) {
  if (!KvGetSexCombo(KvDlgItem<QComboBox>(this, IDC_SEX), &row->SEX) ||
      !KvGetNationCombo(KvDlgItem<QComboBox>(this, IDC_NATION), &row->NTN))
    return false;
  row->HM = KvDlgItem<CKvEdit>(this, IDC_ROOM)->text();
  row->BT = KvDlgItem<CKvEdit>(this, IDC_BIRTH)->text();
  row->PID = KvDlgItem<CKvEdit>(this, IDC_ID_CARD)->text();
  row->FGF = KvDlgItem<CKvEdit>(this, IDC_NATIVE)->text();
  row->FCH = KvDlgItem<CKvEdit>(this, IDC_FROM_SCHOOL)->text();
  row->ADR = KvDlgItem<CKvEdit>(this, IDC_ADDRESS)->text();
  int terms[2] = {0, 0};
  for (int side = 0; side < 2; ++side)
    if (!checkSide(side, row, &terms[side]))
      return false;
  if (terms[0] > terms[1])
    return refuse(QStringLiteral("入学期次不能大于结业期次!"), IDC_EXIT_TERM);
  row->QC[0] = terms[0] - 1;
  row->QC[1] = terms[1] - 1;
  return true;
}

bool CKvStdEditDlg::checkSide(int side, CStd* row, int* term) {
  const Side& s = kSides[side];
  const int kind = KvDlgItem<QComboBox>(this, s.kind)->currentIndex();
  if (kind < 0)
    return refuse(KvFormat(QStringLiteral("未选择%s类别!"), word(s.word)), s.kind);
  const int last = gradeTerms(m_strParent);
  if (last < 0)
    return false;
  *term = KvStrToInt(KvDlgItem<CKvEdit>(this, s.term)->text());
  if (kind == 0)
    *term = side == 0 ? 1 : last;
  else if (*term < 1 || *term > last)
    return refuse(KvFormat(QStringLiteral("%s期次超界!"), word(s.word)), s.term);
  row->LB[side] = kind;
  QString code = KvDlgItem<CKvEdit>(this, s.code)->text().trimmed();
  row->DM[side] = kind == 1 ? code : QString();
  if (kind != 1)
    return true;
  // A student who left by transfer keeps the new row it points at.
  if (side == 1 && m_nKindAtOpen[1] == 1 && code == m_row.DM[1])
    return true;
  if (code.isEmpty())
    return refuse(KvFormat(QStringLiteral("%s代码不能为空!"), word(s.codeWord)), s.code);
  const int studentLength = CXxDataType::StudentCodeLen();
  const int classLength = CXxDataType::ClassCodeLen();
  CStd other(m_pDb, code);
  const int found = other.Count(0, -1);
  if (found < 0)
    return false;
  if (side == 0) {
    if (code.size() != studentLength)
      return refuse(QStringLiteral("应为一学生代码!"), s.code);
    if (found == 0)
      return refuse(QStringLiteral("原代码不存在!"), s.code);
  } else {
    if (code.size() != studentLength && code.size() != classLength)
      return refuse(QStringLiteral("应为一学生、或教学班代码!"), s.code);
    if (code.left(classLength) == m_strParent.left(classLength))
      return refuse(QStringLiteral("不能在班内转学!"), s.code);
    if (code.size() == classLength) {
      if (found == 0)
        return refuse(QStringLiteral("此教学班不存在!"), s.code);
      // The code itself is taken when the transfer is written.
      if (QString full; other.NextChildCode(&full).toLongLong() <= 0)
        return refuse(full.isEmpty() ? QStringLiteral("无法在转入班产生新代码!") : full, s.code);
    } else if (found > 0) {
      return refuse(QStringLiteral("此学生已存在、代码应是转入班的未用码。可以录入转入班的代码，"
                                   "由系统自动生成新码！!"),
                    s.code);
    }
  }
  const int otherLast = gradeTerms(code);
  if (otherLast < 0)
    return false;
  const int otherTerm = KvStrToInt(KvDlgItem<CKvEdit>(this, s.otherTerm)->text());
  if (otherTerm < 1 || otherTerm > otherLast)
    return refuse(KvFormat(QStringLiteral("未录入%s期次，或超界!"), word(s.codeWord)), s.otherTerm);
  return true;
}
