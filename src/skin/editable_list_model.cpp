#include "skin/editable_list_model.h"

#include <algorithm>

namespace karvo::skin {

std::size_t ListEditLimit(ListEditKind kind) {
  return kind == ListEditKind::Name ? kListNameLimit : kListNumberLimit;
}

bool ListEditAccepts(ListEditKind kind, char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u < 0x20 || u == 0x7F) return true;
  return kind == ListEditKind::Name || (c >= '0' && c <= '9');
}

std::string TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t");
  return std::string(text.substr(first, last - first + 1));
}

ListLineIcon IconOf(std::uint32_t value) {
  const auto low = static_cast<std::uint16_t>(value & 0xFFFF);
  if (low == 0) return {false, 0, kListTextLeft};
  return {true, static_cast<std::uint16_t>(low == 1 ? 0 : low),
          kListTextLeft + kListIconColumn + 3};
}

std::size_t EditableListModel::Add(std::string text, std::uint32_t value) {
  return Insert(m_lines.size(), std::move(text), value);
}

std::size_t EditableListModel::Insert(std::size_t index, std::string text, std::uint32_t value) {
  index = std::min(index, m_lines.size());
  m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(index),
                 ListLine{std::move(text), value});
  // Indexes at or after the new line move down with their lines.
  if (m_selected && *m_selected >= index) ++*m_selected;
  if (m_editing && *m_editing >= index) ++*m_editing;
  return index;
}

bool EditableListModel::Remove(std::size_t index) {
  if (index >= m_lines.size()) return false;
  m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(index));
  auto follow = [index](std::optional<std::size_t>& at) {
    if (!at) return;
    if (*at == index) {
      at.reset();
    } else if (*at > index) {
      --*at;
    }
  };
  follow(m_selected);
  follow(m_editing);
  return true;
}

void EditableListModel::Clear() {
  m_lines.clear();
  m_selected.reset();
  m_editing.reset();
}

bool EditableListModel::Select(std::size_t index) {
  if (index >= m_lines.size()) return false;
  m_selected = index;
  return true;
}

std::optional<std::size_t> EditableListModel::BeginNewEntry() {
  if (m_editing) return std::nullopt;
  const std::size_t index = Add(std::string(), 0);
  m_editing = index;
  m_kind = ListEditKind::Name;
  return index;
}

std::optional<std::size_t> EditableListModel::BeginValueEdit() {
  if (m_editing || !m_selected) return std::nullopt;
  m_editing = m_selected;
  m_kind = ListEditKind::Number;
  return m_editing;
}

std::optional<std::size_t> EditableListModel::CommitEdit(std::string_view typed,
                                                         std::size_t maxBytes) {
  if (!m_editing) return std::nullopt;
  const std::size_t index = *m_editing;
  const std::uint32_t value = m_lines[index].Value;
  const std::string text = TrimBlanks(typed.substr(0, maxBytes ? maxBytes : ListEditLimit(m_kind)));
  Remove(index);
  m_editing.reset();
  if (text.empty()) return std::nullopt;
  Insert(index, text, value);
  m_selected = index;
  return index;
}

void EditableListModel::CancelEdit() {
  if (!m_editing) return;
  Remove(*m_editing);
  m_editing.reset();
}

}  // namespace karvo::skin
