#pragma once
// The password prompt (793 "口令校验"): a prompt text and a password edit.
// OK only with the password of the stored form given (letter case
// matters); a wrong one is told and the prompt stays open. An empty stored
// password passes without asking (KvCheckPassword).

#include "ui/CKvDlg.h"

class QLabel;
class QLineEdit;

class CKvPasswordCheckDlg : public CKvDlg {
  Q_OBJECT
 public:
  enum : int { IdPrompt = 1148, IdPassword = 1088 };

  CKvPasswordCheckDlg(const QString& title, const QString& prompt, const QString& stored,
                      QWidget* parent = nullptr);

  bool SaveData() override;

 private:
  QString m_strStored;
  QLabel* m_prompt;
  QLineEdit* m_password;
};

// True when the stored password is empty, or when the prompt was answered
// with the right one; false when it was cancelled.
bool KvCheckPassword(const QString& prompt, const QString& stored, QWidget* parent = nullptr);
