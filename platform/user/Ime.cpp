// The input-method stand-in: input contexts with a composition font, a
// composition window and the last result string, and the delivery of a
// composed string with the message sequence an input method produces.
#include <cstring>
#include <map>
#include <unordered_map>

#include "platform/user/ServerInput.h"

namespace vcl::server {

namespace {

struct ImeContext {
  String Composition;
  String Result;
  LOGFONTW Font;
  COMPOSITIONFORM Form;
};

struct ImeState {
  std::map<HIMC, std::unique_ptr<ImeContext>> Contexts;
  // Every window has a context of its own, made on first use; Attached holds
  // what is associated now (nullptr after a detach).
  std::unordered_map<HWND, HIMC> Own;
  std::unordered_map<HWND, HIMC> Attached;
  uintptr_t Next = 0x70000;
  // An input method that fails: result-string queries answer this instead.
  LONG ResultError = 0;
};

ImeState& I() {
  static auto* st = new ImeState;
  return *st;
}

ImeContext* Ctx(HIMC imc) {
  auto it = I().Contexts.find(imc);
  return it == I().Contexts.end() ? nullptr : it->second.get();
}

// Lock held.
HIMC AttachedTo(HWND h) {
  ImeState& st = I();
  auto it = st.Attached.find(h);
  if (it != st.Attached.end()) return it->second;
  HIMC imc = reinterpret_cast<HIMC>(st.Next);
  st.Next += 4;
  st.Contexts[imc] = std::make_unique<ImeContext>();
  st.Own[h] = imc;
  st.Attached[h] = imc;
  return imc;
}

}  // namespace

void DropImeOf(HWND h) {
  ImeState& st = I();
  st.Attached.erase(h);
  auto it = st.Own.find(h);
  if (it == st.Own.end()) return;
  st.Contexts.erase(it->second);
  st.Own.erase(it);
}

void SetImeResultError(LONG code) {
  std::lock_guard<std::mutex> lk(S().Lock);
  I().ResultError = code;
}

void DeliverComposition(HWND focus, const String& text) {
  HIMC imc = ImmGetContext(focus);
  if (!imc) {
    // No input method for this window: the text arrives as typed characters.
    for (char16_t c : text) PostMessageW(focus, WM_CHAR, c, 1);
    return;
  }
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    if (ImeContext* c = Ctx(imc)) {
      c->Composition = text;
      c->Result.clear();
    }
  }
  Send(focus, WM_IME_STARTCOMPOSITION, 0, 0);
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    if (ImeContext* c = Ctx(imc)) {
      c->Result = text;
      c->Composition.clear();
    }
  }
  Send(focus, WM_IME_COMPOSITION, text.empty() ? 0 : WPARAM(text.back()), LPARAM(GCS_RESULTSTR));
  Send(focus, WM_IME_ENDCOMPOSITION, 0, 0);
  ImmReleaseContext(focus, imc);
}

}  // namespace vcl::server

namespace vcl {

using namespace server;

HIMC ImmGetContext(HWND h) {
  std::lock_guard<std::mutex> lk(S().Lock);
  if (!FindLive(h)) return nullptr;
  return AttachedTo(h);
}

bool ImmReleaseContext(HWND h, HIMC imc) {
  std::lock_guard<std::mutex> lk(S().Lock);
  return FindLive(h) && Ctx(imc);
}

HIMC ImmAssociateContext(HWND h, HIMC imc) {
  std::lock_guard<std::mutex> lk(S().Lock);
  if (!FindLive(h) || (imc && !Ctx(imc))) return nullptr;
  HIMC old = AttachedTo(h);
  I().Attached[h] = imc;
  return old;
}

LONG ImmGetCompositionStringW(HIMC imc, DWORD index, void* buffer, DWORD bufLen) {
  std::lock_guard<std::mutex> lk(S().Lock);
  ImeContext* c = Ctx(imc);
  if (!c) return 0;
  if (index == GCS_RESULTSTR && I().ResultError != 0) return I().ResultError;
  const String* s = index == GCS_RESULTSTR ? &c->Result : index == GCS_COMPSTR ? &c->Composition : nullptr;
  if (!s) return 0;
  LONG bytes = LONG(s->size() * sizeof(char16_t));
  if (!buffer || bufLen == 0) return bytes;
  LONG n = std::min<LONG>(bytes, LONG(bufLen & ~1u));
  std::memcpy(buffer, s->data(), size_t(n));
  return n;
}

bool ImmSetCompositionFontW(HIMC imc, const LOGFONTW* font) {
  std::lock_guard<std::mutex> lk(S().Lock);
  ImeContext* c = Ctx(imc);
  if (!c || !font) return false;
  c->Font = *font;
  return true;
}

bool ImmGetCompositionFontW(HIMC imc, LOGFONTW* font) {
  std::lock_guard<std::mutex> lk(S().Lock);
  ImeContext* c = Ctx(imc);
  if (!c || !font) return false;
  *font = c->Font;
  return true;
}

bool ImmSetCompositionWindow(HIMC imc, const COMPOSITIONFORM* form) {
  std::lock_guard<std::mutex> lk(S().Lock);
  ImeContext* c = Ctx(imc);
  if (!c || !form) return false;
  c->Form = *form;
  return true;
}

bool ImmGetCompositionWindow(HIMC imc, COMPOSITIONFORM* form) {
  std::lock_guard<std::mutex> lk(S().Lock);
  ImeContext* c = Ctx(imc);
  if (!c || !form) return false;
  *form = c->Form;
  return true;
}

}  // namespace vcl
