#pragma once
// The block the monitor shares, as the configurator's rules see it.
#include "settings/settings_image.h"

namespace karvo::configurator {

class ISharedBlock {
 public:
  virtual ~ISharedBlock() = default;
  // Whole copies under the block's mutex; 0 and nothing copied when the block is
  // not open or the mutex was not acquired normally.
  [[nodiscard]] virtual int ReadSharedBlock(settings::SettingsImage* dst) = 0;
  [[nodiscard]] virtual int WriteSharedBlock(const settings::SettingsImage* src) = 0;
};

}  // namespace karvo::configurator
