// libFuzzer target for the configurator's models fed from outside: a settings image
// as the monitor's block delivers it, a notification record as config.ini delivers
// it, profile files chosen by the user, and the values that control notifications
// carry. The input is a list of operations, so that every page works on blocks of
// any content and in any order.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "configurator/advanced_page_model.h"
#include "configurator/change_flags.h"
#include "configurator/configurator_session.h"
#include "configurator/profile_commands.h"
#include "configurator/sensitivity_page_model.h"
#include "configurator/system_page_model.h"
#include "notify_settings/notices_page_model.h"
#include "platform/suite_names.h"
#include "settings/memory_file_store.h"
#include "tests/configurator/configurator_fakes.h"
#include "tests/settings/fake_registry.h"
#include "tests/support/fuzz_input.h"

namespace {

using namespace karvo;
using namespace karvo::configurator;

using Input = karvo::fuzz::FuzzInput;

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

bool IsCpiText(const std::string& text) {
  for (const char* cpi : {"0", "400", "800", "1600", "3200", "4000", "4800", "6400"}) {
    if (text == cpi) return true;
  }
  return false;
}

void CheckViews(SensitivityPageModel& sensitivity, SystemPageModel& system,
                AdvancedPageModel& advanced, notify_settings::NoticesPageModel& notices) {
  if (auto view = sensitivity.Refresh()) {
    Check(view->XPosition >= 1 && view->XPosition <= 20);
    Check(view->YPosition >= 1 && view->YPosition <= 20);
    Check(view->DefaultLevel >= -1 && view->DefaultLevel <= 2);
    for (int i = 0; i < 3; ++i) {
      Check(view->CpiPosition[i] >= 1 && view->CpiPosition[i] <= 7);
      Check(IsCpiText(view->CpiText[i]));
    }
  }
  const SystemView sys = system.Refresh();
  Check(sys.DoubleClickPosition >= 1 && sys.DoubleClickPosition <= 11);
  Check(sys.PointerSpeedPosition >= 1 && sys.PointerSpeedPosition <= 11);
  if (auto view = advanced.Refresh()) {
    Check(view->PollingRadio >= -1 && view->PollingRadio <= 3);
    Check(view->LightTypeRadio >= -1 && view->LightTypeRadio <= 1);
  }
  const notify_settings::NoticesView view = notices.Refresh();
  Check(view.SelectedColor >= -1 && view.SelectedColor <= 6);
  Check(view.TransparencyCaption.size() <= 4);
  Check(view.Server.size() <= 100 && view.User.size() <= 100 && view.Password.size() <= 100);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  testing::Log log;
  settings::MemoryFileStore store;
  settings::testing::FakeRegistry registry;
  settings::SettingsFiles files(store, registry, "C:\\K\\");
  testing::FakeBlock block(log);
  testing::FakeMacros macros(log);
  testing::FakeHost host(log);
  testing::FakeSystemMouse mouse;
  ProfileCommands commands(store, registry, "C:\\K\\");

  files.SetDefaults(&block.Image);
  for (int n = in.Byte() % 16; n > 0; --n) in.Patch(&block.Image, sizeof block.Image);
  ConfiguratorSession session({files, registry, macros});
  session.StartUp(&block);
  settings::SettingsImage& working = session.WorkingBlock();
  SensitivityPageModel sensitivity(working);
  SystemPageModel system(working, mouse);
  AdvancedPageModel advanced(working);
  notify_settings::NoticesPageModel notices(session.NoticeSettings());
  notices.Init();

  constexpr int kSliderIds[] = {kXSliderId, kYSliderId, 300, 301, 302, 5, 6, 303};
  while (!in.Empty()) {
    const int op = in.Byte() % 10;
    // Without a valid current slot no page or profile command may touch a profile.
    std::unique_ptr<settings::SettingsImage> before;
    if (!CurrentSlotRecord(working) && (op <= 2 || op == 8)) {
      before = std::make_unique<settings::SettingsImage>(working);
    }
    switch (op) {
      case 0: {
        const int position = in.Int();
        sensitivity.OnSlider(position, kSliderIds[in.Byte() % 8]);
        system.OnSlider(position, kSliderIds[in.Byte() % 8]);
        break;
      }
      case 1:
        sensitivity.OnCommand(static_cast<SensitivityCommand>(in.Byte() % 5), in.Byte() & 1);
        break;
      case 2:
        advanced.OnPollingRadio(in.Int());
        advanced.OnLightSwitchRadio(in.Int());
        advanced.OnLightTypeRadio(in.Int());
        advanced.OnOnTheGoSpeedText(in.Text(8));
        break;
      case 3:
        notices.OnEditChange(4014 + in.Byte() % 7, in.Text(200));
        notices.OnTransparencyCommand(in.Int());
        notices.OnColor(in.Int());
        notices.OnCheck(in.Int(), in.Byte() & 1);
        break;
      case 4:
        in.Patch(&session.NoticeSettings(), sizeof(settings::OSDSetting));
        break;
      case 5:
        for (int n = in.Byte() % 4; n >= 0; --n) in.Patch(&block.Image, sizeof block.Image);
        session.OnMonitorMessage(host, 1254 + in.Byte() % 12, in.Int());
        break;
      case 6:
        (void)session.SelectSlot(in.Int());
        break;
      case 7:
        in.Patch(&working, sizeof working);
        break;
      case 8:
        store.SetFile("D:\\in.kmp", in.Text(255));
        (void)commands.LoadProfile(working, "D:\\in.kmp");
        (void)commands.ApplyProfileDialog(working, {in.Text(40), in.Text(255)});
        break;
      case 9:
        if (in.Byte() % 8 == 0) {
          session.Apply(host, platform::kApplyNormal, notices.TransparencyIndex());
          Check(std::memcmp(&session.SnapshotBlock(), &working, sizeof working) == 0);
        }
        break;
    }
    if (before) {
      Check(std::memcmp(before->Profiles, working.Profiles, sizeof working.Profiles) == 0);
    }
    CheckViews(sensitivity, system, advanced, notices);
  }
  return 0;
}
