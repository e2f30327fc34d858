#include "app/CKvLoginDlg.h"

#include "app/CKvApp.h"
#include "app/KvCurrentDir.h"
#include "app/KvOperatorStore.h"
#include "app/KvProgramImage.h"
#include "core/KvDate.h"
#include "core/KvFolders.h"
#include "core/KvMessage.h"
#include "core/KvText.h"
#include "ui/CKvWaitWnd.h"
#include "ui/KvModal.h"
#include "ui/KvObjectNames.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {
KvDataFileMaker& dataFileMaker() {
  static KvDataFileMaker maker;
  return maker;
}
}  // namespace

void KvSetDataFileMaker(KvDataFileMaker maker) { dataFileMaker() = std::move(maker); }

namespace {
constexpr unsigned kTemplate = 815;
// Server databases are named "<extension><four-digit set number><year>".
constexpr int kSetNumberLength = 4;

QLineEdit* lineEdit(QWidget* parent, int id) {
  auto* edit = KvSetControlId(new QLineEdit(parent), id);
  edit->setMinimumWidth(320);
  return edit;
}

// A field's label whose mnemonic moves the focus to the field.
QLabel* buddyLabel(const QString& text, QWidget* field) {
  auto* label = new QLabel(text, field->parentWidget());
  label->setBuddy(field);
  return label;
}

QString dataFileExt() {
  const CKvApp* app = KvGetApp();
  return app ? app->GetDataFileExt() : QStringLiteral("xxd");
}

// The path of a data file with the edition's extension added when the file
// name has none (or ends in ".").
QString completedPath(const QString& path) {
  const QString name = QFileInfo(path).fileName();
  if (name.isEmpty())
    return path;
  if (!name.contains(u'.'))
    return path + u'.' + dataFileExt();
  if (name.endsWith(u'.'))
    return path + dataFileExt();
  return path;
}
}  // namespace

CKvLoginDlg::CKvLoginDlg(const CKvDataFile& file, QWidget* parent)
    : CKvDlg(kTemplate, parent), m_file(file) {
  setWindowTitle(QStringLiteral("打开青禾苑数据文件"));

  m_kind = KvSetControlId(new QComboBox(this), IdKind);
  m_kind->addItem(QStringLiteral("SQLite数据文件"));
  m_kind->addItem(QStringLiteral("PostgreSQL数据库"));
  m_kind->addItem(QStringLiteral("ODBC数据源"));

  // The data file: a file, or a database on a server.
  m_path = lineEdit(this, IdFile);
  m_browse = KvSetControlId(new QPushButton(QStringLiteral("浏览(&B)..."), this), IdBrowse);
  m_browse->setAutoDefault(false);
  auto* filePage = new QWidget(this);
  auto* fileForm = new QFormLayout(filePage);
  fileForm->setContentsMargins(0, 0, 0, 0);
  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(m_path, 1);
  fileRow->addWidget(m_browse);
  fileForm->addRow(buddyLabel(QStringLiteral("文件(&F)："), m_path), fileRow);

  m_server = lineEdit(this, IdServer);
  m_user = lineEdit(this, IdUser);
  m_serverPassword = lineEdit(this, IdServerPassword);
  m_serverPassword->setEchoMode(QLineEdit::Password);
  m_remember = KvSetControlId(new QCheckBox(QStringLiteral("记住口令(&M)"), this), IdRemember);
  m_database = lineEdit(this, IdDatabase);
  auto* serverPage = new QWidget(this);
  auto* serverForm = new QFormLayout(serverPage);
  serverForm->setContentsMargins(0, 0, 0, 0);
  m_serverLabel = buddyLabel(QString(), m_server);
  serverForm->addRow(m_serverLabel, m_server);
  serverForm->addRow(QStringLiteral("用户(&U)："), m_user);
  auto* passwordRow = new QHBoxLayout;
  passwordRow->addWidget(m_serverPassword, 1);
  passwordRow->addWidget(m_remember);
  serverForm->addRow(buddyLabel(QStringLiteral("口令(&W)："), m_serverPassword), passwordRow);
  serverForm->addRow(QStringLiteral("数据库(&D)："), m_database);

  // Only the page of the chosen kind shows; the dialog takes its size.
  m_filePage = filePage;
  m_serverPage = serverPage;

  auto* fileBox = new QGroupBox(QStringLiteral("数据文件"), this);
  auto* fileBoxLayout = new QFormLayout(fileBox);
  fileBoxLayout->addRow(QStringLiteral("类型(&T)："), m_kind);
  fileBoxLayout->addRow(filePage);
  fileBoxLayout->addRow(serverPage);

  // Who logs in.
  m_operator = KvSetControlId(new QComboBox(this), IdOperator);
  m_operator->setMinimumWidth(200);
  m_password = lineEdit(this, IdPassword);
  m_password->setEchoMode(QLineEdit::Password);
  auto* operatorBox = new QGroupBox(QStringLiteral("操作员"), this);
  auto* operatorForm = new QFormLayout(operatorBox);
  operatorForm->addRow(QStringLiteral("操作员(&O)："), m_operator);
  operatorForm->addRow(QStringLiteral("口令(&P)："), m_password);
  m_operatorNote = new QLabel(QStringLiteral("窗口未全部关闭，只能由打开它们的操作员注册。"), this);
  m_operatorNote->setVisible(false);
  operatorForm->addRow(m_operatorNote);
  // Both forms align their fields.
  const int labelWidth = fontMetrics().horizontalAdvance(QStringLiteral("操作员(&O)：")) + 8;
  for (QFormLayout* form : {fileBoxLayout, fileForm, serverForm, operatorForm}) {
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    for (int row = 0; row < form->rowCount(); ++row) {
      if (QLayoutItem* label = form->itemAt(row, QFormLayout::LabelRole))
        if (label->widget())
          label->widget()->setMinimumWidth(labelWidth);
    }
  }

  m_newFile = KvSetControlId(new QPushButton(QStringLiteral("新建数据文件"), this), IdNewFile);
  m_newFile->setAutoDefault(false);
  auto* ok = KvSetControlId(new QPushButton(QStringLiteral("确定"), this), KV_IDOK);
  auto* cancel = KvSetControlId(new QPushButton(QStringLiteral("取消"), this), KV_IDCANCEL);
  m_convertFile = KvSetControlId(new QPushButton(QStringLiteral("转换数据文件 ..."), this), IdConvertFile);
  m_copyFile = KvSetControlId(new QPushButton(QStringLiteral("复制数据文件 ..."), this), IdCopyFile);
  for (QPushButton* button : {m_convertFile, m_copyFile}) {
    button->setAutoDefault(false);
    button->setEnabled(bool(dataFileMaker()));
  }
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(m_newFile);
  buttons->addWidget(m_convertFile);
  buttons->addWidget(m_copyFile);
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(fileBox);
  layout->addWidget(operatorBox);
  layout->addSpacing(4);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(m_kind, &QComboBox::currentIndexChanged, this, [this] { kindChanged(); });
  connect(m_browse, &QPushButton::clicked, this, [this] { browse(); });
  connect(m_newFile, &QPushButton::clicked, this, [this] { createDataFile(); });
  connect(m_convertFile, &QPushButton::clicked, this, [this] { makeFromDataFile(1); });
  connect(m_copyFile, &QPushButton::clicked, this, [this] { makeFromDataFile(2); });
  for (QLineEdit* edit : {m_path, m_server, m_user, m_serverPassword, m_database})
    connect(edit, &QLineEdit::editingFinished, this, [this] { probe(); });
}

void CKvLoginDlg::OnInitDialog() {
  CKvDlg::OnInitDialog();
  // Shows the descriptor's data file and lists its operators.
  showFile(m_file);
  if (m_operator->currentIndex() >= 0)
    m_password->setFocus();
}

void CKvLoginDlg::showFile(const CKvDataFile& file) {
  const QSignalBlocker quiet(m_kind);
  const CKvDbInfo info = file.GetDbInfo();
  if (file.GetKind() == 0) {
    m_kind->setCurrentIndex(KindFile);
    m_path->setText(QDir::toNativeSeparators(file.GetFileName()));
    m_server->clear();
    m_user->clear();
    m_serverPassword->clear();
    m_database->clear();
  } else {
    m_kind->setCurrentIndex(file.GetServerBackend() == 1 ? KindOdbc : KindPostgres);
    m_server->setText(info.m_strServer);
    m_user->setText(info.m_strUser);
    m_serverPassword->setText(info.m_strPassword);
    m_database->setText(file.GetFileName());
  }
  m_remember->setChecked(file.GetRememberPassword());
  kindChanged();
}

void CKvLoginDlg::KeepDataFile() {
  for (QWidget* field : std::initializer_list<QWidget*>{m_kind, m_path, m_browse, m_server, m_database, m_newFile,
                                                       m_convertFile, m_copyFile})
    field->setEnabled(false);
}

void CKvLoginDlg::KeepOperator() {
  m_keptOperator = m_file.GetOperatorCode();
  m_operator->setEnabled(false);
  m_operatorNote->setVisible(true);
  m_operator->setCurrentIndex(m_operator->findData(m_keptOperator));
}

void CKvLoginDlg::kindChanged() {
  const int kind = m_kind->currentIndex();
  m_filePage->setVisible(kind == KindFile);
  m_serverPage->setVisible(kind != KindFile);
  m_serverLabel->setText(kind == KindOdbc ? QStringLiteral("数据源(&S)：")
                                          : QStringLiteral("服务器(&S)："));
  if (kind != KindFile) {
    // A server database of the year, in account set 0001, until one is named.
    if (m_database->text().trimmed().isEmpty())
      m_database->setText(dataFileExt() + QStringLiteral("0001") +
                          QString::number(QDate::currentDate().year()));
    // "(local)" is PostgreSQL's own server, no data source.
    if (kind == KindPostgres && m_server->text().trimmed().isEmpty())
      m_server->setText(QStringLiteral("(local)"));
    else if (kind == KindOdbc && m_server->text().trimmed() == u"(local)")
      m_server->clear();
  }
  probe();
}

QString CKvLoginDlg::dataFileKey(const CKvDataFile& file) {
  if (file.GetKind() == 0) {
    // The file as found on disk, as an opened file names itself.
    const QFileInfo info(completedPath(file.GetFileName()));
    return QStringLiteral("0|") + (info.exists() ? info.canonicalFilePath() : info.absoluteFilePath());
  }
  return QStringLiteral("%1|%2|%3")
      .arg(file.GetServerBackend())
      .arg(KvLower(file.GetDbInfo().m_strServer.trimmed()), KvLower(file.GetFileName()));
}

CKvDataFile CKvLoginDlg::fieldsToFile() const {
  CKvDataFile file(m_file);
  const int kind = m_kind->currentIndex();
  if (kind == KindFile) {
    file.SetKind(0);
    file.SetDbInfo(CKvDbInfo(0));
    file.SetFileName(QDir::fromNativeSeparators(m_path->text().trimmed()));
  } else {
    const int backend = kind == KindOdbc ? 1 : 2;
    file.SetServerBackend(backend);
    file.SetKind(1);
    CKvDbInfo info(backend);
    info.m_strServer = m_server->text().trimmed();
    info.m_strUser = m_user->text().trimmed();
    info.m_strPassword = m_serverPassword->text();
    info.m_strDatabase = m_database->text().trimmed();
    file.SetDbInfo(info);
    file.SetFileName(info.m_strDatabase);
    file.SetRememberPassword(m_remember->isChecked());
  }
  file.SetOperatorCode(m_operator->currentData().toString());
  return file;
}

void CKvLoginDlg::probe(bool bForce) {
  CKvDataFile file = fieldsToFile();
  const QString key = dataFileKey(file) + u'|' + file.GetDbInfo().m_strUser + u'|' +
                      file.GetDbInfo().m_strPassword;
  if (!bForce && key == m_probedKey)
    return;
  m_probedKey = key;
  const QString selected = !m_keptOperator.isEmpty()        ? m_keptOperator
                           : m_operator->currentIndex() >= 0 ? file.GetOperatorCode()
                                                             : m_file.GetOperatorCode();
  QList<KvOperator> operators;
  if (!file.GetFileName().isEmpty() &&
      file.OpenAndCheck(file.GetFileName(), QString(), file.GetDbInfo(), false)) {
    KvOperatorStore::Fill(&operators, &file.GetDb(), true);
    file.Close();
  }
  m_operator->clear();
  for (const KvOperator& op : operators)
    m_operator->addItem(QStringLiteral("%1 %2").arg(op.strCode, op.strName), op.strCode);
  m_operator->setCurrentIndex(m_operator->findData(selected));
}

void CKvLoginDlg::browse() {
  QString folder = QFileInfo(QDir::fromNativeSeparators(m_path->text().trimmed())).absolutePath();
  if (m_path->text().trimmed().isEmpty() || !QFileInfo(folder).isDir())
    folder = m_file.GetRootDir();
  const CKvApp* app = KvGetApp();
  const QString description = app ? app->GetDataFileDescription() : QString();
  QFileDialog dialog(this, QStringLiteral("打开青禾苑数据文件"), folder,
                     QStringLiteral("%1(*.%2)").arg(description, dataFileExt()));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  if (KvExecDialog(&dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return;
  m_path->setText(QDir::toNativeSeparators(dialog.selectedFiles().first()));
  probe();
}

void CKvLoginDlg::makeFromDataFile(int nMode) {
  CKvDataFile made;
  if (!dataFileMaker() || !dataFileMaker()(nMode, fieldsToFile(), &made))
    return;
  showFile(made);
  m_newFileKey = dataFileKey(made);
  m_operator->setCurrentIndex(-1);
  m_password->clear();
  probe(true);
}

void CKvLoginDlg::createDataFile() {
  CKvDataFile file = fieldsToFile();
  const bool bFile = file.GetKind() == 0;
  QString name = file.GetFileName();
  CKvDbInfo info = file.GetDbInfo();
  if (bFile) {
    if (name.isEmpty()) {
      file.ShowError(CKvDataFile::kEmptyName, true);
      m_path->setFocus();
      return;
    }
    name = QFileInfo(completedPath(name)).absoluteFilePath();
    if (!KvEqualsIgnoreCase(QFileInfo(name).suffix(), dataFileExt())) {
      file.ShowError(CKvDataFile::kNotDataFile, true);
      m_path->setFocus();
      return;
    }
  } else if (name.size() != dataFileExt().size() + kSetNumberLength + 4) {
    file.ShowError(-1, true);
    m_database->setFocus();
    return;
  } else {
    name = KvLower(name);
  }
  const int year = CKvDataFile::YearOfTitle(name, bFile);
  if (year == 0) {
    KvMessageBox(QStringLiteral("文件名不是由有效年度构成！"), KV_MB_OK | KV_MB_ICONSTOP);
    (bFile ? m_path : m_database)->setFocus();
    return;
  }
  CKvDb existing(file.GetDbKind());
  if (bFile ? QFileInfo::exists(name) : existing.Open(name, info)) {
    KvMessageBox(QStringLiteral("文件名已存在！"), KV_MB_OK | KV_MB_ICONSTOP);
    (bFile ? m_path : m_database)->setFocus();
    return;
  }
  existing.Close();
  if (bFile)
    QDir().mkpath(QFileInfo(name).absolutePath());

  bool made = false;
  {
    CKvWaitWnd wait;
    wait.Show(this);
    made = KvGetApp() && KvGetApp()->CreateDataFile(&file.GetDb(), name, info, year);
  }
  if (!made) {
    KvMessageBox(CKvDataFile::WithServerReason(
                     QStringLiteral("不能建立数据文件：\n%1").arg(QDir::toNativeSeparators(name)), file.GetDb()),
                 KV_MB_OK | KV_MB_ICONSTOP);
    return;
  }
  file.SetFileName(name);
  file.SetOperatorCode(QStringLiteral("101"));
  m_file.SetOperatorCode(QStringLiteral("101"));
  (bFile ? m_path : m_database)->setText(bFile ? QDir::toNativeSeparators(name) : name);
  m_newFileKey = dataFileKey(file);
  m_operator->setCurrentIndex(-1);
  m_password->clear();
  probe(true);
  m_password->setFocus();
}

bool CKvLoginDlg::SaveData() {
  CKvDataFile file = fieldsToFile();
  // The fixed operator, even when the data file no longer lists him: the
  // check below then refuses him.
  if (!m_keptOperator.isEmpty())
    file.SetOperatorCode(m_keptOperator);
  if (!file.OpenAndCheck(file.GetFileName(), file.GetOperatorCode(), file.GetDbInfo(), true))
    return false;
  if (!KvOperatorStore::VerifyPassword(file.GetOperatorPassword(), m_password->text())) {
    file.Close();
    KvMessageBox(QStringLiteral("口令不正确，请重新录入！"), KV_MB_OK | KV_MB_ICONSTOP);
    m_password->setFocus();
    m_password->selectAll();
    return false;
  }
  if (file.GetKind() != 0 && KvUpdateClientProgram(&file.GetDb())) {
    file.Close();
    m_bUpdating = true;
    done(QDialog::Rejected);
    return false;
  }
  KvSetCurrentDirToDataFile(&file.GetDb());
  file.Close();
  m_bNewFile = !m_newFileKey.isEmpty() && dataFileKey(file) == m_newFileKey;
  m_file = file;
  return true;
}

void CKvLoginDlg::OnEnter() {
  // Enter after the password logs in.
  if (focusWidget() == m_password)
    OnOK();
  else
    CKvDlg::OnEnter();
}
