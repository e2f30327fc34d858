#pragma once
// The main window of the program: menu 128 and the toolbar, built from the
// command registry and run through the command router; the work area
// (CMdiClient) where document windows open over the wallpaper; and the
// template box (CKvTemplateBox), docked at the left by default. It is the
// application's frame (KvAppFrame) from construction to destruction.
//
// The menus show the application's commands with their enabling (the
// 文件 menu and the toolbar hold the save of the current document window,
// Ctrl+S from anywhere in the window); the
// "设置(&S)" menu shows the Settings commands of the active module (menu 325
// of the fees, 326 of the timetabling) and is hidden for a module without
// one. Closing the window closes the document windows first (one that
// refuses keeps the window open) and then saves "TemplateBoxState" (width,
// height and dock side of the template box) and "TemplateIndex" (its
// selected tab) in the settings.

#include "app/KvAppFrame.h"
#include "ui/KvCommandTarget.h"

#include <QMainWindow>

class CKvTemplateBox;
class CMdiClient;
class QMenu;
class QToolBar;

class CKvMainFrm : public QMainWindow, public KvAppFrame, public KvCommandTarget {
  Q_OBJECT
 public:
  explicit CKvMainFrm(QWidget* parent = nullptr);
  ~CKvMainFrm() override;

  // --- KvAppFrame ---
  int SelectedTemplateTab() const override;
  bool IsTemplateBoxVisible() const override;
  void ShowTemplateBox(bool bShow) override;
  // A document window is open in the work area.
  bool HasActiveChildFrame() const override;
  CMdiClient* MdiClient() const override { return m_mdi; }

  CKvTemplateBox* TemplateBox() const { return m_box; }
  QToolBar* ToolBar() const { return m_toolBar; }

  // Rebuilds the template box's tabs from the modules' has-tab flags. A
  // selection that is still a tab is kept; otherwise the stored
  // "TemplateIndex" is selected when it is a tab, else tab 0.
  void RestoreTemplateTabs();
  // Applies "TemplateBoxState" ("%d %d %d": width, height, dock side):
  // width and height outside the middle of the window (a sixth to five
  // sixths of its width and height) fall back to 250 x 150. Without the
  // value nothing changes.
  void RestoreTemplateBoxState();
  // Writes "TemplateBoxState" and "TemplateIndex".
  void SaveTemplateBoxState();

  // "<product>（<edition>版）".
  void UpdateTitle();
  // Shows the wallpaper of the user's settings in the work area.
  void ShowWallpaper();

  // 57665 closes the window (the program ends with it); 57603 saves the
  // document of the current document window when the focus is outside it.
  bool HandlesCmd(int id) const override;
  bool IsCmdEnabled(int id) override;
  void ExecuteCmd(int id) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildMenus();
  void buildToolBar();
  // Fills the "设置(&S)" menu for the active module.
  void updateSettingsMenu();
  // The current document window when it takes the command; null otherwise.
  KvCommandTarget* activeWindowTarget(int id) const;
  // Closes the document windows one by one and stops at the first that
  // stays open; true when none is left.
  bool closeChildFrames();

  CMdiClient* m_mdi;
  CKvTemplateBox* m_box;
  QToolBar* m_toolBar = nullptr;
  QMenu* m_settingsMenu = nullptr;
};
