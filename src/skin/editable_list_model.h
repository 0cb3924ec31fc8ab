#pragma once
// The lines of an EditableList and its in-place edit: a new name (24 characters) or
// a line's number (digits only, 20 characters). A commit trims the text, deletes
// the line being edited and, unless the text is empty, puts it back at the same
// index with the same item value; Escape deletes the line.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace karvo::skin {

enum class ListEditKind { Name, Number };

inline constexpr std::size_t kListNameLimit = 24;
inline constexpr std::size_t kListNumberLimit = 20;
// The bytes a name's characters may take in the system's code page: a button record's 50-byte
// name field less its terminator, the smallest field a name goes into (24 characters of a
// two-byte code page fit).
inline constexpr std::size_t kListNameBytes = 49;
inline constexpr std::int32_t kListTextLeft = 5;
inline constexpr std::int32_t kListIconColumn = 16;
inline constexpr std::int32_t kListIconLeft = 5;
inline constexpr std::int32_t kListIconTop = 2;
// Room for a 12-pixel icon at the top offset and below it.
inline constexpr std::int32_t kListLineHeight = 16;

// Posted to the list's owner: an in-place edit was committed (wParam: the line that now
// holds the text); the right button was pressed in the list.
inline constexpr std::uint32_t kMsgListCommitted = 1524;    // WM_USER + 500
inline constexpr std::uint32_t kMsgListRightButton = 1724;  // WM_USER + 700

std::size_t ListEditLimit(ListEditKind kind);

// Whether a typed character reaches the edit box; control characters (backspace and
// the like) always do, so the box stays editable.
bool ListEditAccepts(ListEditKind kind, char c);

// Blanks (spaces and tabs) cut from both ends.
std::string TrimBlanks(std::string_view text);

struct ListLine {
  std::string Text;
  std::uint32_t Value;
};

// The low 16 bits of a line's value: 0 no icon column; 1 an empty column; anything
// else the bitmap resource drawn in it.
struct ListLineIcon {
  bool HasColumn;
  std::uint16_t BitmapId;  // 0 when none is drawn
  std::int32_t TextLeft;
};
ListLineIcon IconOf(std::uint32_t value);

class EditableListModel {
 public:
  std::size_t Add(std::string text, std::uint32_t value);
  // A position past the end appends.
  std::size_t Insert(std::size_t index, std::string text, std::uint32_t value);
  bool Remove(std::size_t index);
  void Clear();

  const std::vector<ListLine>& Lines() const { return m_lines; }
  std::optional<std::size_t> Selected() const { return m_selected; }
  bool Select(std::size_t index);
  void ClearSelection() { m_selected.reset(); }

  // Appends an empty line and edits it as a name. Refused while an edit is open.
  std::optional<std::size_t> BeginNewEntry();
  // Edits the selected line's number. Refused without a selection or while editing.
  std::optional<std::size_t> BeginValueEdit();
  std::optional<std::size_t> Editing() const { return m_editing; }
  std::optional<ListEditKind> EditKind() const {
    return m_editing ? std::optional<ListEditKind>(m_kind) : std::nullopt;
  }

  // Enter, or the focus back on the list. The typed text is cut to `maxBytes` (0: the edit's
  // limit, a byte for each character) and trimmed. Returns the index that now holds the text
  // (the owner is told it with 1524), or nothing when the line was removed or no edit was open.
  std::optional<std::size_t> CommitEdit(std::string_view typed, std::size_t maxBytes = 0);
  // Escape: the line being edited goes away.
  void CancelEdit();

 private:
  std::vector<ListLine> m_lines;
  std::optional<std::size_t> m_selected;
  std::optional<std::size_t> m_editing;
  ListEditKind m_kind = ListEditKind::Name;
};

}  // namespace karvo::skin
