#pragma once
// Helpers for the list, tree and picker tests: the application's connection
// and rights while a test needs them, the right-click menu as it was shown,
// and a list that records what its virtual operations were asked to do.

#include "core/CKvDbInfo.h"
#include "ui/CKvListCtrl.h"
#include "ui/CKvTreeCtrl.h"
#include "ui/KvAppServices.h"
#include "ui/KvUiTestSupport.h"

#include <QAbstractItemView>
#include <QContextMenuEvent>
#include <QItemSelectionModel>
#include <QMap>
#include <QMenu>
#include <QSet>

#include <utility>

// Makes `db` the application's connection while it lives.
class KvScopedAppDb {
 public:
  explicit KvScopedAppDb(CKvDb* db) : m_previous(KvSetAppDbProvider([db] { return db; })) {}
  ~KvScopedAppDb() { KvSetAppDbProvider(std::move(m_previous)); }
  KvScopedAppDb(const KvScopedAppDb&) = delete;
  KvScopedAppDb& operator=(const KvScopedAppDb&) = delete;

 private:
  KvAppDbFn m_previous;
};

// The logged-in operator holds exactly the rights given while it lives.
class KvScopedRights {
 public:
  explicit KvScopedRights(const QStringList& rights)
      : m_previous(KvSetRightTest([rights](const QString& code) { return rights.contains(code); })) {}
  ~KvScopedRights() { KvSetRightTest(std::move(m_previous)); }
  KvScopedRights(const KvScopedRights&) = delete;
  KvScopedRights& operator=(const KvScopedRights&) = delete;

 private:
  KvRightTestFn m_previous;
};

// What a right-click menu showed: its object name and each command's
// enabled state; the command `choose` (0: none) is chosen.
struct KvShownMenu {
  QString name;
  QMap<int, bool> enabled;
  QList<int> order;
};

// Sends a right-click at `pos` of `widget` and records the menu shown.
inline KvShownMenu KvRightClick(QWidget* widget, const QPoint& pos, int choose = 0) {
  KvShownMenu shown;
  KvScopedPopupMenuExec popup([&](QMenu* menu, const QPoint&) -> QAction* {
    shown.name = menu->objectName();
    for (QAction* action : menu->actions()) {
      if (action->isSeparator())
        continue;
      shown.order.append(action->data().toInt());
      shown.enabled.insert(action->data().toInt(), action->isEnabled());
    }
    return choose ? KvMenuAction(menu, choose) : nullptr;
  });
  QContextMenuEvent event(QContextMenuEvent::Mouse, pos, widget->mapToGlobal(pos));
  QApplication::sendEvent(widget, &event);
  return shown;
}

// What one paste handed to PasteItems.
struct KvPastedRows {
  QStringList texts;
  bool cut = false;
  bool sameFile = false;
  CKvDbInfo from;
};

// A list whose operations record their calls ("new", "open", "modify",
// "delete", "left", "right") and pastes; `refused` commands are vetoed.
class KvRecordingList : public CKvListCtrl {
 public:
  using CKvListCtrl::CKvListCtrl;

  QStringList calls;
  QList<KvPastedRows> pastes;
  QSet<int> refused;

  void OnNew() override { calls.append(QStringLiteral("new")); }
  void OnOpen() override { calls.append(QStringLiteral("open")); }
  void OnModify() override { calls.append(QStringLiteral("modify")); }
  void OnDelete() override { calls.append(QStringLiteral("delete")); }
  void OnMoveLeft() override { calls.append(QStringLiteral("left")); }
  void OnMoveRight() override { calls.append(QStringLiteral("right")); }
  void PasteItems(const QStringList& texts, bool bCut, bool bSameFile,
                  const CKvDbInfo& from) override {
    pastes.append({texts, bCut, bSameFile, from});
  }
  bool IsCmdAllowed(int id) override { return !refused.contains(id); }
};

// A tree control that records its new, open and delete.
class KvRecordingTree : public CKvTreeCtrl {
 public:
  QStringList calls;
  void OnNew() override { calls.append(QStringLiteral("new")); }
  void OnOpen() override { calls.append(QStringLiteral("open")); }
  void OnDelete() override { calls.append(QStringLiteral("delete")); }
};

// Code and name columns and four pupils (rows 0-3: 张三, 李四, 王五, 张小明).
inline void KvFillPupils(CKvListCtrl& list) {
  list.InitList();
  list.SetColumns({QStringLiteral("编号"), QStringLiteral("姓名")}, {80, 120});
  list.AddRow({QStringLiteral("001"), QStringLiteral("张三")});
  list.AddRow({QStringLiteral("002"), QStringLiteral("李四")});
  list.AddRow({QStringLiteral("003"), QStringLiteral("王五")});
  list.AddRow({QStringLiteral("004"), QStringLiteral("张小明")});
}

// Selects exactly the rows.
inline void KvSelectRows(CKvListCtrl& list, const QList<int>& rows) {
  QItemSelectionModel* selection = list.View()->selectionModel();
  selection->clearSelection();
  for (int row : rows)
    selection->select(list.View()->model()->index(row, 0),
                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
}
