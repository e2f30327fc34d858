#include "KvPkWindowTestSupport.h"

#include "app/CKvApp.h"
#include "app/KvDocOpenMode.h"
#include "core/CKvDb.h"
#include "forms/CFormChildFrm.h"
#include "ui/KvModal.h"
#include "ui/KvObjectNames.h"

#include <QApplication>
#include <QLineEdit>

KvDialogScript::KvDialogScript(QList<Step> steps) : m_steps(std::move(steps)) {
  KvSetDialogExec([this](QDialog* dialog) {
    names.append(dialog->objectName());
    dialog->show();
    titles.append(dialog->windowTitle());
    if (m_steps.isEmpty()) {
      dialog->reject();
      return int(QDialog::Rejected);
    }
    const int result = m_steps.takeFirst()(dialog);
    if (dialog->isVisible())
      dialog->hide();
    return result;
  });
}

KvDialogScript::~KvDialogScript() { KvSetDialogExec({}); }

int KvPressOk(QDialog* dialog) {
  dialog->accept();
  if (!dialog->isVisible())
    return dialog->result();
  dialog->reject();
  return QDialog::Rejected;
}

void KvSetText(QWidget* dialog, int id, const QString& text) {
  auto* edit = KvDlgItem<QLineEdit>(dialog, id);
  ASSERT_NE(edit, nullptr) << id;
  edit->setText(text);
}

QString KvGetText(QWidget* dialog, int id) {
  auto* edit = KvDlgItem<QLineEdit>(dialog, id);
  return edit ? edit->text() : QStringLiteral("<none>");
}

void KvGrab(QWidget* window, const QString& name) {
  const QByteArray folder = qgetenv("KV_TEST_GRAB");
  if (!folder.isEmpty())
    window->grab().save(QString::fromLocal8Bit(folder) + u'/' + name + QStringLiteral(".png"));
}

void KvPkWindowTest::SetUp() {
  KvPkDbTest::SetUp();
  if (IsSkipped() || HasFatalFailure())
    return;
  m_app->GetDataFile().SetLogOn(true);
  m_app->GetDataFile().GetYear(true);
  // Every test opens its windows as if for the first time.
  for (int flag = 270; flag <= 273; ++flag)
    for (int form = 0; form <= 2; ++form)
      KvDeleteDocOpenMode(flag, form);
  Grant({QStringLiteral("1901"), QStringLiteral("1902"), QStringLiteral("0084"), QStringLiteral("1903"),
         QStringLiteral("1904"), QStringLiteral("1920"), QStringLiteral("1921"), QStringLiteral("1922")});
}

void KvPkWindowTest::TearDown() {
  KvCloseDocumentWindows();
  KvPkDbTest::TearDown();
}

void KvPkWindowTest::Grant(const QStringList& codes) {
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From PWR Where OPNO='101'")));
  for (const QString& code : codes)
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Insert Into PWR(OPNO,PWR) Values('101','%1')").arg(code)));
  ASSERT_TRUE(m_app->GetDataFile().LoadRights());
}

CPkDataType* KvPkWindowTest::Module() { return dynamic_cast<CPkDataType*>(KvFindDataType(CPkDataType::kModule)); }

QStringList KvPkWindowTest::LogNotes(int code) {
  QStringList notes;
  for (const QString& row : Rows(QStringLiteral("KvLog"), QStringLiteral("sNote"), QStringLiteral("Where nTaskID=%1").arg(code)))
    notes.append(row);
  return notes;
}

QStringList KvPkWindowTest::State(const QList<std::pair<QString, QString>>& tables) {
  QStringList state;
  for (const auto& [table, columns] : tables)
    state << table << Rows(table, columns);
  state << Rows(QStringLiteral("KvLog"), QStringLiteral("nTaskID,sNote"));
  return state;
}
