#pragma once
// The template box: the main frame's docking bar (id 43101, "id_43101")
// with one tab per module that shows a tab (its has-tab flag, set at every
// login from the template index), in registration order, labelled with the
// module's tab label. The selected tab is the active module
// (KvGetActiveDataType); below the tabs the box shows that module's page
// (CKvDataType::CreateTemplatePage), made afresh each time the tabs are
// rebuilt.
//
// RenameModuleTab changes a module's tab label: the new label is kept per
// user ("tablabel_<module>") and read again when the module registers.

#include "ui/CKvBar.h"

#include <QList>

class CKvDataType;
class QMainWindow;
class QStackedWidget;
class QTabBar;

class CKvTemplateBox : public CKvBar {
  Q_OBJECT
 public:
  // The box's sizes before the settings say otherwise.
  static constexpr int kDefaultWidth = 250;
  static constexpr int kDefaultHeight = 150;

  explicit CKvTemplateBox(QMainWindow* parent);

  QTabBar* TabBar() const { return m_tabs; }
  // The selected tab; -1 when there is none.
  int SelectedTab() const;
  int TabCount() const;
  // Selects the tab when it is one; false otherwise.
  bool SelectTab(int index);
  // One tab per module whose has-tab flag is set, each with the page its
  // module makes. The selection is not chosen here: with tabs, the first is
  // selected until the caller picks.
  void RebuildTabs(const QList<CKvDataType*>& modules);
  // The page of a tab; null when there is no such tab.
  QWidget* Page(int index) const;

  // Asks for a new label of the selected tab's module ("修改模块标签标题")
  // through the modal seam; a label that is not empty renames the tab and is
  // kept. True when the tab was renamed.
  bool RenameModuleTab();

 signals:
  // The selected tab changed (-1: none).
  void TabChanged(int index);

 private:
  QTabBar* m_tabs;
  QStackedWidget* m_pages;
  QList<CKvDataType*> m_modules;
};
