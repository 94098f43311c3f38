#include "tests/common/TestSupport.h"
#include "tests/platform/user/UserTestSupport.h"

namespace t_keyboard_ime_test {

using namespace vcl;
using namespace usertest;

namespace {

class KeyTest : public ServerTest {
 protected:
  void SetUp() override {
    ServerTest::SetUp();
    ResetInput();
    SetVirtualClock(true);
  }
  void TearDown() override {
    SetFocus(nullptr);
    ResetInput();
    ServerTest::TearDown();
  }
  // Retrieves everything, translating keys, and returns what was retrieved.
  std::vector<MSG> Drain() {
    std::vector<MSG> r;
    MSG m;
    for (int guard = 0; guard < 1000 && PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE); ++guard) {
      r.push_back(m);
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
    return r;
  }
};

// The key cap of a US key: ASCII letters in capitals (toupper would follow
// the program's locale).
UINT Cap(char16_t c) { return c >= u'a' && c <= u'z' ? UINT(c - 32) : UINT(c); }

class Platform_Keyboard : public KeyTest {};
class Platform_Ime : public KeyTest {};

TEST_F(Platform_Keyboard, MapVirtualKeyRoundTripsAgainstTheLayout) {
  Byte none[256] = {};
  // Every printable character: its key has a scan code that maps back to
  // the key, and the key's unshifted character is what the key cap shows.
  for (char16_t c = 32; c < 127; ++c) {
    SCOPED_TRACE(int(c));
    SHORT k = VkKeyScanW(c);
    ASSERT_NE(k, -1);
    UINT vk = UINT(k & 0xFF);
    UINT sc = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    ASSERT_NE(sc, 0u);
    EXPECT_EQ(MapVirtualKeyW(sc, MAPVK_VSC_TO_VK), vk);
    char16_t plain[2] = {};
    ASSERT_EQ(ToUnicode(vk, sc, none, plain, 2, 0), 1);
    EXPECT_EQ(MapVirtualKeyW(vk, MAPVK_VK_TO_CHAR), Cap(plain[0]));
    if (!(k & 0x100)) {
      EXPECT_EQ(Cap(c), MapVirtualKeyW(vk, MAPVK_VK_TO_CHAR));
    }
    // ToAscii agrees with ToUnicode, shifted or not.
    Byte state[256] = {};
    if (k & 0x100) state[VK_SHIFT] = 0x80;
    WORD ch = 0;
    ASSERT_EQ(ToAscii(vk, sc, state, &ch, 0), 1);
    EXPECT_EQ(ch, WORD(c));
    EXPECT_EQ(ToAscii(vk, sc | 0x8000, state, &ch, 0), 0);  // a released key types nothing
  }
  // Every key with a scan code: the extended code names a key with the same code.
  for (UINT vk = 1; vk < 256; ++vk) {
    UINT ex = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC_EX);
    if (!ex) continue;
    SCOPED_TRACE(vk);
    EXPECT_EQ(ex & 0xFF, MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    UINT back = MapVirtualKeyW(ex, MAPVK_VSC_TO_VK_EX);
    ASSERT_NE(back, 0u);
    EXPECT_EQ(MapVirtualKeyW(back, MAPVK_VK_TO_VSC_EX), ex);
  }
  // Left and right keys share a code; the extended prefix tells them apart.
  EXPECT_EQ(MapVirtualKeyW(0x2A, MAPVK_VSC_TO_VK), UINT(VK_SHIFT));
  EXPECT_EQ(MapVirtualKeyW(0x36, MAPVK_VSC_TO_VK), UINT(VK_SHIFT));
  EXPECT_EQ(MapVirtualKeyW(0x36, MAPVK_VSC_TO_VK_EX), UINT(VK_RSHIFT));
  EXPECT_EQ(MapVirtualKeyW(0x1D, MAPVK_VSC_TO_VK_EX), UINT(VK_LCONTROL));
  EXPECT_EQ(MapVirtualKeyW(0xE01D, MAPVK_VSC_TO_VK_EX), UINT(VK_RCONTROL));
  EXPECT_EQ(MapVirtualKeyW(VK_LEFT, MAPVK_VK_TO_VSC_EX), 0xE04Bu);
  EXPECT_EQ(MapVirtualKeyW(VK_NUMPAD0 + 4, MAPVK_VK_TO_VSC_EX), 0x4Bu);
  EXPECT_EQ(MapVirtualKeyW(VK_F1, MAPVK_VK_TO_CHAR), 0u);
  // The letter keys' caps are the same whatever locale the program set
  // (under Turkish, toupper leaves 'i' as it is).
  for (const char* name : qntest::kOtherLocales) {
    qntest::TProgramLocale locale(name);
    ASSERT_TRUE(locale.Ok()) << name << ": the machine lacks the locale (scripts/setup generates it)";
    for (UINT vk = 'A'; vk <= 'Z'; ++vk) EXPECT_EQ(MapVirtualKeyW(vk, MAPVK_VK_TO_CHAR), vk) << name;
  }
  EXPECT_EQ(MapVirtualKeyW(0x7F, MAPVK_VSC_TO_VK), 0u);
  EXPECT_EQ(MapVirtualKeyW('A', 99), 0u);
  Byte ctrl[256] = {};
  ctrl[VK_CONTROL] = 0x80;
  WORD ch = 0;
  EXPECT_EQ(ToAscii('C', 0x2E, ctrl, &ch, 0), 1);
  EXPECT_EQ(ch, 3);
}

TEST_F(Platform_Keyboard, KeyMessagesCarryScanCodesAndTheExtendedBit) {
  HWND h = MakeTop(0, 0, 50, 50);
  SetFocus(h);
  Pump();
  InputKeyDown('A');
  InputKeyUp('A');
  InputKeyDown(VK_LEFT);
  InputKeyDown(VK_RCONTROL);
  std::vector<MSG> keys;
  for (auto& m : Drain())
    if (m.message >= WM_KEYFIRST && m.message <= WM_KEYLAST) keys.push_back(m);
  ASSERT_EQ(keys.size(), 5u);  // down, char, up, left, right ctrl
  auto scan = [](const MSG& m) { return (uint32_t(m.lParam) >> 16) & 0xFF; };
  auto ext = [](const MSG& m) { return (uint32_t(m.lParam) >> 24) & 1; };
  EXPECT_EQ(scan(keys[0]), 0x1Eu);
  EXPECT_EQ(ext(keys[0]), 0u);
  EXPECT_EQ(keys[1].message, UINT(WM_CHAR));
  EXPECT_EQ(scan(keys[1]), 0x1Eu);  // the character keeps the key's data
  EXPECT_EQ(scan(keys[2]), 0x1Eu);
  EXPECT_EQ(scan(keys[3]), 0x4Bu);
  EXPECT_EQ(ext(keys[3]), 1u);
  EXPECT_EQ(scan(keys[4]), 0x1Du);
  EXPECT_EQ(ext(keys[4]), 1u);
}

HWND gDiscardOn = nullptr;
int gMouseSeen = 0, gKeySeen = 0;
LRESULT MouseHook(int code, WPARAM wp, LPARAM lp) {
  auto* mh = reinterpret_cast<MOUSEHOOKSTRUCT*>(lp);
  ++gMouseSeen;
  if (code == HC_ACTION && mh->hwnd == gDiscardOn && wp == WM_LBUTTONDOWN) return 1;
  return CallNextHookEx(nullptr, code, wp, lp);
}
LRESULT KeyHook(int code, WPARAM wp, LPARAM lp) {
  ++gKeySeen;
  if (wp == 'X') return 1;
  return CallNextHookEx(nullptr, code, wp, lp);
}

TEST_F(Platform_Keyboard, MouseAndKeyboardHooksMayDiscardInput) {
  HWND a = MakeTop(0, 0, 100, 100);
  SetFocus(a);
  Pump();
  gDiscardOn = a;
  gMouseSeen = gKeySeen = 0;
  HHOOK mh = SetWindowsHookExW(WH_MOUSE, MouseHook, nullptr, GetCurrentThreadId());
  HHOOK kh = SetWindowsHookExW(WH_KEYBOARD, KeyHook, nullptr, GetCurrentThreadId());
  ClearLog();
  InputMouseMove(10, 10);
  InputMouseDown(VK_LBUTTON);
  InputMouseUp(VK_LBUTTON);
  InputKeyDown('X');
  InputKeyDown('Y');
  Drain();
  EXPECT_EQ(gMouseSeen, 3);
  EXPECT_EQ(gKeySeen, 2);
  EXPECT_EQ(MessagesOf(a, {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP}), (std::vector<UINT>{WM_MOUSEMOVE, WM_LBUTTONUP}));
  std::vector<WPARAM> downs;
  {
    std::lock_guard<std::mutex> lk(LogLock());
    for (auto& l : Log())
      if (l.Msg == WM_KEYDOWN) downs.push_back(l.WParam);
  }
  EXPECT_EQ(downs, (std::vector<WPARAM>{'Y'}));
  UnhookWindowsHookEx(mh);
  UnhookWindowsHookEx(kh);
}

TEST_F(Platform_Ime, ComposedStringArrivesAsCompositionThenCharacters) {
  HWND h = MakeTop(0, 0, 100, 40);
  SetFocus(h);
  Pump();
  ClearLog();
  const String text = u"\u4e2d\u6587";
  InputImeComposition(text);
  // Nothing happens before the input is retrieved.
  EXPECT_TRUE(MessagesOf(h, {WM_IME_STARTCOMPOSITION}).empty());
  Drain();
  const std::vector<UINT> kinds = {WM_IME_STARTCOMPOSITION, WM_IME_COMPOSITION, WM_IME_ENDCOMPOSITION, WM_IME_CHAR,
                                   WM_CHAR};
  std::vector<Logged> seq;
  {
    std::lock_guard<std::mutex> lk(LogLock());
    for (auto& l : Log())
      if (std::find(kinds.begin(), kinds.end(), l.Msg) != kinds.end()) seq.push_back(l);
  }
  ASSERT_EQ(seq.size(), 7u);
  EXPECT_EQ(seq[0].Msg, UINT(WM_IME_STARTCOMPOSITION));
  EXPECT_EQ(seq[1].Msg, UINT(WM_IME_COMPOSITION));
  EXPECT_TRUE(seq[1].LParam & GCS_RESULTSTR);
  EXPECT_EQ(seq[2].Msg, UINT(WM_IME_ENDCOMPOSITION));
  EXPECT_EQ(seq[3].Msg, UINT(WM_IME_CHAR));
  EXPECT_EQ(seq[3].WParam, WPARAM(text[0]));
  EXPECT_EQ(seq[4].Msg, UINT(WM_IME_CHAR));
  EXPECT_EQ(seq[4].WParam, WPARAM(text[1]));
  EXPECT_EQ(seq[5].Msg, UINT(WM_CHAR));
  EXPECT_EQ(seq[5].WParam, WPARAM(text[0]));
  EXPECT_EQ(seq[6].WParam, WPARAM(text[1]));
  // The result stays readable from the context.
  HIMC imc = ImmGetContext(h);
  ASSERT_NE(imc, nullptr);
  EXPECT_EQ(ImmGetCompositionStringW(imc, GCS_RESULTSTR, nullptr, 0), 4);
  char16_t buf[4] = {};
  EXPECT_EQ(ImmGetCompositionStringW(imc, GCS_RESULTSTR, buf, 2), 2);  // cut to the buffer
  EXPECT_EQ(buf[0], text[0]);
  EXPECT_EQ(buf[1], 0);
  EXPECT_TRUE(ImmReleaseContext(h, imc));
}

TEST_F(Platform_Ime, AnEditTakesTheResultItselfAndCanDetachItsContext) {
  HWND h = MakeTop(0, 0, 100, 40);
  String inserted;
  // As a library-drawn edit does: place the composition window on start,
  // read the result on composition and answer it, so no characters follow.
  SetHandler(h, [&](HWND hw, UINT msg, WPARAM, LPARAM lp, bool& handled) -> LRESULT {
    handled = msg == WM_IME_STARTCOMPOSITION || msg == WM_IME_COMPOSITION;
    if (msg == WM_IME_STARTCOMPOSITION) {
      HIMC imc = ImmGetContext(hw);
      LOGFONTW lf;
      lf.lfHeight = -13;
      ImmSetCompositionFontW(imc, &lf);
      COMPOSITIONFORM f;
      f.dwStyle = CFS_RECT;
      f.ptCurrentPos = TPoint(7, 3);
      f.rcArea = TRect(0, 3, 100, 40);
      ImmSetCompositionWindow(imc, &f);
      ImmReleaseContext(hw, imc);
    } else if (msg == WM_IME_COMPOSITION && (lp & GCS_RESULTSTR)) {
      HIMC imc = ImmGetContext(hw);
      LONG n = ImmGetCompositionStringW(imc, GCS_RESULTSTR, nullptr, 0);
      String s(size_t(n / 2), u'\0');
      ImmGetCompositionStringW(imc, GCS_RESULTSTR, s.data(), DWORD(n));
      ImmReleaseContext(hw, imc);
      inserted += s;
    }
    return 0;
  });
  SetFocus(h);
  Pump();
  ClearLog();
  InputImeComposition(u"\u65e5\u672c");
  Drain();
  EXPECT_EQ(inserted, u"\u65e5\u672c");
  EXPECT_TRUE(MessagesOf(h, {WM_IME_CHAR, WM_CHAR}).empty());
  HIMC imc = ImmGetContext(h);
  COMPOSITIONFORM f;
  ASSERT_TRUE(ImmGetCompositionWindow(imc, &f));
  EXPECT_EQ(f.dwStyle, CFS_RECT);
  EXPECT_EQ(f.ptCurrentPos, TPoint(7, 3));
  LOGFONTW lf;
  ASSERT_TRUE(ImmGetCompositionFontW(imc, &lf));
  EXPECT_EQ(lf.lfHeight, -13);
  // Detached, the window gets plain characters and no composition.
  HIMC saved = ImmAssociateContext(h, nullptr);
  EXPECT_EQ(saved, imc);
  EXPECT_EQ(ImmGetContext(h), nullptr);
  ClearLog();
  InputImeComposition(u"ab");
  Drain();
  EXPECT_TRUE(MessagesOf(h, {WM_IME_STARTCOMPOSITION, WM_IME_COMPOSITION}).empty());
  EXPECT_EQ(MessagesOf(h, {WM_CHAR}).size(), 2u);
  EXPECT_EQ(ImmAssociateContext(h, saved), nullptr);
  EXPECT_EQ(ImmGetContext(h), saved);
  SetHandler(h, nullptr);
}

}  // namespace

}  // namespace t_keyboard_ime_test
