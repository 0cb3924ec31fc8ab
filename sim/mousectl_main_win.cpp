// mousectl: plays the user's hand and the cable for the virtual mouse of the running
// monitor, through the channel its "hidgate.dll" serves.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/handles.h"
#include "sim/control.h"

namespace {

using karvo::platform::MutexLock;
using karvo::platform::UniqueHandle;
using karvo::platform::UniqueView;
using namespace karvo::sim;

constexpr DWORD kChannelTimeoutMs = 10000;

int NoMouse(const char* why) {
  std::fprintf(stderr, "mousectl: %s\n", why);
  return kExitNoMouse;
}

int Run(const Command& command) {
  UniqueHandle mapping(::OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, kChannelMappingName));
  if (!mapping) return NoMouse("no virtual mouse is running");
  UniqueView view(::MapViewOfFile(mapping.Get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
  MEMORY_BASIC_INFORMATION info{};
  if (!view || ::VirtualQuery(view.Get(), &info, sizeof info) != sizeof info ||
      info.RegionSize < sizeof(ChannelBlock)) {
    return NoMouse("the virtual mouse channel cannot be used");
  }
  UniqueHandle mutex(::OpenMutexA(SYNCHRONIZE, FALSE, kChannelMutexName));
  UniqueHandle request(::OpenEventA(EVENT_MODIFY_STATE, FALSE, kChannelRequestEventName));
  UniqueHandle replied(::OpenEventA(SYNCHRONIZE, FALSE, kChannelReplyEventName));
  if (!mutex || !request || !replied) return NoMouse("no virtual mouse is running");

  const DWORD waited = ::WaitForSingleObject(mutex.Get(), kChannelTimeoutMs);
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
    return NoMouse("the virtual mouse does not answer");
  }
  MutexLock held(mutex.Get());

  auto* block = static_cast<ChannelBlock*>(view.Get());
  // After the last request rather than the last reply: a client that gave up before its
  // reply came must not leave a number that the late reply would match.
  std::uint32_t sequence = 0;
  std::memcpy(&sequence, &block->request.sequence, sizeof sequence);
  if (++sequence == 0) sequence = 1;
  const ChannelRequest out = EncodeRequest(command, sequence);
  std::memcpy(&block->request, &out, sizeof out);
  if (!::SetEvent(request.Get())) return NoMouse("the virtual mouse channel failed");
  // Starts the thread that serves the channel, unless an earlier request did; the request
  // waits for it in its event.
  HWND server = ::FindWindowExA(HWND_MESSAGE, nullptr, kChannelWindowClass, nullptr);
  if (!server || !::PostMessageA(server, kChannelStartMessage, 0, 0)) {
    return NoMouse("no virtual mouse is running");
  }

  const DWORD start = ::GetTickCount();
  for (;;) {
    const DWORD elapsed = ::GetTickCount() - start;
    if (elapsed >= kChannelTimeoutMs ||
        ::WaitForSingleObject(replied.Get(), kChannelTimeoutMs - elapsed) != WAIT_OBJECT_0) {
      return NoMouse("the virtual mouse does not answer");
    }
    // A reply left over from an earlier client that gave up carries another sequence.
    if (block->reply.sequence == sequence) break;
  }
  // A private copy, read once: the reply field is far too large for the stack.
  auto reply = std::make_unique<ChannelReply>();
  std::memcpy(reply.get(), &block->reply, sizeof(ChannelReply));
  const std::string_view text = ReplyText(*reply);
  FILE* stream = reply->exitCode == kExitOk ? stdout : stderr;
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fflush(stream);
  return reply->exitCode <= static_cast<std::uint32_t>(kExitRefused)
             ? static_cast<int>(reply->exitCode)
             : kExitNoMouse;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string_view> args(argv + 1, argv + argc);
  const auto command = ParseCommand(args);
  if (!command) {
    std::fputs(kUsage, stderr);
    return kExitMalformed;
  }
  return Run(*command);
}
