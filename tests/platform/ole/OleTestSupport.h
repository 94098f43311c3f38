// Objects the OLE tests hand to the host layer: counted unknowns, advise
// sinks, drop sources and targets that record what they are told.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/ole/ActiveX.h"

namespace oletest {

using namespace vcl;

// An object whose life the test watches: Alive says whether it still exists.
class TWatched : public TInterfacedObject {
  QN_CLASS(TWatched, TInterfacedObject)
 public:
  explicit TWatched(bool* alive) : FAlive(alive) { *FAlive = true; }
  ~TWatched() override { *FAlive = false; }

 private:
  bool* FAlive;
};

inline HGLOBAL Block(const std::string& bytes, UINT flags = GMEM_MOVEABLE) {
  HGLOBAL h = GlobalAlloc(flags, bytes.size());
  if (!bytes.empty()) std::memcpy(GlobalLock(h), bytes.data(), bytes.size());
  GlobalUnlock(h);
  return h;
}

inline std::string BlockBytes(HGLOBAL h) {
  size_t n = GlobalSize(h);
  const char* p = static_cast<const char*>(GlobalLock(h));
  std::string s(p ? p : "", p ? n : 0);
  GlobalUnlock(h);
  return s;
}

inline std::string StreamBytes(IStream* s) {
  std::string out;
  char buf[97];
  for (;;) {
    ULONG got = 0;
    if (Failed(s->Read(buf, sizeof buf, &got)) || got == 0) break;
    out.append(buf, got);
  }
  return out;
}

// The bytes of a medium holding a block or a stream.
inline std::string MediumBytes(const STGMEDIUM& m) {
  if (m.tymed == TYMED_HGLOBAL) return BlockBytes(m.hGlobal);
  if (m.tymed == TYMED_ISTREAM) return StreamBytes(m.pstm);
  return "<no bytes>";
}

inline FORMATETC Fe(CLIPFORMAT cf, DWORD tymed = TYMED_HGLOBAL) {
  FORMATETC f;
  f.cfFormat = cf;
  f.tymed = tymed;
  return f;
}

inline TIntf<IDataObject> NewDataObject() {
  void* p = nullptr;
  EXPECT_EQ(SHCreateDataObject(nullptr, 0, nullptr, nullptr, IDataObject::IID, &p), S_OK);
  TIntf<IDataObject> obj;
  obj.Attach(static_cast<IDataObject*>(p));
  return obj;
}

// Gives the object a copy of the bytes in a block.
inline void SetBytes(IDataObject* obj, CLIPFORMAT cf, const std::string& bytes) {
  FORMATETC f = Fe(cf);
  STGMEDIUM m;
  m.tymed = TYMED_HGLOBAL;
  m.hGlobal = Block(bytes);
  ASSERT_EQ(obj->SetData(&f, &m, TRUE), S_OK);
}

class TSink : public TInterfacedObject, public virtual IAdviseSink {
  QN_CLASS(TSink, TInterfacedObject)
  QN_INTERFACES(IAdviseSink)
 public:
  struct TCall {
    CLIPFORMAT Format;
    DWORD Tymed;
    std::string Bytes;
  };
  std::vector<TCall> Calls;
  void OnDataChange(const FORMATETC* fe, STGMEDIUM* m) override {
    Calls.push_back({fe->cfFormat, m->tymed, m->tymed == TYMED_NULL ? "" : MediumBytes(*m)});
  }
  void OnViewChange(DWORD, LONG) override {}
  void OnRename(IMoniker*) override {}
  void OnSave() override {}
  void OnClose() override {}
};

// A drop target that writes every call into a shared journal and answers
// with a set effect.
class TRecordingTarget : public TInterfacedObject, public virtual IDropTarget {
  QN_CLASS(TRecordingTarget, TInterfacedObject)
  QN_INTERFACES(IDropTarget)
 public:
  TRecordingTarget(std::string name, std::vector<std::string>* journal) : FName(std::move(name)), FJournal(journal) {}
  DWORD Answer = DROPEFFECT_COPY;
  HRESULT DropResult = S_OK;
  std::function<void()> OnOver;  // runs inside DragOver
  std::vector<DWORD> OfferedEffects;

  HRESULT DragEnter(IDataObject* obj, DWORD keys, POINTL pt, DWORD* effect) override {
    EXPECT_NE(obj, nullptr);
    return Note("enter", keys, pt, effect);
  }
  HRESULT DragOver(DWORD keys, POINTL pt, DWORD* effect) override {
    if (OnOver) OnOver();
    return Note("over", keys, pt, effect);
  }
  HRESULT DragLeave() override {
    FJournal->push_back(FName + " leave");
    return S_OK;
  }
  HRESULT Drop(IDataObject* obj, DWORD keys, POINTL pt, DWORD* effect) override {
    EXPECT_NE(obj, nullptr);
    Note("drop", keys, pt, effect);
    return DropResult;
  }

 private:
  HRESULT Note(const char* what, DWORD keys, POINTL pt, DWORD* effect) {
    OfferedEffects.push_back(*effect);
    FJournal->push_back(FName + " " + what + " " + std::to_string(pt.x) + "," + std::to_string(pt.y) + " k" +
                        std::to_string(keys));
    *effect = Answer;
    return S_OK;
  }
  std::string FName;
  std::vector<std::string>* FJournal;
};

// The usual source: Escape or both buttons cancel, a button held goes on,
// no button drops. It records the effects it is shown.
class TSource : public TInterfacedObject, public virtual IDropSource {
  QN_CLASS(TSource, TInterfacedObject)
  QN_INTERFACES(IDropSource)
 public:
  std::vector<DWORD> Feedback;
  std::vector<bool> Escapes;
  std::function<void()> OnQuery;
  HRESULT QueryContinueDrag(BOOL escape, DWORD keys) override {
    Escapes.push_back(escape != 0);
    if (OnQuery) OnQuery();
    if (escape || ((keys & MK_LBUTTON) && (keys & MK_RBUTTON))) return DRAGDROP_S_CANCEL;
    if (keys & (MK_LBUTTON | MK_RBUTTON)) return S_OK;
    return DRAGDROP_S_DROP;
  }
  HRESULT GiveFeedback(DWORD effect) override {
    Feedback.push_back(effect);
    return DRAGDROP_S_USEDEFAULTCURSORS;
  }
};

}  // namespace oletest
