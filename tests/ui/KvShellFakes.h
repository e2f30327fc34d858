#pragma once
// Stand-ins for the shell's unit and dialog-place services while a test
// lives (ui/KvAppServices.h); the services in place before come back after.

#include "core/KvMessage.h"
#include "ui/CKvTreeCombo.h"
#include "ui/CKvTreeComboTree.h"
#include "ui/KvAppServices.h"

#include <QMap>
#include <QPoint>
#include <QTreeWidgetItem>
#include <QWidget>

#include <utility>

// The picker's path of its selected item ("" when none).
inline QString KvPickerPath(const CKvTreeCombo* picker) {
  QStringList levels;
  for (const QTreeWidgetItem* item = picker->Tree()->currentItem(); item; item = item->parent())
    levels.prepend(item->text(0));
  return levels.join(u'\n');
}

// Units as picker paths; the current unit is a path. The picker offers a
// choice unless `choice` is cleared (then it is hidden as the shell hides
// it). The check records its modes and refuses `notLeaf` in mode 0.
class KvFakeUnits {
 public:
  KvFakeUnits()
      : m_fill(KvSetFillDwComboService([this](CKvTreeCombo* picker, int displayFlag,
                                              const QString&, const QString&) {
          picker->DeleteAll();
          for (const QString& path : std::as_const(paths))
            picker->AddPath(path);
          picker->SelectText(current);
          const bool offered = choice && displayFlag != 0;
          picker->setEnabled(offered);
          picker->setVisible(offered);
          return offered;
        })),
        m_apply(KvSetDwFromComboService([this](CKvTreeCombo* picker) {
          current = KvPickerPath(picker);
          ++applied;
        })),
        m_check(KvSetCheckDwAccessService([this](QWidget* focus, int mode) {
          checkedModes.append(mode);
          if (mode == 0 && !notLeaf.isEmpty() && current == notLeaf) {
            KvMessageBox(QStringLiteral("这不是一个末级单位！"), KV_MB_OK | KV_MB_ICONSTOP);
            focus->setFocus();
            return false;
          }
          return true;
        })) {}
  ~KvFakeUnits() {
    KvSetFillDwComboService(std::move(m_fill));
    KvSetDwFromComboService(std::move(m_apply));
    KvSetCheckDwAccessService(std::move(m_check));
  }
  KvFakeUnits(const KvFakeUnits&) = delete;
  KvFakeUnits& operator=(const KvFakeUnits&) = delete;

  QStringList paths{QStringLiteral(" 全部"), QStringLiteral(" 全部\n01 一校"),
                    QStringLiteral(" 全部\n01 一校\n01 初一")};
  QString current;
  QString notLeaf;
  bool choice = true;
  QList<int> checkedModes;
  int applied = 0;

 private:
  KvFillDwComboFn m_fill;
  KvDwFromComboFn m_apply;
  KvCheckDwAccessFn m_check;
};

// Dialog places kept in memory; every call recorded.
class KvFakePlaces {
 public:
  KvFakePlaces()
      : m_remember(KvSetRememberDlgPosService([this](int id, const QWidget* window) {
          remembered.append(id);
          kept.insert(id, window->frameGeometry().topLeft());
        })),
        m_restore(KvSetRestoreDlgPosService([this](int id, QWidget* window) {
          restored.append(id);
          if (!kept.contains(id))
            return false;
          window->move(kept.value(id));
          return true;
        })) {}
  ~KvFakePlaces() {
    KvSetRememberDlgPosService(std::move(m_remember));
    KvSetRestoreDlgPosService(std::move(m_restore));
  }
  KvFakePlaces(const KvFakePlaces&) = delete;
  KvFakePlaces& operator=(const KvFakePlaces&) = delete;

  QMap<int, QPoint> kept;
  QList<int> remembered;
  QList<int> restored;

 private:
  KvRememberDlgPosFn m_remember;
  KvRestoreDlgPosFn m_restore;
};
