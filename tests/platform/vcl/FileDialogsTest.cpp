#include <unistd.h>

#include <memory>

#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Dialogs.h"
#include "tests/platform/vcl/FormsTestSupport.h"

namespace t_file_dialogs_test {

using namespace vcl;
using namespace formstest;

namespace {

class Platform_FileDialogs : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    ClearDialogCalls();
    Dir = IncludeTrailingPathDelimiter(GetTempPath() + u"qn_filedialogs_" + IntToStr(Integer(::getpid())));
    ForceDirectories(Dir);
    WriteAllText(Dir + u"a.txt", u"a");
    WriteAllText(Dir + u"b.txt", u"b");
    Owner.reset(new TForm(nullptr));
    Owner->Show();
    Application->ProcessMessages();
  }
  void TearDown() override {
    SetFileDialogResponder(nullptr);
    SetMessageBoxResponder(nullptr);
    DeleteFile(Dir + u"a.txt");
    DeleteFile(Dir + u"b.txt");
    RemoveDir(Dir);
    Owner.reset();
    FormsTest::TearDown();
  }
  // A responder that gives the answers in turn, then gives up.
  void Answers(std::vector<std::vector<String>> answers) {
    auto queue = std::make_shared<std::vector<std::vector<String>>>(std::move(answers));
    SetFileDialogResponder([queue](TFileDialogCall& c) {
      if (queue->empty()) return false;
      c.Ok = true;
      c.Files = queue->front();
      queue->erase(queue->begin());
      return true;
    });
  }
  String Dir;
  std::unique_ptr<TForm> Owner;
};

TEST_F(Platform_FileDialogs, MultiSelectAnswersEveryFileAndTheCallIsRecorded) {
  TOpenDialog d(nullptr);
  d.SetFilter(u"Text files|*.txt|All files|*.*");
  d.SetFilterIndex(2);
  d.SetInitialDir(Dir);
  d.SetTitle(u"Pick some");
  d.SetOptions({ofAllowMultiSelect, ofFileMustExist});
  Answers({{u"a.txt", u"b.txt"}});
  ASSERT_TRUE(d.Execute());
  ASSERT_EQ(d.Files()->Count(), 2);
  EXPECT_EQ(d.Files()->Strings(0), Dir + u"a.txt");
  EXPECT_EQ(d.Files()->Strings(1), Dir + u"b.txt");
  EXPECT_EQ(d.FileName(), Dir + u"a.txt");
  auto calls = FileDialogCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_FALSE(calls[0].Save);
  EXPECT_EQ(calls[0].Title, u"Pick some");
  EXPECT_EQ(calls[0].Filter, (std::vector<String>{u"Text files", u"*.txt", u"All files", u"*.*"}));
  EXPECT_EQ(calls[0].FilterIndex, 2u);
  EXPECT_TRUE(calls[0].Flags & OFN_ALLOWMULTISELECT);
  EXPECT_TRUE(calls[0].Flags & OFN_FILEMUSTEXIST);
  EXPECT_TRUE(calls[0].Ok);
  // Without multi-select two files are no answer: the next one is taken.
  d.SetOptions({});
  Answers({{u"a.txt", u"b.txt"}, {u"b.txt"}});
  ASSERT_TRUE(d.Execute());
  EXPECT_EQ(d.Files()->Count(), 1);
  EXPECT_EQ(d.FileName(), Dir + u"b.txt");
  EXPECT_EQ(FileDialogCalls().back().Refused.size(), 1u);
}

TEST_F(Platform_FileDialogs, TheDefaultExtensionGoesOnANameWithoutOne) {
  TSaveDialog d(nullptr);
  d.SetInitialDir(Dir);
  d.SetDefaultExt(u".quarn");
  Answers({{u"skin"}});
  ASSERT_TRUE(d.Execute());
  EXPECT_EQ(d.FileName(), Dir + u"skin.quarn");
  d.SetDefaultExt(u"png");  // the dot is optional
  Answers({{u"shot"}, {u"photo.jpg"}});
  ASSERT_TRUE(d.Execute());
  EXPECT_EQ(d.FileName(), Dir + u"shot.png");
  ASSERT_TRUE(d.Execute());
  EXPECT_EQ(d.FileName(), Dir + u"photo.jpg");
  EXPECT_TRUE(FileDialogCalls()[0].Save);
}

TEST_F(Platform_FileDialogs, MustExistRefusesMissingFilesAndNoneLeftCancels) {
  TOpenDialog d(nullptr);
  d.SetInitialDir(Dir);
  d.SetFileName(u"before");
  d.SetOptions({ofFileMustExist});
  Answers({{u"missing.txt"}, {Dir + u"a.txt"}});
  ASSERT_TRUE(d.Execute());
  EXPECT_EQ(d.FileName(), Dir + u"a.txt");
  ASSERT_EQ(FileDialogCalls().back().Refused.size(), 1u);
  // Only wrong answers: cancelled, the old name stays.
  d.SetFileName(u"before");
  Answers({{u"missing.txt"}, {u"nowhere/x.txt"}});
  EXPECT_FALSE(d.Execute());
  EXPECT_EQ(d.FileName(), u"before");
  EXPECT_EQ(FileDialogCalls().back().Refused.size(), 2u);
  EXPECT_FALSE(FileDialogCalls().back().Ok);
  // A path that must exist: a new file in an existing folder is fine.
  d.SetOptions({ofPathMustExist});
  Answers({{u"nowhere/new.txt"}, {u"new.txt"}});
  ASSERT_TRUE(d.Execute());
  EXPECT_EQ(d.FileName(), Dir + u"new.txt");
}

TEST_F(Platform_FileDialogs, OverwriteAnsweredNoAsksAgain) {
  TSaveDialog d(nullptr);
  d.SetInitialDir(Dir);
  d.SetOptions({ofOverwritePrompt});
  std::vector<int> replies{IDNO, IDYES};
  SetMessageBoxResponder([&](const TMessageBoxCall& c) {
    EXPECT_EQ(c.Caption, u"Confirm Save As");
    EXPECT_EQ(c.Flags & MB_TYPEMASK, UINT(MB_YESNO));
    int r = replies.front();
    replies.erase(replies.begin());
    return r;
  });
  Answers({{u"a.txt"}, {u"fresh.txt"}});
  ASSERT_TRUE(d.Execute());
  EXPECT_EQ(d.FileName(), Dir + u"fresh.txt");
  ASSERT_EQ(MessageBoxCalls().size(), 1u);
  EXPECT_NE(MessageBoxCalls()[0].Text.find(u"a.txt already exists."), String::npos);
  Answers({{u"b.txt"}});
  ASSERT_TRUE(d.Execute());
  EXPECT_EQ(d.FileName(), Dir + u"b.txt");
  EXPECT_EQ(MessageBoxCalls().size(), 2u);
}

TEST_F(Platform_FileDialogs, OnCanCloseTurnsAnAnswerDown) {
  TOpenDialog d(nullptr);
  d.SetInitialDir(Dir);
  Integer asked = 0;
  d.SetOnCanClose([&](TObject*, bool& can) {
    ++asked;
    can = ExtractFileName(d.FileName()) == u"b.txt";
  });
  Answers({{u"a.txt"}, {u"b.txt"}});
  ASSERT_TRUE(d.Execute());
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(d.FileName(), Dir + u"b.txt");
}

TEST_F(Platform_FileDialogs, UnansweredItCancelsAndBadRecordsFail) {
  TOpenDialog d(nullptr);
  d.SetFileName(u"keep");
  // No responder: the dialog waits for input; none comes and the idle
  // hook gives up.
  EXPECT_FALSE(d.Execute());
  EXPECT_EQ(d.FileName(), u"keep");
  EXPECT_GE(IdleGiveUps, 1);
  OPENFILENAMEW bad;
  bad.lStructSize = 12;
  EXPECT_FALSE(GetOpenFileNameW(&bad));
  EXPECT_EQ(CommDlgExtendedError(), CDERR_STRUCTSIZE);
  // An answer longer than the buffer.
  Char small[8] = {};
  OPENFILENAMEW ofn;
  ofn.lpstrFile = small;
  ofn.nMaxFile = 8;
  ofn.lpstrInitialDir = Dir.c_str();
  Answers({{u"a.txt"}});
  EXPECT_FALSE(GetSaveFileNameW(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), FNERR_BUFFERTOOSMALL);
  EXPECT_EQ(small[0], 0);
}

}  // namespace

}  // namespace t_file_dialogs_test
