#pragma once
// Account information (window 823, "账务信息"): the lines the active module
// gives for one accounting unit, year and month, each with a topic, a
// result and a detail shown below the list; a line may carry a follow-up
// command, run from the list's right-click menu. The window computes
// nothing itself: it asks the module of the template box's selected tab
// (CKvDataType::GetDataInfo, RunDataInfoCommand). Without such a module the
// list stays empty.
//
// The administrator may always look; other operators need the module's
// right item (36 unless the module names another), else "你无数据信息查询权！"
// and the window closes. The year and month chosen last come back the next
// time ("DataInfo_Year", "DataInfo_Month").

#include "app/KvDataInfoItem.h"
#include "ui/CKvZrvDlg.h"

#include <QList>

class CKvDataInfoList;
class QComboBox;
class QPlainTextEdit;

class CKvDataInfoDlg : public CKvZrvDlg {
  Q_OBJECT
 public:
  enum : unsigned { IDD = 823 };
  enum : int { IDC_DETAIL = 1198, IDC_YEAR = 1200, IDC_MONTH = 1201 };

  explicit CKvDataInfoDlg(CKvDb* pDb = nullptr, QWidget* parent = nullptr);

  // Reads the lines again for the unit, year and month chosen.
  void Refresh();
  // Runs the follow-up command of the line in `row`.
  void RunCommand(int row);

  CKvDataInfoList* List() const { return m_pList; }
  const QList<KvDataInfoItem>& Items() const { return m_items; }

  void ApplyUnitPicker(int pickerId) override;
  // Leave: the year and month are kept, the look is logged, and the window
  // closes.
  void OnCancel() override;

 protected:
  void OnInitDialog() override;

 private:
  // The combo boxes closed up: takes the choices and refreshes when the
  // unit, year or month changed.
  void takeChoices();
  void showDetail();
  bool mayUse(const QString& rightItem) const;

  CKvDataInfoList* m_pList;
  QComboBox* m_pYear;
  QComboBox* m_pMonth;
  QPlainTextEdit* m_pDetail;
  QList<KvDataInfoItem> m_items;
  QString m_strYear;
  QString m_strMonth;
  QString m_strUnit;
  int m_nModule = 0;
  int m_nViewOp = 22;
  int m_nRightItem = 36;
  QString m_strCaption;
  // The operator may not look: the window closes without keeping or logging.
  bool m_bRefused = false;
};
