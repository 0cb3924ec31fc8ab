#include "editors/tick_clock_win.h"

#include <windows.h>

namespace karvo::editors {

std::uint32_t TickClock::NowMs() const { return m_stamp ? *m_stamp : ::GetTickCount(); }

void TickClock::BeginKey(std::uint32_t stampMs) {
  if (stampMs != 0) m_stamp = stampMs;
}

}  // namespace karvo::editors
