// The per-user list of how documents of a type were opened: values by
// index, a changed length rewriting the whole key, and deletion.

#include "app/KvDocOpenMode.h"
#include "app/CKvApp.h"
#include "core/KvRegistry.h"

#include <gtest/gtest.h>

namespace {

QString modeKey(int a, int b) {
  return QStringLiteral("%1\\DocOpenMode\\%2\\%3").arg(KvGetRegKeyPath()).arg(a).arg(b);
}

}  // namespace

TEST(KvDocOpenModeTest, ListsRoundTripAndKeepTheirTypesApart) {
  QStringList list;
  EXPECT_EQ(KvReadDocOpenMode(255, 0, list), 0);
  EXPECT_TRUE(list.isEmpty());

  const QStringList saved = {QStringLiteral("20240315"), QString(), QStringLiteral("第 '1' 项")};
  KvSaveDocOpenMode(255, 0, saved);
  KvSaveDocOpenMode(255, 1, {QStringLiteral("x")});
  EXPECT_EQ(KvReadDocOpenMode(255, 0, list), 3);
  EXPECT_EQ(list, saved);
  EXPECT_EQ(KvReadDocOpenMode(255, 1, list), 1);
  EXPECT_EQ(list, QStringList{QStringLiteral("x")});

  // A shorter list leaves none of the old entries behind.
  KvSaveDocOpenMode(255, 0, {QStringLiteral("a")});
  EXPECT_EQ(KvReadDocOpenMode(255, 0, list), 1);
  EXPECT_EQ(list, QStringList{QStringLiteral("a")});

  KvDeleteDocOpenMode(255, 0);
  EXPECT_EQ(KvReadDocOpenMode(255, 0, list), 0);
  EXPECT_EQ(KvReadDocOpenMode(255, 1, list), 1);
}

TEST(KvDocOpenModeTest, ValuesGoToTheIndexTheirNamesGive) {
  // Stored by hand: names out of order and one beyond the list.
  const QString key = modeKey(9, 9);
  KvRegWriteString(KvRegRoot::CurrentUser, key, QStringLiteral("2"), QStringLiteral("c"));
  KvRegWriteString(KvRegRoot::CurrentUser, key, QStringLiteral("0"), QStringLiteral("a"));
  KvRegWriteString(KvRegRoot::CurrentUser, key, QStringLiteral("7"), QStringLiteral("far"));
  QStringList list;
  EXPECT_EQ(KvReadDocOpenMode(9, 9, list), 3);
  EXPECT_EQ(list, (QStringList{QStringLiteral("a"), QString(), QStringLiteral("c")}));
  KvDeleteDocOpenMode(9, 9);
}
