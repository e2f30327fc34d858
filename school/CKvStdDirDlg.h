#pragma once
// The directory of the school's code tree (STD): management units, grades,
// classes and students, one level at a time. The operator goes down into a
// node and back up, adds, modifies and deletes nodes through the node form
// (CKvStdEditDlg), moves or copies students between classes by cut and
// paste, and, holding the system-parameter right in mode 0, sets the three
// structure parameters: the number of management levels, the multi-class
// flag and the code length of the level shown.
//
// Modes: 0 manage; 1 pick a student (a class with students opens on them, a
// class without any is picked); 2 pick any node. The dialog opens beside its
// start code (in mode 1 below a node that has children); on OK the picked
// code is ChosenCode().
//
// Codes are plain concatenations of one fixed-length segment per level
// (CXxDataType), so the directory has no separator. Nodes open for their
// children down to the deepest openable level (-1: the student level).
//
// What callers may rely on: every handler that changes data first checks
// that no other station changed the tree parameters, and stops, writing
// nothing, when they changed or cannot be read; each write is one
// transaction (CStd), and every refusal is shown with the stop icon.

#include "ui/CKvCodeBrowseDlg.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

class CKvStdDirDlg : public CKvCodeBrowseDlg {
 public:
  enum : int {
    IDD = 950,
    IDC_PARENT = 1000,
    IDC_NEW = 1001,
    IDC_MODIFY = 1002,
    IDC_DELETE = 1003,
    IDC_DOWN = 1005,
    IDC_LIST = 1006,
    IDC_LEVELS = 1025,
    IDC_MULTI_CLASS = 1026,
    IDC_LEVELS_LABEL = 1027,
    IDC_LENGTH_LABEL = 1028,
    IDC_LENGTH = 1029,
    IDC_CLOSE = 1030,
  };

  // The operation code of the log entries of the tree's changes.
  static constexpr int kLogCode = 81;

  CKvStdDirDlg(CKvDb* db, int mode, const QString& startCode, int deepestLevel, QWidget* parent = nullptr);

  const QString& ChosenCode() const { return m_strSelectedCode; }
  // The 0-based level of the rows listed (0 at the root).
  int LevelShown() const;

  // --- The directory's answers to the browser ---

  void OnInitBrowse() override;
  void FillList() override;
  void GetIconIds(QList<int>* ids) const override;
  bool CanStartAt(const QString& code) override;
  bool IsSelectable(const QString& code) override;
  bool CanDrillDown(const QString& code) override;
  QString GetParentCode(const QString& code) override;
  bool IsCodeUsed(const QString& code) override;
  bool IsCmdAllowed(int id) override;
  void OnPrepareContextMenu(QMenu* popup) override;
  bool EditCode(QString* code, bool isNew) override;
  bool DeleteCode(const QString& code) override;
  QString GetPasteCode(const QString& rowCode, const QString& targetParent) override;
  bool PasteCode(const QString& rowCode, const QString& newCode, bool cut) override;

  // The word of the rows of a level: "管理机构", "级次", "班次" or "学生".
  static QString KindWord(int level);
  // The segment a node gets under `destination`: the number of `segment`
  // zero-padded to the length of the destination's child level; empty when
  // that level is not in the tree or the number is too long for it.
  static QString MakeChildSegment(const QString& destination, const QString& segment);

 protected:
  void OnInitDialog() override;

 private:
  void runListCommand(int id);
  void onClose();
  // Enables 新增, 修改, 删除 and "进子项" as the list's commands are.
  void updateButtons();
  void onMultiClassClicked();
  void onLevelsChosen();
  void onLengthChosen();
  // Puts the parameters in memory into the three controls.
  void showParams();
  // The code-length choices of the level shown.
  void fillLengths();
  // The parameter check that opens every change; false stops the handler.
  bool paramsUnchanged();
  // Stores the structure parameters (CStd::ChangeStructure) or tells why
  // not; on failure those in memory go back.
  void saveParams(int levels, int multiClass);

  int m_nDeepestLevel;
  QLabel* m_pParent;
  QComboBox* m_pLevels;
  QCheckBox* m_pMultiClass;
  QComboBox* m_pLength;
  QPushButton* m_pNew;
  QPushButton* m_pModify;
  QPushButton* m_pDelete;
  QPushButton* m_pDown;
  QPushButton* m_pClose;
  QList<QWidget*> m_paramControls;
};
