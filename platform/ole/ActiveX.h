// The component object model of the host layer as far as data exchange
// needs it: class objects and CoCreateInstance, task memory, streams on
// global memory, data objects and their format enumerators, advise holders,
// the OLE clipboard, drop targets and the drag loop.
//
// Everything stays inside the process: there is no marshalling and no other
// apartment; an interface pointer is simply shared. CoCreateInstance, the
// clipboard calls, RegisterDragDrop and DoDragDrop need OleInitialize (or
// CoInitialize for CoCreateInstance) on the calling thread and answer
// CO_E_NOTINITIALIZED without it; streams and data objects work anywhere.
//
// Objects and media that come from outside are not trusted: a read that
// claims more bytes than asked, an enumerator that fetches more than asked,
// or a GetData that answers S_OK with an empty medium are failures.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/classes/ComStreams.h"
#include "platform/ole/Ole2.h"
#include "platform/user/Clipboard.h"

namespace vcl {

using CLIPFORMAT = Word;
constexpr Integer FALSE = 0, TRUE = 1;
using LONG = Integer;
using BOOL = Integer;
using LPOLESTR = Char*;
using CLSID = TGUID;
using IID = TGUID;
using HMETAFILEPICT = HANDLE;
using HENHMETAFILE = HANDLE;

struct POINTL {
  LONG x = 0;
  LONG y = 0;
};

// ---------------------------------------------------------------------------
// Result codes

constexpr HRESULT DV_E_FORMATETC = static_cast<HRESULT>(0x80040064u);
constexpr HRESULT DV_E_DVTARGETDEVICE = static_cast<HRESULT>(0x80040065u);
constexpr HRESULT DV_E_STGMEDIUM = static_cast<HRESULT>(0x80040066u);
constexpr HRESULT DV_E_STATDATA = static_cast<HRESULT>(0x80040067u);
constexpr HRESULT DV_E_LINDEX = static_cast<HRESULT>(0x80040068u);
constexpr HRESULT DV_E_TYMED = static_cast<HRESULT>(0x80040069u);
constexpr HRESULT DV_E_CLIPFORMAT = static_cast<HRESULT>(0x8004006Au);
constexpr HRESULT DV_E_DVASPECT = static_cast<HRESULT>(0x8004006Bu);
constexpr HRESULT OLE_E_ADVISENOTSUPPORTED = static_cast<HRESULT>(0x80040003u);
constexpr HRESULT OLE_E_NOCONNECTION = static_cast<HRESULT>(0x80040004u);
constexpr HRESULT OLE_S_USEREG = static_cast<HRESULT>(0x00040000u);
constexpr HRESULT DATA_S_SAMEFORMATETC = static_cast<HRESULT>(0x00040130u);
constexpr HRESULT CLIPBRD_E_CANT_OPEN = static_cast<HRESULT>(0x800401D0u);
constexpr HRESULT CLIPBRD_E_CANT_EMPTY = static_cast<HRESULT>(0x800401D1u);
constexpr HRESULT CLIPBRD_E_CANT_SET = static_cast<HRESULT>(0x800401D2u);
constexpr HRESULT CLIPBRD_E_BAD_DATA = static_cast<HRESULT>(0x800401D3u);
constexpr HRESULT CLIPBRD_E_CANT_CLOSE = static_cast<HRESULT>(0x800401D4u);
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111u);
constexpr HRESULT CO_E_OBJNOTREG = static_cast<HRESULT>(0x800401FBu);
constexpr HRESULT DRAGDROP_S_DROP = static_cast<HRESULT>(0x00040100u);
constexpr HRESULT DRAGDROP_S_CANCEL = static_cast<HRESULT>(0x00040101u);
constexpr HRESULT DRAGDROP_S_USEDEFAULTCURSORS = static_cast<HRESULT>(0x00040102u);
constexpr HRESULT DRAGDROP_E_NOTREGISTERED = static_cast<HRESULT>(0x80040100u);
constexpr HRESULT DRAGDROP_E_ALREADYREGISTERED = static_cast<HRESULT>(0x80040101u);
constexpr HRESULT DRAGDROP_E_INVALIDHWND = static_cast<HRESULT>(0x80040102u);

// ---------------------------------------------------------------------------
// Constants

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1, CLSCTX_INPROC_HANDLER = 0x2, CLSCTX_LOCAL_SERVER = 0x4,
                CLSCTX_REMOTE_SERVER = 0x10, CLSCTX_INPROC = 0x3, CLSCTX_ALL = 0x17,
                CLSCTX_SERVER = 0x15;
constexpr DWORD REGCLS_SINGLEUSE = 0, REGCLS_MULTIPLEUSE = 1, REGCLS_MULTI_SEPARATE = 2;

constexpr DWORD TYMED_NULL = 0, TYMED_HGLOBAL = 1, TYMED_FILE = 2, TYMED_ISTREAM = 4, TYMED_ISTORAGE = 8,
                TYMED_GDI = 16, TYMED_MFPICT = 32, TYMED_ENHMF = 64;
constexpr DWORD DVASPECT_CONTENT = 1, DVASPECT_THUMBNAIL = 2, DVASPECT_ICON = 4, DVASPECT_DOCPRINT = 8;
constexpr DWORD DATADIR_GET = 1, DATADIR_SET = 2;
constexpr DWORD ADVF_NODATA = 1, ADVF_PRIMEFIRST = 2, ADVF_ONLYONCE = 4, ADVF_DATAONSTOP = 64,
                ADVFCACHE_NOHANDLER = 8, ADVFCACHE_FORCEBUILTIN = 16, ADVFCACHE_ONSAVE = 32;
constexpr DWORD DROPEFFECT_NONE = 0, DROPEFFECT_COPY = 1, DROPEFFECT_MOVE = 2, DROPEFFECT_LINK = 4,
                DROPEFFECT_SCROLL = 0x80000000u;
constexpr DWORD MK_ALT = 0x20;

// ---------------------------------------------------------------------------
// Records

// A target device; the data objects here serve the screen only (ptd nil).
struct DVTARGETDEVICE {
  DWORD tdSize = 0;
  Word tdDriverNameOffset = 0;
  Word tdDeviceNameOffset = 0;
  Word tdPortNameOffset = 0;
  Word tdExtDevmodeOffset = 0;
  Byte tdData[1] = {};
};

struct tagFORMATETC {
  CLIPFORMAT cfFormat = 0;
  DVTARGETDEVICE* ptd = nullptr;
  DWORD dwAspect = DVASPECT_CONTENT;
  LONG lindex = -1;
  DWORD tymed = TYMED_NULL;
};
using FORMATETC = tagFORMATETC;
using TFormatEtc = tagFORMATETC;

struct IStorage;

// A medium: which handle is valid says tymed. With pUnkForRelease set, the
// medium belongs to that object and ReleaseStgMedium only releases it.
struct tagSTGMEDIUM {
  DWORD tymed = TYMED_NULL;
  union {
    HBITMAP hBitmap;
    HMETAFILEPICT hMetaFilePict;
    HENHMETAFILE hEnhMetaFile;
    HGLOBAL hGlobal;
    LPOLESTR lpszFileName;
    IStream* pstm;
    IStorage* pstg;
  };
  IUnknown* pUnkForRelease = nullptr;
  tagSTGMEDIUM() : hGlobal(nullptr) {}
};
using STGMEDIUM = tagSTGMEDIUM;
using TStgMedium = tagSTGMEDIUM;

struct IAdviseSink;

// One advise connection. Enumerators hand out pAdvSink with a reference the
// caller releases.
struct STATDATA {
  FORMATETC formatetc;
  DWORD advf = 0;
  IAdviseSink* pAdvSink = nullptr;
  DWORD dwConnection = 0;
};

// ---------------------------------------------------------------------------
// Interfaces

struct IMoniker;

struct IClassFactory : virtual IUnknown {
  static constexpr TGUID IID = MakeGUID("{00000001-0000-0000-C000-000000000046}");
  virtual HRESULT CreateInstance(IUnknown* pUnkOuter, const TGUID& riid, void** ppvObject) = 0;
  virtual HRESULT LockServer(BOOL fLock) = 0;
};

// Declared for media that carry one; the host layer has no compound files.
struct IStorage : virtual IUnknown {
  static constexpr TGUID IID = MakeGUID("{0000000B-0000-0000-C000-000000000046}");
  virtual HRESULT CreateStream(const Char* pwcsName, DWORD grfMode, DWORD reserved1, DWORD reserved2,
                               IStream** ppstm) = 0;
  virtual HRESULT OpenStream(const Char* pwcsName, void* reserved1, DWORD grfMode, DWORD reserved2,
                             IStream** ppstm) = 0;
  virtual HRESULT Commit(DWORD grfCommitFlags) = 0;
  virtual HRESULT Revert() = 0;
  virtual HRESULT Stat(STATSTG* pstatstg, DWORD grfStatFlag) = 0;
};

struct IEnumFORMATETC : virtual IUnknown {
  static constexpr TGUID IID = MakeGUID("{00000103-0000-0000-C000-000000000046}");
  // Copies up to celt records; S_OK only when all celt came, S_FALSE else.
  virtual HRESULT Next(ULONG celt, FORMATETC* rgelt, ULONG* pceltFetched) = 0;
  virtual HRESULT Skip(ULONG celt) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumFORMATETC** ppenum) = 0;
};

struct IEnumSTATDATA : virtual IUnknown {
  static constexpr TGUID IID = MakeGUID("{00000105-0000-0000-C000-000000000046}");
  virtual HRESULT Next(ULONG celt, STATDATA* rgelt, ULONG* pceltFetched) = 0;
  virtual HRESULT Skip(ULONG celt) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumSTATDATA** ppenum) = 0;
};

struct IDataObject : virtual IUnknown {
  static constexpr TGUID IID = MakeGUID("{0000010E-0000-0000-C000-000000000046}");
  // On success the medium is the caller's to release (ReleaseStgMedium); on
  // failure it is zeroed.
  virtual HRESULT GetData(const FORMATETC* pformatetcIn, STGMEDIUM* pmedium) = 0;
  // Renders into the caller's medium (its tymed and handle set).
  virtual HRESULT GetDataHere(const FORMATETC* pformatetc, STGMEDIUM* pmedium) = 0;
  virtual HRESULT QueryGetData(const FORMATETC* pformatetc) = 0;
  virtual HRESULT GetCanonicalFormatEtc(const FORMATETC* pformatectIn, FORMATETC* pformatetcOut) = 0;
  // fRelease TRUE: the object takes the medium; FALSE: it keeps a copy.
  virtual HRESULT SetData(const FORMATETC* pformatetc, STGMEDIUM* pmedium, BOOL fRelease) = 0;
  virtual HRESULT EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppenumFormatEtc) = 0;
  virtual HRESULT DAdvise(const FORMATETC* pformatetc, DWORD advf, IAdviseSink* pAdvSink,
                          DWORD* pdwConnection) = 0;
  virtual HRESULT DUnadvise(DWORD dwConnection) = 0;
  virtual HRESULT EnumDAdvise(IEnumSTATDATA** ppenumAdvise) = 0;
};

struct IAdviseSink : virtual IUnknown {
  static constexpr TGUID IID = MakeGUID("{0000010F-0000-0000-C000-000000000046}");
  // The medium stays the caller's.
  virtual void OnDataChange(const FORMATETC* pFormatetc, STGMEDIUM* pStgmed) = 0;
  virtual void OnViewChange(DWORD dwAspect, LONG lindex) = 0;
  virtual void OnRename(IMoniker* pmk) = 0;
  virtual void OnSave() = 0;
  virtual void OnClose() = 0;
};

struct IDataAdviseHolder : virtual IUnknown {
  static constexpr TGUID IID = MakeGUID("{00000110-0000-0000-C000-000000000046}");
  virtual HRESULT Advise(IDataObject* pDataObject, const FORMATETC* pFetc, DWORD advf, IAdviseSink* pAdvise,
                         DWORD* pdwConnection) = 0;
  virtual HRESULT Unadvise(DWORD dwConnection) = 0;
  virtual HRESULT EnumAdvise(IEnumSTATDATA** ppenumAdvise) = 0;
  virtual HRESULT SendOnDataChange(IDataObject* pDataObject, DWORD dwReserved, DWORD advf) = 0;
};

struct IOleClientSite : virtual IUnknown {
  static constexpr TGUID IID = MakeGUID("{00000118-0000-0000-C000-000000000046}");
  virtual HRESULT SaveObject() = 0;
  virtual HRESULT GetMoniker(DWORD dwAssign, DWORD dwWhichMoniker, IMoniker** ppmk) = 0;
  virtual HRESULT GetContainer(IUnknown** ppContainer) = 0;
  virtual HRESULT ShowObject() = 0;
  virtual HRESULT OnShowWindow(BOOL fShow) = 0;
  virtual HRESULT RequestNewObjectLayout() = 0;
};

struct IDropSource : virtual IUnknown {
  static constexpr TGUID IID = MakeGUID("{00000121-0000-0000-C000-000000000046}");
  // S_OK goes on, DRAGDROP_S_DROP drops, DRAGDROP_S_CANCEL cancels.
  virtual HRESULT QueryContinueDrag(BOOL fEscapePressed, DWORD grfKeyState) = 0;
  // DRAGDROP_S_USEDEFAULTCURSORS shows OleDragCursor(dwEffect).
  virtual HRESULT GiveFeedback(DWORD dwEffect) = 0;
};

struct IDropTarget : virtual IUnknown {
  static constexpr TGUID IID = MakeGUID("{00000122-0000-0000-C000-000000000046}");
  // pt is in screen coordinates; *pdwEffect comes in as the effects the
  // source allows and goes out as the one the target would take.
  virtual HRESULT DragEnter(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) = 0;
  virtual HRESULT DragOver(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) = 0;
  virtual HRESULT DragLeave() = 0;
  virtual HRESULT Drop(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) = 0;
};

// ---------------------------------------------------------------------------
// Component basics

void* CoTaskMemAlloc(size_t cb);
// nullptr frees pv and answers nullptr for cb 0; a failed growth leaves pv.
void* CoTaskMemRealloc(void* pv, size_t cb);
void CoTaskMemFree(void* pv);

// The class table: objects registered here are what CoCreateInstance makes
// instances from. The table keeps a reference until the revoke.
HRESULT CoRegisterClassObject(const CLSID& rclsid, IUnknown* pUnk, DWORD dwClsContext, DWORD flags,
                              DWORD* lpdwRegister);
HRESULT CoRevokeClassObject(DWORD dwRegister);
HRESULT CoGetClassObject(const CLSID& rclsid, DWORD dwClsContext, void* pvReserved, const IID& riid,
                         void** ppv);
// An unknown class answers REGDB_E_CLASSNOTREG; an outer object is handed to
// the class object, which refuses it with CLASS_E_NOAGGREGATION unless it
// supports aggregation.
HRESULT CoCreateInstance(const CLSID& rclsid, IUnknown* pUnkOuter, DWORD dwClsContext, const IID& riid,
                         void** ppv);

// Frees what the medium holds (or releases only pUnkForRelease when set)
// and zeroes the record.
void ReleaseStgMedium(STGMEDIUM* pmedium);

// ---------------------------------------------------------------------------
// Streams on global memory

// The block is the stream's content and GlobalSize its size; a write past
// the end grows it (GlobalReAlloc), SetSize sizes it. nullptr makes a new
// empty moveable block. Clones share the block, each with its own position;
// when the last of them goes the block is freed if fDeleteOnRelease.
HRESULT CreateStreamOnHGlobal(HGLOBAL hGlobal, BOOL fDeleteOnRelease, IStream** ppstm);
// The block under a stream made by CreateStreamOnHGlobal; E_INVALIDARG for
// any other stream.
HRESULT GetHGlobalFromStream(IStream* pstm, HGLOBAL* phglobal);

// ---------------------------------------------------------------------------
// Data objects

// An enumerator over a copy of the records.
HRESULT SHCreateStdEnumFmtEtc(UINT cfmt, const FORMATETC afmt[], IEnumFORMATETC** ppenumFormatEtc);
HRESULT CreateDataAdviseHolder(IDataAdviseHolder** ppDAHolder);
// The standard data object: holds what SetData gives it and hands out
// copies. The item-list arguments are for shell folders, which the host
// layer has none of: they must be nil and 0, as must pdtInner.
HRESULT SHCreateDataObject(const void* pidlFolder, UINT cidl, const void* const* apidl, IDataObject* pdtInner,
                           const IID& riid, void** ppv);
// A copy of a medium that is the caller's (no pUnkForRelease): blocks and
// bitmaps duplicated, a stream or storage with a reference added, a file
// name copied.
HRESULT CopyStgMedium(const STGMEDIUM* pcstgmedSrc, STGMEDIUM* pstgmedDest);

// ---------------------------------------------------------------------------
// The OLE clipboard

// Offers each GET format of pDataObj on the clipboard, rendered when asked
// (HGLOBAL formats as blocks, streams copied into blocks, CF_BITMAP as a
// bitmap). The previous object is released before this returns; nil only
// empties. CLIPBRD_E_CANT_OPEN while another window holds the clipboard.
HRESULT OleSetClipboard(IDataObject* pDataObj);
// An object that serves the clipboard: while an object of this process is
// on it, every call goes to that object; otherwise it serves the classic
// formats as block copies or streams (CF_BITMAP as a bitmap copy).
HRESULT OleGetClipboard(IDataObject** ppDataObj);
// S_OK while pDataObj is the object on the clipboard, S_FALSE otherwise.
HRESULT OleIsCurrentClipboard(IDataObject* pDataObj);
// Renders every offered format that renders (the others are left out) and
// releases the object.
HRESULT OleFlushClipboard();

// ---------------------------------------------------------------------------
// Drag and drop

HRESULT RegisterDragDrop(HWND hwnd, IDropTarget* pDropTarget);
HRESULT RevokeDragDrop(HWND hwnd);
// The modal drag loop; returns DRAGDROP_S_DROP or DRAGDROP_S_CANCEL with the
// effect in *pdwEffect. A nested call answers E_UNEXPECTED. An exception
// from the source or a target ends the loop (capture and cursor given back)
// and leaves this call.
HRESULT DoDragDrop(IDataObject* pDataObj, IDropSource* pDropSource, DWORD dwOKEffects, DWORD* pdwEffect);
// The cursor the loop shows for an effect when the source asks for the
// standard ones (the scroll bit does not count).
HCURSOR OleDragCursor(DWORD dwEffect);

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
