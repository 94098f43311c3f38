#include <cstring>
#include <random>

#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Clipbrd.h"
#include "tests/platform/user/UserTestSupport.h"
#include "tests/platform/vcl/FormsTestSupport.h"

namespace t_clipboard_test {

using namespace vcl;
using namespace formstest;

namespace {

class Platform_Clipboard : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    ResetClipboard();
    usertest::ClearLog();
  }
  void TearDown() override {
    ResetClipboard();
    for (HWND h : Windows) DestroyWindow(h);
    FormsTest::TearDown();
  }
  HWND MakeWindow() {
    Windows.push_back(usertest::MakeTop(0, 0, 10, 10));
    return Windows.back();
  }
  std::vector<HWND> Windows;
  static HGLOBAL Block(const void* data, size_t size) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(GlobalLock(h), data, size);
    GlobalUnlock(h);
    return h;
  }
  static HGLOBAL Wide(const String& s, bool terminate = true) {
    return Block(s.c_str(), (s.size() + (terminate ? 1 : 0)) * sizeof(Char));
  }
  static String ReadWide(HANDLE h) {
    size_t n = GlobalSize(h) / sizeof(Char);
    auto* p = static_cast<const Char*>(GlobalLock(h));
    size_t len = 0;
    while (len < n && p[len]) ++len;
    String s(p, len);
    GlobalUnlock(h);
    return s;
  }
  static std::string ReadAnsi(HANDLE h) {
    size_t n = GlobalSize(h);
    auto* p = static_cast<const char*>(GlobalLock(h));
    size_t len = 0;
    while (len < n && p[len]) ++len;
    std::string s(p, len);
    GlobalUnlock(h);
    return s;
  }
};

TEST_F(Platform_Clipboard, GlobalBlocks) {
  HGLOBAL m = GlobalAlloc(GHND, 10);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(GlobalSize(m), 10u);
  auto* p = static_cast<Byte*>(GlobalLock(m));
  for (int i = 0; i < 10; ++i) EXPECT_EQ(p[i], 0);
  p[9] = 42;
  EXPECT_EQ(GlobalLock(m), p);
  EXPECT_EQ(GlobalFlags(m) & GMEM_LOCKCOUNT, 2u);
  EXPECT_EQ(GlobalHandle(p), m);
  EXPECT_TRUE(GlobalUnlock(m));
  EXPECT_FALSE(GlobalUnlock(m));
  // A moveable block keeps its handle and content when it grows.
  HGLOBAL g = GlobalReAlloc(m, 1000, GMEM_ZEROINIT);
  EXPECT_EQ(g, m);
  EXPECT_EQ(GlobalSize(m), 1000u);
  p = static_cast<Byte*>(GlobalLock(m));
  EXPECT_EQ(p[9], 42);
  EXPECT_EQ(p[999], 0);
  GlobalUnlock(m);
  // A fixed block is its own pointer.
  HGLOBAL f = GlobalAlloc(GPTR, 4);
  EXPECT_EQ(GlobalLock(f), f);
  EXPECT_EQ(GlobalFree(m), nullptr);
  EXPECT_EQ(GlobalFree(m), m);
  EXPECT_EQ(GlobalSize(m), 0u);
  EXPECT_EQ(GlobalFlags(m), GMEM_INVALID_HANDLE);
  EXPECT_EQ(GlobalFree(f), nullptr);
}

TEST_F(Platform_Clipboard, TextRoundTripsThroughCodePage1252) {
  // Every character 1252 can hold, from CF_UNICODETEXT to CF_TEXT and back.
  String all;
  for (int b = 0x20; b <= 0xFF; ++b) {
    char c = char(b);
    Char w = 0;
    if (MultiByteToWideChar(1252, MB_ERR_INVALID_CHARS, &c, 1, &w, 1) == 1) all += w;
  }
  ASSERT_GT(all.size(), 200u);
  HWND h = MakeWindow();
  ASSERT_TRUE(OpenClipboard(h));
  ASSERT_TRUE(EmptyClipboard());
  ASSERT_NE(SetClipboardData(CF_UNICODETEXT, Wide(all + u"Ω")), nullptr);
  std::string ansi = ReadAnsi(GetClipboardData(CF_TEXT));
  ASSERT_EQ(ansi.size(), all.size() + 1);
  // The euro sign is byte 0x80; what 1252 lacks is the default character.
  EXPECT_EQ(Byte(ansi[size_t(all.find(u'€'))]), 0x80);
  EXPECT_EQ(ansi.back(), '?');
  ansi.pop_back();
  EXPECT_TRUE(EmptyClipboard());
  ASSERT_NE(SetClipboardData(CF_TEXT, Block(ansi.c_str(), ansi.size() + 1)), nullptr);
  EXPECT_EQ(ReadWide(GetClipboardData(CF_UNICODETEXT)), all);
  // Text without a terminator ends with its block; a lone surrogate is not
  // text 1252 can hold.
  EXPECT_TRUE(EmptyClipboard());
  String odd = u"ab";
  odd += Char(0xD800);
  odd += u"c";
  SetClipboardData(CF_UNICODETEXT, Wide(odd, false));
  EXPECT_EQ(ReadAnsi(GetClipboardData(CF_TEXT)), "ab?c");
  EXPECT_TRUE(CloseClipboard());
  EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);
}

TEST_F(Platform_Clipboard, OpenersOwnersAndSequence) {
  HWND a = MakeWindow(), b = MakeWindow();
  DWORD seq = GetClipboardSequenceNumber();
  ASSERT_TRUE(OpenClipboard(a));
  EXPECT_EQ(GetOpenClipboardWindow(), a);
  EXPECT_FALSE(OpenClipboard(b));
  EXPECT_TRUE(EmptyClipboard());
  EXPECT_EQ(GetClipboardOwner(), a);
  SetClipboardData(CF_UNICODETEXT, Wide(u"first"));
  EXPECT_EQ(GetClipboardSequenceNumber(), seq + 2);
  EXPECT_TRUE(CloseClipboard());
  EXPECT_FALSE(CloseClipboard());
  EXPECT_EQ(SetClipboardData(CF_TEXT, Wide(u"x")), nullptr);

  ASSERT_TRUE(OpenClipboard(b));
  EXPECT_TRUE(usertest::MessagesOf(a, {WM_DESTROYCLIPBOARD}).empty());
  EXPECT_TRUE(EmptyClipboard());
  EXPECT_EQ(usertest::MessagesOf(a, {WM_DESTROYCLIPBOARD}).size(), 1u);
  EXPECT_EQ(GetClipboardOwner(), b);
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  EXPECT_TRUE(CloseClipboard());
}

TEST_F(Platform_Clipboard, FormatsAndTheirNames) {
  UINT q = RegisterClipboardFormatW(u"Quarn Skin");
  EXPECT_GE(q, 0xC000u);
  EXPECT_EQ(RegisterClipboardFormatW(u"QUARN skin"), q);
  UINT r = RegisterClipboardFormatW(u"Quarn Node");
  EXPECT_NE(r, q);
  EXPECT_GE(r, 0xC000u);
  EXPECT_EQ(RegisterClipboardFormatW(u""), 0u);
  Char name[6] = {1, 1, 1, 1, 1, 1};
  // Cut to the buffer, terminator included.
  EXPECT_EQ(GetClipboardFormatNameW(q, name, 5), 4);
  EXPECT_EQ(String(name), u"Quar");
  EXPECT_EQ(name[5], 1);
  EXPECT_EQ(GetClipboardFormatNameW(CF_TEXT, name, 5), 0);

  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  SetClipboardData(q, Block("skin", 4));
  SetClipboardData(CF_UNICODETEXT, Wide(u"text"));
  // What was set, then the text formats made from it.
  std::vector<UINT> seen;
  for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f)) seen.push_back(f);
  EXPECT_EQ(seen, (std::vector<UINT>{q, CF_UNICODETEXT, CF_TEXT, CF_OEMTEXT}));
  EXPECT_EQ(CountClipboardFormats(), 4);
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
  EXPECT_FALSE(IsClipboardFormatAvailable(r));
  CloseClipboard();
}

TEST_F(Platform_Clipboard, TheComponentView) {
  TClipboard* c = Clipboard();
  c->SetAsText(u"Grüße, €5");
  EXPECT_TRUE(c->HasFormat(CF_TEXT));
  EXPECT_EQ(c->AsText(), u"Grüße, €5");
  EXPECT_EQ(GetClipboardOwner(), Application->Handle());
  Char buf[5];
  EXPECT_EQ(c->GetTextBuf(buf, 5), 4);
  EXPECT_EQ(String(buf), u"Grüß");
  c->SetTextBuf(u"short");
  EXPECT_EQ(c->AsText(), u"short");
  // Several handles inside one Open/Close: emptied once, before the first.
  UINT fmt = RegisterClipboardFormatW(u"Quarn Test");
  c->Open();
  c->SetAsHandle(fmt, Block("1", 1));
  c->SetAsHandle(CF_UNICODETEXT, Wide(u"both"));
  c->Close();
  EXPECT_EQ(c->FormatCount(), 4);
  EXPECT_EQ(c->Formats(0), fmt);
  EXPECT_EQ(c->AsText(), u"both");
  EXPECT_THROW(c->Formats(9), EListError);
  // Another opener keeps the component out.
  HWND other = MakeWindow();
  ASSERT_TRUE(OpenClipboard(other));
  EXPECT_THROW(c->AsText(), EClipboardException);
  CloseClipboard();
  c->Clear();
  EXPECT_EQ(c->FormatCount(), 0);
}

TEST_F(Platform_Clipboard, PicturesAreBitmapEntries) {
  TBitmap b;
  b.SetPixelFormat(TPixelFormat::pf32bit);
  b.SetSize(3, 2);
  auto* row = static_cast<uint32_t*>(b.ScanLine(1));
  row[2] = 0x80112233u;
  Clipboard()->Assign(&b);
  EXPECT_TRUE(Clipboard()->HasPicture());
  HBITMAP h = static_cast<HBITMAP>(Clipboard()->GetAsHandle(CF_BITMAP));
  ASSERT_NE(h, nullptr);
  BITMAP bm;
  ASSERT_TRUE(GetObjectW(h, sizeof bm, &bm));
  EXPECT_EQ(bm.bmWidth, 3);
  EXPECT_EQ(bm.bmHeight, 2);
  // A bitmap someone else put there comes back pixel for pixel.
  TBitmap foreign;
  foreign.SetPixelFormat(TPixelFormat::pf32bit);
  foreign.SetSize(2, 2);
  static_cast<uint32_t*>(foreign.ScanLine(0))[1] = 0xFF0000FFu;
  HBITMAP fh = foreign.ReleaseHandle();
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  SetClipboardData(CF_BITMAP, fh);
  CloseClipboard();
  TBitmap back;
  back.Assign(Clipboard());
  ASSERT_EQ(back.Width(), 2);
  EXPECT_EQ(static_cast<uint32_t*>(back.ScanLine(0))[1], 0xFF0000FFu);
  Clipboard()->Clear();
  EXPECT_FALSE(Clipboard()->HasPicture());
}

}  // namespace

}  // namespace t_clipboard_test
