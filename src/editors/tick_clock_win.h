#pragma once
// The recorder's clock: GetTickCount, whose wrap the pause arithmetic absorbs. While a hooked
// key is handled it answers the time the system stamped on that key instead, so a pause is
// the time between two keys as typed, not between the moments a busy window got round to
// them.
#include <cstdint>
#include <optional>

#include "editors/macro_editor.h"

namespace karvo::editors {

class TickClock final : public IClock {
 public:
  std::uint32_t NowMs() const override;
  // From now until EndKey; a zero stamp (none given) leaves GetTickCount in force.
  void BeginKey(std::uint32_t stampMs);
  void EndKey() { m_stamp.reset(); }

 private:
  std::optional<std::uint32_t> m_stamp;
};

}  // namespace karvo::editors
