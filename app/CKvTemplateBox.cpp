#include "app/CKvTemplateBox.h"

#include "app/CKvApp.h"
#include "app/CKvDataType.h"
#include "core/KvRegistry.h"
#include "ui/KvCommands.h"
#include "ui/KvModal.h"

#include <QFrame>
#include <QInputDialog>
#include <QLineEdit>
#include <QMainWindow>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

CKvTemplateBox::CKvTemplateBox(QMainWindow* parent)
    : CKvBar(QStringLiteral("文档模板框"), parent, QSize(kDefaultWidth, kDefaultHeight),
             KV_BAR_TEMPLATE_BOX) {
  auto* content = new QWidget(this);
  m_tabs = new QTabBar(content);
  m_tabs->setObjectName(QStringLiteral("tabs"));
  m_tabs->setExpanding(false);
  m_tabs->setDrawBase(false);
  m_tabs->setFocusPolicy(Qt::TabFocus);
  // The modules' pages.
  m_pages = new QStackedWidget(content);
  m_pages->setObjectName(QStringLiteral("pages"));
  m_pages->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  m_pages->setBackgroundRole(QPalette::Base);
  m_pages->setAutoFillBackground(true);

  auto* layout = new QVBoxLayout(content);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(0);
  layout->addWidget(m_tabs);
  layout->addWidget(m_pages, 1);
  setWidget(content);

  connect(m_tabs, &QTabBar::currentChanged, this, [this](int index) {
    if (index >= 0 && index < m_pages->count())
      m_pages->setCurrentIndex(index);
    emit TabChanged(index);
  });
}

int CKvTemplateBox::SelectedTab() const { return m_tabs->currentIndex(); }

int CKvTemplateBox::TabCount() const { return m_tabs->count(); }

bool CKvTemplateBox::SelectTab(int index) {
  if (index < 0 || index >= m_tabs->count())
    return false;
  m_tabs->setCurrentIndex(index);
  return true;
}

QWidget* CKvTemplateBox::Page(int index) const {
  return index >= 0 && index < m_pages->count() ? m_pages->widget(index) : nullptr;
}

void CKvTemplateBox::RebuildTabs(const QList<CKvDataType*>& modules) {
  {
    // One notice for the whole rebuild, not one per tab.
    const QSignalBlocker quiet(m_tabs);
    while (m_tabs->count() > 0)
      m_tabs->removeTab(m_tabs->count() - 1);
    // The pages of the last login go: the data file and the rights they
    // showed may have changed.
    while (m_pages->count() > 0) {
      QWidget* page = m_pages->widget(m_pages->count() - 1);
      m_pages->removeWidget(page);
      delete page;
    }
    m_modules.clear();
    for (CKvDataType* module : modules) {
      if (!module->m_bHasTab)
        continue;
      m_tabs->setTabData(m_tabs->addTab(module->m_strTabLabel), module->GetModule());
      QWidget* page = module->CreateTemplatePage(m_pages);
      m_pages->addWidget(page ? page : new QWidget(m_pages));
      m_modules.append(module);
    }
    if (m_tabs->currentIndex() >= 0)
      m_pages->setCurrentIndex(m_tabs->currentIndex());
  }
  emit TabChanged(m_tabs->currentIndex());
}

bool CKvTemplateBox::RenameModuleTab() {
  const int index = m_tabs->currentIndex();
  if (index < 0 || index >= m_modules.size())
    return false;
  CKvDataType* module = m_modules.at(index);
  QInputDialog dialog(this);
  dialog.setObjectName(QStringLiteral("dlg_%1").arg(KV_CMD_RENAME_MODULE_TAB));
  dialog.setWindowTitle(QStringLiteral("修改模块标签标题"));
  dialog.setLabelText(QStringLiteral("模块标签标题："));
  dialog.setTextValue(module->m_strTabLabel);
  if (KvExecDialog(&dialog) != QDialog::Accepted)
    return false;
  const QString label = dialog.textValue().trimmed();
  if (label.isEmpty() || label == module->m_strTabLabel)
    return false;
  module->m_strTabLabel = label;
  m_tabs->setTabText(index, label);
  KvRegWriteString(KvRegRoot::CurrentUser, KvGetRegKeyPath(),
                   QStringLiteral("tablabel_%1").arg(module->GetModule()), label);
  return true;
}
