#pragma once
// The recorder's clock: GetTickCount, whose wrap the pause arithmetic absorbs.
#include "editors/macro_editor.h"

namespace karvo::editors {

class TickClock final : public IClock {
 public:
  std::uint32_t NowMs() const override;
};

}  // namespace karvo::editors
