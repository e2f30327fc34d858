#pragma once
// One document type of a module (a row of the module's template list): the
// template number comes from its CKvDocTemplate, the sequence number nForm
// tells the types of one template apart. Built-in types have bStored 0;
// bStored 1 marks a stored copy made by an operator (a KvFormList row),
// which alone may be deleted.

#include <QString>
#include <QStringList>

struct KvDocTypeEntry {
  // Sequence number ("序号"); for documents with several pages, the page.
  int nForm = 0;
  // The page-1 print options split off the stored title (bit 0 page totals,
  // bit 1 overlay title).
  int nOption = 0;
  QString sName;
  // "功能说明"; the name when none was given.
  QString sDesc;
  // Must be 0 for "新增".
  int nLock = 0;
  // The full right code (a short code gets the module number in front).
  QString sRight;
  // Whether the logged-in operator holds sRight (set by the template list).
  int bRight = 0;
  int nIcon = 0;
  int bStored = 0;
  // How documents of this type were last opened: the list the documents
  // read when set up and write back when closed. Read from the settings
  // (KvReadDocOpenMode) on first use in a run.
  QStringList openArgs;
  bool bArgsLoaded = false;
  // The list lives for the run only: never read from the settings nor
  // written there, so the first document of a run opens on its defaults.
  bool bArgsForRun = false;
};
