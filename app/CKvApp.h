#pragma once
// The application object: one per process, made in main after the
// QApplication and destroyed before it; everything reaches it through
// KvGetApp. It owns the application data block: the open data file (its
// connection, the logged-in operator and rights, the year), the accounting
// units of that file with the current and the previous current unit, the
// registered module descriptors in registration order, the template index,
// the dialog positions, the operator's working period, the print-format
// settings the lists share and, once started, the main frame.
//
// StartUp runs the program's start-up and the login (Login, also the
// command to log in again); ExitInstance the shut-down. The commands of the
// main menu are the application's (HandlesCmd, IsCmdEnabled, ExecuteCmd).
//
// An edition derives from it and overrides the identity, the module
// creation and the template-box groups (CKvXxApp). The hooks that create and
// fill the tables of a data file and build the catalogues combining the
// application's entries with every module's are virtual members here.
//
// The units of the open data file, the current and the saved unit are kept
// with the unit functions (KvGetDwArray, KvGetCurrentDw, KvGetSavedDw).

#include "app/CKvDataFile.h"
#include "app/CKvTemplateIndexEntry.h"
#include "print/KvOpenPrinter.h"
#include "ui/KvCommandTarget.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class CKvDataType;
class CKvDb;
class CKvDbInfo;
class CKvMainFrm;
class KvLostConnectionNotice;
class CKvOperation;
class CKvPrintFieldDefs;
class CKvPrintSet;
struct KvCodeRefs;

class CKvApp : public KvCommandTarget {
 public:
  CKvApp();
  ~CKvApp() override;
  CKvApp(const CKvApp&) = delete;
  CKvApp& operator=(const CKvApp&) = delete;

  // Creates and registers the modules, sets the identity, builds the
  // template index and makes the application's services known to the lower
  // libraries (connection, rights test, operation log, print providers and
  // the shared print set). StartUp calls it; a second call does nothing.
  virtual bool InitInstance();

  // --- Start-up, login and shut-down ---

  // The program's start-up: the splash, InitInstance, the dialog positions,
  // the main frame shown maximised, the data-file type made known to the
  // desktop, the current printer, the template box's size and place, the
  // database engine check, the login (on the data file of the one argument,
  // when there is one) and the program's path in "Exe". False when start-up
  // ends: more than one argument, a failed check, a login cancelled or
  // failed; the main frame is gone then.
  bool StartUp(const QStringList& arguments);
  // Logs an operator in to a data file; true when one is logged in. With the
  // connection open, or lost, it logs in again (command 43100: the dialog's
  // Cancel keeps the data file and operator, and a lost connection stays
  // lost); otherwise `file` (may be empty)
  // names the data file, else the settings of the last login do, else the
  // newest data file of the default folder, else a new one made there. A
  // data file that can no longer be reopened when logging in again ends the
  // program (KvRequestQuit(1)) after a message, unless the connection was
  // lost (LoginAfterLostConnection).
  virtual bool Login(const QString& file);
  // Logs in again with the login dialog opened on a data file made just now
  // (the new-file flag follows when it is chosen); Cancel keeps the open
  // data file.
  bool LoginToNewFile(const CKvDataFile& newFile);
  // After the server ended the data file's session: says so once ("与数据库
  // 服务器的连接已中断，请重新注册。") and logs in again on the same data
  // file, the server password kept; the document windows stay open, so
  // that what could not be saved can be saved then. Cancel, or a data file
  // that still cannot be reached, leaves the connection lost and the
  // program running with its windows: a command of the operator that fails
  // on it says so once (KvLostConnectionNotice), and 43100 logs in again
  // the same way. Does nothing once the connection is open again.
  void LoginAfterLostConnection();
  // The shut-down, run once: the dialog positions saved, the working period
  // ended, the data file closed, "Current_Printer" saved.
  void ExitInstance();
  // The exit code of a start-up that ended: 1, or the code the program was
  // asked to end with (KvRequestQuit).
  int GetExitCode() const { return m_nExitCode; }
  // Makes a new, empty data file under `name` (a file path, or a database
  // name on the server of `info`) on pDb, which the kind of the data file
  // decides: the database, every table, the default rows of `nYear` and the
  // version stamp. pDb is closed afterwards. False, with nothing left
  // behind, when any step failed.
  bool CreateDataFile(CKvDb* pDb, const QString& name, const CKvDbInfo& info, int nYear);

  // Starts the external update program (its reason: 0 at login, 1 from the
  // client update); defined with the program image.
  bool StartUpdater(int nReason);

  // The main window; null before start-up and after a failed one.
  CKvMainFrm* GetMainFrame() const { return m_pMainFrame.get(); }

  // The dialog a command of the main menu opens when the dialog comes from
  // a later part of the program (43107, 43108, 43110, 43115, 43117, 43118,
  // 43130, 43162, 43164). The opener runs the dialog and returns
  // true when it ended with OK. Until one is installed the command is
  // disabled; an empty function removes it.
  using KvCommandOpener = std::function<bool()>;
  void SetCommandOpener(int nId, KvCommandOpener fn);

  // --- Identity ---

  int GetEditionCode() const { return m_nEditionCode; }
  const QString& GetDataFileExt() const { return m_strDataFileExt; }
  const QString& GetDataFileDescription() const { return m_strDataFileDescription; }
  const QString& GetProductKey() const { return m_strProductKey; }
  const QString& GetProductName() const { return m_strProductName; }
  const QString& GetVersionSuffix() const { return m_strVersionSuffix; }

  // Data-file format version (the version stamp's first number).
  virtual int GetFormatVersion() const { return 10; }
  virtual QString GetProgramVersion() const;
  virtual int GetRevision() const { return 9; }
  // Data files are named by their year (2024.xxd, xxd0012024).
  virtual bool IsYearNamed() const { return true; }
  virtual QString GetFirstStartCaption() const;

  // --- The application data block ---

  CKvDataFile& GetDataFile() { return m_dataFile; }
  // The connection of the data file (also while it is closed).
  CKvDb* GetDb() { return &m_dataFile.GetDb(); }
  // 0 SQLite file, 1 server database.
  int GetDbKind() const { return m_dataFile.GetKind(); }
  // The working period of the logged-in operator.
  CKvOperation& GetTask() { return *m_pTask; }
  QList<CKvTemplateIndexEntry>& GetTemplateIndex() { return m_templateIndex; }

  // --- Modules ---

  // Appends the descriptor to the module list; the application owns it from
  // then on and deletes it when it goes. A descriptor is registered once.
  void AddDataType(CKvDataType* pType);
  const QList<CKvDataType*>& GetDataTypes() const { return m_dataTypes; }

  // True when the logged-in operator holds the right code (whole codes).
  bool HasRight(const QString& code);

  // --- Template index ---

  // Empties the template index and lets the edition refill it; true when
  // it then holds an entry.
  virtual bool RebuildTemplateIndex();
  virtual void RegisterTemplateGroups() {}

  // --- Accounting units as a feature of the edition ---

  // False by default; with a pointer, the text becomes "独立核算单位".
  virtual bool HasUnitFeature(QString* caption) const;
  virtual bool IsUnitFeatureActive() const;

  // --- Documents ---

  virtual bool HasExportRight();
  // Logs operation 29 "导出文档" with the detail.
  virtual void LogExport(const QString& detail);

  // --- Tables of a data file ---

  // Creates the missing system tables with the version stamp, the month,
  // unit and log tables; false when any statement failed.
  virtual bool CreateSystemTables(CKvDb* pDb);
  // Upgrades the business-month table (through its installed hook).
  virtual void UpgradeSystemTables(CKvDb* pDb);
  // Every table of a data file: upgrade, system tables, the common tables,
  // each module's tables. A table that exists is left alone; a failed
  // statement is reported and the run goes on, but the result is false.
  virtual bool CreateAllTables(CKvDb* pDb);
  // The print-format and operation-log tables, as CreateAllTables makes
  // them; no module is asked.
  bool CreateCommonTables(CKvDb* pDb);
  // Lets the modules with a tab prepare the application's data file.
  virtual void OpenModuleData(CKvDb* pDb);
  // The default rows of a new data file; false when a statement failed.
  virtual bool InsertDefaultRows(CKvDb* pDb, int nYear);
  // Copies the system tables into a new year's data file, each copy all or
  // nothing: the parameter rows without the version stamp (the new file
  // keeps its own), the stored form lists (Cs 9000) and Cs 6; then the
  // months are carried and each module's own data. False at the first
  // failure, with the reason (naming the table) in *error when given.
  virtual bool CarrySystemTables(CKvDb* pOldDb, CKvDb* pNewDb, QString* error = nullptr);
  // "ZRVMONTH KvTask KvLog KvLogOp" and every module's cleared tables.
  virtual QString GetClearedTables();

  // --- Catalogues ---

  // Both lists emptied, then the rights of the application and the modules.
  virtual void GetRightCatalogue(QStringList& codes, QStringList& names);
  // The operation names of module 0 and every module's shared names.
  virtual void GetOperationNames(QList<int>& numbers, QStringList& names);
  // Every module's places for the kind, then the application's own;
  // returns the number of places.
  virtual int GetCodeReferences(const QString& kind, KvCodeRefs& refs);
  // The three lists emptied, then every module's carry-forward items with
  // the module number × 1000 added.
  virtual void GetCarryCatalogue(QList<int>& numbers, QStringList& captions, QStringList& tables);

  // True when no place of the kind holds the value. A place whose count
  // cannot be read counts as holding it. *pMessage (when given) lists the
  // places that hold it, one per line. With pnValue the value is that
  // number, else the text as a quoted literal.
  virtual bool IsCodeUnused(CKvDb* pDb, const QString& kind, const QString& text,
                            const int* pnValue = nullptr, QString* pMessage = nullptr);
  // Rewrites the code in every place of the kind, in one transaction: the
  // first failing place undoes the whole change and gives false.
  virtual bool ChangeCode(CKvDb* pDb, const QString& kind, const QString& oldText,
                          const QString& newText, const int* pnOld = nullptr,
                          const int* pnNew = nullptr);

  // --- Printing ---

  // Lets every module fill the default page of a form.
  virtual void GetDefaultPrintSet(int nFormNo, const QString& formName, CKvPrintSet& set);
  // Lets every module append its positioned-print layouts (layout -1) or a
  // layout's default fields; returns the count of defs.
  virtual int GetPrintPosForms(int nLayoutId, CKvPrintFieldDefs& defs);
  // Sets a printer up on the current printer profile's queue (else the
  // default queue, else a PDF file) with the given paper; true on success.
  bool OpenDefaultPrinter(QPrinter& printer, const KvPaperRequest& request);

  // --- Questions to every module ---

  virtual bool CheckTexts(const QString& text1, const QString& text2);
  // The first non-zero answer of the modules; 0 when none answers.
  virtual int AskModules(int nValue, const QString& text1, const QString& text2, int nValue2,
                         int nValue3);
  // Asks the modules listed in `modules` (";"-separated numbers; all when
  // empty) to check; false at the first refusal, with its message.
  virtual bool CheckModules(int nValue, const QString& text, QString& message,
                            const QString& modules = QString());
  virtual QString GetExtraText() { return QString(); }

  // --- Commands of the application ---

  bool HandlesCmd(int id) const override;
  void ExecuteCmd(int id) override;
  bool IsCmdEnabled(int id) override;

 protected:
  // Sets the identity strings (the edition's values).
  virtual void SetIdentity();
  // Creates the edition's module descriptors; each registers itself.
  virtual void CreateDataTypes() {}

  int m_nEditionCode = 0;
  QString m_strVersionSuffix;
  QString m_strDataFileExt;
  QString m_strDataFileDescription;
  QString m_strProductKey;
  QString m_strProductName;

 private:
  void InstallServices();
  // The data file the login dialog starts on when no login was stored: the
  // newest of the default folder, else a new one made there (*pbNew set).
  void ChooseFirstDataFile(bool* pbNew);
  // The steps of a login once the data file is open again.
  bool FinishLogin(bool bNewFile);
  // Once the session's baseline is decided: tells a year carried, and
  // whether the saves of the windows kept over a lost connection will be
  // refused.
  void tellCarriedYear();
  // Ends a start-up that cannot go on.
  bool EndStartUp();
  bool IsAdministrator() const;
  bool HasOpener(int nId) const { return m_openers.contains(nId); }
  bool RunOpener(int nId);

  QList<CKvTemplateIndexEntry> m_templateIndex;
  QList<CKvDataType*> m_dataTypes;
  CKvDataFile m_dataFile;
  // While LoginToNewFile runs: the data file its dialog opens on.
  const CKvDataFile* m_pNewFile = nullptr;
  std::unique_ptr<CKvOperation> m_pTask;
  // The print-format settings the lists and views share.
  std::unique_ptr<CKvPrintSet> m_pPrintSet;
  std::unique_ptr<CKvMainFrm> m_pMainFrame;
  std::unique_ptr<KvLostConnectionNotice> m_pLostNotice;
  QHash<int, KvCommandOpener> m_openers;
  bool m_bServicesInstalled = false;
  bool m_bQuitHandlerInstalled = false;
  bool m_bExited = false;
  int m_nExitCode = 1;
};

// The application object; null before it is made and after it is gone.
CKvApp* KvGetApp();
// The connection of the application's data file; null without application.
CKvDb* KvGetAppDb();
// The first registered module of that number; null when none.
CKvDataType* KvFindDataType(int nModule);
// The module whose tab is selected in the template box; null with no frame,
// no module with a tab or no such tab.
CKvDataType* KvGetActiveDataType();

// The logged-in operator holds the right code: a whole code of the rights
// string; an empty code is never held.
bool KvHasRightCode(const QString& code);
// The right of a module item: the right four characters of "%d%s" of
// (module + 100, item).
QString KvModuleRightCode(int nModule, const QString& item);
bool KvHasRight(int nModule, const QString& item);

// "Software\zrvsoft\Kvqy\5.2": the key path of every setting of the program.
QString KvGetRegKeyPath();
// "S" for a server data file, "A" for a file.
QString KvGetDbKindLetter();
// Version suffix, program version and kind letter ("5.2A").
QString KvGetVersionTag();
// Kind letter, program version, revision and suffix ("A5.2.9").
QString KvGetEditionText();

// Checks that the embedded database engine works: an in-memory SQLite
// database runs a statement with a Jet function. On failure
// "SQLite数据库引擎无法正常工作！" under the stop icon and false.
bool KvCheckDbEngine();
