#pragma once
// The change flags the configurator sets in its working copy before it hands the
// block to the monitor, which uploads exactly what they name.
#include "settings/settings_image.h"

namespace karvo::configurator {

// Sets, in working only, the flags of every difference the monitor must upload;
// never clears a flag.
void DetectChanges(const settings::SettingsImage& snapshot, settings::SettingsImage& working);

// Clears SensorChanged, ButtonChanged, both load-flag arrays and ProfileChanged.
// LevelChanged stays as it is.
void ClearChangeFlags(settings::SettingsImage& block);

// The current slot's record, or nullptr when CurrentProfile is not 0..4 (a block
// from the monitor or a file is not trusted to hold a valid slot).
settings::ProfileSettings* CurrentSlotRecord(settings::SettingsImage& block);
const settings::ProfileSettings* CurrentSlotRecord(const settings::SettingsImage& block);

}  // namespace karvo::configurator
