#include "editors/tick_clock_win.h"

#include <windows.h>

namespace karvo::editors {

std::uint32_t TickClock::NowMs() const { return ::GetTickCount(); }

}  // namespace karvo::editors
