#include "ui/CKvCommandRegistry.h"

#include "ui/KvCommands.h"
#include "ui/KvObjectNames.h"
#include "ui/KvResources.h"

#include <QAction>

#include <algorithm>

CKvCommandRegistry& CKvCommandRegistry::Instance() {
  static CKvCommandRegistry registry;
  return registry;
}

CKvCommandRegistry::CKvCommandRegistry() {
  struct Entry {
    int id;
    const char* caption;
  };
  static const Entry shared[] = {
      {KV_CMD_CALCULATOR, "计算器(&B)\tF12"},
      {KV_CMD_NEW, "新增(&N)...\tCtrl+N"},
      {KV_CMD_OPEN, "打开(&O)...\tCtrl+O"},
      {KV_CMD_MODIFY, "修改(&S)...\tCtrl+M"},
      {KV_CMD_DELETE, "删除(&R)\tDelete"},
      {KV_CMD_VIEW_LARGE_ICONS, "大图标(&G)"},
      {KV_CMD_VIEW_SMALL_ICONS, "小图标(&M)"},
      {KV_CMD_VIEW_LIST, "列表(&L)"},
      {KV_CMD_VIEW_DETAILS, "详细资料(&D)"},
      {KV_CMD_BACK, "后退(&X)\t←"},
      {KV_CMD_FORWARD, "前进(&I)\t→"},
      {KV_CMD_BAR_HIDE, "隐藏"},
      {KV_CMD_BAR_TOGGLE_DOCK, "停靠或浮动"},
      {KV_CMD_SAVE_WORD, "保存词语"},
      {KV_CMD_DELETE_WORD, "删除词条"},
      {KV_CMD_INVERT_SELECTION, "反向选择(&F)\tCtrl+R"},
      {KV_CMD_FORM_LEFT, "向左"},
      {KV_CMD_FORM_RIGHT, "向右"},
      {KV_CMD_NEW_SIBLING, "新增同级单位 ...."},
      {KV_CMD_DW_EXPORT, "导出单位数据 ...."},
      {KV_CMD_DW_IMPORT, "导入单位数据 ...."},
      {KV_CMD_DW_CLEAR, "清空单位数据 ...."},
      {KV_CMD_REFRESH, "刷新\tF5"},
      {KV_CMD_POSITIONED_PRINT, "自定位套打"},
      {KV_CMD_ARRANGE, "排课"},
      {KV_CMD_FILE_NEW, "新建(&N)\tCtrl+N"},
      {KV_CMD_FILE_OPEN, "打开(&O)...\tCtrl+O"},
      {KV_CMD_FILE_SAVE_AS, "另存为 ..."},
      {KV_CMD_FILE_PAGE_SETUP, "打印页面设置 ..."},
      {KV_CMD_FILE_PRINT_SETUP, "打印机设置 ..."},
      {KV_CMD_FILE_PRINT, "打印 ...\tCtrl+P"},
      {KV_CMD_EDIT_COPY, "复制(&C)\tCtrl+C"},
      {KV_CMD_EDIT_CUT, "剪切(&T)\tCtrl+X"},
      {KV_CMD_EDIT_FIND, "查找(&F)\tCtrl+F"},
      {KV_CMD_EDIT_PASTE, "粘贴(&P)\tCtrl+V"},
      {KV_CMD_EDIT_FIND_NEXT, "查找下一个(&E)\tF3"},
      {KV_CMD_EDIT_SELECT_ALL, "全选(&A)\tCtrl+A"},
      {KV_CMD_HELP, "帮助(&H)\tF1"},

      {KV_CMD_SET_SCHOOL_TREE, "机构、班级和学生 ..."},
      {KV_CMD_SET_FEE_ITEMS, "收费项目 ..."},
      {KV_CMD_REVIEW, "复核"},
      {KV_CMD_UNREVIEW, "取消复核"},
      {KV_CMD_SET_CLASS_TREE, "机构和班级 ..."},
      {KV_CMD_SET_TEACHERS, "教师 ..."},
      {KV_CMD_SET_COURSES, "课程 ..."},
      {KV_CMD_SET_PUBLIC_ROOMS, "公用教室 ..."},

      // The main menu's own commands.
      {KV_CMD_LOGIN, "操作环境注册 ...\tAlt+1"},
      {KV_CMD_OPERATORS, "操作员及操作权限 ..."},
      {KV_CMD_PASSWORD, "设置或更改口令"},
      {KV_CMD_NEW_DATA_FILE, "建立新数据文件 ..."},
      {KV_CMD_DATA_FILE_INFO, "数据文件信息 ..."},
      {KV_CMD_BUSINESS_MONTH, "设置业务月"},
      {KV_CMD_VIEW_LOG, "查看日志 ..."},
      {KV_CMD_BACKUP, "数据备份 ..."},
      {KV_CMD_RESTORE, "数据恢复 ..."},
      {KV_CMD_PRINT_POSITIONS, "自定位打印设置 ..."},
      {KV_CMD_SQL_CONSOLE, "SQL语言数据维护 ..."},
      {KV_CMD_UNITS, "独立核算单位 ..."},
      {KV_CMD_ACCOUNT_INFO, "账务信息 ..."},
      {KV_CMD_PRINTERS, "打印机管理 ..."},
      {KV_CMD_APP_EXIT, "退出(&X)"},

      {KV_CMD_DOC_PROPERTIES, "文档属性 ..."},
      {KV_CMD_FILE_SAVE, "保存(&S)\tCtrl+S"},

      {KV_CMD_OVERLAY_PRINT, "套打(&T)\tCtrl+T"},
      {KV_CMD_PASTE_MANY, "在多个单元格内粘贴(&B)\tCtrl+B"},
      {KV_CMD_PASTE_COLUMN, "将此单元格内容在整栏粘贴\tCtrl+L"},
      {KV_CMD_INSERT_ROW, "在当前行处加一空行\tShift+Enter"},
      {KV_CMD_APPEND_ROW, "在当前行后加一空行\tCtrl+Enter"},
      {KV_CMD_EDIT_REPLACE, "替换(&E)\tCtrl+H"},
      {KV_CMD_EDIT_UNDO, "撤消(&U)\tCtrl+Z"},
      {KV_CMD_EDIT_REDO, "恢复撤消(&R)\tCtrl+Y"},

      {KV_CMD_RESTORE_DEFAULTS, "取默认值(De&f)"},

      // Card forms.
      {KV_CMD_FILE_PRINT_PREVIEW, "打印预览(&V)"},
      {KV_CMD_OVERLAY_PREVIEW, "套打预览"},

      // The template list; 43101 hides the template box from it.
      {KV_CMD_ADD_TEMPLATE, "增加文档模板(&A)"},
      {KV_CMD_EXPORT_STRUCTURE, "卸出文档结构 ..."},
      {KV_CMD_IMPORT_STRUCTURE, "载入文档结构 ..."},
      {KV_CMD_RENAME_MODULE_TAB, "修改模块标签标题 ..."},
      {KV_BAR_TEMPLATE_BOX, "关闭文档模板框(&X)"},
  };
  for (const Entry& entry : shared)
    Add(entry.id, QString::fromUtf8(entry.caption));
}

void CKvCommandRegistry::Add(int id, const QString& caption) {
  const auto at = std::lower_bound(m_ids.begin(), m_ids.end(), id);
  const qsizetype index = at - m_ids.begin();
  if (at != m_ids.end() && *at == id) {
    m_captions[index] = caption;
    return;
  }
  m_ids.insert(index, id);
  m_captions.insert(index, caption);
}

bool CKvCommandRegistry::Contains(int id) const {
  return std::binary_search(m_ids.begin(), m_ids.end(), id);
}

QString CKvCommandRegistry::Caption(int id) const {
  const auto at = std::lower_bound(m_ids.begin(), m_ids.end(), id);
  if (at == m_ids.end() || *at != id)
    return QString();
  return m_captions.at(at - m_ids.begin());
}

QList<int> CKvCommandRegistry::Ids() const { return m_ids; }

QAction* CKvCommandRegistry::CreateAction(int id, QObject* parent) const {
  const QString caption = Caption(id);
  auto* action = new QAction(caption, parent);
  // Toolbar buttons and tooltips show the caption without its accelerator.
  action->setIconText(caption.section(QLatin1Char('\t'), 0, 0));
  // The command's toolbar image, when the program has one.
  action->setIcon(KvResourceIcon(id));
  action->setData(id);
  action->setObjectName(KvCommandObjectName(id));
  return action;
}

int KvActionCommandId(const QAction* action) {
  if (!action)
    return 0;
  bool ok = false;
  const int id = action->data().toInt(&ok);
  return ok ? id : 0;
}
