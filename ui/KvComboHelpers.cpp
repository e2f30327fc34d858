#include "ui/KvComboHelpers.h"

#include "core/CKvQuery.h"
#include "core/KvMessage.h"
#include "core/KvText.h"
#include "ui/KvAppServices.h"

#include <QComboBox>
#include <QKeyEvent>

namespace {
bool refuse(QComboBox* combo, const QString& message) {
  KvMessageBox(message, KV_MB_OK | KV_MB_ICONSTOP);
  combo->setFocus();
  return false;
}

QString currentText(const QComboBox* combo) {
  return combo->currentIndex() < 0 ? QString() : combo->currentText();
}

// Opens the list of the combo box it watches on a plain Down arrow.
class ExtendedUiFilter : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* combo = qobject_cast<QComboBox*>(watched);
    if (combo && event->type() == QEvent::KeyPress) {
      const auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() == Qt::Key_Down && key->modifiers() == Qt::NoModifier) {
        combo->showPopup();
        return true;
      }
    }
    return QObject::eventFilter(watched, event);
  }
};
}  // namespace

void KvSetComboExtendedUi(QComboBox* combo) {
  if (combo)
    combo->installEventFilter(new ExtendedUiFilter(combo));
}

void KvSetComboEditable(QComboBox* combo, QLineEdit* edit) {
  combo->setEditable(true);
  if (edit)
    combo->setLineEdit(edit);
  combo->setInsertPolicy(QComboBox::NoInsert);
  // The field gets an inline completer with its field: "1250" typed would
  // become "12500" from the list.
  combo->setCompleter(nullptr);
}

int KvFillOperatorCombo(QComboBox* combo, CKvDb* pDb) {
  combo->clear();
  if (!pDb)
    return 0;
  CKvQuery query(0, 0, 2, pDb);
  if (!query.Open(QStringLiteral("Select rtrim(OPNO),rtrim(NA) From OPR Order By OPNO")))
    return 0;
  for (; !query.IsEOF(); query.MoveNext())
    combo->addItem(query.GetText(0) + query.GetText(1));
  return combo->count();
}

bool KvGetOperatorCombo(QComboBox* combo, QString* code, bool bAllowEmpty) {
  *code = currentText(combo).left(3);
  return !code->isEmpty() || bAllowEmpty || refuse(combo, QStringLiteral("未选择操作员！"));
}

void KvFillYearCombo(QComboBox* combo, int firstYear, int count, QString* yearText) {
  if (firstYear == 0)
    firstYear = KvAppServiceDataFileYear();
  combo->clear();
  combo->addItem(QString());
  for (int i = 0; i < count; ++i)
    combo->addItem(QString::number(firstYear + i).rightJustified(4, u'0') + QStringLiteral("年"));
  const QString wanted = yearText->left(4);
  for (int i = 1; i < combo->count(); ++i) {
    if (!wanted.isEmpty() && combo->itemText(i).startsWith(wanted)) {
      combo->setCurrentIndex(i);
      return;
    }
  }
  combo->setCurrentIndex(0);
  *yearText = QString::number(firstYear);
}

bool KvGetYearCombo(QComboBox* combo, QString* year, bool bAllowEmpty) {
  *year = currentText(combo).left(4);
  return !year->isEmpty() || bAllowEmpty || refuse(combo, QStringLiteral("未选择年度！"));
}

void KvFillMonthCombo(QComboBox* combo) {
  combo->clear();
  combo->addItem(QString());
  for (int month = 1; month <= 12; ++month)
    combo->addItem(QString::number(month).rightJustified(2, u'0') + QStringLiteral("月"));
}

bool KvGetMonthCombo(QComboBox* combo, int* month, bool bAllowEmpty) {
  *month = currentText(combo).left(2).toInt();
  return *month > 0 || bAllowEmpty || refuse(combo, QStringLiteral("未选择月份！"));
}

void KvFillSexCombo(QComboBox* combo) {
  combo->clear();
  combo->addItems({QStringLiteral("男"), QStringLiteral("女")});
}

bool KvGetSexCombo(QComboBox* combo, int* index) {
  *index = combo->currentIndex();
  return *index >= 0 || refuse(combo, QStringLiteral("未选择性别!"));
}

void KvFillNationCombo(QComboBox* combo, const QString& name) {
  QStringList names;
  KvFillNationalities(&names);
  combo->clear();
  combo->addItems(names);
  int index = int(names.indexOf(name));
  if (index < 0)
    index = int(names.indexOf(QStringLiteral("汉")));
  combo->setCurrentIndex(index);
}

bool KvGetNationCombo(QComboBox* combo, QString* name) {
  *name = currentText(combo);
  return !name->isEmpty() || refuse(combo, QStringLiteral("未选择民族!"));
}
