#pragma once
// The OSD page: which notices the monitor shows, their colour and transparency, the mail
// account. The transparency chosen here reaches the notification record only on Apply. The
// rules are the model's; the page hands it every click, menu choice and edit and shows what it
// answers.
#include <windows.h>

#include "notify_settings/notices_page_model.h"
#include "settings/settings_image.h"
#include "skin/configurator_page_win.h"

namespace karvo::notify_settings {

class OsdPage final : public skin::ConfiguratorPage {
 public:
  explicit OsdPage(settings::OSDSetting& record)
      : ConfiguratorPage(skin::WindowId::OsdPage), m_record(record), m_model(record) {}

  void Refresh() override;
  // The transparency index Apply stores into the record; before the page exists nothing can
  // have been chosen, and the record keeps its own.
  int TransparencyIndex() const {
    return m_hwnd ? m_model.TransparencyIndex() : m_record.OsdTransparency;
  }

 protected:
  bool OnInit() override;
  void OnCommand(int id, int code, HWND control) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& directResult) override;

 private:
  void ShowColor(int index);
  void ShowCaption();
  void ChooseTransparency(std::size_t buttonIndex);
  void OnEditChange(LPARAM notifyId);

  settings::OSDSetting& m_record;
  NoticesPageModel m_model;
};

}  // namespace karvo::notify_settings
