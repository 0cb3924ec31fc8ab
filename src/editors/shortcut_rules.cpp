#include "editors/shortcut_rules.h"

namespace karvo::editors {

std::uint8_t ModifierMask(const std::array<bool, kModifierBoxCount>& boxes) {
  if (boxes[kBoxNone]) return 1u << kBoxNone;
  std::uint8_t mask = 0;
  for (int box = 0; box < kModifierBoxCount; ++box) {
    if (boxes[box]) mask = static_cast<std::uint8_t>(mask | (1u << box));
  }
  return mask;
}

std::array<bool, kModifierBoxCount> BoxesFromMask(std::uint8_t mask) {
  std::array<bool, kModifierBoxCount> boxes{};
  for (int box = 0; box < kModifierBoxCount; ++box) boxes[box] = (mask >> box) & 1u;
  return boxes;
}

ShortcutDialogModel::ShortcutDialogModel(const ShortcutChoice& initial,
                                         const settings::IKeyboardLayout& layout)
    : m_layout(layout), m_choice(initial) {
  int virtualKey = 0;
  if (settings::KeyCodeToVirtualKey(m_layout, m_choice.KeyCode, &virtualKey)) {
    m_keyName = settings::GetKeyName(virtualKey);
  }
}

bool ShortcutDialogModel::OnHookedKey(int virtualKey) {
  std::uint8_t keyCode = 0;
  if (!settings::VirtualKeyToKeyCode(m_layout, virtualKey, &keyCode)) return false;
  m_choice.KeyCode = keyCode;
  m_keyName = settings::GetKeyName(virtualKey);
  return true;
}

void ShortcutDialogModel::SetBox(int box, bool checked) {
  if (box < 0 || box >= kModifierBoxCount) return;
  m_choice.Boxes[box] = checked;
}

BoxView ShortcutDialogModel::Box(int box) const {
  if (box < 0 || box >= kModifierBoxCount) return {false, false};
  const bool none = m_choice.Boxes[kBoxNone];
  return {m_choice.Boxes[box], box == kBoxNone || !none};
}

}  // namespace karvo::editors
