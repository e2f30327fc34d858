#include "core/KvPinyin.h"

#include <QByteArray>
#include <QList>
#include <array>
#include <iconv.h>

namespace {

// The initials of the 3,008 second-level characters, in code order.
constexpr char kSecondLevel[] =
#include "core/KvPinyinTable.inc"
    ;
static_assert(sizeof(kSecondLevel) == 3008 + 1);

// Area-position codes at which each letter of the first level begins.
struct LevelStart {
  int code;
  char letter;
};
constexpr std::array<LevelStart, 23> kFirstLevel{{
    {1601, 'A'}, {1637, 'B'}, {1833, 'C'}, {2078, 'D'}, {2274, 'E'}, {2302, 'F'},
    {2433, 'G'}, {2594, 'H'}, {2787, 'J'}, {3106, 'K'}, {3212, 'L'}, {3472, 'M'},
    {3635, 'N'}, {3722, 'O'}, {3730, 'P'}, {3858, 'Q'}, {4027, 'R'}, {4086, 'S'},
    {4390, 'T'}, {4558, 'W'}, {4684, 'X'}, {4925, 'Y'}, {5249, 'Z'},
}};

// Converts single characters to their GBK bytes with the C library's iconv.
class GbkEncoder {
 public:
  GbkEncoder() : m_cd(iconv_open("GBK", "UTF-32LE")) {}
  ~GbkEncoder() {
    if (m_cd != reinterpret_cast<iconv_t>(-1)) iconv_close(m_cd);
  }
  GbkEncoder(const GbkEncoder&) = delete;
  GbkEncoder& operator=(const GbkEncoder&) = delete;

  // The GBK bytes of the character; empty when it has no GBK code.
  QByteArray encode(char32_t character) {
    if (m_cd == reinterpret_cast<iconv_t>(-1)) return {};
    iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
    char in[4];
    for (int i = 0; i < 4; ++i) in[i] = char((character >> (8 * i)) & 0xFF);
    char out[8];
    char* inPtr = in;
    char* outPtr = out;
    size_t inLeft = sizeof in;
    size_t outLeft = sizeof out;
    if (iconv(m_cd, &inPtr, &inLeft, &outPtr, &outLeft) == size_t(-1)) return {};
    return QByteArray(out, outPtr - out);
  }

 private:
  iconv_t m_cd;
};

// The initial of a two-byte GBK code, 0 when the code has none.
char initialOfCode(unsigned char first, unsigned char second) {
  if (first < 0xA1 || second < 0xA1) return 0;
  const int area = (first - 160) * 100 + (second - 160);
  if (area >= 1601 && area <= 5589) {
    char letter = 0;
    for (const LevelStart& start : kFirstLevel)
      if (start.code <= area) letter = start.letter;
    return letter;
  }
  const int index = (first - 0xD8) * 94 + (second - 0xA1);
  if (index >= 0 && index < 3008) return kSecondLevel[index];
  return 0;
}

// One converter per thread, opened on first use.
GbkEncoder& encoder() {
  thread_local GbkEncoder instance;
  return instance;
}

QString initialOf(char32_t character) {
  const QByteArray code = encoder().encode(character);
  if (code.size() == 2) {
    if (const char letter = initialOfCode(uchar(code[0]), uchar(code[1])))
      return QString(QChar(letter));
  }
  return QString::fromUcs4(&character, 1);
}

}  // namespace

QString KvPinyinInitial(char32_t character) { return initialOf(character); }

QString KvPinyinInitials(const QString& text) {
  QString result;
  for (char32_t character : text.toUcs4()) {
    if (character < 0x80) {
      result += QChar(char16_t(character));
      continue;
    }
    const QString initial = initialOf(character);
    if (initial.size() == 1 && initial.at(0) >= u'A' && initial.at(0) <= u'Z') result += initial;
  }
  return result;
}
