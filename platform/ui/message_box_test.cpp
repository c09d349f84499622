#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "qvplatform.h"
#include "ui_test_support.h"

namespace {

class MessageBoxTest : public ::testing::Test {
 protected:
  void SetUp() override { qvp::TakeUnexpectedPrompts(); }
  void TearDown() override { EXPECT_TRUE(qvp::TakeUnexpectedPrompts().empty()); }
};

TEST_F(MessageBoxTest, HeadlessAnswersTheDefaultButtonOfEveryKind) {
  struct Case {
    UINT type;
    int expected;
  } cases[] = {
      {MB_OK, IDOK},
      {MB_OKCANCEL, IDOK},
      {MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL},
      {MB_ABORTRETRYIGNORE, IDABORT},
      {MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, IDRETRY},
      {MB_ABORTRETRYIGNORE | MB_DEFBUTTON3, IDIGNORE},
      {MB_YESNOCANCEL | MB_DEFBUTTON3 | MB_ICONQUESTION, IDCANCEL},
      {MB_YESNO | MB_ICONWARNING, IDYES},
      {MB_YESNO | MB_DEFBUTTON2, IDNO},
      {MB_RETRYCANCEL | MB_SERVICE_NOTIFICATION, IDRETRY},
      {MB_CANCELTRYCONTINUE | MB_DEFBUTTON3 | MB_TASKMODAL, IDCONTINUE},
      // A default past the last button, or on the Help button, falls back to the first.
      {MB_YESNO | MB_DEFBUTTON3, IDYES},
      {MB_OK | MB_HELP | MB_DEFBUTTON2, IDOK},
  };
  for (const Case& c : cases) EXPECT_EQ(MessageBoxA(nullptr, "text", "caption", c.type), c.expected) << c.type;
}

TEST_F(MessageBoxTest, HeadlessBoxGoesToTheDebugSink) {
  qvp::CaptureDebugOutput(true);
  EXPECT_EQ(MessageBoxA(nullptr, "Disk is full", "Quorvane", MB_OK | MB_ICONHAND), IDOK);
  std::string out = qvp::TakeDebugOutput();
  qvp::CaptureDebugOutput(false);
  EXPECT_NE(out.find("Quorvane"), std::string::npos);
  EXPECT_NE(out.find("Disk is full"), std::string::npos);
}

TEST_F(MessageBoxTest, OwnerIsDisabledWhileTheBoxIsUp) {
  uitest::Recorder rec;
  HWND owner = rec.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND child = rec.Create(WS_CHILD | WS_VISIBLE, owner, 5);
  HWND other = rec.Create(WS_OVERLAPPEDWINDOW);
  SetFocus(child);
  qvp::PromptScript script;
  qvp::ExpectedPrompt e;
  e.respond = [&](const qvp::PromptRecord& r) {
    EXPECT_EQ(r.owner, child);
    EXPECT_FALSE(IsWindowEnabled(owner));  // the owner's top-level window
    EXPECT_TRUE(IsWindowEnabled(other));
    return qvp::PromptAnswer{IDNO, ""};
  };
  script.Expect(e);
  EXPECT_EQ(MessageBoxA(child, "Save?", "c", MB_YESNO), IDNO);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_EQ(GetFocus(), child);

  qvp::ExpectedPrompt task;
  task.respond = [&](const qvp::PromptRecord&) {
    EXPECT_FALSE(IsWindowEnabled(owner));
    EXPECT_FALSE(IsWindowEnabled(other));
    return qvp::PromptAnswer{IDOK, ""};
  };
  script.Expect(task);
  EXPECT_EQ(MessageBoxA(nullptr, "All of them", "c", MB_OK | MB_TASKMODAL), IDOK);
  EXPECT_TRUE(IsWindowEnabled(other));

  HWND gone = rec.Create(WS_POPUP);
  DestroyWindow(gone);
  SetLastError(0);
  EXPECT_EQ(MessageBoxA(gone, "x", "y", MB_OK), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  DestroyWindow(owner);
  DestroyWindow(other);
}

TEST_F(MessageBoxTest, UnknownButtonKindFails) {
  SetLastError(0);
  EXPECT_EQ(MessageBoxA(nullptr, "text", "caption", 7), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_MSGBOX_STYLE));
}

TEST_F(MessageBoxTest, ScriptAnswersAndRecordsEveryPrompt) {
  qvp::PromptScript script;
  script.ExpectMessageBox("flush the log file", IDNO);
  qvp::ExpectedPrompt exact;
  exact.caption = "Quorvane Service";
  exact.answer.result = IDOK;
  script.Expect(exact);

  EXPECT_EQ(MessageBoxA(nullptr, "Service will now exit.", "Quorvane Service", MB_OK), IDOK);
  EXPECT_EQ(MessageBoxA(nullptr, "Do you want to flush the log file?", "Flush History",
                        MB_ICONWARNING | MB_YESNO),
            IDNO);
  EXPECT_EQ(script.Pending(), 0u);

  auto records = script.Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].kind, qvp::PromptKind::kMessageBox);
  EXPECT_EQ(records[0].caption, "Quorvane Service");
  EXPECT_EQ(records[1].text, "Do you want to flush the log file?");
  EXPECT_EQ(records[1].flags, static_cast<UINT>(MB_ICONWARNING | MB_YESNO));
  EXPECT_EQ(records[1].answer, IDNO);
  EXPECT_TRUE(records[1].scripted);
}

TEST_F(MessageBoxTest, UnexpectedPromptIsReportedAndAnsweredByDefault) {
  qvp::PromptScript script;
  script.ExpectMessageBox("something else", IDYES);
  EXPECT_EQ(MessageBoxA(nullptr, "Delete it?", nullptr, MB_YESNO | MB_DEFBUTTON2), IDNO);
  auto unexpected = qvp::TakeUnexpectedPrompts();
  ASSERT_EQ(unexpected.size(), 1u);
  EXPECT_EQ(unexpected[0].caption, "Error");  // the default caption
  EXPECT_EQ(unexpected[0].text, "Delete it?");
  EXPECT_FALSE(unexpected[0].problem.empty());
  EXPECT_EQ(script.Pending(), 1u);  // the expectation stays for a later prompt
  EXPECT_EQ(script.Records().size(), 1u);
}

TEST_F(MessageBoxTest, AnswerTheBoxCannotGiveIsReported) {
  qvp::PromptScript script;
  script.ExpectMessageBox("a", IDYES);
  EXPECT_EQ(MessageBoxA(nullptr, "a", "c", MB_OKCANCEL | MB_DEFBUTTON2), IDCANCEL);
  EXPECT_EQ(qvp::TakeUnexpectedPrompts().size(), 1u);
}

TEST_F(MessageBoxTest, EscapeAnswersCancelOrTheOnlyOkButton) {
  qvp::PromptScript script;
  script.ExpectMessageBox("ok only", IDCANCEL);
  script.ExpectMessageBox("with cancel", IDCANCEL);
  script.ExpectMessageBox("yes no", IDCANCEL);
  EXPECT_EQ(MessageBoxA(nullptr, "ok only", "c", MB_OK), IDOK);
  EXPECT_EQ(MessageBoxA(nullptr, "with cancel", "c", MB_YESNOCANCEL), IDCANCEL);
  // Esc does nothing on a Yes/No box: the script cannot answer it that way.
  EXPECT_EQ(MessageBoxA(nullptr, "yes no", "c", MB_YESNO), IDYES);
  EXPECT_EQ(qvp::TakeUnexpectedPrompts().size(), 1u);
}

TEST_F(MessageBoxTest, ResponderSeesThePromptAndMayAskFurther) {
  qvp::PromptScript script;
  qvp::ExpectedPrompt outer;
  outer.text_contains = "outer";
  outer.respond = [](const qvp::PromptRecord& r) {
    EXPECT_EQ(r.caption, "first");
    qvp::PromptAnswer a;
    a.result = MessageBoxA(nullptr, "inner", "second", MB_OKCANCEL) == IDCANCEL ? IDRETRY : IDCANCEL;
    return a;
  };
  script.Expect(outer);
  script.ExpectMessageBox("inner", IDCANCEL);
  EXPECT_EQ(MessageBoxA(nullptr, "outer", "first", MB_RETRYCANCEL), IDRETRY);
  auto records = script.Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].text, "inner");  // recorded when answered
  EXPECT_EQ(records[1].text, "outer");
}

TEST_F(MessageBoxTest, NewestScriptAnswers) {
  qvp::PromptScript outer;
  outer.ExpectMessageBox("q", IDNO);
  {
    qvp::PromptScript inner;
    inner.ExpectMessageBox("q", IDYES);
    EXPECT_EQ(MessageBoxA(nullptr, "q", "c", MB_YESNO), IDYES);
  }
  EXPECT_EQ(MessageBoxA(nullptr, "q", "c", MB_YESNO), IDNO);
  EXPECT_EQ(outer.Records().size(), 1u);
}

TEST_F(MessageBoxTest, BeepsAreRecordedButNeverUnexpected) {
  EXPECT_TRUE(MessageBeep(MB_OK));
  qvp::PromptScript script;
  EXPECT_TRUE(MessageBeep(0xFFFFFFFF));
  qvp::ExpectedPrompt failing;
  failing.kind = qvp::PromptKind::kBeep;
  failing.answer.result = FALSE;
  script.Expect(failing);
  EXPECT_FALSE(MessageBeep(MB_ICONHAND));
  auto records = script.Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].flags, 0xFFFFFFFFu);
  EXPECT_EQ(records[1].kind, qvp::PromptKind::kBeep);
  EXPECT_EQ(records[1].flags, static_cast<UINT>(MB_ICONHAND));
}

TEST_F(MessageBoxTest, PromptsFromManyThreadsAreAllRecorded) {
  qvp::PromptScript script;
  for (int i = 0; i < 40; ++i) script.ExpectMessageBox("from worker", IDNO);
  std::vector<std::thread> workers;
  std::vector<int> answers(40);
  for (int t = 0; t < 4; ++t)
    workers.emplace_back([&, t] {
      for (int i = 0; i < 10; ++i) answers[t * 10 + i] = MessageBoxA(nullptr, "from worker", "w", MB_YESNO);
    });
  for (auto& w : workers) w.join();
  for (int a : answers) EXPECT_EQ(a, IDNO);
  EXPECT_EQ(script.Records().size(), 40u);
  EXPECT_EQ(script.Pending(), 0u);
}

}  // namespace
