#pragma once
// One row of "an output the operator names as a data file in use is
// refused": while the row lives, its messages are recorded and the first
// file dialog is answered with the data file (unless another dialog names
// it); every other dialog goes to the answerer in place before the row, or
// is cancelled when there is none to pass it on to. Check expects the one
// refusal, the file dialogs asked, and the data file's bytes as they were.

#include "core/CKvRecordset.h"
#include "core/KvMessage.h"
#include "ui/KvModal.h"

#include <gtest/gtest.h>

#include <QFileDialog>

#include <utility>

class KvDataFileRefusalRow {
 public:
  // answerFirst: the first file dialog gets the data file; passOn: other
  // dialogs go to the answerer in place before, else they are cancelled.
  KvDataFileRefusalRow(QString dataFile, bool answerFirst, bool passOn) : m_file(std::move(dataFile)) {
    EXPECT_TRUE(KvReadFile(m_file, &m_before));
    m_previous = KvSetDialogExec([this, answerFirst, passOn](QDialog* dialog) {
      auto* files = qobject_cast<QFileDialog*>(dialog);
      if (files && fileDialogs++ == 0 && answerFirst) {
        // Replacing a file is the program's question, asked after its guard.
        questionLeftToProgram = files->testOption(QFileDialog::DontConfirmOverwrite);
        files->selectFile(m_file);
        return int(QDialog::Accepted);
      }
      return passOn ? m_previous(dialog) : int(QDialog::Rejected);
    });
  }
  ~KvDataFileRefusalRow() { KvSetDialogExec(std::move(m_previous)); }
  KvDataFileRefusalRow(const KvDataFileRefusalRow&) = delete;
  KvDataFileRefusalRow& operator=(const KvDataFileRefusalRow&) = delete;

  // The refusal alone among the messages ([the guard's own text]), the
  // file dialogs asked, the data file unchanged.
  void Check(int expectedFileDialogs, const QString& refusal = QString()) const {
    EXPECT_EQ(m_messages.texts(),
              QStringList{refusal.isEmpty()
                              ? QStringLiteral("“%1”是正在使用的数据文件，不能删除或覆盖！").arg(m_file)
                              : refusal});
    EXPECT_EQ(fileDialogs, expectedFileDialogs);
    QByteArray after;
    EXPECT_TRUE(KvReadFile(m_file, &after) && after == m_before);
  }

  int fileDialogs = 0;
  bool questionLeftToProgram = false;

 private:
  QString m_file;
  QByteArray m_before;
  KvMessageRecorder m_messages;
  KvDialogExecFn m_previous;
};
