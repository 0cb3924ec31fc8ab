#pragma once
// A one-line edit field in the skin's colours that tells its parent about every change of its
// text (typed or set by the program), every key released in it and the loss of the focus.
#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/control_win.h"
#include "platform/gdi_win.h"

namespace karvo::skin {

class ColorEdit final : public platform::SubclassedControl {
 public:
  static constexpr COLORREF kDefaultText = RGB(220, 220, 220);
  static constexpr COLORREF kDefaultBackground = RGB(0, 0, 0);

  // Shown: the program fills the field (centred, read-only, never a tab stop); read-only
  // rather than disabled, since a disabled field draws its text grey whatever its colours.
  enum class Input { Text, Digits, Password, Shown };

  // A visible child at rect with automatic horizontal scrolling, in "Arial" 14 x 5.
  [[nodiscard]] bool Create(HWND parent, const RECT& rect, int id, Input input = Input::Text);

  void SetColours(COLORREF text, COLORREF background);
  // The field keeps the font.
  void SetFont(platform::UniqueFont font);
  // Characters the field takes; 0 for the system's limit.
  void SetLimit(int characters);
  // Bytes its text may take in the system's ANSI code page (a record's field less its
  // terminator); 0 for none. What is typed beyond them is taken back, whole characters.
  void SetByteLimit(std::size_t bytes) { m_byteLimit = bytes; }
  void SetNotifyId(LPARAM id) { m_notifyId = id; }
  LPARAM NotifyId() const { return m_notifyId; }

  // What the user typed, in the system's ANSI code page, and setting it from there.
  std::string UserText() const;
  void SetUserText(std::string_view text);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  HBRUSH OnCtlColor(HDC dc, UINT message) override;
  bool OnCommandNotify(int code) override;

 private:
  void Notify(UINT message, WPARAM wParam, LPARAM lParam);
  std::wstring WideText() const;
  // Cuts the text to the byte limit; true when it had to (the cut raises a change of its own).
  bool CutToByteLimit();

  COLORREF m_text = kDefaultText;
  COLORREF m_background = kDefaultBackground;
  platform::UniqueBrush m_brush;
  platform::UniqueFont m_font;
  LPARAM m_notifyId = 0;
  std::size_t m_byteLimit = 0;
};

}  // namespace karvo::skin
