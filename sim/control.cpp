#include "sim/control.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace karvo::sim {
namespace {

constexpr std::uint32_t kMaxButton = kPhysicalButtons;
constexpr std::uint32_t kMaxWord = 0xFFFF;
constexpr std::uint32_t kMaxBusy = 0x7FFFFFFF;
constexpr std::uint32_t kMaxVersion = 0xFF;

std::string Hex(std::uint32_t word) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(word));
  return buf;
}

std::string StatusModeText(const Firmware& f) {
  switch (f.GetStatusMode()) {
    case StatusMode::kOk:
      return "ok";
    case StatusMode::kBusy:
      return "busy " + std::to_string(f.BusyCount());
    case StatusMode::kBusyForever:
      return "busy-forever";
    case StatusMode::kFail:
      return "fail";
    case StatusMode::kSilent:
      return "silent";
  }
  return "ok";
}

template <std::size_t N>
std::string HexBytes(const std::array<std::uint8_t, N>& bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string s;
  for (std::uint8_t b : bytes) {
    s += kHex[b >> 4];
    s += kHex[b & 0xF];
  }
  return s;
}

std::string StateText(const Firmware& f) {
  const PersistentState& s = f.State();
  std::string text = "slot " + std::to_string(s.activeSlot) + "\nmode " + std::to_string(s.mode) +
                     "\ncpi " + std::to_string(s.cpiStep) + "\nlevel " + std::to_string(s.level) +
                     "\nfirmware " + std::to_string(s.firmwareVersion) + "\nplugged " +
                     (f.Plugged() ? "1" : "0") + "\nopen " + (f.Open() ? "1" : "0") + "\nhost " +
                     std::to_string(f.HostControl()) + "\nstatus " + StatusModeText(f) + "\n";
  for (int i = 0; i < kSlotCount; ++i) {
    text += "sensor" + std::to_string(i) + " " + HexBytes(s.sensor[i]) + "\n";
    text += "buttons" + std::to_string(i) + " " + HexBytes(s.buttons[i]) + "\n";
  }
  return text;
}

std::string ButtonText(const ButtonResult& r) {
  return r.posted ? "posted " + Hex(*r.posted) + "\n" : "nothing posted\n";
}

constexpr char kUnpluggedText[] = "the virtual mouse is unplugged; nothing happened\n";

}  // namespace

std::optional<std::uint32_t> ParseNumber(std::string_view text, std::uint32_t max) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty() || text.size() > 10) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return std::nullopt;
    }
    value = value * base + digit;
    if (value > max) return std::nullopt;
  }
  return static_cast<std::uint32_t>(value);
}

std::optional<Command> ParseCommand(std::span<const std::string_view> args) {
  if (args.empty()) return std::nullopt;
  const std::string_view verb = args[0];
  const std::size_t n = args.size();
  auto number = [&](std::size_t i, std::uint32_t min, std::uint32_t max) {
    auto v = ParseNumber(args[i], max);
    return v && *v >= min ? v : std::nullopt;
  };
  auto simple = [&](Op op) { return n == 1 ? std::optional<Command>(Command{op}) : std::nullopt; };

  if (verb == "press" || verb == "release" || verb == "click") {
    if (n != 2) return std::nullopt;
    const auto k = number(1, 1, kMaxButton);
    if (!k) return std::nullopt;
    const Op op = verb == "press" ? Op::kPress : verb == "release" ? Op::kRelease : Op::kClick;
    return Command{op, *k};
  }
  if (verb == "event") {
    if (n != 3) return std::nullopt;
    const auto type = number(1, 0, kMaxWord);
    const auto param = number(2, 0, kMaxWord);
    if (!type || !param) return std::nullopt;
    return Command{Op::kEvent, *type, *param};
  }
  if (verb == "unplug") return simple(Op::kUnplug);
  if (verb == "plug") return simple(Op::kPlug);
  if (verb == "state") return simple(Op::kState);
  if (verb == "reset") return simple(Op::kReset);
  if (verb == "firmware") {
    if (n != 2) return std::nullopt;
    const auto v = number(1, 0, kMaxVersion);
    return v ? std::optional<Command>(Command{Op::kFirmware, *v}) : std::nullopt;
  }
  if (verb == "reports") {
    if (n == 1) return Command{Op::kReports};
    if (n == 2 && args[1] == "--clear") return Command{Op::kReportsClear};
    return std::nullopt;
  }
  if (verb == "status" && n >= 2) {
    const std::string_view mode = args[1];
    if (mode == "busy") {
      if (n != 3) return std::nullopt;
      const auto count = number(2, 0, kMaxBusy);
      return count ? std::optional<Command>(Command{Op::kStatusBusy, *count}) : std::nullopt;
    }
    if (n != 2) return std::nullopt;
    if (mode == "ok") return Command{Op::kStatusOk};
    if (mode == "busy-forever") return Command{Op::kStatusBusyForever};
    if (mode == "fail") return Command{Op::kStatusFail};
    if (mode == "silent") return Command{Op::kStatusSilent};
  }
  return std::nullopt;
}

Reply Execute(Firmware& f, const Command& c) {
  const bool buttonOp = c.op == Op::kPress || c.op == Op::kRelease || c.op == Op::kClick;
  if (buttonOp && (c.arg1 < 1 || c.arg1 > kMaxButton)) return {kExitMalformed, kUsage};
  if (buttonOp && !f.Plugged()) return {kExitRefused, kUnpluggedText};
  const int button = static_cast<int>(c.arg1);

  switch (c.op) {
    case Op::kPress:
      return {kExitOk, ButtonText(f.Press(button))};
    case Op::kRelease:
      return {kExitOk, ButtonText(f.Release(button))};
    case Op::kClick: {
      std::string text = ButtonText(f.Press(button));
      return {kExitOk, text + ButtonText(f.Release(button))};
    }
    case Op::kEvent:
      if (c.arg1 > kMaxWord || c.arg2 > kMaxWord) return {kExitMalformed, kUsage};
      f.PostRaw(static_cast<std::uint16_t>(c.arg1), static_cast<std::uint16_t>(c.arg2));
      return {kExitOk, "posted " + Hex(c.arg1 << 16 | c.arg2) + "\n"};
    case Op::kUnplug:
      f.Unplug();
      return {kExitOk, "unplugged\n"};
    case Op::kPlug:
      f.Plug();
      return {kExitOk, "plugged\n"};
    case Op::kStatusOk:
      f.SetStatusMode(StatusMode::kOk);
      break;
    case Op::kStatusBusy:
      if (c.arg1 > kMaxBusy) return {kExitMalformed, kUsage};
      f.SetStatusMode(StatusMode::kBusy, c.arg1);
      break;
    case Op::kStatusBusyForever:
      f.SetStatusMode(StatusMode::kBusyForever);
      break;
    case Op::kStatusFail:
      f.SetStatusMode(StatusMode::kFail);
      break;
    case Op::kStatusSilent:
      f.SetStatusMode(StatusMode::kSilent);
      break;
    case Op::kReports: {
      std::string text;
      for (const auto& entry : f.ReportLog()) text += FormatLogEntry(entry) + "\n";
      return {kExitOk, text};
    }
    case Op::kReportsClear:
      f.ClearReportLog();
      return {kExitOk, "cleared\n"};
    case Op::kState:
      return {kExitOk, StateText(f)};
    case Op::kFirmware:
      if (c.arg1 > kMaxVersion) return {kExitMalformed, kUsage};
      f.SetFirmwareVersion(static_cast<std::uint8_t>(c.arg1));
      return {kExitOk, "firmware " + std::to_string(c.arg1) + "\n"};
    case Op::kReset:
      f.Reset();
      return {kExitOk, "factory state\n"};
    default:
      return {kExitMalformed, kUsage};
  }
  return {kExitOk, "status " + StatusModeText(f) + "\n"};
}

std::optional<Command> DecodeRequest(const ChannelRequest& request) {
  if (request.magic != kChannelMagic) return std::nullopt;
  if (request.op < static_cast<std::uint32_t>(Op::kPress) ||
      request.op > static_cast<std::uint32_t>(Op::kReset)) {
    return std::nullopt;
  }
  return Command{static_cast<Op>(request.op), request.arg1, request.arg2};
}

ChannelRequest EncodeRequest(const Command& command, std::uint32_t sequence) {
  return {kChannelMagic, sequence, static_cast<std::uint32_t>(command.op), command.arg1,
          command.arg2};
}

void EncodeReply(const Reply& reply, std::uint32_t sequence, ChannelReply& out) {
  std::size_t length = reply.text.size();
  if (length > kReplyTextCapacity) {
    const std::size_t lastLine = reply.text.rfind('\n', kReplyTextCapacity - 1);
    length = lastLine == std::string::npos ? kReplyTextCapacity : lastLine + 1;
  }
  std::memcpy(out.text, reply.text.data(), length);
  out.length = static_cast<std::uint32_t>(length);
  out.exitCode = static_cast<std::uint32_t>(reply.exitCode);
  out.sequence = sequence;
}

std::string_view ReplyText(const ChannelReply& reply) {
  return {reply.text, std::min<std::size_t>(reply.length, kReplyTextCapacity)};
}

}  // namespace karvo::sim
