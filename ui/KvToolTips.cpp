#include "ui/KvToolTips.h"

#include "ui/KvObjectNames.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QTreeWidget>

QString KvWordComboHint() {
  return QStringLiteral("鼠标指向右边的下拉箭头，按下鼠标右键，调出操作功能菜单，可保存或删除词组。");
}
QString KvComboHint() { return QStringLiteral("单击右边的下拉箭头，或按下箭头键，可弹出列表框供选择。"); }
QString KvMenuControlHint() { return QStringLiteral("按下鼠标右键，可调出操作功能菜单。"); }
QString KvHelpButtonHint() { return QStringLiteral("任何时候，你都可按下F1键获得联机帮助。"); }
QString KvOkButtonHint() {
  return QStringLiteral(
      "保存新增或变更内容，确定选择事项，或执行指定功能操作后关闭对话框，进入下一步操作。");
}
QString KvCancelButtonHint() {
  return QStringLiteral("作废刚才的对话框操作，关闭对话框后，返回前一步操作。");
}

bool KvIsWordComboBox(const QWidget* widget) { return widget && widget->inherits("CKvWordCB"); }
bool KvIsListControl(const QWidget* widget) { return widget && widget->inherits("CKvListCtrl"); }
bool KvIsTreeControl(const QWidget* widget) { return widget && widget->inherits("CKvTreeCtrl"); }

namespace {
bool isTree(const QWidget* widget) {
  return KvIsTreeControl(widget) || qobject_cast<const QTreeWidget*>(widget);
}

bool isControl(const QWidget* widget) {
  return KvIsWordComboBox(widget) || KvIsListControl(widget) || KvIsTreeControl(widget) ||
         qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QTextEdit*>(widget) ||
         qobject_cast<const QPlainTextEdit*>(widget) ||
         qobject_cast<const QAbstractSpinBox*>(widget) || qobject_cast<const QComboBox*>(widget) ||
         qobject_cast<const QAbstractItemView*>(widget) ||
         qobject_cast<const QAbstractButton*>(widget);
}

void collect(QWidget* parent, bool includeTrees, QList<QWidget*>* out) {
  for (QObject* child : parent->children()) {
    auto* widget = qobject_cast<QWidget*>(child);
    if (!widget || widget->isWindow())
      continue;
    if (!isControl(widget)) {
      collect(widget, includeTrees, out);
      continue;
    }
    if (KvControlId(widget) >= 0 && (includeTrees || !isTree(widget)))
      out->append(widget);
  }
}
}  // namespace

QList<QWidget*> KvHintControls(QWidget* root, bool includeTrees) {
  QList<QWidget*> controls;
  if (root)
    collect(root, includeTrees, &controls);
  return controls;
}

void KvSetHints(QWidget* root, bool includeTrees, const std::function<QString(int controlId)>& hintOf) {
  for (QWidget* control : KvHintControls(root, includeTrees)) {
    const QString text = hintOf(KvControlId(control));
    if (!text.isEmpty())
      control->setToolTip(text);
  }
}
