#include <memory>
#include <vector>

#include "platform/user/Notify.h"
#include "tests/platform/vcl/FormsTestSupport.h"

namespace t_native_controls_test {

using namespace vcl;
using namespace formstest;

namespace {

// A native class that measures its item with its parent while it is being
// created, as an owner-drawn list does.
LRESULT ProbeProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CREATE) {
    MEASUREITEMSTRUCT mi;
    mi.CtlType = ODT_LISTBOX;
    mi.CtlID = UINT(GetDlgCtrlID(h));
    mi.itemHeight = 0;
    SendMessageW(GetParent(h), WM_MEASUREITEM, mi.CtlID, reinterpret_cast<LPARAM>(&mi));
    // What the control answered is what the native side sees.
    SetWindowLongPtrW(h, GWLP_USERDATA, LONG_PTR(mi.itemHeight));
  }
  return DefWindowProcW(h, msg, wp, lp);
}

const Char* ProbeClass() {
  static bool done = [] {
    WNDCLASSEXW wc;
    wc.lpfnWndProc = ProbeProc;
    wc.lpszClassName = u"QnOwnerDrawProbe";
    RegisterClassExW(&wc);
    return true;
  }();
  (void)done;
  return u"QnOwnerDrawProbe";
}

// A control over the probe class that logs the reflected notifications.
class TProbe : public TWinControl {
  QN_CLASS(TProbe, TWinControl)
 public:
  explicit TProbe(TComponent* AOwner) : TWinControl(AOwner) {}
  std::vector<UINT> Seen;
  UINT MeasuredId = 0;
  void Dispatch(TMessage& Message) override {
    switch (Message.Msg) {
      case CN_MEASUREITEM: {
        auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
        MeasuredId = mi->CtlID;
        mi->itemHeight = 17;
        Seen.push_back(Message.Msg);
        return;
      }
      case CN_NOTIFY:
      case CN_DRAWITEM:
      case CN_DELETEITEM:
      case CN_COMPAREITEM:
      case CN_COMMAND:
        Seen.push_back(Message.Msg);
        Message.Result = 5;
        return;
      default: break;
    }
    inherited::Dispatch(Message);
  }

 protected:
  void CreateParams(TCreateParams& Params) override {
    inherited::CreateParams(Params);
    CreateSubClass(Params, ProbeClass());
  }
};

class Platform_NativeControls : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    Form.reset(new TForm(nullptr));
    Form->SetBounds(50, 50, 300, 200);
    Probe = new TProbe(Form.get());
    Probe->SetParent(Form.get());
    Probe->SetBounds(10, 10, 100, 60);
  }
  void TearDown() override {
    Form.reset();
    FormsTest::TearDown();
  }
  std::unique_ptr<TForm> Form;
  TProbe* Probe = nullptr;
};

TEST_F(Platform_NativeControls, AMeasureDuringCreationFindsItsControl) {
  Form->Show();
  HWND h = Probe->Handle();
  ASSERT_EQ(Probe->Seen, std::vector<UINT>{CN_MEASUREITEM});
  EXPECT_NE(Probe->MeasuredId, 0u);
  EXPECT_EQ(Probe->MeasuredId, UINT(GetDlgCtrlID(h)));
  EXPECT_EQ(GetWindowLongPtrW(h, GWLP_USERDATA), 17);
  // Siblings get ids of their own.
  auto* other = new TProbe(Form.get());
  other->SetParent(Form.get());
  other->HandleNeeded();
  EXPECT_NE(GetDlgCtrlID(other->Handle()), GetDlgCtrlID(h));
  EXPECT_EQ(GetDlgItem(Form->Handle(), GetDlgCtrlID(other->Handle())), other->Handle());
}

TEST_F(Platform_NativeControls, NotificationsGoBackToTheirControl) {
  Form->Show();
  HWND h = Probe->Handle();
  Probe->Seen.clear();
  NMHDR nm;
  nm.code = 42;
  EXPECT_EQ(SendNotify(h, nm), 5);
  EXPECT_EQ(nm.hwndFrom, h);
  EXPECT_EQ(nm.idFrom, UINT_PTR(GetDlgCtrlID(h)));
  EXPECT_EQ(SendCommandNotify(h, 0x300), 5);
  DRAWITEMSTRUCT di;
  di.CtlType = ODT_LISTBOX;
  di.hwndItem = h;
  EXPECT_EQ(SendMessageW(Form->Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&di)), 5);
  // A menu's drawing is the window's own business.
  di.CtlType = ODT_MENU;
  EXPECT_EQ(SendMessageW(Form->Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&di)), 0);
  DELETEITEMSTRUCT del;
  del.hwndItem = h;
  SendMessageW(Form->Handle(), WM_DELETEITEM, 0, reinterpret_cast<LPARAM>(&del));
  COMPAREITEMSTRUCT cmp;
  cmp.hwndItem = h;
  SendMessageW(Form->Handle(), WM_COMPAREITEM, 0, reinterpret_cast<LPARAM>(&cmp));
  // A notification naming no control of ours is left alone.
  NMHDR stray;
  stray.hwndFrom = Form->Handle();
  EXPECT_EQ(SendMessageW(Form->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&stray)), 0);
  EXPECT_EQ(Probe->Seen, (std::vector<UINT>{CN_NOTIFY, CN_COMMAND, CN_DRAWITEM, CN_DELETEITEM, CN_COMPAREITEM}));
}

TEST_F(Platform_NativeControls, ControlColoursComeFromFontAndBrush) {
  Form->Show();
  Probe->Font()->SetColor(clRed);
  Probe->Brush()->SetColor(clYellow);
  HDC dc = GetDC(Probe->Handle());
  for (UINT msg : {WM_CTLCOLOREDIT, WM_CTLCOLORSTATIC, WM_CTLCOLORLISTBOX}) {
    SetTextColor(dc, 0);
    SetBkColor(dc, 0);
    LRESULT r = SendMessageW(Form->Handle(), msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(Probe->Handle()));
    EXPECT_EQ(r, reinterpret_cast<LRESULT>(Probe->Brush()->Handle()));
    EXPECT_EQ(GetTextColor(dc), RGB(255, 0, 0));
    EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 0));
  }
  ReleaseDC(Probe->Handle(), dc);
}

}  // namespace

}  // namespace t_native_controls_test
