#pragma once
// Paths of report files: report definitions end in ".ZRV", report data files
// in ".BSJ". The data of a definition R.ZRV lives beside it in the folder R,
// optionally in numbered sub-folders: A/R.ZRV owns A/R/3/c.BSJ. Paths are
// accepted with "/" or "\" and produced with "/".

#include <QString>

class CKvFormFile {
 public:
  virtual ~CKvFormFile();

  // The report definition a data file belongs to: with its extension removed,
  // the path is walked upwards, trying each element's name with ".ZRV" in the
  // folder holding that element (A/B/c.BSJ tries A/B/c.ZRV, A/B.ZRV, then
  // /A.ZRV when A is at the root). Empty when none exists.
  static QString FindZrvFile(const QString& path);

  // Kind of a path, upper-cased with "/" separators: 2 a report definition,
  // 3 a report data file, -2 a file of any other extension, all with the
  // folder holding the file in `folder`, the file name in `subPath` and in
  // `number` the folder's own name as a number (-1 when it is not all digits).
  // A path without extension is a folder path: its elements are walked from
  // the last one upwards, stopping at an element with an extension, at an
  // element longer than 8 whose part before its last 8 is all letters, or at
  // the root; `folder` receives the path up to the stop, `subPath` the walked
  // elements, `number` the topmost walked element read as an integer (0 when
  // it holds no number); returns 1. Any output may be null.
  static int ResolveKind(const QString& path, QString* folder, int* number, QString* subPath);

  // Where a data file belongs beside a report definition: a data file
  // (.BSJ) goes into the definition's folder, into the sub-folder of its own
  // numbered folder when it has one; a folder path keeps its walked elements
  // below the definition's folder. Empty when the first path is not a report
  // definition or the second neither a data file nor a folder path.
  static QString GetPath(const QString& zrvPath, const QString& dataPath);
};
