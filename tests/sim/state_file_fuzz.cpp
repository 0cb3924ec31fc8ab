// libFuzzer target for the virtual mouse's state file and for the reports and button presses
// it takes afterwards. Byte 0 of the input chooses: an odd byte makes the rest the file itself;
// an even one patches a sound file (offset, byte pairs) and seals it with a valid checksum, so
// the checks behind the checksum are reached too. The bytes after an empty pair drive the mouse.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "sim/firmware.h"

namespace {

using namespace karvo::sim;

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

std::uint32_t Crc32(std::span<const std::uint8_t> bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::uint8_t b : bytes) {
    crc ^= b;
    for (int i = 0; i < 8; ++i) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

class Host final : public IFirmwareHost {
 public:
  void PostEvent(std::uint32_t) override {}
  void PostPresence(bool) override {}
  void SaveState(std::span<const std::uint8_t> bytes) override {
    Saved.assign(bytes.begin(), bytes.end());
  }
  std::uint64_t NowMs() override { return 0; }
  std::vector<std::uint8_t> Saved;
};

// Buttons, reports of any id and length and status modes, as the monitor and mousectl could.
void Drive(Firmware& firmware, std::span<const std::uint8_t> input) {
  std::size_t at = 0;
  auto next = [&] { return at < input.size() ? input[at++] : std::uint8_t{0}; };
  while (at < input.size()) {
    const std::uint8_t op = next();
    switch (op % 6) {
      case 0:
        firmware.Press(next() % 11);
        break;
      case 1:
        firmware.Release(next() % 11);
        break;
      case 2:
      case 3: {
        std::vector<std::uint8_t> report(next() % 70);
        for (std::uint8_t& b : report) b = next();
        // A report with a sound checksum now and then, so stored reports change.
        if (op & 8) StampChecksum(report);
        if (op % 6 == 2) {
          firmware.SetFeature(report);
        } else {
          firmware.GetFeature(report);
        }
        break;
      }
      case 4:
        firmware.SetStatusMode(static_cast<StatusMode>(next() % 5), next());
        break;
      default:
        if (op & 8)
          firmware.Unplug();
        else
          firmware.Plug();
        firmware.OpenFeatureDevice();
        break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::span<const std::uint8_t> input(data + 1, size - 1);
  std::vector<std::uint8_t> file;
  std::span<const std::uint8_t> rest;
  if (data[0] & 1) {
    file.assign(input.begin(), input.end());
  } else {
    file = SerializeState(FactoryState());
    std::size_t at = 0;
    for (; at + 3 <= input.size(); at += 3) {
      const std::size_t offset = static_cast<std::size_t>(input[at] << 8 | input[at + 1]);
      if (offset == 0 && input[at + 2] == 0) break;
      file[offset % (file.size() - 4)] = input[at + 2];
    }
    const std::uint32_t crc = Crc32(std::span(file).first(file.size() - 4));
    for (int i = 0; i < 4; ++i)
      file[file.size() - 4 + i] = static_cast<std::uint8_t>(crc >> (8 * i));
    rest = input.subspan(std::min(at + 3, input.size()));
  }

  const std::optional<PersistentState> state = DeserializeState(file);
  // A file that loads is the file its state saves as.
  if (state) Require(SerializeState(*state) == file);
  Host host;
  Firmware firmware(host, file);
  Require(firmware.State() == state.value_or(FactoryState()));

  Drive(firmware, rest);
  // Whatever it was told, the mouse only ever saves a state it can load again.
  if (!host.Saved.empty()) Require(DeserializeState(host.Saved) == firmware.State());
  return 0;
}
