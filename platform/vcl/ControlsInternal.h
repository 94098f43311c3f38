// Host-internal state of the Controls unit, shared by its source files.
#pragma once

#include <functional>
#include <mutex>
#include <set>
#include <unordered_map>
#include <vector>

#include "platform/vcl/Controls.h"

namespace vcl::controls_detail {

struct TState {
  std::mutex Lock;  // guards Windows
  std::unordered_map<HWND, TWinControl*> Windows;
  TControl* CaptureControl = nullptr;  // a windowless control holding the capture
  TControl* MouseControl = nullptr;    // the hovered control
  std::vector<TControlCanvas*> Canvases;
  std::function<void(TObject*)> HandleException;
  std::function<bool(TCursor)> CursorHandler;
  std::function<void(TControl*, TMessage&)> HintMouseHandler;
  std::set<String> Classes;  // window classes registered for controls
  Integer MessageDepth = 0;
};

TState& State();
void RegisterHandle(HWND h, TWinControl* c);
void UnregisterHandle(HWND h);
TWinControl* LookUp(HWND h);
void ControlDestroyed(TControl* c);
void SetMouseControl(TControl* Control);
void TrackMouseAt(const TPoint& ScreenPos);
void UnregisterControlClasses();
// The drag manager's part (Controls_Drag.cpp): forgetting controls and
// image lists that go, the keys of a running drag, and the unit's end.
void DragControlDestroyed(TControl* c);
void DragImagesDestroyed(TDragImageList* Images);
bool DragKeyMessage(TMessage& Message);
void DoneDragManager();

}  // namespace vcl::controls_detail
