#include "ui/KvIconKeepingStyle.h"

#include <QApplication>
#include <QStyleFactory>

KvIconKeepingStyle::KvIconKeepingStyle(QStyle* base) : QProxyStyle(base) {}

QIcon KvIconKeepingStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption* option,
                                       const QWidget* widget) const {
  if (option)
    return QProxyStyle::standardIcon(standardIcon, option, widget);
  const quint64 key = (quint64(standardIcon) << 1) | (QGuiApplication::isRightToLeft() ? 1 : 0);
  auto found = m_icons.constFind(key);
  if (found != m_icons.constEnd())
    return *found;
  QIcon icon = QProxyStyle::standardIcon(standardIcon, option, widget);
  m_icons.insert(key, icon);
  return icon;
}

void KvInstallIconKeepingStyle() {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
    return;
  if (qobject_cast<KvIconKeepingStyle*>(QApplication::style()))
    return;
  QStyle* base = QStyleFactory::create(QApplication::style()->name());
  if (base)
    QApplication::setStyle(new KvIconKeepingStyle(base));
}
