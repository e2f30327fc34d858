#include "datafile/CKvNewDataFileDlg.h"

#include "app/CKvApp.h"
#include "core/KvFolders.h"
#include "core/KvPath.h"
#include "core/KvRegistry.h"
#include "ui/CKvComboBoxEx.h"
#include "ui/CKvEdit.h"
#include "ui/CKvFolderDlg.h"
#include "ui/CKvWaitWnd.h"
#include "ui/KvModal.h"
#include "ui/KvObjectNames.h"
#include "datafile/CKvPasswordCheckDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace {
const QString kExampleValue = QStringLiteral("ExamplePath");
constexpr int kExampleIcon = 128;

QString plainFolder(QString folder) {
  folder = KvSlashPath(folder.trimmed());
  while (folder.endsWith(u'/') && folder.size() > 1)
    folder.chop(1);
  return folder;
}
}  // namespace

CKvNewDataFileDlg::CKvNewDataFileDlg(int nKind, const QString& currentName, const CKvDbInfo& info,
                                     QWidget* parent)
    : CKvDlg(813, parent), m_service(nKind, info), m_strCurrentName(currentName) {
  setWindowTitle(QStringLiteral("建立新年度数据文件"));
  const bool file = nKind == 0;
  m_locationLabel = KvSetControlId(new QLabel(file ? QStringLiteral("&P.位  置：") : QStringLiteral("&P.序  号："), this),
                                   IdLocationLabel);
  m_location = KvSetControlId(new CKvEdit(this), IdLocation);
  m_location->SetInputType(file ? QStringLiteral("STRING NOT *?\"<>|") : QStringLiteral("STRING DIGIT"),
                           file ? 260 : 4);
  m_locationLabel->setBuddy(m_location);
  m_browse = KvSetControlId(new QPushButton(QStringLiteral("&B"), this), IdBrowse);
  m_browse->setAutoDefault(false);
  m_browse->setFixedWidth(32);
  m_browse->setVisible(file);
  m_yearLabel = KvSetControlId(new QLabel(QStringLiteral("&F.年  度："), this), IdYearLabel);
  m_year = KvSetControlId(new CKvEdit(this), IdYear);
  m_year->SetInputType(QStringLiteral("STRING DIGIT"), 4);
  m_yearLabel->setBuddy(m_year);

  m_useExample = KvSetControlId(new QCheckBox(QStringLiteral("使用下列范例作为新建模板"), this), IdUseExample);
  m_exampleBox = new QWidget(this);
  auto* exampleFolderLabel =
      KvSetControlId(new QLabel(QStringLiteral("范例位置："), m_exampleBox), IdExampleFolderLabel);
  m_exampleFolder = KvSetControlId(new CKvEdit(m_exampleBox), IdExampleFolder);
  m_exampleFolder->setReadOnly(true);
  auto* exampleBrowse = KvSetControlId(new QPushButton(QStringLiteral("&R"), m_exampleBox), IdExampleBrowse);
  exampleBrowse->setAutoDefault(false);
  exampleBrowse->setFixedWidth(32);
  auto* exampleLabel = KvSetControlId(new QLabel(QStringLiteral("&E.范例："), m_exampleBox), IdExampleLabel);
  m_example = KvSetControlId(new CKvComboBoxEx(m_exampleBox), IdExample);
  m_example->SetIcons({kExampleIcon});
  m_example->setMinimumWidth(280);
  exampleLabel->setBuddy(m_example);

  // The server a file is converted to: shown in that conversion only.
  m_serverBox = new QWidget(this);
  m_serverKind = KvSetControlId(new QComboBox(m_serverBox), IdServerKind);
  m_serverKind->addItem(QStringLiteral("PostgreSQL数据库"));
  m_serverKind->addItem(QStringLiteral("ODBC数据源"));
  m_serverKind->setCurrentIndex(nKind == 1 ? ServerOdbc : ServerPostgres);
  m_serverLabel = new QLabel(m_serverBox);
  m_server = KvSetControlId(new QLineEdit(info.m_strServer, m_serverBox), IdServer);
  m_user = KvSetControlId(new QLineEdit(info.m_strUser, m_serverBox), IdUser);
  m_serverPassword = KvSetControlId(new QLineEdit(info.m_strPassword, m_serverBox), IdServerPassword);
  m_serverPassword->setEchoMode(QLineEdit::Password);
  const auto serverLabel = [this](const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text, m_serverBox);
    label->setBuddy(buddy);
    return label;
  };
  m_serverLabel->setBuddy(m_server);

  auto* grid = new QGridLayout;
  grid->addWidget(m_locationLabel, 0, 0);
  grid->addWidget(m_location, 0, 1);
  grid->addWidget(m_browse, 0, 2);
  grid->addWidget(m_yearLabel, 1, 0);
  grid->addWidget(m_year, 1, 1);
  m_location->setMinimumWidth(280);

  auto* serverGrid = new QGridLayout(m_serverBox);
  serverGrid->setContentsMargins(0, 0, 0, 0);
  serverGrid->addWidget(serverLabel(QStringLiteral("&T.类  型："), m_serverKind), 0, 0);
  serverGrid->addWidget(m_serverKind, 0, 1);
  serverGrid->addWidget(m_serverLabel, 1, 0);
  serverGrid->addWidget(m_server, 1, 1);
  serverGrid->addWidget(serverLabel(QStringLiteral("&U.用  户："), m_user), 2, 0);
  serverGrid->addWidget(m_user, 2, 1);
  serverGrid->addWidget(serverLabel(QStringLiteral("&W.口  令："), m_serverPassword), 3, 0);
  serverGrid->addWidget(m_serverPassword, 3, 1);
  serverGrid->setColumnStretch(1, 1);
  // The labels of both grids take one width, so that the fields line up.
  const int labelWidth = fontMetrics().horizontalAdvance(QStringLiteral("P.位  置：")) + 8;
  grid->setColumnMinimumWidth(0, labelWidth);
  serverGrid->setColumnMinimumWidth(0, labelWidth);

  auto* exampleGrid = new QGridLayout(m_exampleBox);
  exampleGrid->setContentsMargins(0, 0, 0, 0);
  exampleGrid->addWidget(exampleFolderLabel, 0, 0);
  exampleGrid->addWidget(m_exampleFolder, 0, 1);
  exampleGrid->addWidget(exampleBrowse, 0, 2);
  exampleGrid->addWidget(exampleLabel, 1, 0);
  exampleGrid->addWidget(m_example, 1, 1, 1, 2);

  auto* ok = KvSetControlId(new QPushButton(QStringLiteral("&S.确认"), this), KV_IDOK);
  auto* cancel = KvSetControlId(new QPushButton(QStringLiteral("&X.关闭"), this), KV_IDCANCEL);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_serverBox);
  layout->addLayout(grid);
  layout->addWidget(m_useExample);
  layout->addWidget(m_exampleBox);
  layout->addSpacing(4);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(m_browse, &QPushButton::clicked, this, [this] { chooseLocation(); });
  connect(exampleBrowse, &QPushButton::clicked, this, [this] { chooseExampleFolder(); });
  connect(m_location, &QLineEdit::textEdited, this, [this] {
    m_bSetTyped = true;
    proposeYear();
  });
  connect(m_serverKind, &QComboBox::currentIndexChanged, this, [this] { serverChanged(); });
  for (QLineEdit* edit : {m_server, m_user, m_serverPassword})
    connect(edit, &QLineEdit::editingFinished, this, [this] { serverChanged(); });
  connect(m_useExample, &QCheckBox::toggled, m_exampleBox, &QWidget::setEnabled);
  connect(m_example, &QComboBox::currentIndexChanged, this, [this](int row) {
    m_example->setToolTip(m_examplePaths.value(row));
  });
  m_service.AskPassword = [this](const QString& prompt, const QString& stored) {
    return KvCheckPassword(prompt, stored, this);
  };
}

void CKvNewDataFileDlg::SetSource(int nMode, const QString& sourceName, int nSourceKind,
                                  const CKvDbInfo& sourceInfo) {
  m_service.m_nMode = nMode;
  m_service.m_strSourceName = sourceName;
  m_service.m_nSourceKind = nSourceKind;
  m_service.m_sourceInfo = sourceInfo;
}

void CKvNewDataFileDlg::OnInitDialog() {
  CKvDlg::OnInitDialog();
  QString folder;
  if (!KvRegReadString(KvRegRoot::CurrentUser, KvGetRegKeyPath(), kExampleValue, &folder) || folder.isEmpty())
    folder = KvDefaultDataFolder();
  m_exampleFolder->setText(QDir::toNativeSeparators(folder));
  const bool convert = m_service.m_nMode == 1;
  if (convert)
    setWindowTitle(m_service.GetKind() == 0 ? QStringLiteral("转换为数据文件") : QStringLiteral("转换为服务器数据库"));
  m_serverBox->setVisible(toServer());
  if (toServer())
    serverChanged();
  else
    m_location->setText(m_service.InitialLocation(m_strCurrentName));
  if (convert)
    m_year->setText(KvFileTitle(m_service.m_strSourceName).right(4));
  m_year->setEnabled(!convert);
  // The template serves a first year only; converting and copying have none.
  const bool templates = m_service.m_nMode == 0;
  m_useExample->setVisible(templates);
  m_exampleBox->setVisible(templates);
  m_useExample->setChecked(true);
  proposeYear();
  if (templates)
    fillExamples();
}

bool CKvNewDataFileDlg::toServer() const { return m_service.m_nMode == 1 && m_service.GetKind() != 0; }

void CKvNewDataFileDlg::serverChanged() {
  const bool odbc = m_serverKind->currentIndex() == ServerOdbc;
  m_serverLabel->setText(odbc ? QStringLiteral("&S.数据源：") : QStringLiteral("&S.服务器："));
  if (!toServer())
    return;
  const int kind = odbc ? 1 : 2;
  CKvDbInfo info(kind);
  info.m_strServer = m_server->text().trimmed();
  info.m_strUser = m_user->text().trimmed();
  info.m_strPassword = m_serverPassword->text();
  m_service.SetTarget(kind, info);
  if (!m_bSetTyped && !info.m_strServer.isEmpty())
    m_location->setText(m_service.NextSetNumber());
}

void CKvNewDataFileDlg::GetToolTipText(QString* text, int controlId) {
  switch (controlId) {
    case IdBrowse: *text = QStringLiteral("查找数据文件所在位置。"); break;
    case IdExampleBrowse: *text = QStringLiteral("查找模板数据文件所在位置。"); break;
    case IdYear: *text = QStringLiteral("数据文件所属年度。"); break;
    case IdLocation:
      *text = m_service.GetKind() == 0 ? QStringLiteral("数据文件所在位置。")
                  : QStringLiteral("账套序号，由四位数字构成，从0001开始编排。");
      break;
    case IdExampleFolder: *text = QStringLiteral("拟将作为模板的范例数据文件所在位置。"); break;
    default: CKvDlg::GetToolTipText(text, controlId);
  }
}

void CKvNewDataFileDlg::proposeYear() {
  if (m_service.m_nMode == 1)
    return;
  m_service.m_strLocation = m_location->text();
  m_year->setText(m_service.ProposeYear());
}

void CKvNewDataFileDlg::chooseLocation() {
  CKvFolderDlg chooser(m_location->text(), QStringLiteral("选择账套位置"), 804, this);
  if (KvExecDialog(&chooser) != QDialog::Accepted)
    return;
  m_location->setText(QDir::toNativeSeparators(chooser.GetPath()));
  proposeYear();
}

void CKvNewDataFileDlg::chooseExampleFolder() {
  CKvFolderDlg chooser(m_exampleFolder->text(), QStringLiteral("选择模板范例位置"), 804, this);
  if (KvExecDialog(&chooser) != QDialog::Accepted)
    return;
  const QString folder = chooser.GetPath();
  m_exampleFolder->setText(QDir::toNativeSeparators(folder));
  fillExamples();
  KvRegDeleteValue(KvRegRoot::CurrentUser, KvGetRegKeyPath(), kExampleValue);
  if (plainFolder(folder).compare(plainFolder(KvDefaultDataFolder()), Qt::CaseInsensitive) != 0)
    KvRegWriteString(KvRegRoot::CurrentUser, KvGetRegKeyPath(), kExampleValue, folder);
}

void CKvNewDataFileDlg::fillExamples() {
  CKvWaitWnd wait;
  wait.Show(this);
  m_example->clear();
  m_examplePaths = {QString()};
  QStringList titles;
  KvNewDataFile::ListExamples(KvSlashPath(m_exampleFolder->text()), &m_examplePaths, &titles);
  m_example->AddItem(QStringLiteral("不使用范例作为新建模板"));
  for (const QString& title : titles)
    m_example->AddItem(title, 0, 0);
  m_example->setCurrentIndex(0);
}

bool CKvNewDataFileDlg::SaveData() {
  if (toServer()) {
    const bool typed = std::exchange(m_bSetTyped, true);
    serverChanged();
    m_bSetTyped = typed;
  }
  m_service.m_strLocation = m_location->text();
  m_service.m_strYear = m_year->text();
  m_service.m_strExample = m_useExample->isChecked() && m_exampleBox->isVisible()
                               ? m_examplePaths.value(m_example->currentIndex())
                               : QString();
  KvNewDataFile::Field field = KvNewDataFile::FieldNone;
  const bool made = m_service.Create(&field);
  if (made)
    return true;
  // The refusal keeps what was typed; the field it concerns gets the focus.
  if (field == KvNewDataFile::FieldYear)
    m_year->setFocus();
  else if (field == KvNewDataFile::FieldLocation)
    m_location->setFocus();
  return false;
}
