#pragma once
// Command and menu ids shared by menus, toolbars, controls and views. The
// numbers are the ones stored layouts, menus and derived classes use, so they
// never change.

enum : int {
  // Enter in a dialog control that is not a push button.
  KV_CMD_ENTER = 3,

  KV_CMD_CALCULATOR = 43002,  // F12
  KV_CMD_NEW = 43004,
  KV_CMD_OPEN = 43005,
  KV_CMD_MODIFY = 43006,
  KV_CMD_DELETE = 43007,
  KV_CMD_VIEW_LARGE_ICONS = 43008,
  KV_CMD_VIEW_SMALL_ICONS = 43009,
  KV_CMD_VIEW_LIST = 43010,
  KV_CMD_VIEW_DETAILS = 43011,
  KV_CMD_BACK = 43012,     // drill up
  KV_CMD_FORWARD = 43013,  // drill down
  KV_CMD_BAR_HIDE = 43020,
  KV_CMD_BAR_TOGGLE_DOCK = 43021,
  KV_CMD_SAVE_WORD = 43023,
  KV_CMD_DELETE_WORD = 43024,
  KV_CMD_INVERT_SELECTION = 43025,
  KV_CMD_FORM_LEFT = 43026,
  KV_CMD_FORM_RIGHT = 43027,
  // The accounting-unit list: a unit beside the selected one, and one
  // unit's data exported, imported and cleared.
  KV_CMD_NEW_SIBLING = 43171,
  KV_CMD_DW_EXPORT = 43165,
  KV_CMD_DW_IMPORT = 43166,
  KV_CMD_DW_CLEAR = 43167,
  KV_CMD_REFRESH = 43112,  // F5
  // A receipt printed onto the pre-printed form at its fields' places.
  KV_CMD_POSITIONED_PRINT = 43125,
  KV_CMD_ARRANGE = 43113,
  // Sent to a dialog when the clipboard's content changed.
  KV_CMD_CLIPBOARD_CHANGED = 43116,

  KV_CMD_FILE_NEW = 57600,
  KV_CMD_FILE_OPEN = 57601,
  KV_CMD_FILE_SAVE_AS = 57604,
  KV_CMD_FILE_PAGE_SETUP = 57605,
  KV_CMD_FILE_PRINT_SETUP = 57606,
  KV_CMD_FILE_PRINT = 57607,
  KV_CMD_EDIT_COPY = 57634,
  KV_CMD_EDIT_CUT = 57635,
  KV_CMD_EDIT_FIND = 57636,
  KV_CMD_EDIT_PASTE = 57637,
  KV_CMD_EDIT_FIND_NEXT = 57640,
  KV_CMD_EDIT_SELECT_ALL = 57642,
  KV_CMD_HELP = 57670,  // F1

  // The Settings menus of the school edition (fees 325, timetabling 326).
  KV_CMD_SET_SCHOOL_TREE = 45000,
  KV_CMD_SET_FEE_ITEMS = 45001,
  // Review and cancel review of fee vouchers (F5 stays with refresh).
  KV_CMD_REVIEW = 45002,
  KV_CMD_UNREVIEW = 45003,
  KV_CMD_SET_CLASS_TREE = 45004,
  KV_CMD_SET_TEACHERS = 45005,
  KV_CMD_SET_COURSES = 45006,
  KV_CMD_SET_PUBLIC_ROOMS = 45007,

  // Form documents.
  KV_CMD_DOC_PROPERTIES = 43114,
  KV_CMD_FILE_SAVE = 57603,

  // Form grids.
  KV_CMD_OVERLAY_PRINT = 43400,  // Ctrl+T
  KV_CMD_PASTE_MANY = 43401,     // Ctrl+B
  KV_CMD_PASTE_COLUMN = 43402,   // Ctrl+L
  KV_CMD_INSERT_ROW = 43403,     // Shift+Enter
  KV_CMD_APPEND_ROW = 43404,     // Ctrl+Enter
  KV_CMD_EDIT_REPLACE = 57641,   // Ctrl+H
  KV_CMD_EDIT_UNDO = 57643,      // Ctrl+Z
  KV_CMD_EDIT_REDO = 57644,      // Ctrl+Y

  // The lists of the form properties sheet.
  KV_CMD_RESTORE_DEFAULTS = 43406,

  // Card forms.
  KV_CMD_OVERLAY_PREVIEW = 43408,

  // The template list of the template box.
  KV_CMD_ADD_TEMPLATE = 43407,
  KV_CMD_EXPORT_STRUCTURE = 43410,
  KV_CMD_IMPORT_STRUCTURE = 43411,
  KV_CMD_RENAME_MODULE_TAB = 43122,
};

// Printing without the print dialog, and the print preview.
enum : int {
  KV_CMD_FILE_PRINT_DIRECT = 0xE108,
  KV_CMD_FILE_PRINT_PREVIEW = 0xE109,
};

// Right-click menus.
enum : int {
  KV_MENU_LIST = 300,
  KV_MENU_DIALOG = 301,
  KV_MENU_TREE = 302,
  KV_MENU_WORD_COMBO = 320,
  KV_MENU_FORM = 306,  // the form grid's
};

// Icon every dialog without an icon of its own shows.
inline constexpr unsigned KV_ICON_APP = 128;

// The main menu (128) and the main frame: the application's commands, the
// template box bar and the modules' Settings menus.
enum : int {
  KV_MENU_MAIN = 128,
  KV_MENU_FEES_SETTINGS = 325,
  KV_MENU_TIMETABLE_SETTINGS = 326,

  KV_CMD_LOGIN = 43100,  // Alt+1
  KV_BAR_TEMPLATE_BOX = 43101,
  KV_CMD_OPERATORS = 43104,
  KV_CMD_PASSWORD = 43105,
  KV_CMD_NEW_DATA_FILE = 43107,
  KV_CMD_DATA_FILE_INFO = 43108,
  KV_CMD_BUSINESS_MONTH = 43110,
  KV_CMD_VIEW_LOG = 43115,
  KV_CMD_BACKUP = 43117,
  KV_CMD_RESTORE = 43118,
  KV_CMD_PRINT_POSITIONS = 43124,
  KV_CMD_SQL_CONSOLE = 43130,
  KV_CMD_ACCOUNT_INFO = 43162,
  KV_CMD_UNITS = 43164,
  KV_CMD_PRINTERS = 43168,
  KV_CMD_APP_EXIT = 57665,
};
