#include "sim/firmware.h"

#include <algorithm>
#include <cstdio>

namespace karvo::sim {
namespace {

constexpr std::array<std::uint8_t, 38> kDefaultSensorBody = {
    10, 10, 74, 0, 16, 16, 17, 17, 18, 18, 18, 0, 0, 0, 1, 2, 2, 2, 2,
    3,  0,  5,  0, 0,  1,  0,  1,  1,  1,  1,  0, 0, 1, 0, 1, 3, 4, 3};
constexpr std::array<std::uint8_t, kHardwareSlots> kDefaultButtonCodes = {
    1, 2, 3, 7, 8, 14, 15, 9, 10, 1, 2, 30, 0, 0, 0, 0, 31, 32};

constexpr std::size_t kProfileReportLength = 3;
constexpr std::size_t kStatusReportLength = 3;
constexpr std::size_t kLevelReportLength = 6;
constexpr std::size_t kFirmwareReportLength = 8;
constexpr std::size_t kHostControlReportLength = 3;
constexpr std::uint8_t kSelectSensor = 16;
constexpr std::uint8_t kSelectButtons = 32;
constexpr std::size_t kSensorCpiStepByte = 18;
constexpr std::size_t kSensorStepMaskByte = 5;
constexpr int kCpiSteps = 7;
constexpr std::uint32_t kReleaseFlag = 0x100;

constexpr std::array<char, 4> kStateMagic = {'K', 'V', 'M', 'S'};
constexpr std::uint8_t kStateVersion = 1;
constexpr std::size_t kStateHeader = kStateMagic.size() + 6;
constexpr std::size_t kStateSize =
    kStateHeader + kSlotCount * (kSensorReportLength + kButtonReportLength) + 4;

// Length the device expects for a report id in each direction; 0 = not supported.
std::size_t SetLength(std::uint8_t id) {
  switch (id) {
    case report_id::kStatus:
      return kStatusReportLength;
    case report_id::kProfile:
      return kProfileReportLength;
    case report_id::kSensor:
      return kSensorReportLength;
    case report_id::kButtons:
      return kButtonReportLength;
    case report_id::kLevel:
      return kLevelReportLength;
    case report_id::kHostControl:
      return kHostControlReportLength;
    default:
      return 0;
  }
}

std::size_t GetLength(std::uint8_t id) {
  switch (id) {
    case report_id::kStatus:
      return kStatusReportLength;
    case report_id::kProfile:
      return kProfileReportLength;
    case report_id::kSensor:
      return kSensorReportLength;
    case report_id::kButtons:
      return kButtonReportLength;
    case report_id::kLevel:
      return kLevelReportLength;
    case report_id::kFirmware:
      return kFirmwareReportLength;
    default:
      return 0;
  }
}

std::uint32_t Crc32(std::span<const std::uint8_t> bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::uint8_t b : bytes) {
    crc ^= b;
    for (int i = 0; i < 8; ++i) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

// A stored report must look exactly like one the device would accept for that slot.
template <std::size_t N>
bool IsWellFormed(const std::array<std::uint8_t, N>& report, std::uint8_t id, int slot) {
  return report[0] == id && report[1] == N && report[2] == slot && HasValidChecksum(report);
}

bool IsCarriedOutByComputer(std::uint8_t code) {
  switch (code) {
    case 5:
    case 16:
    case 33:
    case 34:
    case 39:
    case 186:
    case 187:
      return true;
    default:
      return code >= 179 && code <= 183;
  }
}

std::uint8_t MediaCode(std::uint8_t code) {
  static constexpr std::array<std::uint8_t, 8> kCodes = {32, 34, 33, 35, 36, 37, 38, 39};
  return kCodes[code - 25];
}

}  // namespace

std::optional<std::uint16_t> ReportChecksum(std::span<const std::uint8_t> report) {
  if (report.size() < 2) return std::nullopt;
  const std::size_t length = report[1];
  if (length < 3 || length > report.size()) return std::nullopt;
  std::uint16_t sum = 0;
  for (std::size_t i = 0; i + 2 < length; ++i) sum = static_cast<std::uint16_t>(sum + report[i]);
  return sum;
}

void StampChecksum(std::span<std::uint8_t> report) {
  const auto sum = ReportChecksum(report);
  if (!sum) return;
  const std::size_t length = report[1];
  report[length - 2] = static_cast<std::uint8_t>(*sum & 0xFF);
  report[length - 1] = static_cast<std::uint8_t>(*sum >> 8);
}

bool HasValidChecksum(std::span<const std::uint8_t> report) {
  const auto sum = ReportChecksum(report);
  if (!sum) return false;
  const std::size_t length = report[1];
  return report[length - 2] == (*sum & 0xFF) && report[length - 1] == (*sum >> 8);
}

SensorReport DefaultSensorReport(int slot) {
  SensorReport r{};
  r[0] = report_id::kSensor;
  r[1] = kSensorReportLength;
  r[2] = static_cast<std::uint8_t>(slot);
  std::copy(kDefaultSensorBody.begin(), kDefaultSensorBody.end(), r.begin() + 3);
  StampChecksum(r);
  return r;
}

ButtonReport DefaultButtonReport(int slot) {
  ButtonReport r{};
  r[0] = report_id::kButtons;
  r[1] = kButtonReportLength;
  r[2] = static_cast<std::uint8_t>(slot);
  for (int s = 0; s < kHardwareSlots; ++s) r[3 + 3 * s] = kDefaultButtonCodes[s];
  StampChecksum(r);
  return r;
}

std::string FormatLogEntry(const ReportLogEntry& entry) {
  char head[64];
  std::snprintf(head, sizeof head, "%llu %s %u %s ", static_cast<unsigned long long>(entry.ms),
                entry.isSet ? "SET" : "GET", static_cast<unsigned>(entry.id),
                entry.ok ? "ok" : "fail");
  std::string line = head;
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (std::uint8_t b : entry.bytes) {
    line += kHex[b >> 4];
    line += kHex[b & 0xF];
  }
  return line;
}

PersistentState FactoryState() {
  PersistentState s;
  for (int i = 0; i < kSlotCount; ++i) {
    s.sensor[i] = DefaultSensorReport(i);
    s.buttons[i] = DefaultButtonReport(i);
  }
  s.level = kDefaultLevel;
  s.activeSlot = 0;
  s.mode = 1;
  s.cpiStep = s.sensor[0][kSensorCpiStepByte];
  s.firmwareVersion = kDefaultFirmwareVersion;
  return s;
}

std::vector<std::uint8_t> SerializeState(const PersistentState& state) {
  std::vector<std::uint8_t> out(kStateSize, 0);
  std::size_t at = 0;
  for (char c : kStateMagic) out[at++] = static_cast<std::uint8_t>(c);
  for (std::uint8_t b : {kStateVersion, state.activeSlot, state.mode, state.cpiStep, state.level,
                         state.firmwareVersion}) {
    out[at++] = b;
  }
  for (const auto& r : state.sensor) {
    for (std::uint8_t b : r) out[at++] = b;
  }
  for (const auto& r : state.buttons) {
    for (std::uint8_t b : r) out[at++] = b;
  }
  const std::uint32_t crc = Crc32(std::span(out).first(at));
  for (int i = 0; i < 4; ++i) out[at++] = static_cast<std::uint8_t>(crc >> (8 * i));
  return out;
}

std::optional<PersistentState> DeserializeState(std::span<const std::uint8_t> bytes) {
  if (bytes.size() != kStateSize) return std::nullopt;
  if (!std::equal(kStateMagic.begin(), kStateMagic.end(), bytes.begin())) return std::nullopt;
  const auto body = bytes.first(kStateSize - 4);
  std::uint32_t crc = 0;
  for (int i = 0; i < 4; ++i) crc |= std::uint32_t{bytes[kStateSize - 4 + i]} << (8 * i);
  if (crc != Crc32(body)) return std::nullopt;

  PersistentState s;
  std::size_t at = kStateMagic.size();
  if (bytes[at++] != kStateVersion) return std::nullopt;
  s.activeSlot = bytes[at++];
  s.mode = bytes[at++];
  s.cpiStep = bytes[at++];
  s.level = bytes[at++];
  s.firmwareVersion = bytes[at++];
  for (auto& r : s.sensor) {
    std::copy_n(bytes.begin() + at, r.size(), r.begin());
    at += r.size();
  }
  for (auto& r : s.buttons) {
    std::copy_n(bytes.begin() + at, r.size(), r.begin());
    at += r.size();
  }
  if (s.activeSlot >= kSlotCount || (s.mode != 1 && s.mode != 2) || s.cpiStep > kCpiSteps) {
    return std::nullopt;
  }
  for (int i = 0; i < kSlotCount; ++i) {
    if (!IsWellFormed(s.sensor[i], report_id::kSensor, i) ||
        !IsWellFormed(s.buttons[i], report_id::kButtons, i)) {
      return std::nullopt;
    }
  }
  return s;
}

Firmware::Firmware(IFirmwareHost& host, std::span<const std::uint8_t> storedState)
    : m_host(host), m_state(DeserializeState(storedState).value_or(FactoryState())) {
  m_selectedSensorSlot = m_selectedButtonSlot = m_state.activeSlot;
}

bool Firmware::OpenFeatureDevice() {
  m_open = m_plugged;
  return m_open;
}

void Firmware::Log(bool isSet, std::span<const std::uint8_t> report, std::size_t length, bool ok) {
  if (m_log.size() == kReportLogCapacity) m_log.pop_front();
  // The report itself when the id is known and the buffer holds it, else the buffer's start.
  const std::size_t shown =
      length != 0 && report.size() >= length ? length : std::min(report.size(), kLoggedBytes);
  const auto kept = report.first(shown);
  m_log.push_back({m_host.NowMs(), isSet, report.empty() ? std::uint8_t{0} : report[0], ok,
                   std::vector<std::uint8_t>(kept.begin(), kept.end())});
}

bool Firmware::SetFeature(std::span<const std::uint8_t> report) {
  bool ok = false;
  const std::size_t length = report.empty() ? 0 : SetLength(report[0]);
  if (m_open && length != 0 && report.size() >= length) {
    Acknowledge(StoreReport(report.first(length)));
    ok = true;
  }
  Log(true, report, length, ok);
  return ok;
}

bool Firmware::GetFeature(std::span<std::uint8_t> report) {
  bool ok = false;
  const std::size_t length = report.empty() ? 0 : GetLength(report[0]);
  if (m_open && length != 0 && report.size() >= length) ok = AnswerReport(report.first(length));
  Log(false, report, length, ok);
  return ok;
}

void Firmware::Acknowledge(bool accepted) {
  m_lastStatus = accepted ? status_byte::kDone : status_byte::kFailed;
  m_busyLeft = m_statusMode == StatusMode::kBusy ? m_busyCount : 0;
}

bool Firmware::StoreReport(std::span<const std::uint8_t> r) {
  switch (r[0]) {
    case report_id::kStatus:
      if (r[1] >= kSlotCount) return false;
      if (r[2] == kSelectSensor) {
        m_selectedSensorSlot = r[1];
      } else if (r[2] == kSelectButtons) {
        m_selectedButtonSlot = r[1];
      } else {
        return false;
      }
      return true;
    case report_id::kProfile:
      if (r[2] >= kSlotCount) return false;
      SetActiveSlot(r[2]);
      Persist();
      return true;
    case report_id::kSensor:
      if (r[1] != kSensorReportLength || r[2] >= kSlotCount || !HasValidChecksum(r)) return false;
      std::copy(r.begin(), r.end(), m_state.sensor[r[2]].begin());
      if (r[2] == m_state.activeSlot) SetActiveSlot(r[2]);
      Persist();
      return true;
    case report_id::kButtons:
      if (r[1] != kButtonReportLength || r[2] >= kSlotCount || !HasValidChecksum(r)) return false;
      std::copy(r.begin(), r.end(), m_state.buttons[r[2]].begin());
      Persist();
      return true;
    case report_id::kLevel:
      m_state.level = r[2];
      Persist();
      return true;
    case report_id::kHostControl:
      m_hostControl = r[2];
      return true;
    default:
      return false;
  }
}

bool Firmware::AnswerReport(std::span<std::uint8_t> r) {
  const std::uint8_t id = r[0];
  switch (id) {
    case report_id::kStatus: {
      std::uint8_t status = m_lastStatus;
      switch (m_statusMode) {
        case StatusMode::kSilent:
          return false;
        case StatusMode::kBusyForever:
          status = status_byte::kBusy;
          break;
        case StatusMode::kFail:
          status = status_byte::kFailed;
          break;
        case StatusMode::kBusy:
          if (m_busyLeft > 0) {
            --m_busyLeft;
            status = status_byte::kBusy;
          }
          break;
        case StatusMode::kOk:
          break;
      }
      std::fill(r.begin(), r.end(), 0);
      r[0] = id;
      r[1] = status;
      return true;
    }
    case report_id::kSensor: {
      const auto& stored = m_state.sensor[m_selectedSensorSlot];
      std::copy(stored.begin(), stored.end(), r.begin());
      StampChecksum(r);
      return true;
    }
    case report_id::kButtons: {
      const auto& stored = m_state.buttons[m_selectedButtonSlot];
      std::copy(stored.begin(), stored.end(), r.begin());
      StampChecksum(r);
      return true;
    }
    default:
      break;
  }
  std::fill(r.begin(), r.end(), 0);
  r[0] = id;
  r[1] = static_cast<std::uint8_t>(r.size());
  switch (id) {
    case report_id::kProfile:
      r[2] = m_state.activeSlot;
      return true;
    case report_id::kLevel:
      r[2] = m_state.level;
      return true;
    case report_id::kFirmware:
      r[2] = m_state.firmwareVersion;
      return true;
    default:
      return false;
  }
}

int Firmware::HardwareSlotOf(int button) const {
  return m_state.mode == 1 ? button - 1 : button + 8;
}

ButtonResult Firmware::Press(int button) {
  if (button < 1 || button > kPhysicalButtons || !m_plugged) return {};
  const int slot = HardwareSlotOf(button);
  m_held[button] = slot;
  return {true, Act(slot, false)};
}

ButtonResult Firmware::Release(int button) {
  if (button < 1 || button > kPhysicalButtons || !m_plugged) return {};
  const int slot = m_held[button].value_or(HardwareSlotOf(button));
  m_held[button].reset();
  return {true, Act(slot, true)};
}

std::optional<std::uint32_t> Firmware::Act(int hardwareSlot, bool release) {
  const std::uint8_t code = m_state.buttons[m_state.activeSlot][3 + 3 * hardwareSlot];
  const std::uint32_t button = static_cast<std::uint32_t>(hardwareSlot + 1);
  std::optional<std::uint32_t> word;
  if (IsCarriedOutByComputer(code)) {
    word = event_type::kButton << 16 | (release ? kReleaseFlag : 0) | button;
  } else if (code >= 25 && code <= 32) {
    word = event_type::kMedia << 16 | (release ? kReleaseFlag : 0) | MediaCode(code);
  } else if (release) {
    return std::nullopt;
  } else if (code == 17) {
    word = event_type::kProgram << 16 | button;
  } else if (code == 24) {
    word = event_type::kConfigurator << 16 | 1;
  } else if (code >= 18 && code <= 20) {
    const std::uint8_t slot = m_state.activeSlot;
    std::uint8_t next = slot;
    if (code == 18) next = static_cast<std::uint8_t>((slot + 1) % kSlotCount);
    if (code == 19 && slot + 1 < kSlotCount) next = static_cast<std::uint8_t>(slot + 1);
    if (code == 20 && slot > 0) next = static_cast<std::uint8_t>(slot - 1);
    SetActiveSlot(next);
    Persist();
    word = event_type::kProfile << 16 | (next + 1u);
  } else if (code >= 13 && code <= 15) {
    const auto step = MoveCpi(code);
    if (!step) return std::nullopt;
    Persist();
    word = event_type::kCpi << 16 | *step;
  } else if (code == 45) {
    m_state.mode = m_state.mode == 1 ? 2 : 1;
    Persist();
    word = event_type::kMode << 16 | m_state.mode;
  }
  if (word) m_host.PostEvent(*word);
  return word;
}

void Firmware::SetActiveSlot(std::uint8_t slot) {
  m_state.activeSlot = slot;
  // A profile brings its own CPI step, 1..7.
  m_state.cpiStep = std::min<std::uint8_t>(m_state.sensor[slot][kSensorCpiStepByte], kCpiSteps);
}

std::optional<std::uint8_t> Firmware::MoveCpi(std::uint8_t functionCode) {
  const std::uint8_t mask = m_state.sensor[m_state.activeSlot][kSensorStepMaskByte];
  // Step k (1..7) is enabled by the mask bit of value 2^(k-1), as the configurator sets it.
  auto enabled = [mask](int step) {
    return step >= 1 && step <= kCpiSteps && (mask >> (step - 1)) & 1;
  };
  bool any = false;
  for (int s = 1; s <= kCpiSteps; ++s) any = any || enabled(s);
  if (!any) return std::nullopt;
  const int current = m_state.cpiStep;
  int next = current;
  if (functionCode == 15) {
    for (int s = current - 1; s >= 1; --s) {
      if (enabled(s)) {
        next = s;
        break;
      }
    }
  } else {
    bool found = false;
    for (int s = current + 1; s <= kCpiSteps && !found; ++s) {
      if (enabled(s)) {
        next = s;
        found = true;
      }
    }
    if (!found && functionCode == 13) {
      for (int s = 1; s <= kCpiSteps; ++s) {
        if (enabled(s)) {
          next = s;
          break;
        }
      }
    }
  }
  m_state.cpiStep = static_cast<std::uint8_t>(next);
  return m_state.cpiStep;
}

void Firmware::Unplug() {
  m_plugged = false;
  m_open = false;
  m_held.fill(std::nullopt);
  m_host.PostPresence(false);
}

void Firmware::Plug() {
  m_plugged = true;
  m_host.PostPresence(true);
}

void Firmware::PostRaw(std::uint16_t type, std::uint16_t parameter) {
  m_host.PostEvent(std::uint32_t{type} << 16 | parameter);
}

void Firmware::SetStatusMode(StatusMode mode, std::uint32_t busyCount) {
  m_statusMode = mode;
  m_busyCount = mode == StatusMode::kBusy ? busyCount : 0;
  m_busyLeft = 0;
}

void Firmware::SetFirmwareVersion(std::uint8_t version) {
  m_state.firmwareVersion = version;
  Persist();
}

void Firmware::Reset() {
  m_state = FactoryState();
  m_selectedSensorSlot = m_selectedButtonSlot = m_state.activeSlot;
  m_held.fill(std::nullopt);
  Persist();
}

void Firmware::Persist() { m_host.SaveState(SerializeState(m_state)); }

}  // namespace karvo::sim
