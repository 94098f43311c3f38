// The node stream: a tree's structure (child counts, heights, states, check
// data) written as typed, sized chunks that every tree class and the host
// extend with chunks of their own, and read back into a tree or under any
// node. The same node chunks travel between trees (moves and copies) and,
// later, through the clipboard and drag and drop, so every reader here
// takes hostile bytes: each chunk is checked against its enclosing node
// chunk and the stream before it is read, and nesting is followed with a
// stack on the heap rather than one native frame per level.
#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>
#include <utility>
#include <vector>

#include "treeview/LazyTrees_qn.h"
#include "treeview/LazyTrees_qn_Internal.h"
#include "treeview/LazyTrees_qn_StringTree.h"

namespace qn {

namespace {

inline constexpr const char16_t* SCannotLoadRoot = u"The root node cannot be loaded from stream.";

inline constexpr Integer NodeChunk = 1, BaseChunk = 2, CaptionChunk = 3, UserChunk = 4;
inline constexpr Integer StreamVersion = 2;
inline constexpr Cardinal ChunkHeaderSize = 8;
inline constexpr Cardinal BaseBodySize = 17, OldBaseBodySize = 12;

// Six UTF-16LE units; the fourth holds the version.
inline constexpr char16_t MagicUnits[6] = {0x2045, u'V', u'T', char16_t(StreamVersion), u' ', 0x2046};

// Flags that only mean something while an operation runs: never written,
// and cleared again on reading, since a foreign payload could carry them
// (a node marked deleting or toggling would never be freed or toggled).
inline constexpr Word SavedStateMask = Word(~0x2216u);
inline constexpr Word TransientStates =
    Word(0x2216u | TLazyNodeStates::Bit(vsClearing) | TLazyNodeStates::Bit(vsToggling));

struct TChunkHeader {
  Integer ChunkType;
  Integer ChunkSize;
};
static_assert(sizeof(TChunkHeader) == ChunkHeaderSize);

[[noreturn]] void RaiseStreamError(const char16_t* Message, Integer HelpContext) {
  throw ELazyTreeError(Message, HelpContext);
}

void PutCardinal(Byte* P, Cardinal V) { std::memcpy(P, &V, 4); }
Cardinal GetCardinal(const Byte* P) {
  Cardinal v;
  std::memcpy(&v, P, 4);
  return v;
}

// Reads the 12 header bytes' magic; false when units 0, 1, 2 and 5 differ.
bool MagicMatches(const Byte* Header, Cardinal& Version) {
  char16_t units[6];
  std::memcpy(units, Header, sizeof(units));
  Version = units[3];
  return units[0] == MagicUnits[0] && units[1] == MagicUnits[1] && units[2] == MagicUnits[2] &&
         units[5] == MagicUnits[5];
}

// Where SaveToStream writes the node chunks before they go to the caller's
// stream in one piece: every node patches its chunk sizes with seeks, which
// on a file would be system calls, and the memory grows by half its size at
// a time rather than by the plain memory stream's fixed steps. It never
// gives memory back while it lives, since the writer shrinks the stream by
// a chunk header whenever a node has no user data.
class TNodeStreamBuffer : public TMemoryStream {
 protected:
  void* Realloc(Int64& NewCapacity) override {
    if (NewCapacity > 0 && NewCapacity <= Capacity()) {
      NewCapacity = Capacity();
      return Memory();
    }
    if (NewCapacity > 0) NewCapacity = std::max(NewCapacity, Capacity() + Capacity() / 2 + 0x10000);
    return TMemoryStream::Realloc(NewCapacity);
  }
};

}  // namespace

// What the iterative reader and the base chunk reader hand each other: the
// base chunk announces how many child node chunks follow it.
struct TNodeStreamReader {
  Cardinal PendingChildren = 0;
};

// What WriteNode hands WriteChunks: the node whose base chunk starts at
// BaseStart and is followed by its children already.
struct TWrittenNode {
  PLazyNode Node;
  Integer BaseStart;
};

// ---------------------------------------------------------------------------
// Events

void TBaseLazyTree_qn::DoSaveUserData(PLazyNode Node, TStream* Stream) {
  if (Assigned(OnSaveNode)) OnSaveNode(this, Node == FRoot ? nullptr : Node, Stream);
}

void TBaseLazyTree_qn::DoLoadUserData(PLazyNode Node, TStream* Stream) {
  if (Assigned(OnLoadNode)) OnLoadNode(this, Node == FRoot ? nullptr : Node, Stream);
}

// ---------------------------------------------------------------------------
// Writing

void TBaseLazyTree_qn::SaveToStream(TStream* Stream, PLazyNode Node) {
  Stream->Write(MagicUnits, Integer(sizeof(MagicUnits)));
  TNodeStreamBuffer chunks;
  if (!Node) {
    Cardinal count = FRoot->ChildCount;
    Stream->WriteBufferData(count);
    for (PLazyNode run = FRoot->FirstChild; run; run = run->NextSibling) WriteNode(&chunks, run);
  } else {
    Cardinal one = 1;
    Stream->WriteBufferData(one);
    WriteNode(&chunks, Node);
  }
  const Byte* data = static_cast<const Byte*>(chunks.Memory());
  for (Int64 done = 0, size = chunks.Size(); done < size;) {
    Integer piece = Integer(std::min<Int64>(size - done, 1 << 30));
    Stream->Write(data + done, piece);
    done += piece;
  }
  if (Assigned(OnSaveTree)) OnSaveTree(this, Stream);
}

void TBaseLazyTree_qn::SaveToFile(const String& FileName) {
  TFileStream stream(FileName, fmCreate);
  SaveToStream(&stream, nullptr);
}

namespace {
// The base chunk of a node: its structure and looks, the size still that of
// the body alone. Children are written whenever the node has them, whether
// or not it was initialized, so that the count says what follows.
void WriteBaseChunk(TStream* Stream, PLazyNode Node) {
  Byte block[ChunkHeaderSize + BaseBodySize] = {};
  TChunkHeader header{BaseChunk, Integer(BaseBodySize)};
  std::memcpy(block, &header, sizeof(header));
  Byte* body = block + ChunkHeaderSize;
  PutCardinal(body, Node->ChildCount);
  PutCardinal(body + 4, Node->NodeHeight);
  Word states = Word(Node->States.Load() & SavedStateMask);
  std::memcpy(body + 8, &states, 2);
  body[10] = Node->Align;
  body[11] = Byte(Node->CheckState);
  body[12] = Byte(Node->CheckType);
  Stream->Write(block, Integer(sizeof(block)));
}
}  // namespace

void TBaseLazyTree_qn::WriteNode(TStream* Stream, PLazyNode Node) {
  // The bytes are those of writing each node's chunk header, its base
  // chunk, its children's chunks and then its other chunks, one native
  // frame per level; the levels live here instead, so that no depth runs
  // out of stack. Each node's WriteChunks runs once its children are
  // written, as it would after the base chunk's own loop over them.
  struct TFrame {
    PLazyNode Node;
    // The child written last, nil before the first.
    PLazyNode Last;
    Integer Start;
    Integer BaseStart;
  };
  TWrittenNode* outer = FWrittenNode;
  struct TRestore {
    TWrittenNode*& Slot;
    TWrittenNode* Value;
    ~TRestore() { Slot = Value; }
  } restore{FWrittenNode, outer};
  auto finish = [&](PLazyNode N, Integer Start, Integer BaseStart) {
    TWrittenNode written{N, BaseStart};
    FWrittenNode = &written;
    WriteChunks(Stream, N);
    FWrittenNode = outer;
    FinishChunkHeader(Stream, Start, Integer(Stream->Position()));
  };
  std::vector<TFrame> stack;
  // Writes N's chunk up to its children; a node without any (most are
  // leaves) is finished at once and takes no place on the stack.
  auto open = [&](PLazyNode N) {
    if (FOptions->MiscOptions().Contains(toInitOnSave) && N != FRoot) {
      if (!N->States.Contains(vsInitialized)) InitNode(N);
      if (N->States.Contains(vsHasChildren) && N->ChildCount == 0) InitChildren(N);
    }
    Integer start = Integer(Stream->Position());
    TChunkHeader header{NodeChunk, 0};
    Stream->Write(&header, Integer(sizeof(header)));
    Integer baseStart = Integer(Stream->Position());
    WriteBaseChunk(Stream, N);
    if (N->FirstChild) stack.push_back(TFrame{N, nullptr, start, baseStart});
    else finish(N, start, baseStart);
  };

  open(Node);
  while (!stack.empty()) {
    TFrame& f = stack.back();
    PLazyNode next = f.Last ? f.Last->NextSibling : f.Node->FirstChild;
    if (next) {
      f.Last = next;
      open(next);
      continue;
    }
    TFrame done = f;
    stack.pop_back();
    finish(done.Node, done.Start, done.BaseStart);
  }
}

void TBaseLazyTree_qn::FinishChunkHeader(TStream* Stream, Integer StartPos, Integer EndPos) {
  Stream->Seek(StartPos + 4, soBeginning);
  Integer size = EndPos - StartPos - Integer(ChunkHeaderSize);
  Stream->Write(&size, 4);
  Stream->Seek(EndPos, soBeginning);
}

void TBaseLazyTree_qn::WriteChunks(TStream* Stream, PLazyNode Node) {
  if (FWrittenNode && FWrittenNode->Node == Node) {
    // Called from WriteNode: the base chunk and the children stand.
    Integer start = FWrittenNode->BaseStart;
    FWrittenNode = nullptr;
    FinishChunkHeader(Stream, start, Integer(Stream->Position()));
  } else {
    Integer start = Integer(Stream->Position());
    WriteBaseChunk(Stream, Node);
    for (PLazyNode child = Node->FirstChild; child; child = child->NextSibling) WriteNode(Stream, child);
    FinishChunkHeader(Stream, start, Integer(Stream->Position()));
  }

  Int64 userStart = Stream->Position();
  TChunkHeader header{UserChunk, 0};
  Stream->Write(&header, Integer(sizeof(header)));
  DoSaveUserData(Node, Stream);
  Int64 end = Stream->Position();
  if (end == userStart + Int64(ChunkHeaderSize)) {
    // Nothing written: the empty chunk goes again.
    Stream->Seek(userStart, soBeginning);
    if (Stream->Size() == end) Stream->SetSize(userStart);
  } else {
    FinishChunkHeader(Stream, Integer(userStart), Integer(end));
  }
}

// ---------------------------------------------------------------------------
// Reading

TBaseLazyTree_qn::TNodeLoad::TNodeLoad(TBaseLazyTree_qn* Tree)
    : FTree(Tree),
      FOuter(std::exchange(Tree->FLoadedSelection, &FSelected)),
      FFreedBefore(Tree->FNodePool.FreedCount()) {}

bool TBaseLazyTree_qn::TNodeLoad::HostFreedNodes() const {
  return FTree->FNodePool.FreedCount() - FFreedBefore != FFreedByLoad;
}

TBaseLazyTree_qn::TNodeLoad::~TNodeLoad() {
  if (FDone) return;
  FTree->FLoadedSelection = FOuter;
  // Nodes that never joined the selection do not leave it either. After a
  // handler deleted nodes, only the added nodes still alive are touched.
  const bool stale = HostFreedNodes();
  if (!stale)
    for (PLazyNode n : FSelected) n->States.Exclude(vsSelected);
  lazytrees_internal::TDeferredError err;
  for (size_t i = FAdded.size(); i-- > 0;)
    if (FAdded[i] && (!stale || FTree->IsLiveNode(FAdded[i]))) err.Run([&] { FTree->DeleteNode(FAdded[i], true); });
}

PLazyNode TBaseLazyTree_qn::TNodeLoad::Read(TStream* Stream, Integer Version, PLazyNode Target,
                                            TVTNodeAttachMode Mode) {
  // The slots come first: a node once connected is always taken back.
  FAdded.push_back(nullptr);
  FFirstSelected.push_back(FSelected.size());
  PLazyNode node = FTree->MakeNewNode();
  FTree->InternalConnectNode(node, Target, FTree, Mode);
  FAdded.back() = node;
  FTree->InternalAddFromStream(Stream, Version, node);
  return node;
}

void TBaseLazyTree_qn::TNodeLoad::DropLast() {
  PLazyNode node = FAdded.back();
  size_t first = FFirstSelected.back();
  if (!HostFreedNodes())
    for (size_t i = first; i < FSelected.size(); ++i) FSelected[i]->States.Exclude(vsSelected);
  FSelected.resize(first);
  FAdded.pop_back();
  FFirstSelected.pop_back();
  const UInt64 before = FTree->FNodePool.FreedCount();
  try {
    FTree->DeleteNode(node, true);
  } catch (...) {
    FFreedByLoad += FTree->FNodePool.FreedCount() - before;
    throw;
  }
  FFreedByLoad += FTree->FNodePool.FreedCount() - before;
}

void TBaseLazyTree_qn::TNodeLoad::Commit() {
  FDone = true;
  FTree->FLoadedSelection = FOuter;
  if (FSelected.empty()) return;
  if (HostFreedNodes()) {
    // Some of the nodes read may be gone: the selection takes every
    // selected node of the tree it does not hold yet.
    FSelected.clear();
    for (PLazyNode n = FTree->FRoot->FirstChild; n; n = FTree->GetNextNoInit(n)) {
      Integer index;
      if (n->States.Contains(vsSelected) && !FTree->FindNodeInSelection(n, index, -1, -1)) FSelected.push_back(n);
    }
    if (FSelected.empty()) return;
  }
  FTree->AddToSelection(FSelected, Integer(FSelected.size()), true);
}

namespace {
// Streams from version 2 on count their top-level nodes: one that ends
// before the count is reached was cut short. Older ones are read to their
// end.
void CheckRootCount(Cardinal Version, Cardinal Left) {
  if (Version >= 2 && Left > 0) RaiseStreamError(SCorruptStream1, hcTFECorruptStream1);
}
}  // namespace

void TBaseLazyTree_qn::LoadFromStream(TStream* Stream) {
  if (FOptions->MiscOptions().Contains(toReadOnly)) return;
  Clear();
  Byte header[12];
  if (Stream->Read(header, Integer(sizeof(header))) < Integer(sizeof(header)))
    RaiseStreamError(SStreamTooSmall, hcTFEStreamTooSmall);
  Cardinal version;
  if (!MagicMatches(header, version)) RaiseStreamError(SWrongStreamFormat, hcTFEWrongStreamFormat);
  if (version > Cardinal(StreamVersion)) RaiseStreamError(SWrongStreamVersion, hcTFEWrongStreamVersion);
  BeginUpdate();
  try {
    InterruptValidation();
    {
      // A load that fails leaves the tree empty, as it found it.
      TNodeLoad load(this);
      Cardinal count = 0x7FFFFFFF;
      if (version >= 2) Stream->ReadBufferData(count);
      for (; count > 0 && Stream->Position() < Stream->Size(); --count)
        load.Read(Stream, Integer(version), FRoot, amAddChildLast);
      CheckRootCount(version, count);
      load.Commit();
    }
    DoNodeCopied(nullptr);
    if (Assigned(OnLoadTree)) OnLoadTree(this, Stream);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TBaseLazyTree_qn::LoadFromFile(const String& FileName) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TBaseLazyTree_qn::AddFromStream(TStream* Stream, PLazyNode TargetNode) {
  if (FOptions->MiscOptions().Contains(toReadOnly)) return;
  if (!TargetNode) TargetNode = FRoot;
  Byte header[12];
  Stream->ReadBuffer(header, Integer(sizeof(header)));
  Cardinal version;
  if (!MagicMatches(header, version) || version > Cardinal(StreamVersion))
    RaiseStreamError(SWrongStreamVersion, hcTFEWrongStreamVersion);
  BeginUpdate();
  try {
    // The nodes join after the target's own children, which therefore
    // must exist first.
    if (TargetNode != FRoot) {
      if (!TargetNode->States.Contains(vsInitialized)) InitNode(TargetNode);
      if (TargetNode->States.Contains(vsHasChildren) && TargetNode->ChildCount == 0) InitChildren(TargetNode);
    }
    InterruptValidation();
    {
      // Bad data adds nothing: the nodes read so far go again.
      TNodeLoad load(this);
      Cardinal count = 0x7FFFFFFF;
      if (version >= 2) Stream->ReadBufferData(count);
      for (; count > 0 && Stream->Position() < Stream->Size(); --count)
        load.Read(Stream, Integer(version), TargetNode, amAddChildLast);
      CheckRootCount(version, count);
      load.Commit();
    }
    DoNodeCopied(TargetNode == FRoot ? nullptr : TargetNode);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TBaseLazyTree_qn::InternalAddFromStream(TStream* Stream, Integer Version, PLazyNode Node) {
  TreeAssert(Node != nullptr && Node != FRoot, SCannotLoadRoot);
  PLazyNode parent = Node->Parent;
  // What the connected node already added to its parent and to the
  // visible count.
  Cardinal count0 = Node->TotalCount;
  Integer height0 =
      parent->States.Contains(vsExpanded) && Node->States.Contains(vsVisible) ? Integer(Node->TotalHeight) : 0;
  Integer visible0 = 0;
  if (GetFullyVisible(Node)) visible0 = Integer(CountVisibleChildren(Node) + (GetEffectivelyVisible(Node) ? 1 : 0));

  std::exception_ptr error;
  try {
    // Nothing may look at positions while the totals are not settled yet
    // (a caption read repaints its node outside a batch).
    lazytrees_internal::TUpdateCountGuard batch(FUpdateCount);
    ReadNode(Stream, Version, Node);
  } catch (...) {
    error = std::current_exception();
  }

  // Whatever was linked, complete or not, is settled before an error goes
  // on: the subtree in breadth-first order, so that a node's children are
  // a run of the list and every child comes after its parent.
  std::vector<PLazyNode> nodes{Node};
  std::vector<size_t> firstChild;
  for (size_t i = 0; i < nodes.size(); ++i) {
    firstChild.push_back(nodes.size());
    for (PLazyNode c = nodes[i]->FirstChild; c; c = c->NextSibling) nodes.push_back(c);
  }
  // The rows each node shows below itself while shown, children first.
  std::vector<Cardinal> rowsBelow(nodes.size(), 0);
  for (size_t i = nodes.size(); i-- > 0;) {
    PLazyNode n = nodes[i];
    if (n->ChildCount == 0) n->States.Exclude(vsExpanded);
    bool expanded = n->States.Contains(vsExpanded);
    Cardinal total = 1, height = OwnRowHeight(n), rows = 0;
    bool anyShown = false;
    size_t k = firstChild[i];
    for (PLazyNode c = n->FirstChild; c; c = c->NextSibling, ++k) {
      total += c->TotalCount;
      bool shown = GetEffectivelyVisible(c);
      anyShown = anyShown || shown;
      if (expanded && c->States.Contains(vsVisible)) {
        height += c->TotalHeight;
        rows += rowsBelow[k] + (shown ? 1 : 0);
      }
    }
    n->TotalCount = total;
    n->TotalHeight = height;
    rowsBelow[i] = rows;
    if (n->ChildCount > 0 ? !anyShown : !n->States.Contains(vsHasChildren)) n->States.Include(vsAllChildrenHidden);
    else n->States.Exclude(vsAllChildrenHidden);
  }
  AdjustTotalCount(parent, Integer(Node->TotalCount - count0), true);
  Integer height1 =
      parent->States.Contains(vsExpanded) && Node->States.Contains(vsVisible) ? Integer(Node->TotalHeight) : 0;
  if (height1 != height0) AdjustTotalHeight(parent, height1 - height0, true);
  Integer visible1 = 0;
  if (GetFullyVisible(Node)) visible1 = Integer(rowsBelow[0] + (GetEffectivelyVisible(Node) ? 1 : 0));
  FVisibleCount = Cardinal(Integer(FVisibleCount) + visible1 - visible0);
  if (parent != FRoot) DetermineHiddenChildrenFlag(parent);

  if (FOptions->SelectionOptions().Contains(toMultiSelect) && FLoadedSelection) {
    for (PLazyNode n : nodes) {
      Integer index;
      if (n->States.Contains(vsSelected) && !FindNodeInSelection(n, index, -1, -1)) FLoadedSelection->push_back(n);
    }
  } else if (FOptions->SelectionOptions().Contains(toMultiSelect)) {
    ClearTempCache();
    for (PLazyNode n : nodes) {
      Integer index;
      if (n->States.Contains(vsSelected) && !FindNodeInSelection(n, index, -1, -1)) InternalCacheNode(n);
    }
    if (FTempNodeCount > 0) {
      TNodeArray cache(FTempNodeCache.begin(), FTempNodeCache.begin() + FTempNodeCount);
      ClearTempCache();
      try {
        AddToSelection(cache, Integer(cache.size()), true);
      } catch (...) {
        if (!error) error = std::current_exception();
      }
    }
  } else {
    for (PLazyNode n : nodes) n->States.Exclude(vsSelected);
  }
  if (error) std::rethrow_exception(error);
}

void TBaseLazyTree_qn::ReadNode(TStream* Stream, Integer Version, PLazyNode Node) {
  TNodeStreamReader reader;
  TNodeStreamReader* outer = std::exchange(FStreamReader, &reader);
  struct TRestore {
    TNodeStreamReader*& Slot;
    TNodeStreamReader* Value;
    ~TRestore() { Slot = Value; }
  } restore{FStreamReader, outer};

  Int64 size = Stream->Size();
  Int64 pos = Stream->Position();
  TChunkHeader header;
  if (size - pos < Int64(ChunkHeaderSize) || Stream->Read(&header, Integer(sizeof(header))) < Integer(sizeof(header)) ||
      header.ChunkType != NodeChunk)
    RaiseStreamError(SCorruptStream1, hcTFECorruptStream1);
  pos += ChunkHeaderSize;
  if (header.ChunkSize < 0 || header.ChunkSize > size - pos) RaiseStreamError(SCorruptStream2, hcTFECorruptStream2);

  struct TFrame {
    PLazyNode Node;
    Int64 End;
    Cardinal ChildrenLeft;
  };
  std::vector<TFrame> stack{TFrame{Node, pos + header.ChunkSize, 0}};
  while (!stack.empty()) {
    TFrame& f = stack.back();
    if (f.ChildrenLeft > 0) {
      // The next child's anchor chunk must lie inside this node's chunk.
      if (f.End - pos < Int64(ChunkHeaderSize) ||
          Stream->Read(&header, Integer(sizeof(header))) < Integer(sizeof(header)) || header.ChunkType != NodeChunk)
        RaiseStreamError(SCorruptStream1, hcTFECorruptStream1);
      pos += ChunkHeaderSize;
      if (header.ChunkSize < 0 || header.ChunkSize > f.End - pos)
        RaiseStreamError(SCorruptStream2, hcTFECorruptStream2);
      // No limit on the depth: every level takes at least a node chunk
      // header and a base chunk of the stream, so a stream of any shape
      // holds no more levels than it holds nodes, and the stack costs no
      // more than the nodes themselves.
      --f.ChildrenLeft;
      PLazyNode parent = f.Node;
      PLazyNode child = MakeNewNode();
      child->PrevSibling = parent->LastChild;
      if (parent->LastChild) {
        child->Index = parent->LastChild->Index + 1;
        parent->LastChild->NextSibling = child;
      } else {
        parent->FirstChild = child;
      }
      parent->LastChild = child;
      child->Parent = parent;
      ++parent->ChildCount;
      stack.push_back(TFrame{child, pos + header.ChunkSize, 0});
      continue;
    }
    if (pos < f.End) {
      if (f.End - pos < Int64(ChunkHeaderSize) ||
          Stream->Read(&header, Integer(sizeof(header))) < Integer(sizeof(header)))
        RaiseStreamError(SCorruptStream2, hcTFECorruptStream2);
      pos += ChunkHeaderSize;
      if (header.ChunkSize < 0 || header.ChunkSize > f.End - pos)
        RaiseStreamError(SCorruptStream2, hcTFECorruptStream2);
      reader.PendingChildren = 0;
      PLazyNode node = f.Node;
      Int64 bodyStart = pos;
      ReadChunk(Stream, Version, node, header.ChunkType, header.ChunkSize);
      // The handler may have grown the stack's storage: f is not used again.
      stack.back().ChildrenLeft = reader.PendingChildren;
      pos = Stream->Position();
      if (header.ChunkType != BaseChunk && pos != bodyStart + header.ChunkSize) {
        // Whatever a descendant's reader left, the next chunk starts after
        // this one: reading always moves on.
        pos = bodyStart + header.ChunkSize;
        Stream->Seek(pos, soBeginning);
      }
      if (pos < bodyStart || pos > stack.back().End) RaiseStreamError(SCorruptStream2, hcTFECorruptStream2);
      continue;
    }
    if (pos != f.End) RaiseStreamError(SCorruptStream2, hcTFECorruptStream2);
    stack.pop_back();
  }
}

bool TBaseLazyTree_qn::ReadChunk(TStream* Stream, Integer Version, PLazyNode Node, Integer ChunkType,
                                 Integer ChunkSize) {
  switch (ChunkType) {
    case BaseChunk: {
      Cardinal bodySize = Version > 1 ? BaseBodySize : OldBaseBodySize;
      Byte body[BaseBodySize] = {};
      if (ChunkSize < Integer(bodySize) || Stream->Read(body, Integer(bodySize)) < Integer(bodySize))
        RaiseStreamError(SCorruptStream2, hcTFECorruptStream2);
      Cardinal childCount = GetCardinal(body);
      Cardinal height = GetCardinal(body + 4);
      Word states;
      Byte align, checkState, checkType;
      if (Version > 1) {
        std::memcpy(&states, body + 8, 2);
        align = body[10];
        checkState = body[11];
        checkType = body[12];
      } else {
        // Bit 7 meant selected then, and every node was visible.
        states = body[8];
        if (states & 0x80) states = Word(states | 0x100);
        else states = Word(states | 0x80);
        align = body[9];
        checkState = body[10];
        checkType = body[11];
      }
      Node->States = TLazyNodeStates::FromBits(Word(states & ~TransientStates));
      Node->NodeHeight = Word(height);
      Node->TotalHeight = Node->NodeHeight;
      Node->Align = align <= 100 ? align : 100;
      // Values no tree writes would index past the check image tables.
      Node->CheckState = checkState <= Byte(csMixedPressed) ? TCheckState(checkState) : csUncheckedNormal;
      Node->CheckType = checkType <= Byte(ctButton) ? TCheckType(checkType) : ctNone;
      if (FStreamReader) {
        FStreamReader->PendingChildren = childCount;
      } else {
        for (; childCount > 0; --childCount) {
          PLazyNode child = MakeNewNode();
          child->PrevSibling = Node->LastChild;
          if (Node->LastChild) {
            child->Index = Node->LastChild->Index + 1;
            Node->LastChild->NextSibling = child;
          } else {
            Node->FirstChild = child;
          }
          Node->LastChild = child;
          child->Parent = Node;
          ++Node->ChildCount;
          ReadNode(Stream, Version, child);
        }
      }
      return true;
    }
    case UserChunk: {
      if (ChunkSize <= 0) return true;
      Int64 start = Stream->Position();
      DoLoadUserData(Node, Stream);
      Int64 end = Stream->Position();
      bool result = end > start;
      // Data the host took over needs its OnFreeNode even if the node was
      // never initialized.
      if (result) Node->States.Include(vsOnFreeNodeCallRequired);
      if (end != start + ChunkSize) Stream->Seek(start + ChunkSize, soBeginning);
      return result;
    }
    default:
      Stream->Seek(ChunkSize, soCurrent);
      return false;
  }
}

void TBaseLazyTree_qn::SkipNode(TStream* Stream) {
  TChunkHeader header;
  Int64 left = Stream->Size() - Stream->Position();
  if (left < Int64(ChunkHeaderSize) || Stream->Read(&header, Integer(sizeof(header))) < Integer(sizeof(header)) ||
      header.ChunkType != NodeChunk)
    RaiseStreamError(SCorruptStream1, hcTFECorruptStream1);
  if (header.ChunkSize < 0 || header.ChunkSize > left - Int64(ChunkHeaderSize))
    RaiseStreamError(SCorruptStream2, hcTFECorruptStream2);
  Stream->Seek(header.ChunkSize, soCurrent);
}

// ---------------------------------------------------------------------------
// The string tree's caption chunk

void TCustomLazyStringTree_qn::WriteChunks(TStream* Stream, PLazyNode Node) {
  inherited::WriteChunks(Stream, Node);
  if (!TreeOptions()->StringOptions().Contains(toSaveCaptions) || Node == FRoot ||
      !Node->States.Contains(vsInitialized))
    return;
  String text = GetText(Node, HeaderMainColumn());
  if (text.empty()) return;
  TChunkHeader header{CaptionChunk, Integer(2 * text.size())};
  Stream->Write(&header, Integer(sizeof(header)));
  Stream->Write(text.c_str(), header.ChunkSize);
}

bool TCustomLazyStringTree_qn::ReadChunk(TStream* Stream, Integer Version, PLazyNode Node, Integer ChunkType,
                                         Integer ChunkSize) {
  if (ChunkType != CaptionChunk) return inherited::ReadChunk(Stream, Version, Node, ChunkType, ChunkSize);
  String text;
  if (ChunkSize > 1) {
    // An odd last byte belongs to no character and is skipped.
    Int64 start = Stream->Position();
    Integer chars = ChunkSize / 2;
    text.assign(size_t(chars), u'\0');
    Integer got = Stream->Read(text.data(), chars * 2);
    text.resize(size_t(std::max(got, 0) / 2));
    Stream->Seek(start + ChunkSize, soBeginning);
  } else if (ChunkSize == 1) {
    Stream->Seek(1, soCurrent);
  }
  SetText(Node, HeaderMainColumn(), text);
  return true;
}

}  // namespace qn
