#include "settings/key_codes.h"

namespace karvo::settings {

// Lookups take the first matching row, so the order is part of the table.
const KeyCodeRow KeyCodeTable[kKeyCodeRowCount] = {
    {0x41, 0x04, 0x1E}, {0x42, 0x05, 0x30}, {0x43, 0x06, 0x2E}, {0x44, 0x07, 0x20},
    {0x45, 0x08, 0x12}, {0x46, 0x09, 0x21}, {0x47, 0x0A, 0x22}, {0x48, 0x0B, 0x23},
    {0x49, 0x0C, 0x17}, {0x4A, 0x0D, 0x24}, {0x4B, 0x0E, 0x25}, {0x4C, 0x0F, 0x26},
    {0x4D, 0x10, 0x32}, {0x4E, 0x11, 0x31}, {0x4F, 0x12, 0x18}, {0x50, 0x13, 0x19},
    {0x51, 0x14, 0x10}, {0x52, 0x15, 0x13}, {0x53, 0x16, 0x1F}, {0x54, 0x17, 0x14},
    {0x55, 0x18, 0x16}, {0x56, 0x19, 0x2F}, {0x57, 0x1A, 0x11}, {0x58, 0x1B, 0x2D},
    {0x59, 0x1C, 0x15}, {0x5A, 0x1D, 0x2C}, {0x31, 0x1E, 0x02}, {0x32, 0x1F, 0x03},
    {0x33, 0x20, 0x04}, {0x34, 0x21, 0x05}, {0x35, 0x22, 0x06}, {0x36, 0x23, 0x07},
    {0x37, 0x24, 0x08}, {0x38, 0x25, 0x09}, {0x39, 0x26, 0x0A}, {0x30, 0x27, 0x0B},
    {0x0D, 0x28, 0x1C}, {0x1B, 0x29, 0x01}, {0x08, 0x2A, 0x0E}, {0x09, 0x2B, 0x0F},
    {0x20, 0x2C, 0x39}, {0xBD, 0x2D, 0x0C}, {0xBB, 0x2E, 0x0D}, {0xDB, 0x2F, 0x1A},
    {0xDD, 0x30, 0x1B}, {0xDC, 0x31, 0x2B}, {0xBA, 0x33, 0x27}, {0xDE, 0x34, 0x28},
    {0xC0, 0x35, 0x29}, {0xBC, 0x36, 0x33}, {0xBE, 0x37, 0x34}, {0xBF, 0x38, 0x35},
    {0x14, 0x39, 0x3A}, {0x70, 0x3A, 0x3B}, {0x71, 0x3B, 0x3C}, {0x72, 0x3C, 0x3D},
    {0x73, 0x3D, 0x3E}, {0x74, 0x3E, 0x3F}, {0x75, 0x3F, 0x40}, {0x76, 0x40, 0x41},
    {0x77, 0x41, 0x42}, {0x78, 0x42, 0x43}, {0x79, 0x43, 0x44}, {0x7A, 0x44, 0x57},
    {0x7B, 0x45, 0x58}, {0x2C, 0x46, 0},    {0x91, 0x47, 0},    {0x13, 0x48, 0},
    {0x2D, 0x49, 0},    {0x24, 0x4A, 0},    {0x21, 0x4B, 0},    {0x2E, 0x4C, 0},
    {0x23, 0x4D, 0},    {0x22, 0x4E, 0},    {0x27, 0x4F, 0},    {0x25, 0x50, 0},
    {0x28, 0x51, 0},    {0x26, 0x52, 0},    {0x90, 0x53, 0},    {0x6F, 0x54, 0},
    {0x6A, 0x55, 0},    {0x6D, 0x56, 0},    {0x6B, 0x57, 0},    {0x6C, 0x58, 0},
    {0x61, 0x59, 0},    {0x62, 0x5A, 0},    {0x63, 0x5B, 0},    {0x64, 0x5C, 0},
    {0x65, 0x5D, 0},    {0x67, 0x5F, 0},    {0x66, 0x5E, 0},    {0x68, 0x60, 0},
    {0x69, 0x61, 0},    {0x60, 0x62, 0},    {0x6E, 0x63, 0},    {0x5D, 0x65, 0},
    {0xA2, 0xE0, 0},    {0xA0, 0xE1, 0},    {0xA4, 0xE2, 0},    {0x5B, 0xE3, 0},
    {0xA3, 0xE4, 0},    {0xA1, 0xE5, 0},    {0xA5, 0xE6, 0},    {0x5C, 0xE7, 0},
    {0xF0, 0xF0, 0},    {0xF1, 0xF1, 0},    {0xF2, 0xF2, 0},    {0xF3, 0xF3, 0},
    {0xF4, 0xF4, 0}};

namespace {

// Key codes of keys whose meaning follows their physical position.
bool IsPositionalKeyCode(int keyCode) { return keyCode >= 0x04 && keyCode <= 0x45; }

const KeyCodeRow* FindByVirtualKey(int virtualKey) {
  for (const KeyCodeRow& row : KeyCodeTable) {
    if (row.VirtualKey == virtualKey) return &row;
  }
  return nullptr;
}

const KeyCodeRow* FindByKeyCode(int keyCode) {
  for (const KeyCodeRow& row : KeyCodeTable) {
    if (row.KeyCode == keyCode) return &row;
  }
  return nullptr;
}

const KeyCodeRow* FindByScanCode(int scanCode) {
  // Rows without a scan code hold 0 there; a key the layout cannot place must
  // not land on the first of them.
  if (scanCode == 0) return nullptr;
  for (const KeyCodeRow& row : KeyCodeTable) {
    if (row.ScanCode == scanCode) return &row;
  }
  return nullptr;
}

}  // namespace

std::string GetKeyName(int virtualKey) {
  if (virtualKey < 8 || virtualKey > 244) return "";
  switch (virtualKey) {
    case 0x08:
      return "BackSpace";
    case 0x09:
      return "Tab";
    case 0x0D:
      return "Enter";
    case 0x13:
      return "Pause";
    case 0x14:
      return "CapsLock";
    case 0x1B:
      return "Esc";
    case 0x20:
      return "Space";
    case 0x21:
      return "Page UP";
    case 0x22:
      return "Page Down";
    case 0x23:
      return "End";
    case 0x24:
      return "Home";
    case 0x25:
      return "Left";
    case 0x26:
      return "Up";
    case 0x27:
      return "Right";
    case 0x28:
      return "Down";
    case 0x29:
      return "Select";
    case 0x2B:
      return "Execute";
    case 0x2C:
      return "Print Screen";
    case 0x2D:
      return "Insert";
    case 0x2E:
      return "Delete";
    case 0x2F:
      return "Help";
    case 0x5B:
      return "Left Windows";
    case 0x5C:
      return "Right Windows";
    case 0x5D:
      return "APP";
    case 0x60:
      return "Num_0";
    case 0x61:
      return "Num_1";
    case 0x62:
      return "Num_2";
    case 0x63:
      return "Num_3";
    case 0x64:
      return "Num_4";
    case 0x65:
      return "Num_5";
    case 0x66:
      return "Num_6";
    case 0x67:
      return "Num_7";
    case 0x68:
      return "Num_8";
    case 0x69:
      return "Num_9";
    case 0x6A:
      return "Num_*";
    case 0x6B:
      return "Num_+";
    case 0x6C:
      return "Num_ ";
    case 0x6D:
      return "Num_-";
    case 0x6E:
      return "Num_.";
    case 0x6F:
      return "Num_/";
    case 0x90:
      return "Number Lock";
    case 0x91:
      return "Scroll Lock";
    case 0xA0:
      return "Left Shift";
    case 0xA1:
      return "Right Shift";
    case 0xA2:
      return "Left Ctrl";
    case 0xA3:
      return "Right Ctrl";
    case 0xA4:
      return "Left Alt";
    case 0xA5:
      return "Right Alt";
    case 0xBA:
      return ";";
    case 0xBB:
      return "=";
    case 0xBC:
      return ",";
    case 0xBD:
      return "-";
    case 0xBE:
      return ".";
    case 0xBF:
      return "/";
    case 0xC0:
      return "`";
    case 0xDB:
      return "[";
    case 0xDC:
      return "\\";
    case 0xDD:
      return "]";
    case 0xDE:
      return "'";
    case 0xF0:
      return "Left Button";
    case 0xF1:
      return "Right Button";
    case 0xF2:
      return "Wheel";
    case 0xF3:
      return "Side Button 1";
    case 0xF4:
      return "Side Button 2";
    default:
      break;
  }
  if (virtualKey >= 0x30 && virtualKey <= 0x39)
    return std::string(1, static_cast<char>(virtualKey));
  if (virtualKey >= 0x41 && virtualKey <= 0x5A)
    return std::string(1, static_cast<char>(virtualKey));
  if (virtualKey >= 0x70 && virtualKey <= 0x7B) return "F" + std::to_string(virtualKey - 0x6F);
  return "";
}

bool VirtualKeyToKeyCode(const IKeyboardLayout& layout, int virtualKey, std::uint8_t* keyCode) {
  *keyCode = 0;
  const KeyCodeRow* row = FindByVirtualKey(virtualKey);
  if (!row) return false;
  int code = row->KeyCode;
  if (IsPositionalKeyCode(code)) {
    if (const KeyCodeRow* physical = FindByScanCode(layout.VirtualKeyToScanCode(virtualKey))) {
      code = physical->KeyCode;
    }
  }
  *keyCode = static_cast<std::uint8_t>(code);
  return true;
}

bool KeyCodeToVirtualKey(const IKeyboardLayout& layout, int keyCode, int* virtualKey) {
  *virtualKey = 0;
  const KeyCodeRow* row = FindByKeyCode(keyCode);
  if (!row) return false;
  if (IsPositionalKeyCode(keyCode)) {
    int mapped = layout.ScanCodeToVirtualKey(row->ScanCode);
    // A layout with nothing on that key still gets a usable key: the US one.
    *virtualKey = mapped > 0 && mapped <= 0xFF ? mapped : row->VirtualKey;
    return true;
  }
  *virtualKey = row->VirtualKey;
  return true;
}

}  // namespace karvo::settings
