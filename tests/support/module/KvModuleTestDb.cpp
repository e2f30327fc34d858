#include "support/module/KvModuleTestDb.h"

#include "app/CKvApp.h"
#include "core/CKvDb.h"
#include "core/KvRegistry.h"
#include "forms/CFormChildFrm.h"
#include "school/CXxDataType.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>

#include <algorithm>
#include <utility>

bool KvModuleTestApp::OpenOn(const KvTestDb& testDb, const QString& operatorCode) {
  CKvDataFile& file = GetDataFile();
  file.SetKind(testDb.kind() == 0 ? 0 : 1);
  if (testDb.kind() != 0)
    file.SetServerBackend(testDb.kind());
  file.SetOperatorCode(operatorCode);
  file.SetOperatorName(operatorCode == u"101" ? QStringLiteral("管理员") : QStringLiteral("×××"));
  return GetDb()->Open(testDb.name(), testDb.info());
}

KvScriptedAnswers::KvScriptedAnswers(QList<int> script) : m_script(std::move(script)) {
  m_previous = KvSetMessageHandler([this](const KvMessage& message) {
    texts.append(message.text);
    styles.append(message.style);
    const unsigned buttons = message.buttons();
    if (buttons != KV_MB_YESNO && buttons != KV_MB_YESNOCANCEL)
      return message.defaultAnswer();
    if (onQuestion)
      std::exchange(onQuestion, {})();
    return m_script.isEmpty() ? int(KV_IDYES) : m_script.takeFirst();
  });
}

KvScriptedAnswers::~KvScriptedAnswers() { KvSetMessageHandler(m_previous); }

QStringList KvScriptedAnswers::Stops() const {
  QStringList stops;
  for (qsizetype i = 0; i < texts.size(); ++i)
    if ((styles[i] & KV_MB_ICONMASK) == KV_MB_ICONSTOP)
      stops.append(texts[i]);
  return stops;
}

void KvModuleDbTest::SetUp() {
  KvDbKindTest::SetUp();
  if (IsSkipped() || HasFatalFailure())
    return;
  m_app = MakeApp();
  ASSERT_TRUE(m_app->OpenOn(testDb()));
  ASSERT_TRUE(m_app->CreateAllTables(pdb()));
  ASSERT_TRUE(m_app->InsertDefaultRows(pdb(), 2024));
  ASSERT_EQ(CXxDataType::Get(), KvFindDataType(18));
  ASSERT_TRUE(SetTreeParams(pdb()));
}

void KvModuleDbTest::TearDown() {
  if (m_app)
    m_app->GetDb()->Close();
  // A test may point the backup folder into a temporary folder of its own:
  // a later test's safety backup would make that folder again and leave it.
  KvRegDeleteValue(KvRegRoot::CurrentUser, KvGetRegKeyPath(), QStringLiteral("BakPath"));
  m_app.reset();
  KvDbKindTest::TearDown();
}

QStringList KvModuleDbTest::Rows(const QString& table, const QString& columns, const QString& where) {
  const QStringList names = columns.split(u',');
  QList<QStringList> values(names.size());
  pdb()->QueryTexts(QStringLiteral("Select ") + columns + QStringLiteral(" From ") + table + u' ' + where,
                    values.data(), int(names.size()));
  QStringList rows;
  for (qsizetype r = 0; r < values.first().size(); ++r) {
    QStringList cells;
    for (const QStringList& column : values)
      cells.append(column.at(r));
    rows.append(cells.join(u'|'));
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

int KvModuleDbTest::ExpectAllOrNothing(const std::function<bool()>& write,
                                       const std::function<QStringList()>& state) {
  const QStringList before = state();
  for (int n = 1; n < 2000; ++n) {
    pdb()->FailNthStatement(n);
    const bool ok = write();
    const int sent = pdb()->GetStatementsSent();
    pdb()->FailNthStatement(0);
    if (sent < n) {
      EXPECT_TRUE(ok) << "the clean run failed";
      return sent;
    }
    EXPECT_FALSE(ok) << "statement " << n << " was refused, yet the write reports success";
    EXPECT_EQ(state(), before) << "statement " << n << " was refused and the data changed";
    if (HasFailure())
      return -1;
  }
  ADD_FAILURE() << "the write never ran clean";
  return -1;
}

void KvCloseDocumentWindows() {
  QList<QPointer<CFormChildFrm>> frames;
  for (QWidget* widget : QApplication::allWidgets())
    if (auto* frame = qobject_cast<CFormChildFrm*>(widget))
      frames.append(frame);
  for (const QPointer<CFormChildFrm>& frame : frames)
    if (frame)
      frame->CloseWithoutAsking();
  for (const QPointer<CFormChildFrm>& frame : frames)
    delete frame.data();
}
