#pragma once
// Object names made from ids, so that code and tests find every dialog,
// control, menu and command action by its number: a dialog "dlg_<template>",
// a control "id_<n>" (OK is "id_1", Cancel "id_2"), a menu "menu_<n>", a
// command's action "cmd_<n>".

#include <QString>
#include <QWidget>

inline QString KvDialogObjectName(unsigned templateId) {
  return QStringLiteral("dlg_") + QString::number(templateId);
}
inline QString KvControlObjectName(int id) { return QStringLiteral("id_") + QString::number(id); }
inline QString KvMenuObjectName(int id) { return QStringLiteral("menu_") + QString::number(id); }
inline QString KvCommandObjectName(int id) { return QStringLiteral("cmd_") + QString::number(id); }

// Names the widget as control `id` and returns it.
template <class W>
W* KvSetControlId(W* widget, int id) {
  widget->setObjectName(KvControlObjectName(id));
  return widget;
}

// The id of a control named "id_<n>"; -1 for any other name.
int KvControlId(const QObject* object);

// Control `id` among the window's descendants (null when there is none, or
// when it is not a W).
template <class W = QWidget>
W* KvDlgItem(const QWidget* window, int id) {
  return window ? window->findChild<W*>(KvControlObjectName(id)) : nullptr;
}
