#include "app/CKvTemplateBox.h"

#include "app/CKvDataType.h"
#include "ui/KvCommands.h"

#include <QFrame>
#include <QMainWindow>
#include <QSignalBlocker>
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
  // The modules' pages go here.
  auto* pages = new QFrame(content);
  pages->setObjectName(QStringLiteral("pages"));
  pages->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  pages->setBackgroundRole(QPalette::Base);
  pages->setAutoFillBackground(true);
  pages->setLayout(new QVBoxLayout);
  pages->layout()->setContentsMargins(0, 0, 0, 0);

  auto* layout = new QVBoxLayout(content);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(0);
  layout->addWidget(m_tabs);
  layout->addWidget(pages, 1);
  setWidget(content);

  connect(m_tabs, &QTabBar::currentChanged, this, &CKvTemplateBox::TabChanged);
}

int CKvTemplateBox::SelectedTab() const { return m_tabs->currentIndex(); }

int CKvTemplateBox::TabCount() const { return m_tabs->count(); }

bool CKvTemplateBox::SelectTab(int index) {
  if (index < 0 || index >= m_tabs->count())
    return false;
  m_tabs->setCurrentIndex(index);
  return true;
}

void CKvTemplateBox::RebuildTabs(const QList<CKvDataType*>& modules) {
  {
    // One notice for the whole rebuild, not one per tab.
    const QSignalBlocker quiet(m_tabs);
    while (m_tabs->count() > 0)
      m_tabs->removeTab(m_tabs->count() - 1);
    for (const CKvDataType* module : modules) {
      if (module->m_bHasTab)
        m_tabs->setTabData(m_tabs->addTab(module->m_strTabLabel), module->GetModule());
    }
  }
  emit TabChanged(m_tabs->currentIndex());
}
