#pragma once
// One stored form template as the template list moves it between data
// files: its layout (KvFormEntry: the KvFormList row, columns, column-head
// blocks, head and tail notes) and its print settings of the current
// printer (CKvPrintSet under sFieldMode = the sequence number as text).
//
// KvCheckTemplateLayout holds the values a template read from a file must
// keep to before it is written anywhere: the ranges the properties sheet
// allows (KvLayoutRange), the ones the loads bring a stored layout into.

#include "forms/KvFormEntry.h"
#include "print/CKvPrintSet.h"

class CKvDb;

// The highest sequence number the program gives a template: a type's
// built-in numbers from 0, its copies one above the highest stored. A
// number from a file outside 0 to this bound is refused before it is
// stored, and a copy that would pass it is refused rather than wrap round
// onto a stored template.
constexpr int kKvMaxTemplateNumber = 99999;

struct KvStoredTemplate {
  KvFormEntry entry;
  CKvPrintSet print;

  // Loads (nFlag, nForm) of the data file: 1 when its list row exists (its
  // records and print settings loaded too), 0 when it does not, -1 when it
  // cannot be read.
  int Load(CKvDb* pDb, int nFlag, int nForm);
  // Writes the template under (nFlag, nForm) with nOpen, in one
  // transaction under the lock of KvFormList: the list row, the records and
  // the print settings. A number that holds a stored template is refused
  // with "文档模板(%d-%d)已存在，不能写入！" (stop icon): what another
  // workstation stored there stays. False, with the data file as it was,
  // when refused or when any read or statement failed.
  bool Write(CKvDb* pDb, int nFlag, int nForm, int nOpen) const;
  // As Write, but whatever is stored under (nFlag, nForm) goes first (every
  // printer's print settings too): for a template the operator chose to
  // replace.
  bool Replace(CKvDb* pDb, int nFlag, int nForm, int nOpen) const;
  // Writes the template as a new copy of template nFlag (nOpen 1) under the
  // number taken in the same locked transaction: one above the highest
  // number stored for nFlag, and at least nLeast (the numbers of the
  // module's built-in types, stored or not). *pnForm gets the number. A
  // number above kKvMaxTemplateNumber is refused after the rollback with
  // "模板号%d的复件序号已到%d，不能再增加复件！" (stop icon).
  bool WriteCopy(CKvDb* pDb, int nFlag, int nLeast, int* pnForm) const;

 private:
  // The rows of (nFlag, nForm) after the rows left there have gone.
  bool writeRows(CKvDb* pDb, int nFlag, int nForm, int nOpen) const;
};

// True when the layout keeps to the sheet's ranges and its loads brought no
// number into them (bOutOfRange): 1 to 10 head rows, print options 0 to 3,
// at most 255 columns with widths below 100 and at most 9 decimals,
// column-head blocks inside the head grid, and head and tail fields on rows
// 1 to 15 at positions 0 to 99 with edit boxes of at most 50 characters.
// Whether the blocks cover the head exactly is not asked: a stored template
// may lack that.
bool KvCheckTemplateLayout(const KvFormEntry& entry);
