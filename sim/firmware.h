#pragma once
// The simulated mouse firmware: what the real mouse keeps in its memory, how it answers
// feature reports and what it does when a physical button goes down or up. Not
// thread-safe; the device library serialises every call.
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace karvo::sim {

inline constexpr int kSlotCount = 5;
inline constexpr int kPhysicalButtons = 9;
inline constexpr int kHardwareSlots = 18;
inline constexpr std::size_t kSensorReportLength = 43;
inline constexpr std::size_t kButtonReportLength = 59;
inline constexpr std::uint8_t kDefaultFirmwareVersion = 102;
inline constexpr std::uint8_t kDefaultLevel = 10;
// The reports log keeps the newest entries only, so one `reports` reply stays bounded.
inline constexpr std::size_t kReportLogCapacity = 1024;
// Bytes of one report kept in the log; the largest report is 59 bytes.
inline constexpr std::size_t kLoggedBytes = 64;

namespace report_id {
inline constexpr std::uint8_t kStatus = 4;
inline constexpr std::uint8_t kProfile = 5;
inline constexpr std::uint8_t kSensor = 6;
inline constexpr std::uint8_t kButtons = 7;
inline constexpr std::uint8_t kLevel = 8;
inline constexpr std::uint8_t kFirmware = 10;
inline constexpr std::uint8_t kHostControl = 11;
}  // namespace report_id

namespace status_byte {
inline constexpr std::uint8_t kDone = 1;
inline constexpr std::uint8_t kFailed = 2;
inline constexpr std::uint8_t kBusy = 3;
}  // namespace status_byte

namespace event_type {
inline constexpr std::uint32_t kProfile = 0x3000;
inline constexpr std::uint32_t kButton = 0x4000;
inline constexpr std::uint32_t kProgram = 0x6000;
inline constexpr std::uint32_t kConfigurator = 0xA000;
inline constexpr std::uint32_t kCpi = 0xB000;
inline constexpr std::uint32_t kMedia = 0xF000;
inline constexpr std::uint32_t kMode = 0xFF00;
}  // namespace event_type

using SensorReport = std::array<std::uint8_t, kSensorReportLength>;
using ButtonReport = std::array<std::uint8_t, kButtonReportLength>;

// Sum of bytes 0..L-3 as 16 bits, where L is the length the report claims in byte 1.
// Nullopt when that length does not fit the buffer (a hostile length byte).
std::optional<std::uint16_t> ReportChecksum(std::span<const std::uint8_t> report);
// Writes the checksum into the last two bytes of a report whose byte 1 is its length.
void StampChecksum(std::span<std::uint8_t> report);
bool HasValidChecksum(std::span<const std::uint8_t> report);

SensorReport DefaultSensorReport(int slot);
ButtonReport DefaultButtonReport(int slot);

// How status polls (get report 4) are answered.
enum class StatusMode { kOk, kBusy, kBusyForever, kFail, kSilent };

struct ReportLogEntry {
  std::uint64_t ms = 0;
  bool isSet = false;
  std::uint8_t id = 0;
  bool ok = false;
  std::vector<std::uint8_t> bytes;
};

// "<ms> SET|GET <id> <ok|fail> <bytes in hex>"
std::string FormatLogEntry(const ReportLogEntry& entry);

// What the firmware needs from its surroundings.
class IFirmwareHost {
 public:
  virtual ~IFirmwareHost() = default;
  virtual void PostEvent(std::uint32_t word) = 0;
  virtual void PostPresence(bool arrived) = 0;
  // The persistent state changed; bytes as SerializeState makes them.
  virtual void SaveState(std::span<const std::uint8_t> bytes) = 0;
  virtual std::uint64_t NowMs() = 0;
};

// The part of the state that survives a restart, as flash memory would keep it.
struct PersistentState {
  std::array<SensorReport, kSlotCount> sensor{};
  std::array<ButtonReport, kSlotCount> buttons{};
  std::uint8_t level = kDefaultLevel;
  std::uint8_t activeSlot = 0;
  std::uint8_t mode = 1;
  std::uint8_t cpiStep = 0;
  std::uint8_t firmwareVersion = kDefaultFirmwareVersion;

  bool operator==(const PersistentState&) const = default;
};

PersistentState FactoryState();
std::vector<std::uint8_t> SerializeState(const PersistentState& state);
// Nullopt for anything that is not a complete, consistent state file.
std::optional<PersistentState> DeserializeState(std::span<const std::uint8_t> bytes);

// Result of a physical button action: refused while unplugged; the event posted, if any.
struct ButtonResult {
  bool accepted = false;
  std::optional<std::uint32_t> posted;
};

class Firmware {
 public:
  // Starts from the stored state when it is valid, else from the factory state.
  Firmware(IFirmwareHost& host, std::span<const std::uint8_t> storedState);

  // Device library side. False when the report was not transferred.
  bool SetFeature(std::span<const std::uint8_t> report);
  bool GetFeature(std::span<std::uint8_t> report);
  bool OpenFeatureDevice();
  void CloseFeatureDevice() { m_open = false; }

  // The user's hand and the cable. Buttons are 1..9.
  ButtonResult Press(int button);
  ButtonResult Release(int button);
  void Unplug();
  void Plug();
  void PostRaw(std::uint16_t type, std::uint16_t parameter);

  void SetStatusMode(StatusMode mode, std::uint32_t busyCount = 0);
  StatusMode GetStatusMode() const { return m_statusMode; }
  std::uint32_t BusyCount() const { return m_busyCount; }
  void SetFirmwareVersion(std::uint8_t version);
  void Reset();

  const PersistentState& State() const { return m_state; }
  bool Plugged() const { return m_plugged; }
  bool Open() const { return m_open; }
  std::uint8_t HostControl() const { return m_hostControl; }
  const std::deque<ReportLogEntry>& ReportLog() const { return m_log; }
  void ClearReportLog() { m_log.clear(); }

 private:
  // Outcome of a set that reached the device: answered by the next status polls.
  void Acknowledge(bool accepted);
  bool StoreReport(std::span<const std::uint8_t> report);
  bool AnswerReport(std::span<std::uint8_t> report);
  void Log(bool isSet, std::span<const std::uint8_t> report, std::size_t length, bool ok);
  std::optional<std::uint32_t> Act(int hardwareSlot, bool release);
  void SetActiveSlot(std::uint8_t slot);
  std::optional<std::uint8_t> MoveCpi(std::uint8_t functionCode);
  void Persist();
  int HardwareSlotOf(int button) const;

  IFirmwareHost& m_host;
  PersistentState m_state;
  bool m_plugged = true;
  bool m_open = false;
  std::uint8_t m_hostControl = 0;
  StatusMode m_statusMode = StatusMode::kOk;
  std::uint32_t m_busyCount = 0;
  std::uint32_t m_busyLeft = 0;
  std::uint8_t m_lastStatus = status_byte::kDone;
  std::uint8_t m_selectedSensorSlot = 0;
  std::uint8_t m_selectedButtonSlot = 0;
  // Hardware slot each held button went down on, so its release matches even when the
  // press switched the button mode.
  std::array<std::optional<int>, kPhysicalButtons + 1> m_held{};
  std::deque<ReportLogEntry> m_log;
};

}  // namespace karvo::sim
