#pragma once
// Keyboard layouts for the editors' tests: the US layout the key-code table is
// written for, and a French one with A and Q swapped.
#include <map>

#include "settings/key_codes.h"

namespace karvo::editors::testing {

class TestLayout final : public settings::IKeyboardLayout {
 public:
  explicit TestLayout(bool azerty = false) {
    for (const settings::KeyCodeRow& row : settings::KeyCodeTable) {
      if (row.ScanCode != 0) m_scan[row.VirtualKey] = row.ScanCode;
    }
    if (azerty) std::swap(m_scan['A'], m_scan['Q']);
    for (const auto& [vk, scan] : m_scan) m_vk[scan] = vk;
  }
  int VirtualKeyToScanCode(int virtualKey) const override {
    const auto it = m_scan.find(virtualKey);
    return it == m_scan.end() ? 0 : it->second;
  }
  int ScanCodeToVirtualKey(int scanCode) const override {
    const auto it = m_vk.find(scanCode);
    return it == m_vk.end() ? 0 : it->second;
  }

 private:
  std::map<int, int> m_scan;
  std::map<int, int> m_vk;
};

}  // namespace karvo::editors::testing
