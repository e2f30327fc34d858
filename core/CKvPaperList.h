#pragma once
// The paper sizes of a printer in the order the printer system gives them,
// width and height in 0.1 mm. Filled together with a list of paper names and
// a list of paper numbers that run parallel to it (KvGetPrinterPapers).

#include <QList>

struct KvPaperSize {
  int width = 0;   // 0.1 mm
  int height = 0;  // 0.1 mm
  friend bool operator==(const KvPaperSize&, const KvPaperSize&) = default;
};

class CKvPaperList {
public:
  CKvPaperList();
  virtual ~CKvPaperList();

  int GetSize() const { return int(m_sizes.size()); }
  // The i-th size; a zero size for an index out of range.
  KvPaperSize GetAt(int index) const;
  void Add(int width, int height);
  void RemoveAll();

private:
  QList<KvPaperSize> m_sizes;
};
