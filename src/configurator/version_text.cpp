#include "configurator/version_text.h"

namespace karvo::configurator {
namespace {

// 102 -> "1.02": the decimal digits with a point after the first.
std::string WithPointAfterFirstDigit(unsigned version) {
  std::string text = std::to_string(version);
  return text.substr(0, 1) + "." + text.substr(1);
}

}  // namespace

std::string FirmwareTextAtStart(int storedVersion) {
  const auto version = static_cast<unsigned>(storedVersion);
  if (version < 100 || version > 500) return kNoFirmwareText;
  return WithPointAfterFirstDigit(version);
}

std::string FirmwareTextAfterReadBack(int storedVersion) {
  if (storedVersion < 100) return kNoFirmwareText;
  return WithPointAfterFirstDigit(static_cast<unsigned>(storedVersion));
}

std::string VersionLine(std::string_view software, std::string_view firmware) {
  return "SW" + std::string(software) + " / FW" + std::string(firmware);
}

}  // namespace karvo::configurator
