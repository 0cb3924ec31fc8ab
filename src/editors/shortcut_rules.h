#pragma once
// The shortcut dialog's rules: the captured key, the five modifier boxes with their
// "None" rule, and the mask the button page stores.
#include <array>
#include <cstdint>
#include <string>

#include "settings/key_codes.h"

namespace karvo::editors {

// The boxes in dialog order; box i stands for bit i of the mask.
enum ModifierBox { kBoxNone, kBoxShift, kBoxCtrl, kBoxAlt, kBoxWin, kModifierBoxCount };

struct ShortcutChoice {
  std::uint8_t KeyCode = 0;
  std::array<bool, kModifierBoxCount> Boxes{};
};

// Bit i for each box that is set; only bit 0 when "None" is set.
std::uint8_t ModifierMask(const std::array<bool, kModifierBoxCount>& boxes);
// The boxes as a stored mask sets them (bits 0 to 4).
std::array<bool, kModifierBoxCount> BoxesFromMask(std::uint8_t mask);

struct BoxView {
  bool Checked;
  bool Enabled;
};

class ShortcutDialogModel {
 public:
  ShortcutDialogModel(const ShortcutChoice& initial, const settings::IKeyboardLayout& layout);

  // A key from the keyboard hook, press or release alike; false (nothing changes)
  // when the key has no key code.
  bool OnHookedKey(int virtualKey);
  void SetBox(int box, bool checked);

  const ShortcutChoice& Choice() const { return m_choice; }
  // What the key-name field shows.
  const std::string& KeyName() const { return m_keyName; }
  // "None" set: it is drawn checked and the other four are disabled, keeping their
  // states for when it is cleared again.
  BoxView Box(int box) const;

 private:
  const settings::IKeyboardLayout& m_layout;
  ShortcutChoice m_choice;
  std::string m_keyName;
};

}  // namespace karvo::editors
