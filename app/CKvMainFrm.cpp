#include "app/CKvMainFrm.h"

#include "app/CKvApp.h"
#include "app/CKvDataType.h"
#include "app/CKvTemplateBox.h"
#include "app/KvUserSettings.h"
#include "core/KvNumber.h"
#include "core/KvRegistry.h"
#include "ui/CKvCommandRegistry.h"
#include "ui/CKvCommandRouter.h"
#include "ui/CMdiClient.h"
#include "ui/KvCommands.h"
#include "ui/KvMenus.h"
#include "ui/KvObjectNames.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeySequence>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>

namespace {

constexpr KvRegRoot kRoot = KvRegRoot::CurrentUser;
const QString kBoxState = QStringLiteral("TemplateBoxState");
const QString kTemplateIndex = QStringLiteral("TemplateIndex");
// What the bar's stored side is masked with.
constexpr int kSideMask = 59423;

// A menu item: the command and, where the main menu words it otherwise than
// the registry, its own caption.
struct Item {
  int id;  // 0: a separator
  const char* caption = nullptr;
};

// The Settings commands of a module's Settings menu.
QList<int> settingsCommands(int menuId) {
  switch (menuId) {
    case KV_MENU_FEES_SETTINGS: return {KV_CMD_SET_SCHOOL_TREE, KV_CMD_SET_FEE_ITEMS};
    case KV_MENU_TIMETABLE_SETTINGS:
      return {KV_CMD_SET_CLASS_TREE, KV_CMD_SET_TEACHERS, KV_CMD_SET_COURSES,
              KV_CMD_SET_PUBLIC_ROOMS};
    default: return {};
  }
}

// The key of a caption's accelerator ("新建(&N)\tCtrl+N" gives Ctrl+N).
QKeySequence acceleratorOf(const QString& caption) {
  const qsizetype tab = caption.indexOf(u'\t');
  return tab < 0 ? QKeySequence() : QKeySequence::fromString(caption.mid(tab + 1));
}

// The action of the command in a menu of the frame: the router's shared
// action, or, where the menu has its own caption, an action of the menu with
// that caption that runs the command through the router and follows the
// shared action's enabled state. The accelerator of the caption becomes the
// action's shortcut in the main window.
QAction* menuAction(QMenu* menu, const Item& item) {
  CKvCommandRouter* router = CKvCommandRouter::Instance();
  QAction* shared = router->Action(item.id);
  QAction* action = shared;
  if (item.caption) {
    action = new QAction(QString::fromUtf8(item.caption), menu);
    action->setObjectName(KvCommandObjectName(item.id));
    action->setData(item.id);
    action->setIcon(shared->icon());
    action->setEnabled(shared->isEnabled());
    const int id = item.id;
    QObject::connect(action, &QAction::triggered, router, [router, id] { router->Execute(id); });
    QObject::connect(shared, &QAction::changed, action,
                     [action, shared] { action->setEnabled(shared->isEnabled()); });
    // The menu's own action is asked afresh with the shared ones.
    QObject::connect(menu, &QMenu::aboutToShow, action,
                     [router, shared, id] { shared->setEnabled(router->IsEnabled(id)); });
  }
  const QKeySequence key = acceleratorOf(action->text());
  if (!key.isEmpty()) {
    action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
  }
  menu->addAction(action);
  return action;
}

QMenu* buildMenu(QMenuBar* bar, const QString& title, std::initializer_list<Item> items) {
  auto* menu = bar->addMenu(title);
  for (const Item& item : items) {
    if (item.id == 0)
      menu->addSeparator();
    else
      menuAction(menu, item);
  }
  CKvCommandRouter::Instance()->WatchMenu(menu);
  return menu;
}

}  // namespace

CKvMainFrm::CKvMainFrm(QWidget* parent)
    : QMainWindow(parent), m_mdi(new CMdiClient(this)), m_box(new CKvTemplateBox(this)) {
  setObjectName(QStringLiteral("mainframe"));
  m_mdi->setObjectName(QStringLiteral("mdiclient"));
  setCentralWidget(m_mdi);
  // The wallpaper shows once the user's settings are known (ShowWallpaper).
  m_mdi->Browser()->hide();
  addDockWidget(Qt::LeftDockWidgetArea, m_box);
  m_box->hide();
  resize(1024, 720);
  buildMenus();
  buildToolBar();
  UpdateTitle();

  connect(m_box, &CKvTemplateBox::TabChanged, this, [this] {
    updateSettingsMenu();
    KvCommandsChanged();
  });
  connect(m_mdi, &QMdiArea::subWindowActivated, this, [] { KvCommandsChanged(); });
  // Document windows coming and going change what may run (43100).
  m_mdi->viewport()->installEventFilter(this);

  KvSetAppFrame(this);
  CKvCommandRouter::Instance()->SetFrame(this);
}

CKvMainFrm::~CKvMainFrm() {
  if (KvGetAppFrame() == this)
    KvSetAppFrame(nullptr);
}

void CKvMainFrm::buildMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(KvMenuObjectName(KV_MENU_MAIN));
  buildMenu(bar, QStringLiteral("文件(&F)"),
            {{KV_CMD_FILE_NEW},
             {KV_CMD_FILE_OPEN},
             {KV_CMD_FILE_SAVE},
             {0},
             {KV_CMD_LOGIN},
             {KV_CMD_PASSWORD},
             {0},
             {KV_CMD_FILE_PRINT_SETUP, "打印设置(&R)..."},
             {KV_CMD_PRINTERS},
             {KV_CMD_PRINT_POSITIONS},
             {0},
             {KV_CMD_CALCULATOR, "计算器(D)...\tF12"},
             {0},
             {KV_CMD_APP_EXIT}});
  buildMenu(bar, QStringLiteral("系统(&X)"),
            {{KV_CMD_OPERATORS},
             {0},
             {KV_CMD_NEW_DATA_FILE},
             {KV_CMD_DATA_FILE_INFO},
             {KV_CMD_UNITS},
             {KV_CMD_ACCOUNT_INFO},
             {0},
             {KV_CMD_VIEW_LOG},
             {KV_CMD_BACKUP},
             {KV_CMD_RESTORE},
             {0},
             {KV_CMD_SQL_CONSOLE}});
  m_settingsMenu = bar->addMenu(QStringLiteral("设置(&S)"));
  CKvCommandRouter::Instance()->WatchMenu(m_settingsMenu);
  buildMenu(bar, QStringLiteral("帮助(&H)"), {{KV_CMD_HELP, "帮助主题(&H)\tF1"}});
  updateSettingsMenu();
}

void CKvMainFrm::buildToolBar() {
  m_toolBar = KvBuildCommandToolBar(KV_MENU_MAIN, QStringLiteral("工具栏"),
                                    {KV_CMD_FILE_NEW, KV_CMD_FILE_OPEN, KV_CMD_FILE_SAVE, 0,
                                     KV_CMD_EDIT_CUT,
                                     KV_CMD_EDIT_COPY, KV_CMD_EDIT_PASTE, KV_CMD_EDIT_FIND, 0,
                                     KV_CMD_FILE_PRINT, KV_CMD_FILE_PAGE_SETUP, 0,
                                     KV_CMD_BUSINESS_MONTH, 0, KV_CMD_CALCULATOR, KV_CMD_HELP},
                                    this);
  m_toolBar->setObjectName(QStringLiteral("toolbar"));
  m_toolBar->setMovable(false);
  m_toolBar->setIconSize(QSize(16, 16));
  addToolBar(Qt::TopToolBarArea, m_toolBar);
}

void CKvMainFrm::updateSettingsMenu() {
  m_settingsMenu->clear();
  const CKvDataType* module = KvGetActiveDataType();
  const QList<int> ids = settingsCommands(module ? module->m_nMenuId : 0);
  m_settingsMenu->setObjectName(module ? KvMenuObjectName(module->m_nMenuId) : QString());
  CKvCommandRouter* router = CKvCommandRouter::Instance();
  for (int id : ids)
    m_settingsMenu->addAction(router->Action(id));
  m_settingsMenu->menuAction()->setVisible(!ids.isEmpty());
}

int CKvMainFrm::SelectedTemplateTab() const { return m_box->SelectedTab(); }

bool CKvMainFrm::IsTemplateBoxVisible() const { return m_box->isVisible(); }

void CKvMainFrm::ShowTemplateBox(bool bShow) {
  m_box->setVisible(bShow);
  KvCommandsChanged();
}

bool CKvMainFrm::HasActiveChildFrame() const { return !m_mdi->subWindowList().isEmpty(); }

void CKvMainFrm::RestoreTemplateTabs() {
  const int before = m_box->SelectedTab();
  const QList<CKvDataType*> modules =
      KvGetApp() ? KvGetApp()->GetDataTypes() : QList<CKvDataType*>();
  m_box->RebuildTabs(modules);
  if (m_box->SelectTab(before))
    return;
  QString stored;
  int index = 0;
  if (KvRegReadString(kRoot, KvGetRegKeyPath(), kTemplateIndex, &stored)) {
    bool ok = false;
    index = stored.trimmed().toInt(&ok);
    if (!ok)
      index = 0;
  }
  if (!m_box->SelectTab(index))
    m_box->SelectTab(0);
}

void CKvMainFrm::RestoreTemplateBoxState() {
  QString stored;
  if (!KvRegReadString(kRoot, KvGetRegKeyPath(), kBoxState, &stored))
    return;
  // What the value does not hold keeps its default.
  int values[3] = {CKvTemplateBox::kDefaultWidth, CKvTemplateBox::kDefaultHeight,
                   CKvBar::SideLeft};
  KvScanInts(stored, values, 3);
  QSize size(values[0], values[1]);
  const QSize client = this->size();
  const bool middle = size.width() > client.width() / 6 && size.width() < client.width() * 5 / 6 &&
                      size.height() > client.height() / 6 &&
                      size.height() < client.height() * 5 / 6;
  if (!middle)
    size = QSize(CKvTemplateBox::kDefaultWidth, CKvTemplateBox::kDefaultHeight);

  const int side = values[2] & kSideMask;
  const Qt::DockWidgetArea area = CKvBar::AreaOfSide(side);
  if (side == CKvBar::SideFloating) {
    m_box->setFloating(true);
  } else if (area != Qt::NoDockWidgetArea) {
    m_box->setFloating(false);
    addDockWidget(area, m_box);
  }
  m_box->SetSizes(size);
}

void CKvMainFrm::SaveTemplateBoxState() {
  const QString key = KvGetRegKeyPath();
  KvRegWriteString(kRoot, key, kBoxState,
                   QStringLiteral("%1 %2 %3")
                       .arg(m_box->VertSize().width())
                       .arg(m_box->HorzSize().height())
                       .arg(m_box->DockSide()));
  KvRegWriteString(kRoot, key, kTemplateIndex, QString::number(m_box->SelectedTab()));
}

void CKvMainFrm::UpdateTitle() {
  const CKvApp* app = KvGetApp();
  if (!app)
    return;
  setWindowTitle(QStringLiteral("%1（%2版）").arg(app->GetProductName(), KvGetEditionText()));
}

void CKvMainFrm::ShowWallpaper() {
  QString path;
  const int kind = KvGetBackgroundPage(&path);
  // Without a wallpaper the work area shows its own background.
  m_mdi->Browser()->setVisible(kind != 0);
  if (kind == 1)
    m_mdi->Navigate(path);
  else if (kind == 2)
    m_mdi->LoadHtml(CMdiClient::PictureHtml(path));
}

KvCommandTarget* CKvMainFrm::activeWindowTarget(int id) const {
  // The current window of the work area, also while the main window itself
  // is not the active one.
  auto* target = dynamic_cast<KvCommandTarget*>(m_mdi->currentSubWindow());
  return target && target->HandlesCmd(id) ? target : nullptr;
}

bool CKvMainFrm::HandlesCmd(int id) const {
  return id == KV_CMD_APP_EXIT || (id == KV_CMD_FILE_SAVE && activeWindowTarget(id));
}

bool CKvMainFrm::IsCmdEnabled(int id) {
  if (id == KV_CMD_FILE_SAVE)
    return KvCmdEnabled(activeWindowTarget(id), id);
  return true;
}

void CKvMainFrm::ExecuteCmd(int id) {
  if (id == KV_CMD_APP_EXIT)
    close();
  else if (KvCommandTarget* target = id == KV_CMD_FILE_SAVE ? activeWindowTarget(id) : nullptr)
    target->ExecuteCmd(id);
}

bool CKvMainFrm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_mdi->viewport() &&
      (event->type() == QEvent::ChildAdded || event->type() == QEvent::ChildRemoved)) {
    // Asked once the work area has taken the change into its list.
    QTimer::singleShot(0, this, [] { KvCommandsChanged(); });
  }
  return QMainWindow::eventFilter(watched, event);
}

bool CKvMainFrm::closeChildFrames() {
  // One window at a time: a window that stays open (取消 on its save
  // question, or a save that failed) ends the close, and no later window is
  // asked or closed. Each is brought forward first: its save question stands
  // over the window it asks about.
  for (QMdiSubWindow* window : m_mdi->subWindowList()) {
    const QPointer<QMdiSubWindow> alive(window);
    if (!alive)
      continue;
    if (alive->isMinimized())
      alive->showNormal();
    m_mdi->setActiveSubWindow(alive);
    if (alive && !alive->close())
      return false;
  }
  return m_mdi->subWindowList().isEmpty();
}

void CKvMainFrm::closeEvent(QCloseEvent* event) {
  if (!closeChildFrames()) {
    event->ignore();
    return;
  }
  SaveTemplateBoxState();
  event->accept();
}
