#pragma once
// The base of the data-entry dialogs: a unit-aware dialog (CKvZrvDlg) that
// reopens where the operator last left it.
//
// When it opens it takes the place the shell keeps under its template id;
// with none kept it is centred on its associated window, if it has one. A
// dialog whose centre or top-left corner then lies outside the available
// area of the screen at that point is centred, so it never opens out of
// reach. OK (after the unit check and a successful save) always keeps the
// dialog's place; Cancel keeps it only while m_bRememberPos is set. A
// dialog that was never shown keeps nothing.

#include "ui/CKvZrvDlg.h"

#include <QPointer>
#include <QRect>

class CKvAppDlg : public CKvZrvDlg {
  Q_OBJECT
 public:
  explicit CKvAppDlg(unsigned idd, CKvDb* db = nullptr, QWidget* parent = nullptr,
                     unsigned idIcon = KV_ICON_APP);

  // The window the dialog opens centred on when no place is kept for it.
  QPointer<QWidget> m_pAssociatedWnd;
  // Non-zero: Cancel keeps the dialog's place too.
  int m_bRememberPos = 1;

  // The unit check and the guarded save; on success the place is kept and
  // the dialog closes with Accepted.
  void OnOK() override;
  // Keeps the place when m_bRememberPos is set, then closes with Rejected.
  void OnCancel() override;

  // Whether both the centre and the top-left corner of the screen rectangle
  // lie in the available area of a screen.
  static bool IsPlaceOnScreen(const QRect& frame);

 protected:
  // The base's setup, then the place (see above).
  void OnInitDialog() override;

 private:
  void rememberPlace();
  // Centres the dialog on the window (none: on the available area of its
  // screen), kept inside that area.
  void centreOn(const QWidget* reference);
};
