#pragma once
// The calculator variables of one module. A module registers its built-in
// variables at start-up (RegisterBuiltIn); a list made for that module takes
// them over with Reload and writes them into the data file's table KVVAR
// with Save. The evaluator (CCaculate) reads a variable's value by evaluating
// its expression.

#include <QList>
#include <QString>

class CKvDb;

// One variable: its number within the module, its name (at most width 10),
// the expression that gives its value (at most width 200), a note (at most
// width 60) and a type number kept for the module.
struct CKvVar {
  int nNo = 0;
  QString strName;
  QString strExp;
  QString strNote;
  int nType = 0;
};

class CKvVarList {
 public:
  // Widths of the text columns of KVVAR; Save cuts longer texts there.
  static constexpr int kNameWidth = 10;
  static constexpr int kExpWidth = 200;
  static constexpr int kNoteWidth = 60;

  explicit CKvVarList(int nSoft);

  // Adds a built-in variable of module `nSoft`; one already registered
  // under the same number is replaced. Called by the modules at start-up.
  static void RegisterBuiltIn(int nSoft, const CKvVar& var);
  // The built-in variables registered for a module, in number order.
  static QList<CKvVar> BuiltIns(int nSoft);

  int Soft() const { return m_nSoft; }
  const QList<CKvVar>& Vars() const { return m_vars; }

  // Replaces the list by the module's built-in variables.
  void Reload();

  // The variable of that name (ASCII letters compared without case), null
  // when there is none.
  const CKvVar* Find(const QString& name) const;

  // Writes every variable into KVVAR: the row of this module and number is
  // deleted, then the variable inserted. Stops at the first statement that
  // fails (the connection has reported it) and returns false.
  bool Save(CKvDb* db) const;

 private:
  int m_nSoft;
  QList<CKvVar> m_vars;
};
