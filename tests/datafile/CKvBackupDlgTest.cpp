// The backup and restore dialog: its stages, the copies it makes, the
// archives it offers, and how each stage looks.

#include "KvBackupTestSupport.h"
#include "KvDataFileTestSupport.h"

#include "app/CKvApp.h"
#include "core/CKvDb.h"
#include "core/KvMessage.h"
#include "core/KvRegistry.h"
#include "datafile/CKvBackupDlg.h"
#include "datafile/CKvMDBBak.h"
#include "ui/CKvEdit.h"
#include "ui/KvObjectNames.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <memory>

namespace {

QByteArray readAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every label and button shows its whole text.
void expectNothingClipped(QWidget* dialog) {
  for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
    if (button->isVisible()) {
      EXPECT_GE(button->width(), button->sizeHint().width()) << button->text().toStdString();
    }
  }
  for (QLabel* label : dialog->findChildren<QLabel*>()) {
    if (label->isVisible()) {
      EXPECT_GE(label->width(), label->minimumSizeHint().width()) << label->text().toStdString();
    }
  }
}

// Looks at the dialog: nothing clipped; with KV_TEST_RENDER set, the
// picture goes into that folder.
void look(QWidget* dialog, const QString& name) {
  dialog->adjustSize();
  expectNothingClipped(dialog);
  const QImage picture = dialog->grab().toImage();
  EXPECT_FALSE(picture.isNull());
  const QString folder = qEnvironmentVariable("KV_TEST_RENDER");
  if (!folder.isEmpty())
    picture.save(folder + u'/' + name + QStringLiteral(".png"));
}

}  // namespace

class KvBackupDlgTest : public KvBackupDbTest {
 protected:
  void SetUp() override {
    KvBackupDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    // The last backup place: the test's folder.
    KvRegWriteString(KvRegRoot::CurrentUser, KvGetRegKeyPath(), QStringLiteral("BakFilePos"), Folder());
  }
  static QPushButton* Ok(CKvBackupDlg& dialog) { return KvDlgItem<QPushButton>(&dialog, KV_IDOK); }
  static QString Hint(CKvBackupDlg& dialog) {
    return KvDlgItem<QPlainTextEdit>(&dialog, CKvBackupDlg::IDC_HINT)->toPlainText();
  }
  int LogRows(const QString& note) {
    return pdb()->GetLong(QStringLiteral("Select Count(*) From KvLog Where sNote='%1'").arg(pdb()->QuoteText(note)));
  }
};

TEST_P(KvBackupDlgTest, BackupUnloadsThenCopiesAndNeverLosesAnExistingCopy) {
  KvScriptedAnswers answers;
  CKvBackupDlg dialog(0);
  dialog.show();
  EXPECT_EQ(dialog.objectName(), u"dlg_817");
  EXPECT_EQ(dialog.windowTitle(), u"数据备份");
  EXPECT_EQ(Ok(dialog)->text(), u"&S.卸出数据");
  EXPECT_FALSE(KvDlgItem<QComboBox>(&dialog, CKvBackupDlg::IDC_LIST)->isVisible());
  EXPECT_TRUE(Hint(dialog).startsWith(QStringLiteral("    备份数据前应当先从数据库中卸出数据")));
  // The year, then the month and day as four digits.
  EXPECT_TRUE(dialog.DefaultFileName().endsWith(QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) +
                                                QStringLiteral("_2024_xxd.bak")))
      << dialog.DefaultFileName().toStdString();
  look(&dialog, QStringLiteral("817-stage0"));

  Ok(dialog)->click();
  ASSERT_EQ(dialog.Stage(), 1) << answers.texts.join(u'\n').toStdString();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(QFileInfo::exists(dialog.LocalBackupFile()));
  EXPECT_EQ(Ok(dialog)->text(), u"&S.拷贝");
  EXPECT_TRUE(Hint(dialog).startsWith(QStringLiteral("    已成功地卸出数据！")));
  EXPECT_TRUE(Hint(dialog).contains(QStringLiteral("下列表中的二进制数据未备份：")));
  look(&dialog, QStringLiteral("817-stage1"));

  // A place that does not exist.
  dialog.ChooseFolder(Folder() + QStringLiteral("/missing"));
  Ok(dialog)->click();
  EXPECT_EQ(answers.texts.value(answers.texts.size() - 1),
            QStringLiteral("“%1/missing/”不存在！").arg(Folder()));
  EXPECT_EQ(dialog.Stage(), 1);

  dialog.ChooseFolder(Folder());
  const QString target = Folder() + u'/' + dialog.DefaultFileName();
  Ok(dialog)->click();
  ASSERT_EQ(dialog.Stage(), 2);
  EXPECT_EQ(readAll(target), readAll(dialog.LocalBackupFile()));
  EXPECT_TRUE(Hint(dialog).startsWith(QStringLiteral("    备份成功，若还想拷贝一个备件")));
  EXPECT_EQ(LogRows(QStringLiteral("成功地进行了数据备份。")), 1);
  look(&dialog, QStringLiteral("817-stage2"));

  // Copying onto the copy asks; No keeps it; a copy that does not read back
  // whole keeps it too.
  const QByteArray first = readAll(target);
  {
    KvScriptedAnswers no({KV_IDNO});
    Ok(dialog)->click();
    EXPECT_EQ(no.texts, QStringList{QStringLiteral("“%1”已存在，覆盖它吗？").arg(target)});
  }
  QFile local(dialog.LocalBackupFile());
  ASSERT_TRUE(local.resize(local.size() / 2));
  {
    KvScriptedAnswers yes({KV_IDYES});
    Ok(dialog)->click();
    EXPECT_TRUE(yes.texts.value(1).startsWith(QStringLiteral("拷贝失败！\n"))) << yes.texts.join(u'\n').toStdString();
  }
  EXPECT_EQ(readAll(target), first);
  EXPECT_EQ(LogRows(QStringLiteral("数据备份失败。")), 1);
  EXPECT_EQ(QDir(Folder()).entryList(QDir::Files | QDir::Hidden).size(), 1);
  EXPECT_TRUE(Hint(dialog).startsWith(QStringLiteral("    最近一次拷贝失败：备份件拷贝后读回检查未通过：")))
      << Hint(dialog).toStdString();
  // A place that cannot be written: the reason, not the system's text.
  dialog.ChooseFolder(QStringLiteral("/proc/sys"));
  Ok(dialog)->click();
  EXPECT_EQ(answers.texts.value(answers.texts.size() - 1),
            QStringLiteral("拷贝失败！\n备份位置不能写入：/proc/sys"));
  look(&dialog, QStringLiteral("817-copy-failed"));
  dialog.reject();
  EXPECT_FALSE(dialog.isVisible());
}

constexpr char kHolderWorker[] = "KV_BACKUP_COPY_HOLDER";

// A copy typed onto the open data file, or onto a data file another
// program holds, is refused before the question whether to overwrite (one
// opened while it is up, after it); the file stays and nothing is logged.
TEST_P(KvBackupDlgTest, ACopyNeverReplacesADataFileInUse) {
  KvHoldDataFileInWorker(kHolderWorker);
  if (kind() != 0)
    GTEST_SKIP() << "the presence lock is a lock on SQLite files";
  const QString other = Folder() + QStringLiteral("/2023.xxd");
  {
    CKvDb made(0);
    ASSERT_TRUE(made.CreateDatabase(other, CKvDbInfo(0)));
  }
  const QString late = Folder() + QStringLiteral("/2022.xxd");
  ASSERT_TRUE(QFile::copy(other, late));
  KvTestWorkers workers(kHolderWorker, {other});
  ASSERT_EQ(workers.FirstNotReady(), -1);

  KvScriptedAnswers unload;
  CKvBackupDlg dialog(0);
  dialog.show();
  Ok(dialog)->click();
  ASSERT_EQ(dialog.Stage(), 1) << unload.texts.join(u'\n').toStdString();
  const auto bytesOf = [](const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(does not open)");
  };
  for (const QString& target : {pdb()->GetDatabaseName(true), other, late}) {
    dialog.ChooseFolder(QFileInfo(target).path());
    KvDlgItem<CKvEdit>(&dialog, CKvBackupDlg::IDC_PATH)->setText(target);
    const QByteArray before = bytesOf(target);
    KvScriptedAnswers answers({KV_IDYES});
    std::unique_ptr<KvTestWorkers> opener;
    const KvMessageHandler scripted = KvSetMessageHandler([&](const KvMessage& message) {
      if (message.text == QStringLiteral("“%1”已存在，覆盖它吗？").arg(late))
        opener = std::make_unique<KvTestWorkers>(kHolderWorker, QStringList{late});
      return opener && opener->FirstNotReady() != -1 ? int(KV_IDNO) : scripted(message);
    });
    Ok(dialog)->click();
    EXPECT_EQ(answers.texts.last(), QStringLiteral("“%1”是正在使用的数据文件，不能删除或覆盖！").arg(target));
    EXPECT_EQ(answers.texts.size(), target == late ? 2 : 1);
    EXPECT_EQ(bytesOf(target), before);
    EXPECT_EQ(dialog.Stage(), 1);
  }
  EXPECT_EQ(LogRows(QStringLiteral("成功地进行了数据备份。")), 0);
  dialog.reject();
}

TEST_P(KvBackupDlgTest, RestoreOffersOnlyThisYearsArchivesAndEndsInTheLogin) {
  KvScriptedAnswers answers;
  const QStringList archived = State();
  QDir(Folder()).mkpath(QStringLiteral("sub"));
  const QString good = Archive(QStringLiteral("sub/E20240101_2024_xxd.bak"));
  m_app->GetDataFile().SetYear(2025);
  Archive(QStringLiteral("later_2025_xxd.bak"));
  m_app->GetDataFile().SetYear(2024);
  QFile::copy(good, Folder() + QStringLiteral("/other.bak"));
  QFile fake(Folder() + QStringLiteral("/fake_xxd.BAK"));
  ASSERT_TRUE(fake.open(QIODevice::WriteOnly));
  fake.write("not an archive of this program");
  fake.close();
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update T Set S='现在'")));

  CKvBackupDlg dialog(1);
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), u"数据恢复");
  EXPECT_FALSE(Ok(dialog)->isEnabled());
  EXPECT_FALSE(KvDlgItem<QWidget>(&dialog, CKvBackupDlg::IDC_PATH)->isVisible());
  EXPECT_EQ(KvDlgItem<QLabel>(&dialog, CKvBackupDlg::IDC_LOCATION)->text(), Folder() + u'/');
  look(&dialog, QStringLiteral("817-stage10"));

  // A folder with no archive leaves OK disabled.
  QDir(Folder()).mkpath(QStringLiteral("none"));
  dialog.ChooseFolder(Folder() + QStringLiteral("/none"));
  EXPECT_FALSE(Ok(dialog)->isEnabled());

  dialog.ChooseFolder(Folder());
  auto* list = KvDlgItem<QComboBox>(&dialog, CKvBackupDlg::IDC_LIST);
  ASSERT_EQ(list->count(), 1);
  EXPECT_EQ(list->itemText(0), good);
  EXPECT_TRUE(Ok(dialog)->isEnabled());
  EXPECT_EQ(Ok(dialog)->text(), u"&S.恢复数据");
  EXPECT_TRUE(Hint(dialog).startsWith(QStringLiteral("    这是一个可用备份件：")));
  EXPECT_TRUE(Hint(dialog).contains(QStringLiteral("原备份人：管理员(101)")));
  look(&dialog, QStringLiteral("817-stage10-chosen"));

  Ok(dialog)->click();
  EXPECT_TRUE(answers.texts.contains(QStringLiteral("从“%1”中恢复数据成功！\n  请退出重新注册。").arg(good)))
      << answers.texts.join(u'\n').toStdString();
  EXPECT_EQ(dialog.Stage(), 11);
  EXPECT_EQ(Ok(dialog)->text(), u"&S.重新注册");
  EXPECT_FALSE(KvDlgItem<QWidget>(&dialog, KV_IDCANCEL)->isEnabled());
  EXPECT_EQ(KvStateDiff(State(), archived), QStringList());
  look(&dialog, QStringLiteral("817-stage11"));
  dialog.reject();
  EXPECT_TRUE(dialog.isVisible());
  Ok(dialog)->click();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), int(QDialog::Accepted));
}

TEST_P(KvBackupDlgTest, FailedUnloadSaysWhyAndLeavesNoFile) {
  // A column of a type the archive does not know.
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Create Table Q(D Date)")));
  KvScriptedAnswers answers;
  CKvBackupDlg dialog(0);
  dialog.show();
  Ok(dialog)->click();
  EXPECT_EQ(dialog.Stage(), 0);
  EXPECT_EQ(answers.Stops(),
            QStringList{QStringLiteral("卸出数据失败！\n有数据表不能读出或含有不能备份的列类型。")});
  EXPECT_FALSE(QFileInfo::exists(dialog.LocalBackupFile()));
  dialog.reject();
}

KV_DB_KIND_TEST_SUITE(KvBackupDlgTest);
