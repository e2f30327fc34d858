#pragma once
// What the module tests (fees, timetabling) share: the school edition opened
// on a test database of each kind with every table, the default rows (year
// 2024) and a module's tree parameters; a message handler that answers
// questions from a script, then Yes; table rows read back as sorted text; and
// a write run with each of its statements refused in turn.

#include "app/CKvXxApp.h"
#include "core/KvMessage.h"
#include "support/KvTestDb.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <ostream>

// Texts in test failures as text.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

// The school edition as the program makes it; a module test's own app
// installs its modules before InitInstance.
class KvModuleTestApp : public CKvXxApp {
 public:
  // Opens the data file's connection on the database as the operator.
  bool OpenOn(const KvTestDb& testDb, const QString& operatorCode = QStringLiteral("101"));
};

// Answers questions with the scripted answers, then Yes; other boxes with
// their default. Records the texts and styles while it lives.
class KvScriptedAnswers {
 public:
  explicit KvScriptedAnswers(QList<int> script = {});
  ~KvScriptedAnswers();
  QStringList texts;
  QList<unsigned> styles;
  // Run once, at the first question, before it is answered: another
  // workstation acting while the operator reads the question.
  std::function<void()> onQuestion;
  // Texts of the boxes with the stop icon.
  QStringList Stops() const;

 private:
  QList<int> m_script;
  KvMessageHandler m_previous;
};

class KvModuleDbTest : public KvDbKindTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The module test's application and the tree parameters of its school.
  virtual std::unique_ptr<KvModuleTestApp> MakeApp() = 0;
  virtual bool SetTreeParams(CKvDb* pDb) = 0;

  CKvDb* pdb() { return m_app->GetDb(); }

  // The rows of a table (the listed columns joined by "|"), sorted.
  QStringList Rows(const QString& table, const QString& columns, const QString& where = QString());

  // Runs `write` with its 1st, 2nd, ... statement refused until a run sends
  // fewer statements than the one refused; that run must succeed. Every
  // refused run must answer false and leave `state()` as it was. Returns the
  // number of statements of the clean run, -1 after a failure.
  int ExpectAllOrNothing(const std::function<bool()>& write, const std::function<QStringList()>& state);

  std::unique_ptr<KvModuleTestApp> m_app;
};

// Closes every document window still open, without asking, and deletes it
// (a window test's tear-down, before the data file goes).
void KvCloseDocumentWindows();
