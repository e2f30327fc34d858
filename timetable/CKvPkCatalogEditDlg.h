#pragma once
// What the edit dialogs of the timetabling catalogues share: labelled typed
// fields bound to the record's texts, the code check, the required-field
// check and the save with its log entry.
//
// A derived dialog adds its fields in its constructor (AddField, in screen
// order), sets its titles and, on OK, checks its record and calls Store.
// Refusals are stop boxes that leave the dialog open with the focus on the
// field at fault; nothing is written then.

#include "ui/CKvAppDlg.h"

#include <QList>
#include <QString>
#include <functional>

class CKvEdit;
class QGridLayout;
class QLabel;

class CKvPkCatalogEditDlg : public CKvAppDlg {
  Q_OBJECT
 public:
  // 1 adds a row, 0 changes the row of the code.
  int m_nMode;
  QString m_strCode;

  // Mode 0: the row to change into the record, read once (the opening
  // reads it before the form is shown); false when it could not be read,
  // and the form is then not opened: the connection has said why.
  bool LoadRowToChange();

 protected:
  CKvPkCatalogEditDlg(unsigned idd, int nMode, const QString& code, CKvDb* pDb, QWidget* parent);

  // A label and an edit of that input type and length bound to the text;
  // `note` is shown after the edit. Returns the edit.
  CKvEdit* AddField(int id, const QString& label, QString* field, const QString& inputType, int length,
                    const QString& note = QString());
  // A label and a control of the derived dialog's own on the next row.
  void AddControl(int id, const QString& label, QWidget* control);
  // The buttons under the fields; call after the last field.
  void FinishLayout();

  // The texts between the fields and the record.
  bool DoDataExchange(bool bSave) override;

  // The code as a number of `width` digits ("7" gives "0007"); a text that
  // is not a positive number of at most that many digits gives
  // "代码不合适，请重输！" with the focus on the field.
  bool NormaliseCode(QString* code, int width, int id);
  // An empty text gives the message with the focus on field id.
  bool Require(const QString& text, const QString& message, int id);
  // Runs the insert (mode 1) or the update (mode 0) with its log entry as
  // one piece of work; the note is read after the write ran. A failure
  // puts the focus on the code field `codeId`; a refusal the write made
  // (FoundOld, StoredAsRead, a code held twice) is shown once the write has
  // ended.
  bool Store(const std::function<bool()>& write, int logCode, const QString& note, int codeId);
  // Where a write inside Store hands its refusal, for Store to show once
  // the write has ended.
  QString* Refusal() { return &m_strRefusal; }
  // The row of m_strCode into the record: its count, -1 when the read
  // failed.
  virtual int ReadRow() = 0;
  // The row to change was read (count 1 or more); a failed read (-1) was
  // reported already; otherwise, as when another station deleted it
  // meanwhile, "代码%s已不存在，不能修改！".
  bool FoundOld(int count);
  // Mode 0, inside the write: locks the table, reads the row to change
  // again into *stored and compares it with the row the form read, so that
  // nothing another window or workstation changed meanwhile is put back.
  // False after FoundOld's refusal, or with "<word><code>已被其他窗口或工作站
  // 修改，请重新打开后再修改！" when the row differs.
  template <class Rec>
  bool StoredAsRead(const QString& table, const QString& word, int (*load)(Rec&, const QString&, CKvDb*),
                    const Rec& read, Rec* stored) {
    if (!LockTable(table) || !FoundOld(load(*stored, m_strCode, Db())))
      return false;
    return *stored == read || RefuseChanged(word);
  }

  // Shows a stop box and puts the focus on the control.
  void Refuse(const QString& message, int id);

  // Short and full name: whenever either field gets the focus, an empty
  // short name takes the full name and then an empty full name the short
  // one.
  void MirrorNames(int shortId, QString* shortName, int fullId, QString* fullName);
  // The code of `width` digits, then both names required.
  bool CheckCodeAndNames(QString* code, int width, int codeId);
  // "新增：%s - %s" in mode 1, "修改：%s(%s) --> %s(%s)" in mode 0.
  QString LogNote(const QString& oldName, const QString& newCode, const QString& newName) const;

  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Field {
    CKvEdit* edit;
    QString* text;
  };
  // The table's lock on the dialog's connection, inside the write.
  bool LockTable(const QString& table);
  // Sets the refusal of a row changed meanwhile; false.
  bool RefuseChanged(const QString& word);

  QList<Field> m_fields;
  QString m_strRefusal;
  bool m_bRowRead = false;
  QGridLayout* m_pGrid;
  int m_nRows = 0;
  int m_nShortId = 0;
  int m_nFullId = 0;
  QString* m_pShort = nullptr;
  QString* m_pFull = nullptr;
};
