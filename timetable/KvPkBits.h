#pragma once
// A set of week slots for the placement engine: one bit per (day, segment,
// period) of the schedule, numbered day by day, segments in order. Masks
// and occupancies are these sets, so every test is a word operation.
// Up to 256 slots live inline; larger schedules spill to the heap.

#include <QVarLengthArray>
#include <QtGlobal>
#include <algorithm>
#include <bit>

class KvPkBits {
 public:
  KvPkBits() = default;
  explicit KvPkBits(int nBits) { Resize(nBits); }

  // nBits slots, all clear.
  void Resize(int nBits) {
    m_words.resize((nBits + 63) / 64);
    ClearAll();
  }
  void ClearAll() { std::fill(m_words.begin(), m_words.end(), quint64(0)); }
  bool Test(int i) const { return (m_words[i >> 6] >> (i & 63)) & 1u; }
  void Set(int i) { m_words[i >> 6] |= quint64(1) << (i & 63); }
  void Reset(int i) { m_words[i >> 6] &= ~(quint64(1) << (i & 63)); }
  // Clears every slot set in other.
  void Subtract(const KvPkBits& other) {
    for (qsizetype w = 0; w < m_words.size(); ++w)
      m_words[w] &= ~other.m_words[w];
  }
  void Intersect(const KvPkBits& other) {
    for (qsizetype w = 0; w < m_words.size(); ++w)
      m_words[w] &= other.m_words[w];
  }
  void Unite(const KvPkBits& other) {
    for (qsizetype w = 0; w < m_words.size(); ++w)
      m_words[w] |= other.m_words[w];
  }
  int Count() const {
    int n = 0;
    for (quint64 w : m_words)
      n += std::popcount(w);
    return n;
  }
  // Whether any slot of [first, first + count) is set.
  bool AnyIn(int first, int count) const {
    for (int i = first; i < first + count; ++i)
      if (Test(i))
        return true;
    return false;
  }

 private:
  QVarLengthArray<quint64, 4> m_words;
};
