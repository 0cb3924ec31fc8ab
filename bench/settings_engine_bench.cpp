// The INI engine's share of SaveAll and LoadAll: five full profiles (every button
// record a full macro) written to and parsed from memory, without the disk.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

#include "settings/memory_file_store.h"
#include "settings/profile_files.h"
#include "settings/registry.h"
#include "settings/settings_image.h"

namespace karvo::settings {
namespace {

// The Windows mouse settings are not part of what is measured.
class NoRegistry final : public IRegistry {
 public:
  std::unique_ptr<IRegistryKey> OpenOrCreateKey(const std::string&) override { return nullptr; }
  std::unique_ptr<IRegistryKey> OpenKeyForRead(const std::string&) override { return nullptr; }
};

std::unique_ptr<SettingsImage> FullImage() {
  auto image = std::make_unique<SettingsImage>();
  ResetImage(image.get());
  image->CurrentProfile = 2;
  for (int slot = 0; slot < kProfileCount; ++slot) {
    ProfileSettings& p = image->Profiles[slot];
    SetProfileDefaults(&p, slot);
    for (int n = 0; n < kButtonRecordCount; ++n) {
      MacroKeyInfo& key = p.MacroKeys[n];
      key.FunctionCode = 16;
      std::snprintf(key.Name, sizeof key.Name, "Macro %d of profile %d", n, slot);
      key.EventCount = kMaxMacroEvents;
      for (std::size_t i = 0; i < sizeof key.Data; ++i) {
        key.Data[i] = static_cast<std::uint8_t>(i * 13 + n);
      }
    }
  }
  return image;
}

void BM_SaveAll(benchmark::State& state) {
  MemoryFileStore store;
  NoRegistry registry;
  SettingsFiles files(store, registry, "C:\\Suite\\");
  auto image = FullImage();
  for (auto _ : state) {
    // Alternating names make every save a real change of every file.
    image->Profiles[0].ProFileName[0] = state.iterations() % 2 ? 'A' : 'B';
    benchmark::DoNotOptimize(files.SaveAll(image.get()));
  }
}
BENCHMARK(BM_SaveAll)->Unit(benchmark::kMillisecond);

void BM_LoadAll(benchmark::State& state) {
  MemoryFileStore store;
  NoRegistry registry;
  SettingsFiles files(store, registry, "C:\\Suite\\");
  auto image = FullImage();
  if (files.SaveAll(image.get()) != 1) state.SkipWithError("SaveAll failed");
  auto loaded = std::make_unique<SettingsImage>();
  for (auto _ : state) {
    benchmark::DoNotOptimize(files.LoadAll(loaded.get()));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_LoadAll)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace karvo::settings
