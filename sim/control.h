#pragma once
// mousectl's commands: parsed from its command line, carried to the virtual mouse as a
// fixed request record, carried out on the firmware, answered with text and an exit code.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "sim/firmware.h"

namespace karvo::sim {

enum class Op : std::uint32_t {
  kPress = 1,
  kRelease,
  kClick,
  kEvent,
  kUnplug,
  kPlug,
  kStatusOk,
  kStatusBusy,
  kStatusBusyForever,
  kStatusFail,
  kStatusSilent,
  kReports,
  kReportsClear,
  kState,
  kFirmware,
  kReset,
};

struct Command {
  Op op = Op::kState;
  std::uint32_t arg1 = 0;
  std::uint32_t arg2 = 0;
  bool operator==(const Command&) const = default;
};

// mousectl's exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitNoMouse = 1;
inline constexpr int kExitMalformed = 2;
inline constexpr int kExitRefused = 3;

inline constexpr char kUsage[] =
    "usage: mousectl press|release|click K (1..9)\n"
    "       mousectl event TYPE PARAM (0..0xFFFF each, hex with 0x or decimal)\n"
    "       mousectl unplug | plug\n"
    "       mousectl status ok | busy N | busy-forever | fail | silent\n"
    "       mousectl reports [--clear]\n"
    "       mousectl state | reset | firmware N (0..255)\n";

// Decimal, or hexadecimal with a 0x prefix; nullopt unless the whole text is a number
// not above max.
std::optional<std::uint32_t> ParseNumber(std::string_view text, std::uint32_t max);

// Nullopt for a malformed command line (arguments after the program name).
std::optional<Command> ParseCommand(std::span<const std::string_view> args);

struct Reply {
  int exitCode = kExitOk;
  std::string text;
};

// Carries out a command that arrived over the channel; its fields are checked again.
Reply Execute(Firmware& firmware, const Command& command);

// The named channel's shared record. The library creates it; one mousectl at a time
// (under the channel mutex) writes a request, signals the request event and waits for the
// reply with its sequence. The thread that serves requests starts with the first of them:
// mousectl also posts kChannelStartMessage to the library's message-only window of class
// kChannelWindowClass, which belongs to the thread that opened the device monitor. A
// virtual mouse nobody talks to therefore keeps no thread.
inline constexpr char kChannelMappingName[] = "KARVO_Virtual_Mouse_Channel";
inline constexpr char kChannelMutexName[] = "KARVO_Virtual_Mouse_Channel_Mutex";
inline constexpr char kChannelRequestEventName[] = "KARVO_Virtual_Mouse_Request";
inline constexpr char kChannelReplyEventName[] = "KARVO_Virtual_Mouse_Reply";
inline constexpr char kChannelWindowClass[] = "KARVO_Virtual_Mouse_Channel_Window";
inline constexpr unsigned kChannelStartMessage = 0x8000 + 0x4B;  // WM_APP + 75
inline constexpr std::uint32_t kChannelMagic = 0x4B564D43;       // "KVMC"
inline constexpr std::size_t kReplyTextCapacity = 256 * 1024;

struct ChannelRequest {
  std::uint32_t magic;
  std::uint32_t sequence;
  std::uint32_t op;
  std::uint32_t arg1;
  std::uint32_t arg2;
};

struct ChannelReply {
  std::uint32_t sequence;
  std::uint32_t exitCode;
  std::uint32_t length;
  char text[kReplyTextCapacity];
};

struct ChannelBlock {
  ChannelRequest request;
  ChannelReply reply;
};

static_assert(sizeof(ChannelRequest) == 20);
static_assert(offsetof(ChannelRequest, sequence) == 4);
static_assert(offsetof(ChannelRequest, op) == 8);
static_assert(offsetof(ChannelRequest, arg1) == 12);
static_assert(offsetof(ChannelRequest, arg2) == 16);
static_assert(offsetof(ChannelReply, exitCode) == 4);
static_assert(offsetof(ChannelReply, length) == 8);
static_assert(offsetof(ChannelReply, text) == 12);
static_assert(sizeof(ChannelReply) == 12 + kReplyTextCapacity);
static_assert(offsetof(ChannelBlock, reply) == 20);
static_assert(sizeof(ChannelBlock) == 20 + sizeof(ChannelReply));

// The request as a command, or nullopt when the record is not one.
std::optional<Command> DecodeRequest(const ChannelRequest& request);
ChannelRequest EncodeRequest(const Command& command, std::uint32_t sequence);
// Fills the reply; text longer than the field is cut at the last whole line that fits.
void EncodeReply(const Reply& reply, std::uint32_t sequence, ChannelReply& out);
// The reply's text read only within its field, whatever its length field says.
std::string_view ReplyText(const ChannelReply& reply);

}  // namespace karvo::sim
