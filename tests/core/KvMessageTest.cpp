#include "core/KvMessage.h"

#include <gtest/gtest.h>

TEST(KvMessage, RecorderKeepsTextsIconsAndScriptedAnswers) {
  KvMessageRecorder recorder;
  recorder.script({KV_IDNO});
  EXPECT_EQ(KvMessageBox(QStringLiteral("删除吗？"), KV_MB_YESNO | KV_MB_ICONQUESTION), KV_IDNO);
  // Script used up: the default button answers.
  EXPECT_EQ(KvMessageBox(QStringLiteral("再删除吗？"), KV_MB_YESNO | KV_MB_DEFBUTTON2), KV_IDNO);
  EXPECT_EQ(KvMessageBox(QStringLiteral("好"), KV_MB_YESNOCANCEL), KV_IDYES);
  ASSERT_EQ(recorder.messages().size(), 3);
  EXPECT_EQ(recorder.messages()[0].icon(), unsigned(KV_MB_ICONQUESTION));
  EXPECT_EQ(recorder.texts()[1], QStringLiteral("再删除吗？"));
  EXPECT_EQ(recorder.last(), QStringLiteral("好"));
  EXPECT_FALSE(recorder.messages()[0].caption.isEmpty());
}

TEST(KvMessage, InnerRecorderGivesBackTheOuterHandler) {
  KvMessageRecorder outer;
  {
    KvMessageRecorder inner;
    KvMessageBox(QStringLiteral("内"));
    EXPECT_EQ(inner.messages().size(), 1);
  }
  KvMessageBox(QStringLiteral("外"));
  ASSERT_EQ(outer.messages().size(), 1);
  EXPECT_EQ(outer.last(), QStringLiteral("外"));
}

TEST(KvMessage, DefaultButtonBeyondTheButtonsFallsBackToTheFirst) {
  KvMessage message{QString(), QString(), KV_MB_OK | KV_MB_DEFBUTTON3};
  EXPECT_EQ(message.defaultAnswer(), KV_IDOK);
}
