#pragma once
// The mouse as the monitor sees it: feature reports in and out. On Windows this is
// "hidgate.dll"; in tests a fake.
#include <cstdint>

namespace karvo::monitor {

class IDevice {
 public:
  virtual ~IDevice() = default;
  // Byte 0 of report is the report id. False when the report could not be sent.
  virtual bool SetFeature(std::uint8_t* report, std::uint32_t length) = 0;
  // Byte 0 of report holds the wanted id; false when nothing was received.
  virtual bool GetFeature(std::uint8_t* report, std::uint32_t length) = 0;
};

}  // namespace karvo::monitor
