#pragma once
// A combo box whose drop-down list holds the words the operators saved for
// one field of one dialog (usual remarks, reasons, ...). The operator types a
// word and saves it, or deletes a saved word, through the right-click menu
// 320 (保存词语, 删除词条), shown over the box outside its edit field (the
// edit field keeps its own editing menu).
//
// The words are rows of the parameter store SysCsTab of the data file, so
// every workstation sees the same words: Cs 9007, CsN the word-list number
// (normally the control's dialog item id), CsNa the second number as decimal
// text (two lists may share one CsN), CsVal the word, LPO empty.
//
// The owner sets the numbers and the database (SetWordList), loads the menu
// (LoadContextMenu) and fills the list (FillWords).

#include "ui/KvCommandTarget.h"
#include "ui/KvCommands.h"

#include <QComboBox>
#include <QString>

class CKvDb;

class CKvWordCB : public QComboBox, public KvCommandTarget {
  Q_OBJECT
 public:
  // The parameter-store category of saved words.
  static constexpr int kWordCategory = 9007;

  explicit CKvWordCB(QWidget* parent = nullptr);

  void SetWordList(CKvDb* pDb, int nListNumber, int nSecondNumber = 0);
  CKvDb* Db() const { return m_pDb; }
  int ListNumber() const { return m_nListNumber; }
  int SecondNumber() const { return m_nSecondNumber; }

  // The right-click menu of the box (none after construction; without one
  // the right click goes on to the parent).
  void LoadContextMenu(int menuId = KV_MENU_WORD_COMBO);
  int ContextMenuId() const { return m_nMenuId; }

  // Replaces the items with the saved words of the list, ordered by CsNa,
  // CsVal; the typed text stays. Returns the number of words.
  int FillWords();

  // Saves the typed text as a word, unless it is empty or an item already
  // begins with it (ASCII case ignored): the word is added to the list,
  // selected and stored.
  void OnSaveWord();
  // Removes the item equal to the typed text (ASCII case ignored) from the
  // list and deletes the word's rows, also when the list held no such item.
  void OnDeleteWord();

  // Commands 43023 (save) and 43024 (delete), always enabled.
  bool HandlesCmd(int id) const override;
  void ExecuteCmd(int id) override;

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  CKvDb* m_pDb = nullptr;
  int m_nListNumber = 0;
  int m_nSecondNumber = 0;
  int m_nMenuId = 0;
};
