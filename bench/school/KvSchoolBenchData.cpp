#include "KvSchoolBenchData.h"

#include "../core/KvBenchPgDatabase.h"
#include "core/KvMdbPassword.h"
#include "core/KvPgBackend.h"
#include "core/KvSqliteBackend.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

struct KvSchoolBenchFile::Pg {
  explicit Pg(const QString& tag) : database(QStringLiteral("kvschool_") + tag + u'_', QString()) {}
  KvBenchPgDatabase database;
};

KvSchoolBenchFile::KvSchoolBenchFile(int nKind, int nStudents, const QString& tag) : kind(nKind) {
  KvSchoolGenOptions options;
  options.nStudents = nStudents;
  options.nClassesPerGrade = qMax(1, nStudents / 170);
  if (kind == 0) {
    path = QDir::tempPath() +
           QStringLiteral("/kvschool-%1-%2.xxd").arg(tag).arg(QCoreApplication::applicationPid());
    QFile::remove(path);
    {
      std::unique_ptr<KvSqliteBackend> file = KvSqliteBackend::create(path);
      if (!file)
        return;
      file->setPasswordDigest(KvMdbPasswordDigest(KvGetStdMdbPassword()));
    }
    m_bReady = m_file.Open(path, CKvDbInfo(0)) && KvGenerateSchoolYear(&m_file, options, &summary);
    return;
  }
  m_pg = new Pg(tag);
  m_bReady = m_pg->database.ready() && KvGenerateSchoolYear(&m_pg->database.db, options, &summary);
}

KvSchoolBenchFile::~KvSchoolBenchFile() {
  delete m_pg;
  m_file.Close();
  if (!path.isEmpty()) {
    QFile::remove(path);
    QFile::remove(path + QStringLiteral(".kvlock"));
  }
}

CKvDb& KvSchoolBenchFile::db() { return m_pg ? m_pg->database.db : m_file; }

bool KvSchoolBenchFile::OpenAnother(CKvDb* pDb) {
  if (!m_bReady)
    return false;
  return m_pg ? pDb->Open(m_pg->database.name, m_pg->database.info) : pDb->Open(path, CKvDbInfo(0));
}

sqlite3* KvSchoolBenchFile::sqliteHandle() {
  auto* backend = dynamic_cast<KvSqliteBackend*>(m_file.GetBackend());
  return backend ? backend->handle() : nullptr;
}

pg_conn* KvSchoolBenchFile::pgHandle() { return m_pg ? m_pg->database.raw() : nullptr; }

KvSchoolBenchFile& KvSchoolYearFile(int kind) {
  static KvSchoolBenchFile sqlite(0, 5000, QStringLiteral("year"));
  static KvSchoolBenchFile pg(2, 5000, QStringLiteral("year"));
  return kind == 0 ? sqlite : pg;
}

void KvOweForReceipts(KvSchoolBenchFile& file) {
  for (int i = 0; i < kBenchPaying; ++i) {
    int term = 0;
    const QString student = KvPayingStudent(file, i, &term);
    for (const char* item : {"01", "02", "03"})
      file.db().Execute(QStringLiteral("Insert Into PC(QC,F,LPR,My,T,DH,Mry,COST,STD,Opr0,Opr1,FS) "
                                       "Values(%1,1,0,1000000,'20240901','90001','','%2','%3','101','','1')")
                            .arg(term)
                            .arg(QString::fromLatin1(item), student));
  }
}

QString KvPayingStudent(const KvSchoolBenchFile& file, int i, int* term) {
  const QString& student = file.summary.studentCodes.at(i % kBenchPaying);
  *term = file.summary.nGradeTerms[student.mid(2, 2).toInt() - 1];
  return student;
}

