#pragma once
// The module descriptor: one object per module of the program (18 fees and
// school structure, 19 timetabling). A module derives from it, sets its
// number, caption, settings menu and tab label, and overrides the hooks it
// needs; every hook has a harmless default (nothing added, true, 0 or -1).
// The application keeps the descriptors in registration order and asks each
// in turn when it builds a catalogue (rights, operation names, code
// references, carry-forward items, default print formats) or creates and
// fills the tables of a data file.
//
// Module numbers are signed 32-bit; the full right code of a module item is
// the right four characters of "%d%s" of (module + 100, item).

#include <QList>
#include <QString>
#include <QStringList>

class CKvDb;
class CKvDwRec;
class QWidget;
class CKvPrintFieldDefs;
class CKvPrintSet;
struct KvDataInfoItem;

// Places where a code of some kind is stored: five parallel lists, one entry
// per place. The Jet condition and the server condition are appended with
// " And " to the statements that count or rewrite the code; an empty server
// condition means the Jet one. The caption describes the place to the user.
struct KvCodeRefs {
  QStringList Tables;
  QStringList Columns;
  QStringList Captions;
  QStringList JetConditions;
  QStringList ServerConditions;

  void Add(const QString& table, const QString& column, const QString& caption,
           const QString& jetCondition = QString(), const QString& serverCondition = QString());
  int Count() const { return static_cast<int>(Tables.size()); }
};

class CKvDataType {
 public:
  CKvDataType() = default;
  virtual ~CKvDataType();
  CKvDataType(const CKvDataType&) = delete;
  CKvDataType& operator=(const CKvDataType&) = delete;

  int GetModule() const { return m_nModule; }
  const QString& GetCaption() const { return m_strCaption; }

  // --- Registration and login ---

  // A module sets its fields here, registers itself with the application
  // (CKvApp::AddDataType) and its document types, then calls the base, which
  // takes the tab label from the per-user setting "tablabel_%d" when one is
  // stored.
  virtual void RegisterTemplates();
  // Called for every descriptor after every login, in this order.
  virtual void OnAfterLogin() {}
  virtual void OnAfterLoginDone() {}
  // Commands 57600 and 57601 of the active module, and whether they may run.
  virtual void OnFileNew() {}
  virtual void OnFileOpen() {}
  virtual bool CanFileNew() { return true; }
  virtual bool CanFileOpen() { return true; }
  // The module's page on its tab of the template box, made each time the box
  // builds its tabs (at every login); the box owns it. Null: an empty page.
  virtual QWidget* CreateTemplatePage(QWidget* pParent) {
    (void)pParent;
    return nullptr;
  }
  // The business-month code of the module: module × 100 + item; -1 none.
  virtual int GetMonthCode() { return -1; }
  // An application command offered to the modules in turn (the log viewer,
  // 43115); true when this module carried it out.
  virtual bool OnAppCommand(int nId);

  // --- Tables of a data file ---

  // Creates the module's tables that are missing; false when a statement
  // failed (the connection has reported it).
  virtual bool CreateTables(CKvDb* pDb);
  // Prepares the module after a data file was opened (modules with a tab).
  virtual void OpenData(CKvDb* pDb);
  // The module's rows of a new data file. The base saves the module's
  // built-in calculator variables into KVVAR; false when that failed.
  virtual bool InsertDefaultRows(CKvDb* pDb, int nYear);
  // Blank-separated list of the module's tables that a new year's data file
  // starts with empty.
  virtual QString GetClearedTables() { return QString(); }

  // --- Catalogues ---

  // Appends the module's right items: two-character item codes and names.
  virtual void GetModuleRights(QStringList& codes, QStringList& names);
  // Appends right codes written in full that several modules share.
  virtual void GetSharedRights(QStringList& codes, QStringList& names);
  // Appends operation numbers (0 to 99) and names shared by modules, and the
  // module's own.
  virtual void GetSharedOperationNames(QList<int>& numbers, QStringList& names);
  virtual void GetModuleOperationNames(QList<int>& numbers, QStringList& names);
  // Appends the places in the module's tables where a code of that kind is
  // stored ("OPR" operators, "KVDW" accounting units).
  virtual void GetCodeReferences(const QString& kind, KvCodeRefs& refs);

  // --- Printing ---

  // Sets the default page of one of the module's forms.
  virtual void GetDefaultPrintSet(int nFormNo, const QString& formName, CKvPrintSet& set);
  // Layout -1: appends the module's positioned-print layouts; a layout id:
  // appends its default fields.
  virtual void GetPrintPosForms(int nLayoutId, CKvPrintFieldDefs& defs);

  // --- A new year's data file ---

  // Carries the module's own data into a new year's data file (after the
  // per-item carry-over); false when it failed. The base carries nothing.
  virtual bool CarryData(CKvDb* pOldDb, CKvDb* pNewDb);
  // Appends the carry-forward items: numbers (100 and more shared between
  // modules), captions and blank-separated table lists.
  virtual void GetCarryItems(QList<int>& numbers, QStringList& captions, QStringList& tables);
  // Carries one item into the new file; false when it failed. The base
  // carries nothing.
  virtual bool CarryOver(int nGroup, int nItem, CKvDb* pOldDb, CKvDb* pNewDb, int nFlag);
  // -1 refuses (message set), 1 warns, 0 accepts. The base refuses with
  // "%s：已有内容，不能结转！" when a listed table already holds rows in the
  // new file (or cannot be read there).
  virtual int CheckCarryOver(int nGroup, int nItem, const QString& caption, const QString& tables,
                             CKvDb* pOldDb, CKvDb* pNewDb, QString& message);

  // --- Business months ---

  virtual bool CheckMonthChange(int nMonth, const QString& text1, const QString& text2);
  virtual void OnFirstMonthChanged(int nMonth, const QString& text1, const QString& text2);
  // The business-month period and its name; -1 none.
  virtual int GetMonthPeriod(QString& name);

  // --- Account information of a unit, year and month ---

  // Fills the information lines; the module may change the view operation,
  // the right item and the caption.
  virtual void GetDataInfo(const CKvDwRec& unit, const QString& year, const QString& month,
                           int& nViewOp, int& nRightItem, QString& caption,
                           QList<KvDataInfoItem>& items);
  // Runs a line's follow-up command; true when it did something.
  virtual bool RunDataInfoCommand(const CKvDwRec& unit, const QString& year,
                                  const QString& month, const KvDataInfoItem& item);

  // --- Other questions the application asks every module ---

  // 0 by default; the application takes the first non-zero answer.
  virtual int Answer(int nValue, const QString& text1, const QString& text2, int nValue2,
                     int nValue3);
  // A module may refuse (false) and fill the message.
  virtual bool Check(int nValue, const QString& text, QString& message);

  // --- Fields ---

  int m_nModule = 0;
  QString m_strCaption;
  // Id of the module's settings menu.
  int m_nMenuId = 0;
  // Caption of the module's tab in the template box.
  QString m_strTabLabel;
  // Non-zero while the module shows a tab in the template box (set at every
  // login from the template index).
  int m_bHasTab = 0;
};
