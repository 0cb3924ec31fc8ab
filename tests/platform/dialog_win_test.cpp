// Dialogs and self-drawing controls driven as a user would: a timer types into the dialog and
// clicks its buttons while the modal run waits, and the values come back to the caller.
#include "platform/dialog_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/control_win.h"
#include "platform/window_win.h"
#include "platform_test_resources.h"
#include "tests/support/pump_win.h"

namespace karvo::platform {
namespace {

// Draws itself and counts what its parent handed to it.
class DrawnButton final : public SubclassedControl {
 public:
  int Drawn = 0;
  int IdSeen = 0;

 protected:
  bool OnDrawItem(const DRAWITEMSTRUCT& item) override {
    if (item.hwndItem != m_hwnd) return false;
    ++Drawn;
    IdSeen = static_cast<int>(item.CtlID);
    ::FillRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    return true;
  }
};

// The shape of a dialog that collects values: the caller sets them, runs it, reads them back.
class NameDialog final : public Dialog {
 public:
  std::wstring Name;
  bool Remember = false;
  DrawnButton Button;

 protected:
  bool OnInit() override {
    ::SetDlgItemTextW(m_hwnd, IDC_NAME_EDIT, Name.c_str());
    return Button.Attach(Item(IDC_DRAWN_BUTTON));
  }
  void OnOk() override {
    wchar_t text[64] = {};
    ::GetDlgItemTextW(m_hwnd, IDC_NAME_EDIT, text, 64);
    Name = text;
    Remember = ::IsDlgButtonChecked(m_hwnd, IDC_REMEMBER_CHECK) == BST_CHECKED;
    EndDialog(IDOK);
  }
};

// What the user does once the dialog is up, from a timer of the modal loop's thread.
std::function<void(HWND)> g_user;

void CALLBACK UserTimer(HWND, UINT, UINT_PTR id, DWORD) {
  HWND dialog = ::FindWindowW(L"#32770", L"Karvo test dialog");
  if (!dialog || !g_user) return;
  ::KillTimer(nullptr, id);
  g_user(dialog);
}

INT_PTR RunWithUser(NameDialog& dialog, std::function<void(HWND)> user) {
  g_user = std::move(user);
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &UserTimer);
  const INT_PTR result = dialog.RunModal(nullptr, IDD_NAME_DIALOG);
  ::KillTimer(nullptr, timer);
  g_user = nullptr;
  return result;
}

TEST(DialogBase, ModalRunReturnsTheValuesTheUserEntered) {
  NameDialog dialog;
  dialog.Name = L"old";
  const INT_PTR result = RunWithUser(dialog, [](HWND hwnd) {
    ::SetDlgItemTextW(hwnd, IDC_NAME_EDIT, L"Racing \u00C4");
    ::SendMessageW(::GetDlgItem(hwnd, IDC_REMEMBER_CHECK), BM_CLICK, 0, 0);
    ::PostMessageW(::GetDlgItem(hwnd, IDOK), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(dialog.Name, L"Racing \u00C4");
  EXPECT_TRUE(dialog.Remember);
  EXPECT_EQ(dialog.Hwnd(), nullptr);
  // The owner-drawn button drew itself: its parent reflected WM_DRAWITEM to its object.
  EXPECT_GT(dialog.Button.Drawn, 0);
  EXPECT_EQ(dialog.Button.IdSeen, IDC_DRAWN_BUTTON);
}

TEST(DialogBase, EscapeAndTheCloseBoxCancelAndKeepTheCallersValues) {
  const struct {
    const char* how;
    std::function<void(HWND)> cancel;
  } cases[] = {
      {"Escape",
       [](HWND hwnd) {
         HWND edit = ::GetDlgItem(hwnd, IDC_NAME_EDIT);
         ::SetFocus(edit);
         ::PostMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
       }},
      {"close box", [](HWND hwnd) { ::PostMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0); }},
  };
  for (const auto& c : cases) {
    NameDialog dialog;
    dialog.Name = L"kept";
    const INT_PTR result = RunWithUser(dialog, [&](HWND hwnd) {
      ::SetDlgItemTextW(hwnd, IDC_NAME_EDIT, L"typed");
      c.cancel(hwnd);
    });
    EXPECT_EQ(result, IDCANCEL) << c.how;
    EXPECT_EQ(dialog.Name, L"kept") << c.how;
    EXPECT_FALSE(dialog.Remember) << c.how;
  }
}

TEST(DialogBase, ModelessDialogEndsByDestroyingItself) {
  NameDialog dialog;
  ASSERT_TRUE(dialog.CreateModeless(nullptr, IDD_NAME_DIALOG));
  HWND hwnd = dialog.Hwnd();
  ASSERT_NE(hwnd, nullptr);
  ::SetDlgItemTextW(hwnd, IDC_NAME_EDIT, L"modeless");
  ::SendMessageW(::GetDlgItem(hwnd, IDOK), BM_CLICK, 0, 0);
  EXPECT_FALSE(::IsWindow(hwnd));
  EXPECT_EQ(dialog.Hwnd(), nullptr);
  EXPECT_EQ(dialog.Name, L"modeless");
}

// A plain window as the parent: a drawn child answers WM_DRAWITEM itself, the parent still
// hears the click, and a message naming a window that is not its child is not handed on.
class ParentWindow final : public Window {
 public:
  std::vector<UINT> Seen;
  int Clicks = 0;
  bool Create() {
    return Window::Create(::GetModuleHandleW(nullptr), {.Name = "KarvoReflectParent"}, "parent",
                          {.Style = WS_POPUP | WS_VISIBLE, .Width = 200, .Height = 100});
  }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    Seen.push_back(message);
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) ++Clicks;
    return DefaultProc(message, wParam, lParam);
  }
};

// An owner-drawn button with id 7 on a parent window that notes what it is sent.
class ButtonReflection : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(parent.Create());
    ASSERT_TRUE(button.Create(parent.Hwnd(), L"BUTTON", "", WS_VISIBLE | BS_OWNERDRAW,
                              RECT{10, 10, 90, 40}, 7));
  }
  ParentWindow parent;
  DrawnButton button;
};

TEST_F(ButtonReflection, DrawItemReachesTheControlAndNotificationsStillReachTheParent) {
  ::RedrawWindow(button.Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  testing::Pump(50);
  EXPECT_GT(button.Drawn, 0);
  EXPECT_EQ(button.IdSeen, 7);
  EXPECT_EQ(std::count(parent.Seen.begin(), parent.Seen.end(), static_cast<UINT>(WM_DRAWITEM)), 0);

  ::SendMessageW(button.Hwnd(), BM_CLICK, 0, 0);
  EXPECT_EQ(parent.Clicks, 1);

  // The item names a window outside the parent: the parent handles it as its own.
  const int drawn = button.Drawn;
  DRAWITEMSTRUCT forged{};
  forged.CtlType = ODT_BUTTON;
  forged.CtlID = 7;
  forged.hwndItem = ::GetDesktopWindow();
  ::SendMessageW(parent.Hwnd(), WM_DRAWITEM, 7, reinterpret_cast<LPARAM>(&forged));
  EXPECT_EQ(button.Drawn, drawn);
  EXPECT_EQ(std::count(parent.Seen.begin(), parent.Seen.end(), static_cast<UINT>(WM_DRAWITEM)), 1);
}

// The system hands WM_NOTIFY's pointer over unchanged, even from another process, where it
// points at nothing of ours: an address reserved with no access stands for one.
TEST_F(ButtonReflection, NotificationSentFromAnotherThreadIsNotReadAsOurs) {
  void* foreign = ::VirtualAlloc(nullptr, 4096, MEM_RESERVE, PAGE_NOACCESS);
  ASSERT_NE(foreign, nullptr);
  std::atomic<bool> answered = false;
  std::thread sender([&] {
    DWORD_PTR result = 0;
    answered = ::SendMessageTimeoutW(parent.Hwnd(), WM_NOTIFY, 7, reinterpret_cast<LPARAM>(foreign),
                                     SMTO_NORMAL, 10000, &result) != 0;
  });
  EXPECT_TRUE(testing::PumpUntil([&] { return answered.load(); }, 20000));
  sender.join();
  EXPECT_EQ(std::count(parent.Seen.begin(), parent.Seen.end(), static_cast<UINT>(WM_NOTIFY)), 1);
  ::VirtualFree(foreign, 0, MEM_RELEASE);
}

// The reflected message's name is known to every process, which may post it to a control with
// any wParam: only a call the parent is making is taken.
TEST_F(ButtonReflection, APostedReflectedCallIsNotTaken) {
  testing::Pump(50);
  void* foreign = ::VirtualAlloc(nullptr, 4096, MEM_RESERVE, PAGE_NOACCESS);
  ASSERT_NE(foreign, nullptr);
  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_BUTTON;
  item.CtlID = 7;
  item.hwndItem = button.Hwnd();
  ReflectedCall forged{WM_DRAWITEM, 7, reinterpret_cast<LPARAM>(&item), 0, false};
  for (void* call : {static_cast<void*>(&forged), foreign}) {
    const int drawn = button.Drawn;
    ASSERT_TRUE(
        ::PostMessageW(button.Hwnd(), ReflectedMessage(), reinterpret_cast<WPARAM>(call), 0));
    testing::Pump(50);
    EXPECT_EQ(button.Drawn, drawn);
  }
  EXPECT_FALSE(forged.Handled);
  ::VirtualFree(foreign, 0, MEM_RELEASE);
}

class CountingItem final : public MenuItemDrawer {
 public:
  int Measured = 0;
  int Drawn = 0;
  void MeasureItem(MEASUREITEMSTRUCT& item) override {
    ++Measured;
    item.itemWidth = 80;
    item.itemHeight = 20;
  }
  void DrawItem(const DRAWITEMSTRUCT&) override { ++Drawn; }
};

void CALLBACK CloseMenu(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  ::EndMenu();
}

TEST(Reflection, OwnerDrawnMenuItemsReachTheObjectTheirDataNames) {
  ParentWindow owner;
  ASSERT_TRUE(owner.Create());
  CountingItem item;
  HMENU menu = ::CreatePopupMenu();
  ASSERT_TRUE(::AppendMenuW(menu, MF_OWNERDRAW, 100, reinterpret_cast<LPCWSTR>(item.ItemData())));
  ::SetForegroundWindow(owner.Hwnd());
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 300, &CloseMenu);
  ::TrackPopupMenu(menu, TPM_LEFTALIGN, 20, 20, 0, owner.Hwnd(), nullptr);
  ::KillTimer(nullptr, timer);
  EXPECT_GT(item.Measured, 0);
  EXPECT_GT(item.Drawn, 0);

  // An item data that the named menu does not hold is not followed.
  const int drawn = item.Drawn;
  HMENU other = ::CreatePopupMenu();
  ASSERT_TRUE(::AppendMenuW(other, MF_STRING, 100, L"plain"));
  DRAWITEMSTRUCT forged{};
  forged.CtlType = ODT_MENU;
  forged.itemID = 100;
  forged.itemData = item.ItemData();
  forged.hwndItem = reinterpret_cast<HWND>(other);
  ::SendMessageW(owner.Hwnd(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&forged));
  EXPECT_EQ(item.Drawn, drawn);
  ::DestroyMenu(other);
  ::DestroyMenu(menu);
}

}  // namespace
}  // namespace karvo::platform
