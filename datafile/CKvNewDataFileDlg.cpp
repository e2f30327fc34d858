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
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

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
  m_locationLabel = KvSetControlId(new QLabel(file ? QStringLiteral("位  置(&P)：") : QStringLiteral("序  号(&P)："), this),
                                   IdLocationLabel);
  m_location = KvSetControlId(new CKvEdit(this), IdLocation);
  m_location->SetInputType(file ? QStringLiteral("STRING NOT *?\"<>|") : QStringLiteral("STRING DIGIT"),
                           file ? 260 : 4);
  m_locationLabel->setBuddy(m_location);
  m_browse = KvSetControlId(new QPushButton(QStringLiteral("..."), this), IdBrowse);
  m_browse->setAutoDefault(false);
  m_browse->setFixedWidth(32);
  m_browse->setVisible(file);
  m_yearLabel = KvSetControlId(new QLabel(QStringLiteral("年  度(&F)："), this), IdYearLabel);
  m_year = KvSetControlId(new CKvEdit(this), IdYear);
  m_year->SetInputType(QStringLiteral("STRING DIGIT"), 4);
  m_yearLabel->setBuddy(m_year);

  m_useExample = KvSetControlId(new QCheckBox(QStringLiteral("使用下列范例作为新建模板"), this), IdUseExample);
  m_exampleBox = new QWidget(this);
  auto* exampleFolderLabel =
      KvSetControlId(new QLabel(QStringLiteral("范例位置："), m_exampleBox), IdExampleFolderLabel);
  m_exampleFolder = KvSetControlId(new CKvEdit(m_exampleBox), IdExampleFolder);
  m_exampleFolder->setReadOnly(true);
  auto* exampleBrowse = KvSetControlId(new QPushButton(QStringLiteral("..."), m_exampleBox), IdExampleBrowse);
  exampleBrowse->setAutoDefault(false);
  exampleBrowse->setFixedWidth(32);
  auto* exampleLabel = KvSetControlId(new QLabel(QStringLiteral("范  例(&E)："), m_exampleBox), IdExampleLabel);
  m_example = KvSetControlId(new CKvComboBoxEx(m_exampleBox), IdExample);
  m_example->SetIcons({kExampleIcon});
  m_example->setMinimumWidth(280);
  exampleLabel->setBuddy(m_example);

  auto* grid = new QGridLayout;
  grid->addWidget(m_locationLabel, 0, 0);
  grid->addWidget(m_location, 0, 1);
  grid->addWidget(m_browse, 0, 2);
  grid->addWidget(m_yearLabel, 1, 0);
  grid->addWidget(m_year, 1, 1);
  m_location->setMinimumWidth(280);

  auto* exampleGrid = new QGridLayout(m_exampleBox);
  exampleGrid->setContentsMargins(0, 0, 0, 0);
  exampleGrid->addWidget(exampleFolderLabel, 0, 0);
  exampleGrid->addWidget(m_exampleFolder, 0, 1);
  exampleGrid->addWidget(exampleBrowse, 0, 2);
  exampleGrid->addWidget(exampleLabel, 1, 0);
  exampleGrid->addWidget(m_example, 1, 1, 1, 2);

  auto* ok = KvSetControlId(new QPushButton(QStringLiteral("确认(&S)"), this), KV_IDOK);
  auto* cancel = KvSetControlId(new QPushButton(QStringLiteral("关闭(&X)"), this), KV_IDCANCEL);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(m_useExample);
  layout->addWidget(m_exampleBox);
  layout->addSpacing(4);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(m_browse, &QPushButton::clicked, this, [this] { chooseLocation(); });
  connect(exampleBrowse, &QPushButton::clicked, this, [this] { chooseExampleFolder(); });
  connect(m_location, &QLineEdit::textEdited, this, [this] { proposeYear(); });
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
  m_location->setText(m_service.InitialLocation(m_strCurrentName));
  const bool convert = m_service.m_nMode == 1;
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
