#pragma once
// The list of macro names and of a macro's events: an owner-drawn list box whose lines
// carry a 32-bit value, with an icon column and a bitmap named by the value's low word,
// and an in-place edit for a new name or for a line's number. The lines and the rules of
// an edit are the EditableListModel's; this side draws them and routes the keys. The
// parent must reflect owner-draw and colour messages (every Window and Dialog of the
// platform does); it is told 1524 (wParam: the line) when an edit was committed and
// 1724 on every right-button press. Line texts are in the system's ANSI code page.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/control_win.h"
#include "platform/gdi_win.h"
#include "skin/editable_list_model.h"

namespace karvo::skin {

class EditableList : public platform::SubclassedControl {
 public:
  EditableList();
  ~EditableList() override;

  // A visible child list box of parent; resources: the module holding the line bitmaps
  // (nullptr: the program).
  [[nodiscard]] bool Create(HWND parent, const RECT& rect, int id, HINSTANCE resources = nullptr);

  // The list's background and the highlight behind the selected line's text.
  void SetColours(COLORREF background, COLORREF highlight);

  void AddLine(std::string_view text, std::uint32_t value);
  // A position past the end appends.
  void InsertLine(std::size_t index, std::string_view text, std::uint32_t value);
  void RemoveLine(std::size_t index);
  void Clear();
  void Select(std::optional<std::size_t> index);
  // Puts the focus line on index and scrolls it into view; the selection stays.
  void SetCaretLine(std::size_t index);

  // Appends an empty line and opens a name edit (24 characters) on it, text selected
  // and focused. False while another edit is open.
  bool BeginNewEntry();
  // Opens a digits-only edit (20 characters) on the selected line's text, right of its
  // bitmap. False without a selection or while another edit is open.
  bool EditSelectedValue();

  const EditableListModel& Model() const { return m_model; }
  // The in-place edit while one is open.
  HWND EditBox() const;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool OnDrawItem(const DRAWITEMSTRUCT& item) override;
  HBRUSH OnCtlColor(HDC dc, UINT message) override;
  bool OnCommandNotify(int code) override;

 private:
  class InPlaceEdit;

  void SyncSelection();
  bool OpenEdit(std::size_t index, ListEditKind kind);
  void EnsureVisible(std::size_t index);
  void CommitEdit();
  void CancelEdit();
  void CloseEdit();
  void OnMouseMove(POINT at);
  void OnMouseLeave();
  void OnWheel(int delta);
  void RedrawLine(std::optional<std::size_t> index);
  void Notify(UINT message, WPARAM wParam);
  HBITMAP Bitmap(std::uint16_t id);

  EditableListModel m_model;
  HINSTANCE m_resources = nullptr;
  COLORREF m_background = RGB(90, 106, 120);
  COLORREF m_highlight = RGB(255, 255, 255);
  platform::UniqueBrush m_backgroundBrush;
  platform::UniqueFont m_font;
  // Bitmaps by resource id, loaded on first use; a missing one is remembered as empty.
  std::map<std::uint16_t, platform::UniqueBitmap> m_bitmaps;
  std::optional<std::size_t> m_hoverLine;
  bool m_tracking = false;
  int m_wheelRest = 0;
  std::unique_ptr<InPlaceEdit> m_edit;
};

}  // namespace karvo::skin
