#include "notify_settings/notices_page_model.h"

#include <cstdint>
#include <utility>

#include "settings/mouse_settings.h"

namespace karvo::notify_settings {
namespace {

using settings::OSDSetting;

constexpr std::int32_t OSDSetting::*kCheckFields[kNoticeCheckCount] = {
    &OSDSetting::ShowCpu,  &OSDSetting::ShowRam,   &OSDSetting::ShowProfile, &OSDSetting::ShowMacro,
    &OSDSetting::ShowMail, &OSDSetting::ShowSkype, &OSDSetting::ShowDpi,
};

int ColorShown(int index) { return index >= 0 && index < kColorCount ? index : -1; }

}  // namespace

std::string TransparencyCaption(int index) {
  if (index < 0 || index >= kTransparencyCount) return std::string();
  return std::to_string(index * 10 + 10) + "%";
}

skin::PopupMenu TransparencyMenu() {
  skin::PopupMenu menu;
  menu.ItemWidth = kTransparencyMenuItemWidth;
  for (int i = 0; i < kTransparencyCount; ++i) {
    skin::MenuEntry entry;
    entry.Text.Bytes = TransparencyCaption(i);
    entry.Command = kTransparencyFirstCommand + i;
    menu.Entries.push_back(std::move(entry));
  }
  return menu;
}

void NoticesPageModel::Init() {
  m_selectedColor = ColorShown(m_record.OsdColor);
  m_transparencyIndex = m_record.OsdTransparency;
}

NoticesView NoticesPageModel::Refresh() {
  NoticesView view;
  for (int i = 0; i < kNoticeCheckCount; ++i) view.Checked[i] = m_record.*kCheckFields[i] != 0;
  m_selectedColor = ColorShown(m_record.OsdColor);
  view.SelectedColor = m_selectedColor;
  m_transparencyIndex = m_record.OsdTransparency;
  view.TransparencyCaption = TransparencyCaption(m_transparencyIndex);
  // The record may come from a damaged file: its texts are read within their fields.
  view.Server = std::string(settings::FieldText(m_record.MailServer));
  view.Port = std::to_string(m_record.MailPort);
  view.User = std::string(settings::FieldText(m_record.MailUser));
  view.Password = std::string(settings::FieldText(m_record.MailPassword));
  view.Interval = std::to_string(m_record.MailInterval);
  return view;
}

void NoticesPageModel::OnCheck(int index, bool checked) {
  if (index < 0 || index >= kNoticeCheckCount) return;
  m_record.*kCheckFields[index] = checked ? 1 : 0;
}

void NoticesPageModel::OnColor(int index) {
  if (index < 0 || index >= kColorCount) return;
  m_selectedColor = index;
  m_record.OsdColor = index;
}

bool NoticesPageModel::OnTransparencyCommand(int command) {
  // Range first: a command number from a message may be anything.
  if (command < kTransparencyFirstCommand ||
      command >= kTransparencyFirstCommand + kTransparencyCount) {
    return false;
  }
  m_transparencyIndex = command - kTransparencyFirstCommand;
  return true;
}

void NoticesPageModel::OnEditChange(int notifyId, std::string_view text) {
  switch (notifyId) {
    case kServerNotifyId:
      settings::SetFieldText(m_record.MailServer, text);
      break;
    case kPortNotifyId:
      m_record.MailPort = settings::ParseDecimal(text);
      break;
    case kUserNotifyId:
      settings::SetFieldText(m_record.MailUser, text);
      break;
    case kPasswordNotifyId:
      settings::SetFieldText(m_record.MailPassword, text);
      break;
    case kIntervalNotifyId:
      m_record.MailInterval = settings::ParseDecimal(text);
      break;
    default:
      break;
  }
}

}  // namespace karvo::notify_settings
