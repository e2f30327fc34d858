#include "forms/KvCardCommands.h"

#include "forms/CKvCardDoc.h"
#include "forms/CKvCardPrintJob.h"
#include "ui/KvCalculatorHook.h"
#include "ui/KvCommands.h"

#include <QKeyEvent>

bool KvPrintCard(CKvCardDoc& doc, int command, bool bOverlay, bool* pOverlay, QWidget* parent) {
  bool unused = false;
  bool* flag = pOverlay ? pOverlay : &unused;
  *flag = bOverlay;
  CKvCardPrintJob job(doc.m_layout, bOverlay);
  job.SetTitle(doc.m_strTitle);
  const bool printed = job.Run(command, parent);
  *flag = false;
  return printed;
}

bool KvIsCardCommand(int id) {
  switch (id) {
    case KV_CMD_CALCULATOR:
    case KV_CMD_FILE_PAGE_SETUP:
    case KV_CMD_FILE_PRINT:
    case KV_CMD_FILE_PRINT_DIRECT:
    case KV_CMD_FILE_PRINT_PREVIEW:
    case KV_CMD_OVERLAY_PRINT:
    case KV_CMD_OVERLAY_PREVIEW: return true;
    default: return false;
  }
}

int KvCardKeyCommand(const QKeyEvent* event) {
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  if (modifiers == Qt::NoModifier && event->key() == Qt::Key_F12)
    return KV_CMD_CALCULATOR;
  if (modifiers == Qt::NoModifier && event->key() == Qt::Key_F5)
    return KV_CMD_REFRESH;
  if (modifiers == Qt::ControlModifier && event->key() == Qt::Key_T)
    return KV_CMD_OVERLAY_PRINT;
  if (modifiers == Qt::ControlModifier && event->key() == Qt::Key_P)
    return KV_CMD_FILE_PRINT;
  return 0;
}

bool KvRunCardCommand(CKvCardDoc& doc, int id, bool* pOverlay, QWidget* parent) {
  switch (id) {
    case KV_CMD_CALCULATOR: {
      QString result;
      KvRunCalculator(false, QString(), parent, &result);
      return false;
    }
    case KV_CMD_FILE_PAGE_SETUP: return doc.m_layout.PageSetup(doc.m_pDb, parent);
    case KV_CMD_OVERLAY_PRINT: KvPrintCard(doc, KV_CMD_FILE_PRINT, true, pOverlay, parent); return true;
    case KV_CMD_OVERLAY_PREVIEW:
      KvPrintCard(doc, KV_CMD_FILE_PRINT_PREVIEW, true, pOverlay, parent);
      return true;
    case KV_CMD_FILE_PRINT:
    case KV_CMD_FILE_PRINT_DIRECT:
    case KV_CMD_FILE_PRINT_PREVIEW: KvPrintCard(doc, id, false, pOverlay, parent); return true;
    default: return false;
  }
}
