#pragma once
// The list of the accounting units of a data file in the unit dialog: one
// row per unit in code order with its code, short name, operators, people,
// telephone, address, name and note. New (a sub-unit of the selected unit,
// or a sibling), modify and delete go through the unit edit dialog and the
// unit model; copy and cut take units of one parent, paste puts them under
// the selected unit (or at the top) with fresh codes, from this data file or
// another; export writes a leaf unit's rows into a data file of their own,
// import puts a unit of another data file in the selected unit's place;
// clear deletes one unit's rows. Changing units needs right "0009",
// clearing "0010"; the administrator "101" holds both.

#include "ui/CKvListCtrl.h"

class CKvDwRec;

class CKvDwList : public CKvListCtrl {
  Q_OBJECT
 public:
  // The list's private clipboard format.
  static constexpr unsigned kClipboardFormat = 0x224;

  explicit CKvDwList(QWidget* parent = nullptr);

  // Works on this connection.
  void SetDb(CKvDb* pDb) { m_pDb = pDb; }
  // Reloads the application's unit array from the connection and shows it.
  void Fill();

  unsigned GetClipboardFormat() const override { return kClipboardFormat; }
  void GetIconIds(QList<int>* ids) const override;
  int GetCopyTexts(QStringList* texts) const override;
  int ReadClipboard(QStringList* texts, bool* bCut, bool* bSameFile, CKvDbInfo* from) override;
  void PasteItems(const QStringList& texts, bool bCut, bool bSameFile, const CKvDbInfo& from) override;
  void OnPrepareContextMenu(QMenu* popup) override;

  bool HandlesCmd(int id) const override;
  void ExecuteCmd(int id) override;
  bool IsCmdEnabled(int id) override;

  void OnNew() override;
  void OnOpen() override { OnModify(); }
  void OnModify() override;
  void OnDelete() override;
  void OnCopy() override;
  void OnCut() override;
  void OnNewSibling();
  void OnClear();

 private:
  // Runs the edit dialog in new mode under the parent until cancelled.
  void AddUnder(const QString& parentCode);
  QString SelectedCode() const;
  // Every selected unit has the first one's parent; otherwise the message.
  bool SameParent() const;
  static bool HasRight(const char* code);

  // The source of the last clipboard read.
  int m_nSourceKind = 0;
  QString m_strSourceName;
};
