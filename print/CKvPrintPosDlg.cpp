#include "print/CKvPrintPosDlg.h"

#include "core/CKvDb.h"
#include "core/KvDbTransaction.h"
#include "core/KvFormat.h"
#include "core/KvWidth.h"
#include "print/CKvPrintForm.h"
#include "print/KvOpenPrinter.h"
#include "ui/KvCommands.h"
#include "ui/KvObjectNames.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
constexpr unsigned kTemplate = 819;
constexpr int kLayoutBox = 1000;
constexpr int kTable = 1001;
constexpr int kAdd = 1002;
constexpr int kDelete = 1003;
constexpr int kTest = 1004;
// Widest name and value a parameter row holds.
constexpr int kStoredWidth = 255;

QPushButton* button(QWidget* parent, int id, const QString& caption) {
  auto* push = KvSetControlId(new QPushButton(caption, parent), id);
  push->setAutoDefault(false);
  return push;
}

QTableWidgetItem* textItem(const QString& text, bool editable = true) {
  auto* item = new QTableWidgetItem(text);
  if (!editable)
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
  return item;
}

QTableWidgetItem* checkItem(bool checked, bool editable) {
  auto* item = new QTableWidgetItem;
  item->setFlags(editable ? (item->flags() | Qt::ItemIsUserCheckable) & ~Qt::ItemIsEditable
                          : item->flags() & ~(Qt::ItemIsUserCheckable | Qt::ItemIsEditable));
  item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
  return item;
}

const QStringList& columnCaptions() {
  static const QStringList captions = {
      QStringLiteral("名称"), QStringLiteral("内容"), QStringLiteral("X(0.1毫米)"),
      QStringLiteral("Y(0.1毫米)"), QStringLiteral("字高"), QStringLiteral("粗细"),
      QStringLiteral("斜体"), QStringLiteral("下划线"), QStringLiteral("字体")};
  return captions;
}
}  // namespace

CKvPrintPosDlg::CKvPrintPosDlg(CKvDb* db, QWidget* parent) : CKvDlg(kTemplate, parent), m_db(db) {
  setWindowTitle(QStringLiteral("自定位打印设置"));

  m_layoutBox = KvSetControlId(new QComboBox(this), kLayoutBox);
  m_table = KvSetControlId(new QTableWidget(0, ColumnCount, this), kTable);
  m_table->setHorizontalHeaderLabels(columnCaptions());
  m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_table->setSelectionMode(QAbstractItemView::SingleSelection);
  m_table->verticalHeader()->setVisible(false);
  QHeaderView* header = m_table->horizontalHeader();
  header->setSectionResizeMode(QHeaderView::ResizeToContents);
  header->setSectionResizeMode(TextColumn, QHeaderView::Stretch);
  m_table->setMinimumSize(760, 320);
  m_unreadNote = new QLabel(QStringLiteral("此打印格式已存的设置未能读取，只能查看，不能修改。"), this);
  m_unreadNote->setObjectName(QStringLiteral("unread_note"));
  m_unreadNote->setWordWrap(true);
  m_unreadNote->hide();

  m_add = button(this, kAdd, QStringLiteral("增加(&A)"));
  m_delete = button(this, kDelete, QStringLiteral("删除(&D)"));
  m_test = button(this, kTest, QStringLiteral("测试打印(&T)"));
  auto* ok = button(this, KV_IDOK, QStringLiteral("确定"));
  auto* cancel = button(this, KV_IDCANCEL, QStringLiteral("取消"));
  ok->setDefault(true);

  auto* top = new QHBoxLayout;
  auto* label = new QLabel(QStringLiteral("打印格式(&F)："), this);
  label->setBuddy(m_layoutBox);
  top->addWidget(label);
  top->addWidget(m_layoutBox, 1);

  auto* side = new QVBoxLayout;
  side->addWidget(ok);
  side->addWidget(cancel);
  side->addSpacing(12);
  side->addWidget(m_add);
  side->addWidget(m_delete);
  side->addWidget(m_test);
  side->addStretch();

  auto* left = new QVBoxLayout;
  left->addLayout(top);
  left->addWidget(m_table, 1);
  left->addWidget(m_unreadNote);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left, 1);
  layout->addLayout(side);

  connect(m_layoutBox, &QComboBox::activated, this, [this](int index) { showLayout(index); });
  connect(m_table, &QTableWidget::currentCellChanged, this, [this] { updateButtons(); });
  connect(m_add, &QPushButton::clicked, this, [this] { addField(); });
  connect(m_delete, &QPushButton::clicked, this, [this] { deleteField(); });
  connect(m_test, &QPushButton::clicked, this, [this] { testPrint(); });
}

void CKvPrintPosDlg::OnInitDialog() {
  CKvDlg::OnInitDialog();
  m_paper = KvDefaultPaperSize();
  m_layouts = KvPrintPosLayouts();
  for (const KvPrintPosLayout& layout : m_layouts)
    m_layoutBox->addItem(layout.caption, layout.id);
  if (QWidget* ok = KvDlgItem(this, KV_IDOK))
    ok->setEnabled(m_db && m_db->IsOpen());
  if (!m_layouts.isEmpty())
    showLayout(0);
  updateButtons();
}

void CKvPrintPosDlg::showLayout(int index) {
  if (index == m_shown)
    return;
  if (m_shown >= 0 && !keepShown(true)) {
    m_layoutBox->setCurrentIndex(m_shown);
    return;
  }
  m_shown = index;
  const int id = m_layouts.at(index).id;
  if (!m_edits.contains(id)) {
    QList<KvPrintPosField> fields;
    QList<CKvCsRec> stored;
    if (!KvLoadPosFields(m_db, id, &fields, &stored))
      m_unread.insert(id);
    m_loaded.insert(id, fields);
    m_stored.insert(id, stored);
    m_edits.insert(id, fields);
  }
  fillTable(m_edits.value(id), !m_unread.contains(id));
  m_unreadNote->setVisible(m_unread.contains(id));
  m_layoutBox->setCurrentIndex(index);
}

void CKvPrintPosDlg::fillTable(const QList<KvPrintPosField>& fields, bool editable) {
  m_table->setRowCount(0);
  m_numbers.clear();
  m_table->setRowCount(static_cast<int>(fields.size()));
  for (int row = 0; row < fields.size(); ++row) {
    const KvPrintPosField& field = fields.at(row);
    m_numbers.append(field.number);
    m_table->setItem(row, NameColumn, textItem(field.name, editable && field.IsUserField()));
    m_table->setItem(row, TextColumn, textItem(field.text, editable));
    m_table->setItem(row, XColumn, textItem(QString::number(field.x), editable));
    m_table->setItem(row, YColumn, textItem(QString::number(field.y), editable));
    m_table->setItem(row, HeightColumn, textItem(QString::number(field.height), editable));
    m_table->setItem(row, WeightColumn, textItem(QString::number(field.weight), editable));
    m_table->setItem(row, ItalicColumn, checkItem(field.italic, editable));
    m_table->setItem(row, UnderlineColumn, checkItem(field.underline, editable));
    m_table->setItem(row, FaceColumn, textItem(field.face, editable));
  }
  if (!fields.isEmpty())
    m_table->setCurrentCell(0, NameColumn);
  updateButtons();
}

bool CKvPrintPosDlg::refuse(int row, int column, const QString& text) {
  m_table->setCurrentCell(row, column);
  KvMessageBox(text, KV_MB_OK | KV_MB_ICONEXCLAMATION);
  m_table->setFocus();
  return false;
}

bool CKvPrintPosDlg::readTable(QList<KvPrintPosField>* fields, bool check) {
  fields->clear();
  for (int row = 0; row < m_table->rowCount(); ++row) {
    auto cell = [&](int column) { return m_table->item(row, column)->text().trimmed(); };
    KvPrintPosField field;
    field.number = m_numbers.at(row);
    field.name = cell(NameColumn);
    field.text = m_table->item(row, TextColumn)->text();
    field.face = cell(FaceColumn);
    field.italic = m_table->item(row, ItalicColumn)->checkState() == Qt::Checked;
    field.underline = m_table->item(row, UnderlineColumn)->checkState() == Qt::Checked;
    if (check && field.name.isEmpty())
      return refuse(row, NameColumn, QStringLiteral("名称不能为空！"));
    const int numeric[] = {XColumn, YColumn, HeightColumn, WeightColumn};
    int values[4] = {0, 0, 0, 0};
    for (int i = 0; i < 4; ++i) {
      bool ok = false;
      values[i] = cell(numeric[i]).toInt(&ok);
      const bool height = numeric[i] == HeightColumn;
      if (check && (!ok || values[i] < (height ? 1 : 0)))
        return refuse(row, numeric[i],
                      KvFormat(height ? QStringLiteral("“%s”的“%s”应是大于0的整数！")
                                      : QStringLiteral("“%s”的“%s”应是不小于0的整数！"),
                               field.name, columnCaptions().at(numeric[i])));
    }
    field.x = values[0];
    field.y = values[1];
    field.height = values[2];
    field.weight = values[3];
    if (check) {
      if (field.x >= m_paper.width() || field.y >= m_paper.height())
        return refuse(row, field.x >= m_paper.width() ? XColumn : YColumn,
                      KvFormat(QStringLiteral("“%s”的位置超出了纸张（宽%d、长%d，单位0.1毫米）！"),
                               field.name, m_paper.width(), m_paper.height()));
      if (field.face.isEmpty())
        return refuse(row, FaceColumn,
                      KvFormat(QStringLiteral("“%s”的字体不能为空！"), field.name));
      if (KvTextWidth(field.name) > kStoredWidth)
        return refuse(row, NameColumn, KvFormat(QStringLiteral("“%s”的名称太长！"), field.name));
      if (KvTextWidth(field.StoredValue()) > kStoredWidth)
        return refuse(row, TextColumn, KvFormat(QStringLiteral("“%s”的内容太长！"), field.name));
    }
    fields->append(field);
  }
  return true;
}

bool CKvPrintPosDlg::keepShown(bool check) {
  // A read-only layout has nothing to keep, and nothing in it to refuse.
  if (m_shown < 0 || m_unread.contains(m_layouts.at(m_shown).id))
    return true;
  QList<KvPrintPosField> fields;
  if (!readTable(&fields, check))
    return false;
  m_edits.insert(m_layouts.at(m_shown).id, fields);
  return true;
}

void CKvPrintPosDlg::addField() {
  if (m_shown < 0)
    return;
  int number = KV_POS_USER_FIELD - 1;
  int lowest = 0;
  for (int row = 0; row < m_table->rowCount(); ++row) {
    number = qMax(number, m_numbers.at(row));
    lowest = qMax(lowest, m_table->item(row, YColumn)->text().toInt());
  }
  KvPrintPosField field;
  field.number = number + 1;
  field.x = 300;
  field.y = qMin(lowest + 60, qMax(0, m_paper.height() - 100));
  QList<KvPrintPosField> fields;
  readTable(&fields, false);
  fields.append(field);
  fillTable(fields, true);
  const int row = m_table->rowCount() - 1;
  m_table->setCurrentCell(row, NameColumn);
  m_table->editItem(m_table->item(row, NameColumn));
}

void CKvPrintPosDlg::deleteField() {
  const int row = m_table->currentRow();
  if (row < 0 || m_numbers.at(row) < KV_POS_USER_FIELD)
    return;
  m_table->removeRow(row);
  m_numbers.removeAt(row);
  updateButtons();
}

void CKvPrintPosDlg::testPrint() {
  QList<KvPrintPosField> fields;
  if (m_shown < 0 || !readTable(&fields, true))
    return;
  CKvPrintForm form(m_layouts.at(m_shown).id, fields);
  form.Print(KV_CMD_FILE_PRINT, this);
}

void CKvPrintPosDlg::updateButtons() {
  const int row = m_table->currentRow();
  // A layout shown read-only would print the module's positions, not the
  // school's: no test print either.
  const bool editable = m_shown >= 0 && !m_unread.contains(m_layouts.at(m_shown).id);
  m_add->setEnabled(editable);
  m_test->setEnabled(editable && m_table->rowCount() > 0);
  m_delete->setEnabled(editable && row >= 0 && row < m_numbers.size() &&
                       m_numbers.at(row) >= KV_POS_USER_FIELD);
}

bool CKvPrintPosDlg::SaveData() {
  if (!m_db || !m_db->IsOpenOrFailsAsLost() || !keepShown(true))
    return false;
  // Layout id -> its rows as stored by this save.
  QMap<int, QList<CKvCsRec>> saved;
  KvPosSave result = KvPosSave::Saved;
  {
    KvDbTransaction transaction(*m_db);
    if (!transaction.IsActive())
      return false;
    // Only layouts that were changed are written, and never one whose stored
    // rows could not be read: storing would replace them.
    for (auto it = m_edits.cbegin(); it != m_edits.cend() && result == KvPosSave::Saved; ++it) {
      if (m_unread.contains(it.key()) || it.value() == m_loaded.value(it.key()))
        continue;
      result = KvSavePosFields(m_db, it.key(), it.value(), m_stored.value(it.key()), &saved[it.key()]);
    }
    if (result == KvPosSave::Saved && !transaction.Commit())
      result = KvPosSave::Failed;
  }
  // Told once the transaction has ended: the table stays free meanwhile.
  if (result == KvPosSave::Changed)
    KvMessageBox(QStringLiteral("打印位置设置已被其他窗口或工作站修改，请重新打开后再修改！"),
                 KV_MB_OK | KV_MB_ICONEXCLAMATION);
  if (result != KvPosSave::Saved)
    return false;
  // What was stored is what a later save expects to find.
  for (auto it = saved.cbegin(); it != saved.cend(); ++it) {
    m_loaded.insert(it.key(), m_edits.value(it.key()));
    m_stored.insert(it.key(), it.value());
  }
  return true;
}
