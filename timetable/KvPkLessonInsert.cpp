#include "timetable/KvPkLessonInsert.h"

#include "core/CKvDb.h"
#include "core/KvDbBackend.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "timetable/CPkGrid.h"

namespace {
const QString kInsert = QStringLiteral("Insert Into PK(Y,QC,T,STD,WK,DT,DN,DS,SBT,TCHR,PUBRM) ");
}  // namespace

KvPkLessonInsert::KvPkLessonInsert(CKvDb* pDb) : m_pDb(pDb) {
  if (pDb && pDb->IsOpen())
    m_insert = pDb->GetBackend()->prepare(kInsert + QStringLiteral("Values(?,?,?,?,?,?,?,?,?,?,?)"), &m_error);
}

KvPkLessonInsert::~KvPkLessonInsert() = default;

bool KvPkLessonInsert::Insert(const CPkGrid& grid) {
  if (!m_insert)
    return reportFailure(grid, QStringLiteral("(?,?,?,?,?,?,?,?,?,?,?)"), m_error);
  // A lock wait noted before these inserts is not theirs.
  if (m_pDb->IsOpen())
    m_pDb->GetBackend()->takeLockWait();
  // The version and class stay bound for every lesson of the grid.
  m_insert->bindText(0, grid.Y.left(4));
  m_insert->bindText(1, QString::number(grid.QC));
  m_insert->bindText(2, grid.T.left(8));
  m_insert->bindText(3, grid.STD.left(15));
  // The day, segment and week kind are bound again only when they change.
  int boundDay = -1, boundSegment = -1, boundKind = -1;
  for (int k = 0; k < CPkGrid::kKinds; ++k)
    for (int d = 0; d < 7; ++d)
      for (int s = 0; s < 4; ++s) {
        const int i = CPkGrid::ArrayIndex(k, d, s);
        for (qsizetype p = 0; p < grid.CourseCells[i].size(); ++p) {
          if (grid.CourseCells[i][p].isEmpty())
            continue;
          if (d != boundDay)
            m_insert->bindText(4, QString::number(boundDay = d));
          if (s != boundSegment)
            m_insert->bindText(5, QString(QChar(u'A' + (boundSegment = s))));
          m_insert->bindText(6, QString::number(p + 1));
          if (k != boundKind)
            m_insert->bindText(7, QString::number(boundKind = k));
          m_insert->bindText(8, grid.CourseCells[i][p].left(4));
          m_insert->bindText(9, grid.TeacherCells[i][p].left(4));
          m_insert->bindText(10, grid.RoomCells[i][p].left(3));
          QString error;
          if (!m_insert->run(&error))
            return reportFailure(grid,
                                 KvFormat("('%d','%c','%d','%d','%s','%s','%s')", d, QChar(u'A' + s), int(p) + 1, k,
                                          grid.CourseCells[i][p], grid.TeacherCells[i][p], grid.RoomCells[i][p]),
                                 error);
        }
      }
  return true;
}

bool KvPkLessonInsert::reportFailure(const CPkGrid& grid, const QString& values, const QString& error) {
  if (m_pDb && (m_pDb->FailsAsLost() || m_pDb->ReportLockWait()))
    return false;
  QString text = m_pDb && m_pDb->GetKind() == 2 && !error.isEmpty() ? error + u'\n' : QString();
  text += QStringLiteral("执行下列SQL语句时出错！\n") + kInsert +
          KvFormat("Values('%s','%d','%s','%s',", grid.Y, grid.QC, grid.T, grid.STD) + values.mid(1);
  KvMessageBox(text, KV_MB_OK | KV_MB_ICONSTOP);
  return false;
}
