#include "print/CKvPrinterDlg.h"

#include "core/CKvDb.h"
#include "core/KvCurrentPrinter.h"
#include "core/KvFormat.h"
#include "core/KvText.h"
#include "print/KvPrinterProfiles.h"
#include "ui/KvAppServices.h"
#include "ui/KvObjectNames.h"
#include "ui/KvPrinterNames.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
constexpr unsigned kTemplate = 809;
constexpr int kList = 1000;
constexpr int kName = 1001;
constexpr int kQueue = 1002;
constexpr int kAdd = 1003;
constexpr int kRename = 1004;
constexpr int kDelete = 1005;
constexpr int kCurrent = 1006;
// Operation number of printer management in the operation log.
constexpr int kLogPrinters = 28;

enum Column { NameColumn = 0, QueueColumn = 1, CurrentColumn = 2 };

QString queueText(const QString& queue) {
  return KvIsPdfQueue(queue) ? QStringLiteral("PDF文件") : queue;
}

// Where a profile prints, as the list shows it.
QString destinationText(const QString& profile) {
  const QString mapped = KvPrinterMapping(profile);
  const QString resolved = KvQueueForProfile(profile);
  if (mapped.isEmpty())
    return KvFormat(QStringLiteral("默认（%s）"), queueText(resolved));
  if (mapped != resolved)
    return KvFormat(QStringLiteral("%s已不存在，改用%s"), mapped, queueText(resolved));
  return queueText(resolved);
}

QPushButton* button(QWidget* parent, int id, const QString& caption) {
  auto* push = KvSetControlId(new QPushButton(caption, parent), id);
  push->setAutoDefault(false);
  return push;
}
}  // namespace

CKvPrinterDlg::CKvPrinterDlg(QWidget* parent)
    : CKvDlg(kTemplate, parent), m_db(KvAppServiceDb()) {
  setWindowTitle(QStringLiteral("打印机列表"));

  m_list = KvSetControlId(new QTreeWidget(this), kList);
  m_list->setColumnCount(3);
  m_list->setHeaderLabels(
      {QStringLiteral("打印机名称"), QStringLiteral("输出到"), QStringLiteral("当前")});
  m_list->setRootIsDecorated(false);
  m_list->setAllColumnsShowFocus(true);
  m_list->header()->setStretchLastSection(false);
  m_list->header()->setSectionResizeMode(NameColumn, QHeaderView::Stretch);
  m_list->header()->setSectionResizeMode(QueueColumn, QHeaderView::Stretch);
  m_list->header()->setSectionResizeMode(CurrentColumn, QHeaderView::ResizeToContents);
  m_list->setMinimumSize(420, 200);

  m_name = KvSetControlId(new QLineEdit(this), kName);
  m_queue = KvSetControlId(new QComboBox(this), kQueue);
  m_queue->addItem(QStringLiteral("系统默认打印机"), QString());
  for (const QString& queue : KvPrinters().printerNames())
    m_queue->addItem(queue, queue);
  m_queue->addItem(QStringLiteral("PDF文件"), QString::fromLatin1(KV_PDF_QUEUE));

  auto* fields = new QFormLayout;
  fields->addRow(QStringLiteral("名称(&N)："), m_name);
  fields->addRow(QStringLiteral("输出到(&Q)："), m_queue);

  m_add = button(this, kAdd, QStringLiteral("增加(&A)"));
  m_rename = button(this, kRename, QStringLiteral("改名(&R)"));
  m_delete = button(this, kDelete, QStringLiteral("删除(&D)"));
  m_current = button(this, kCurrent, QStringLiteral("设为当前"));
  auto* close = button(this, KV_IDCANCEL, QStringLiteral("关闭"));

  auto* side = new QVBoxLayout;
  side->addWidget(m_add);
  side->addWidget(m_rename);
  side->addWidget(m_delete);
  side->addWidget(m_current);
  side->addStretch();
  side->addWidget(close);

  auto* left = new QVBoxLayout;
  left->addWidget(m_list, 1);
  left->addLayout(fields);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left, 1);
  layout->addLayout(side);

  connect(m_list, &QTreeWidget::currentItemChanged, this, [this] { selectionChanged(); });
  connect(m_add, &QPushButton::clicked, this, [this] { addProfile(); });
  connect(m_rename, &QPushButton::clicked, this, [this] { renameProfile(); });
  connect(m_delete, &QPushButton::clicked, this, [this] { deleteProfile(); });
  connect(m_current, &QPushButton::clicked, this, [this] { makeCurrent(); });
  connect(m_queue, &QComboBox::activated, this, [this](int index) { queueChosen(index); });
}

void CKvPrinterDlg::OnInitDialog() {
  CKvDlg::OnInitDialog();
  m_add->setEnabled(m_db && m_db->IsOpen());
  reload(KvCurrentPrinterName());
}

void CKvPrinterDlg::reload(const QString& name) {
  QStringList names;
  KvLoadPrinterNames(m_db, &names);
  const QSignalBlocker block(m_list);
  m_list->clear();
  QTreeWidgetItem* selected = nullptr;
  for (const QString& profile : names) {
    auto* item = new QTreeWidgetItem(m_list);
    item->setText(NameColumn, profile);
    item->setText(QueueColumn, destinationText(profile));
    if (profile == KvCurrentPrinterName())
      item->setText(CurrentColumn, QStringLiteral("√"));
    if (profile == name || (!selected && profile == KvCurrentPrinterName()))
      selected = item;
  }
  m_list->setCurrentItem(selected);
  selectionChanged();
}

QString CKvPrinterDlg::selectedName() const {
  const QTreeWidgetItem* item = m_list->currentItem();
  return item ? item->text(NameColumn) : QString();
}

void CKvPrinterDlg::selectionChanged() {
  const QString name = selectedName();
  const bool any = !name.isEmpty();
  m_rename->setEnabled(any);
  m_delete->setEnabled(any);
  m_current->setEnabled(any && name != KvCurrentPrinterName());
  m_queue->setEnabled(any);
  m_name->setText(name);
  const int index = any ? m_queue->findData(KvPrinterMapping(name)) : 0;
  // A mapped queue that has vanished shows as the default it falls back to.
  m_queue->setCurrentIndex(index < 0 ? 0 : index);
}

void CKvPrinterDlg::addProfile() {
  const QString name = KvTrimChars(m_name->text(), KvWhiteSpace());
  if (!KvAddPrinterProfile(m_db, m_name->text()))
    return;
  KvAppServiceLog(kLogPrinters, KvFormat(QStringLiteral("增加打印机“%s”"), name));
  reload(name);
}

void CKvPrinterDlg::renameProfile() {
  const QString oldName = selectedName();
  const QString newName = KvTrimChars(m_name->text(), KvWhiteSpace());
  if (oldName.isEmpty() || newName == oldName)
    return;
  if (!KvRenamePrinterProfile(m_db, oldName, m_name->text()))
    return;
  KvAppServiceLog(kLogPrinters,
                  KvFormat(QStringLiteral("打印机“%s”改名为“%s”"), oldName, newName));
  reload(newName);
}

void CKvPrinterDlg::deleteProfile() {
  const QString name = selectedName();
  if (name.isEmpty())
    return;
  if (KvMessageBox(KvFormat(QStringLiteral("删除打印机“%s”吗？"), name),
                   KV_MB_YESNO | KV_MB_ICONQUESTION | KV_MB_DEFBUTTON2) != KV_IDYES)
    return;
  if (!KvDeletePrinterProfile(m_db, name))
    return;
  KvAppServiceLog(kLogPrinters, KvFormat(QStringLiteral("删除打印机“%s”"), name));
  reload(QString());
}

void CKvPrinterDlg::makeCurrent() {
  const QString name = selectedName();
  if (name.isEmpty())
    return;
  KvSetCurrentPrinterName(name);
  KvAppServiceLog(kLogPrinters, KvFormat(QStringLiteral("设置当前打印机“%s”"), name));
  reload(name);
}

void CKvPrinterDlg::queueChosen(int index) {
  const QString name = selectedName();
  if (name.isEmpty() || index < 0)
    return;
  const QString queue = m_queue->itemData(index).toString();
  KvSetPrinterMapping(name, queue);
  KvAppServiceLog(kLogPrinters,
                  KvFormat(QStringLiteral("打印机“%s”输出到%s"), name,
                           queue.isEmpty() ? QStringLiteral("系统默认打印机") : queueText(queue)));
  reload(name);
}
