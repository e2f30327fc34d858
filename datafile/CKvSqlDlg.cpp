#include "datafile/CKvSqlDlg.h"

#include "app/CKvApp.h"
#include "app/KvBackup.h"
#include "core/CKvDb.h"
#include "core/KvDataFileInUse.h"
#include "core/KvMessage.h"
#include "datafile/KvSqlConsole.h"
#include "ui/CKvWaitWnd.h"
#include "ui/KvExportWriteError.h"
#include "ui/KvModal.h"
#include "ui/KvObjectNames.h"

#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// The administrator, or an operator holding right 0007.
bool mayUseConsole() {
  CKvApp* app = KvGetApp();
  return app && (app->GetDataFile().GetOperatorCode() == u"101" ||
                 KvHasRightCode(QStringLiteral("0007")));
}
}  // namespace

CKvSqlDlg::CKvSqlDlg(CKvDb* pDb, QWidget* parent) : CKvDlg(IDD, parent), m_pDb(pDb) {
  setWindowTitle(QStringLiteral("SQL语言数据维护"));
  m_pEdit = KvSetControlId(new QPlainTextEdit(this), IDC_STATEMENT);
  m_pEdit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  m_pEdit->setMinimumSize(520, 260);
  m_pEdit->setTabChangesFocus(true);

  auto* read = KvSetControlId(new QPushButton(QStringLiteral("&R.读取SQL"), this), IDC_READ);
  auto* save = KvSetControlId(new QPushButton(QStringLiteral("&W.保存SQL"), this), IDC_SAVE);
  auto* run = KvSetControlId(new QPushButton(QStringLiteral("&E.执行SQL"), this), KV_IDOK);
  auto* close = KvSetControlId(new QPushButton(QStringLiteral("&X.关闭"), this), KV_IDCANCEL);
  connect(read, &QPushButton::clicked, this, &CKvSqlDlg::OnRead);
  connect(save, &QPushButton::clicked, this, &CKvSqlDlg::OnSave);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(read);
  buttons->addWidget(save);
  buttons->addStretch(1);
  buttons->addWidget(run);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_pEdit, 1);
  layout->addLayout(buttons);
}

void CKvSqlDlg::OnInitDialog() {
  CKvDlg::OnInitDialog();
  if (!mayUseConsole()) {
    KvMessageBox(QStringLiteral("你无SQL语言数据维护权！"), KV_MB_OK | KV_MB_ICONSTOP);
    reject();
    return;
  }
  m_pEdit->setFocus();
}

bool CKvSqlDlg::DoDataExchange(bool bSaveAndValidate) {
  if (bSaveAndValidate)
    m_strStatement = m_pEdit->toPlainText();
  else if (m_pEdit->toPlainText() != m_strStatement)
    m_pEdit->setPlainText(m_strStatement);
  return true;
}

QString CKvSqlDlg::askFile(bool bSave) {
  CKvApp* app = KvGetApp();
  const QString name = app ? app->GetDataFile().GetEntityName() : QString();
  QFileDialog dialog(this, bSave ? QStringLiteral("保存SQL") : QStringLiteral("读取SQL"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(bSave ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(bSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setNameFilter(QStringLiteral("SQL语句(*.sql)"));
  dialog.setDefaultSuffix(QStringLiteral("sql"));
  // Replacing a file is asked by the save, after its guard.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  if (!name.isEmpty())
    dialog.selectFile(name + QStringLiteral(".sql"));
  if (KvExecDialog(&dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return QString();
  return dialog.selectedFiles().first();
}

void CKvSqlDlg::OnRead() {
  const QString path = askFile(false);
  if (path.isEmpty())
    return;
  QString text;
  if (!KvReadSqlFile(path, &text))
    return;
  m_strStatement = text;
  m_pEdit->setPlainText(text);
  m_pEdit->setFocus();
}

void CKvSqlDlg::OnSave() {
  m_strStatement = m_pEdit->toPlainText();
  if (m_strStatement.isEmpty())
    return;
  // A data file in use is never replaced by the text, and an existing file
  // only after 是: otherwise the file dialog asks again.
  QString path;
  do {
    path = askFile(true);
    if (path.isEmpty())
      return;
  } while (!KvMayReplaceFile(path));
  if (!KvWriteSqlFile(path, m_strStatement))
    KvShowExportWriteError(path);
  m_pEdit->setFocus();
}

bool CKvSqlDlg::SaveData() {
  const QString sql = m_strStatement;
  if (sql.trimmed().isEmpty())
    return false;
  // A text the engine would read only up to a NUL is refused before
  // anything is backed up or run.
  const QString refusal = sql.contains(QChar(0))           ? CKvDb::NulRefusedText()
                          : KvHasTransactionControl(sql) ? KvSqlControlRefusedText()
                                                         : QString();
  if (!refusal.isEmpty()) {
    KvMessageBox(refusal, KV_MB_OK | KV_MB_ICONSTOP);
    m_pEdit->setFocus();
    return false;
  }
  CKvWaitWnd wait;
  wait.Show(this);
  if (!KvBackupBeforeRiskyOp())
    return false;
  wait.Reshow();
  const bool committed = KvRunSqlText(m_pDb, sql, [&wait](int nRows) {
    wait.Hide();
    return KvMessageBox(QStringLiteral("SQL语句处理完毕，%1记录。提交吗？").arg(KvSqlRowsText(nRows)),
                        KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION) == KV_IDYES;
  });
  if (committed)
    readDataFileAgain();
  m_pEdit->setFocus();
  return false;
}

void CKvSqlDlg::readDataFileAgain() {
  CKvApp* app = KvGetApp();
  if (!app || app->GetDb() != m_pDb || !m_pDb->IsOpen())
    return;
  app->GetDataFile().ReadSysTab(m_pDb, true);
  app->OpenModuleData(m_pDb);
}
