// Operator passwords: salted Argon2id hashes that take exactly the text
// they were made of, the empty text as the empty password, and no hash in
// the log, on the clipboard or in a message.

#include "KvShellDbTest.h"
#include "app/CKvPasswordDlg.h"
#include "app/KvOperatorDialogs.h"
#include "app/KvOperatorStore.h"
#include "core/KvMessage.h"
#include "ui/KvObjectNames.h"
#include "ui/KvUiTestSupport.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTest>

TEST(KvOperatorPassword, AHashTakesItsExactTextOnly) {
  QString stored;
  ASSERT_TRUE(KvOperatorStore::HashPassword(QStringLiteral("Abc密码1"), &stored));
  EXPECT_TRUE(stored.startsWith(QStringLiteral("$argon2id$")));
  EXPECT_FALSE(stored.contains(QStringLiteral("Abc")));
  EXPECT_TRUE(KvOperatorStore::VerifyPassword(stored, QStringLiteral("Abc密码1")));
  for (const char* other : {"abc密码1", "ABC密码1", "Abc密码", "Abc密码1 ", ""})
    EXPECT_FALSE(KvOperatorStore::VerifyPassword(stored, QString::fromUtf8(other))) << other;

  // A new salt every time.
  QString again;
  ASSERT_TRUE(KvOperatorStore::HashPassword(QStringLiteral("Abc密码1"), &again));
  EXPECT_NE(stored, again);
  EXPECT_TRUE(KvOperatorStore::VerifyPassword(again, QStringLiteral("Abc密码1")));

  // The empty text is the empty password and nothing else.
  ASSERT_TRUE(KvOperatorStore::HashPassword(QString(), &stored));
  EXPECT_TRUE(stored.isEmpty());
  EXPECT_TRUE(KvOperatorStore::VerifyPassword(QString(), QString()));
  EXPECT_FALSE(KvOperatorStore::VerifyPassword(QString(), QStringLiteral(" ")));
  // A stored text that is no hash takes nothing.
  EXPECT_FALSE(KvOperatorStore::VerifyPassword(QStringLiteral("secret"), QStringLiteral("secret")));
}

class KvPasswordDlgDb : public KvShellDbTest {
 protected:
  QString storedPassword(const QString& code) {
    KvOperatorStore store;
    store.Load(appDb(), code);
    return store.Operator().strPassword;
  }
  // Runs dialog 812 for the operator with the three texts typed.
  int runDialog(const QString& code, const QString& old, const QString& fresh, const QString& again) {
    KvScopedDialogExec exec([&](QDialog* dialog) {
      KvDlgItem<QLineEdit>(dialog, CKvPasswordDlg::IDC_OLD)->setText(old);
      KvDlgItem<QLineEdit>(dialog, CKvPasswordDlg::IDC_NEW)->setText(fresh);
      KvDlgItem<QLineEdit>(dialog, CKvPasswordDlg::IDC_CONFIRM)->setText(again);
      dialog->show();
      // Copying from a password field puts nothing on the clipboard.
      QLineEdit* field = KvDlgItem<QLineEdit>(dialog, CKvPasswordDlg::IDC_NEW);
      field->selectAll();
      field->copy();
      QTest::keyClick(field, Qt::Key_C, Qt::ControlModifier);
      m_visible = dialog->isVisible();
      static_cast<CKvPasswordDlg*>(dialog)->accept();
      return dialog->isVisible() ? QDialog::Rejected : dialog->result();
    });
    return KvRunPasswordDlg(appDb(), code);
  }
  QStringList logNotes() { return column(QStringLiteral("Select rtrim(sNote) From KvLog")); }

  bool m_visible = false;
};

TEST_P(KvPasswordDlgDb, ChangesThePasswordAfterTheOldOneAndLogsNeither) {
  QGuiApplication::clipboard()->setText(QStringLiteral("before"));
  KvMessageRecorder recorder;
  ASSERT_EQ(runDialog(QStringLiteral("102"), QString(), QStringLiteral("Xy9"), QStringLiteral("Xy9")),
            QDialog::Accepted);
  const QString hash = storedPassword(QStringLiteral("102"));
  EXPECT_TRUE(hash.startsWith(QStringLiteral("$argon2id$")));
  EXPECT_TRUE(KvOperatorStore::VerifyPassword(hash, QStringLiteral("Xy9")));
  EXPECT_TRUE(recorder.messages().isEmpty());

  // A wrong (or case-changed) old password keeps the dialog open and the hash.
  EXPECT_EQ(runDialog(QStringLiteral("102"), QStringLiteral("xy9"), QStringLiteral("n"), QStringLiteral("n")),
            QDialog::Rejected);
  EXPECT_EQ(recorder.last(), QStringLiteral("原口令不正确！"));
  EXPECT_EQ(runDialog(QStringLiteral("102"), QStringLiteral("Xy9"), QStringLiteral("n"), QStringLiteral("m")),
            QDialog::Rejected);
  EXPECT_EQ(recorder.last(), QStringLiteral("两次输入的新口令不一致！"));
  EXPECT_EQ(storedPassword(QStringLiteral("102")), hash);

  // Back to the empty password.
  ASSERT_EQ(runDialog(QStringLiteral("102"), QStringLiteral("Xy9"), QString(), QString()),
            QDialog::Accepted);
  EXPECT_TRUE(storedPassword(QStringLiteral("102")).isEmpty());

  // Another station holds the operators: the lock's own message alone.
  CKvDb other(kind());
  ASSERT_TRUE(testDb().OpenAnother(other) && other.BeginTrans() && other.LockTable(QStringLiteral("OPR")));
  recorder.clear();
  EXPECT_EQ(runDialog(QStringLiteral("102"), QString(), QStringLiteral("z"), QStringLiteral("z")), QDialog::Rejected);
  EXPECT_EQ(recorder.texts(), QStringList{QStringLiteral("数据正被另一工作站锁定（其修改尚未提交），等待10秒后已放弃，"
                                                         "本次操作未作任何修改！")});
  ASSERT_TRUE(other.Rollback());

  const QStringList notes = logNotes();
  EXPECT_EQ(notes.count(QStringLiteral("操作员102更改了口令")), 2);
  for (const QString& note : notes) {
    EXPECT_FALSE(note.contains(QStringLiteral("argon2")));
    EXPECT_FALSE(note.contains(QStringLiteral("Xy9")));
  }
  for (const QString& text : recorder.texts())
    EXPECT_FALSE(text.contains(QStringLiteral("argon2")));
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("before"));

  // Another station carried the year since this one read it: the year's message alone, the old password kept.
  if (kind() != 0) {
    ASSERT_TRUE(other.Execute(QStringLiteral("Update SysTab Set MM=12")));
    recorder.clear();
    EXPECT_EQ(runDialog(QStringLiteral("102"), QString(), QStringLiteral("z"), QStringLiteral("z")), QDialog::Rejected);
    EXPECT_EQ(recorder.texts(), QStringList{QStringLiteral("本年度数据已结转到新年度，不能再保存！")});
    EXPECT_TRUE(storedPassword(QStringLiteral("102")).isEmpty());
  }
}

TEST_P(KvPasswordDlgDb, TheLoggedInOperatorsStoredFormFollows) {
  m_app.GetDataFile().SetOperatorCode(QStringLiteral("101"));
  ASSERT_EQ(runDialog(QStringLiteral("101"), QString(), QStringLiteral("pw"), QStringLiteral("pw")),
            QDialog::Accepted);
  EXPECT_TRUE(KvOperatorStore::VerifyPassword(m_app.GetDataFile().GetOperatorPassword(),
                                              QStringLiteral("pw")));
}

KV_DB_KIND_TEST_SUITE(KvPasswordDlgDb);
