#pragma once
// What the directory and node-form tests share: the small school of
// KvSchoolDbTest (unit 01, grade 0102, classes 010201 with two students and
// 010202 without any), operator 101 holding the directory rights, and
// helpers that work the dialogs' controls as the operator does.

#include "KvSchoolTestSupport.h"

#include "app/CKvApp.h"
#include "core/CKvDb.h"
#include "ui/KvObjectNames.h"
#include "ui/KvUiTestSupport.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>

class KvStdTreeTest : public KvSchoolDbTest {
 protected:
  void SetUp() override {
    KvSchoolDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    Grant({"0080", "0081", "0082", "0083"});
    AddClass({"010201001", "张三", "010201002", "李四"});
    AddNode(QStringLiteral("010202"), QStringLiteral("二班"));
  }

  // Operator 101 holds exactly these rights.
  void Grant(const QStringList& rights) {
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From PWR Where OPNO='101'")));
    for (const QString& right : rights)
      ASSERT_TRUE(pdb()->Execute(QStringLiteral("Insert Into PWR(OPNO,PWR) Values('101','%1')").arg(right)));
    ASSERT_TRUE(m_app->GetDataFile().LoadRights());
  }

  QStringList Codes() { return Column(QStringLiteral("Select KNO From STD Order By KNO")); }
  // The log's notes, sorted.
  QStringList Log() {
    QStringList notes = Column(QStringLiteral("Select sNote From KvLog"));
    notes.sort();
    return notes;
  }

  static void Click(QWidget* dialog, int id) { KvDlgItem<QAbstractButton>(dialog, id)->click(); }
  static void Type(QWidget* dialog, int id, const QString& text) { KvDlgItem<QLineEdit>(dialog, id)->setText(text); }
  static QString Text(QWidget* dialog, int id) { return KvDlgItem<QLineEdit>(dialog, id)->text(); }
  // Chooses an item as the operator does: the drop-down closes on it.
  static void Choose(QWidget* dialog, int id, int index) {
    auto* combo = KvDlgItem<QComboBox>(dialog, id);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
  }
  // The id of the control with the focus; 0 when none has it.
  static int Focused(QWidget* dialog) {
    const QWidget* focus = dialog->focusWidget();
    return focus && focus->objectName().startsWith(QStringLiteral("id_")) ? focus->objectName().mid(3).toInt() : 0;
  }
};
