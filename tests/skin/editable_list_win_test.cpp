// The editable list as the macro manager's user meets it: names typed into new lines,
// a pause edited in place, Enter, Escape and clicks, and what its owner is told.
#include "skin/editable_list_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/window_win.h"
#include "tests/support/input_win.h"
#include "tests/support/pump_win.h"
#include "tests/support/screen_win.h"

namespace karvo::skin {
namespace {

using karvo::testing::PumpUntil;

constexpr DWORD kBoundMs = 10000;
constexpr COLORREF kListBackground = RGB(90, 106, 120);
constexpr RECT kListRect{20, 20, 125, 293};

// The list's owner: records what the list tells it.
class ListOwner : public platform::Window {
 public:
  bool Create() {
    platform::WindowClass windowClass{"KarvoListTestOwner"};
    windowClass.Cursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    return Window::Create(::GetModuleHandleW(nullptr), windowClass, "list owner",
                          {WS_POPUP | WS_VISIBLE, 0, 300, 100, 160, 320}) &&
           ::SetForegroundWindow(m_hwnd);
  }
  std::vector<std::pair<UINT, WPARAM>> Told;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == kMsgListCommitted || message == kMsgListRightButton) {
      Told.emplace_back(message, wParam);
    }
    return DefaultProc(message, wParam, lParam);
  }
};

// Lower-case letters, digits and blanks typed key by key, then `last`.
bool Type(const std::string& text, WORD last = 0) {
  for (char c : text) {
    const WORD key = c >= 'a' && c <= 'z' ? static_cast<WORD>(c - 'a' + 'A') : static_cast<WORD>(c);
    if (!karvo::testing::TapKey(key)) return false;
  }
  return last == 0 || karvo::testing::TapKey(last);
}

bool Click(POINT at, DWORD down, DWORD up) {
  INPUT buttons[2] = {};
  buttons[0].type = buttons[1].type = INPUT_MOUSE;
  buttons[0].mi.dwFlags = down;
  buttons[1].mi.dwFlags = up;
  return karvo::testing::MoveMouse(at) && ::SendInput(2, buttons, sizeof(INPUT)) == 2;
}

class EditableListWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_owner.Create());
    ASSERT_TRUE(m_list.Create(m_owner.Hwnd(), kListRect, 4096));
    m_list.SetColours(kListBackground, RGB(255, 255, 255));
    m_list.AddLine("alpha", 0x00010000 | 231);
    m_list.AddLine("150 ms", 0x00020000 | 229);
    m_list.AddLine("gamma", 0);
  }

  // Types into the open edit box, ends with `last` and waits until the box has closed.
  void TypeAndClose(const std::string& text, WORD last) {
    ASSERT_NE(m_list.EditBox(), nullptr);
    ASSERT_EQ(::GetFocus(), m_list.EditBox());
    ASSERT_TRUE(Type(text, last));
    ASSERT_TRUE(PumpUntil([&] { return m_list.EditBox() == nullptr; }, kBoundMs));
    karvo::testing::Pump(50);  // a 1524 posted at the close arrives
  }

  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const ListLine& line : m_list.Model().Lines()) texts.push_back(line.Text);
    return texts;
  }

  RECT LineOnScreen(int index) {
    RECT line{};
    ::SendMessageW(m_list.Hwnd(), LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&line));
    ::MapWindowPoints(m_list.Hwnd(), nullptr, reinterpret_cast<POINT*>(&line), 2);
    return line;
  }

  ListOwner m_owner;
  EditableList m_list;
};

TEST_F(EditableListWinTest, TypedEditsCommitTrimmedAndBlanksLettersAndEscapeLeaveNothing) {
  using Told = std::vector<std::pair<UINT, WPARAM>>;
  // A new name, trimmed, told with its line.
  ASSERT_TRUE(m_list.BeginNewEntry());
  EXPECT_FALSE(m_list.BeginNewEntry()) << "one edit at a time";
  TypeAndClose("  sprint  ", VK_RETURN);
  EXPECT_EQ(m_owner.Told, (Told{{kMsgListCommitted, 3}}));
  EXPECT_EQ(Texts(), (std::vector<std::string>{"alpha", "150 ms", "gamma", "sprint"}));
  EXPECT_EQ(::SendMessageW(m_list.Hwnd(), LB_GETCURSEL, 0, 0), 3);

  // Blanks only, and Escape: the new line goes and the owner hears nothing.
  ASSERT_TRUE(m_list.BeginNewEntry());
  TypeAndClose("   ", VK_RETURN);
  ASSERT_TRUE(m_list.BeginNewEntry());
  TypeAndClose("abc", VK_ESCAPE);
  EXPECT_EQ(m_owner.Told.size(), 1u);
  EXPECT_EQ(::SendMessageW(m_list.Hwnd(), LB_GETCOUNT, 0, 0), 4);

  // A pause edited right of its bitmap: the letter is refused, the value kept.
  m_list.Select(1);
  ASSERT_TRUE(m_list.EditSelectedValue());
  RECT box{};
  ::GetWindowRect(m_list.EditBox(), &box);
  EXPECT_GE(box.left, LineOnScreen(1).left + kListIconLeft + kListIconColumn);
  TypeAndClose("7a8", VK_RETURN);
  EXPECT_EQ(m_owner.Told.back(), (std::pair<UINT, WPARAM>{kMsgListCommitted, 1}));
  EXPECT_EQ(m_list.Model().Lines()[1].Text, "78");
  EXPECT_EQ(m_list.Model().Lines()[1].Value, 0x00020000u | 229);

  // A click back on the list commits the name being typed; a right press is reported.
  ASSERT_TRUE(m_list.BeginNewEntry());
  ASSERT_TRUE(Type("zed"));
  ASSERT_TRUE(PumpUntil([&] { return ::GetWindowTextLengthW(m_list.EditBox()) == 3; }, kBoundMs));
  const RECT first = LineOnScreen(0);
  ASSERT_TRUE(Click({first.left + 60, (first.top + first.bottom) / 2}, MOUSEEVENTF_LEFTDOWN,
                    MOUSEEVENTF_LEFTUP));
  ASSERT_TRUE(PumpUntil([&] { return m_owner.Told.size() == 3; }, kBoundMs));
  EXPECT_EQ(m_owner.Told.back(), (std::pair<UINT, WPARAM>{kMsgListCommitted, 4}));
  EXPECT_EQ(Texts().back(), "zed");
  EXPECT_EQ(m_list.EditBox(), nullptr);
  ASSERT_TRUE(Click({first.left + 60, LineOnScreen(4).bottom + 20}, MOUSEEVENTF_RIGHTDOWN,
                    MOUSEEVENTF_RIGHTUP));
  ASSERT_TRUE(PumpUntil([&] { return m_owner.Told.size() == 4; }, kBoundMs));
  EXPECT_EQ(m_owner.Told.back().first, kMsgListRightButton);

  // One line per notch of the wheel, where a list box would move three.
  for (int i = 0; i < 30; ++i) m_list.AddLine("more", 0);
  auto wheel = [&](int delta) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.mouseData = static_cast<DWORD>(delta);
    input.mi.dwFlags = MOUSEEVENTF_WHEEL;
    return ::SendInput(1, &input, sizeof input) == 1;
  };
  auto top = [&] { return ::SendMessageW(m_list.Hwnd(), LB_GETTOPINDEX, 0, 0); };
  ASSERT_TRUE(wheel(-2 * WHEEL_DELTA));
  EXPECT_TRUE(PumpUntil([&] { return top() == 2; }, kBoundMs)) << top();
  ASSERT_TRUE(wheel(WHEEL_DELTA));
  EXPECT_TRUE(PumpUntil([&] { return top() == 1; }, kBoundMs)) << top();
}

TEST_F(EditableListWinTest, LinesDrawTheirBitmapOnTheOwnersColours) {
  m_list.Select(0);
  ASSERT_TRUE(::SetFocus(m_owner.Hwnd()) || ::GetFocus() == m_owner.Hwnd());
  ::RedrawWindow(m_list.Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  karvo::testing::Pump(100);
  RECT window{};
  ::GetWindowRect(m_list.Hwnd(), &window);
  const karvo::testing::Pixels shot = karvo::testing::CaptureScreen(window);
  shot.SaveBmp(std::string(KARVO_SKIN_TEST_DIR) + "/list_filled.bmp");
  // Counts a colour in a rectangle of the list's window.
  auto count = [&](RECT r, COLORREF colour) {
    ::OffsetRect(&r, -window.left, -window.top);
    const std::uint32_t rgb =
        (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x) n += shot.At(x, y) == rgb;
    }
    return n;
  };
  const RECT first = LineOnScreen(0);
  const RECT icon{first.left + kListIconLeft, first.top + kListIconTop,
                  first.left + kListIconLeft + 12, first.top + kListIconTop + 12};
  EXPECT_LT(count(icon, kListBackground), 12 * 12) << "the key-press bitmap";
  EXPECT_GT(count(first, RGB(255, 255, 255)), 20) << "white behind the selected text";
  const RECT empty{window.left, LineOnScreen(2).bottom, window.right, window.bottom};
  EXPECT_EQ(count(empty, kListBackground), (empty.right - empty.left) * (empty.bottom - empty.top));
}

}  // namespace
}  // namespace karvo::skin
