#pragma once
// One row of "an output named as a data file in use is refused": while it
// lives the messages are recorded, the first file dialog gets the data file
// (answerFirst; noting whether it leaves the question to replace a file to
// the program) and other dialogs go to the answerer in place before (passOn)
// or are cancelled. Check: the one refusal, the file dialogs, the file as it was.

#include "core/CKvRecordset.h"
#include "core/KvMessage.h"
#include "ui/KvModal.h"

#include <gtest/gtest.h>

#include <QFileDialog>

class KvDataFileRefusalRow {
 public:
  KvDataFileRefusalRow(const QString& file, bool answerFirst, bool passOn) : m_file(file) {
    EXPECT_TRUE(KvReadFile(m_file, &m_before));
    m_previous = KvSetDialogExec([=, this](QDialog* dialog) {
      auto* files = qobject_cast<QFileDialog*>(dialog);
      if (!files || fileDialogs++ > 0 || !answerFirst)
        return passOn ? m_previous(dialog) : int(QDialog::Rejected);
      questionLeftToProgram = files->testOption(QFileDialog::DontConfirmOverwrite);
      files->selectFile(m_file);
      return int(QDialog::Accepted);
    });
  }
  ~KvDataFileRefusalRow() { KvSetDialogExec(m_previous); }

  // [refusal: the guard's own text]
  void Check(int expectedFileDialogs, QString refusal = QString()) const {
    if (refusal.isEmpty())
      refusal = QStringLiteral("“%1”是正在使用的数据文件，不能删除或覆盖！").arg(m_file);
    EXPECT_EQ(m_messages.texts(), QStringList{refusal});
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
