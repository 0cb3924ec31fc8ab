#pragma once
// The notices page's rules: which notices and applets are on, the colour and
// transparency of the notice box, and the mail account, edited in the
// configurator's notification record.
#include <string>
#include <string_view>

#include "settings/settings_image.h"
#include "skin/menu_model.h"

namespace karvo::notify_settings {

inline constexpr int kNoticeCheckCount = 7;  // CPU, RAM, Profile, Macro, Email, Skype, CPI
inline constexpr int kColorCount = 7;        // red .. purple
inline constexpr int kTransparencyCount = 10;
inline constexpr int kTransparencyFirstCommand = 1001;  // "10%" .. 1010 "100%"

// Notifier ids of the edits' "BitmapEdit_Change" (lParam), and each edit's limit.
inline constexpr int kServerNotifyId = 4015;
inline constexpr int kPortNotifyId = 4016;
inline constexpr int kUserNotifyId = 4017;
inline constexpr int kPasswordNotifyId = 4018;
inline constexpr int kIntervalNotifyId = 4019;
inline constexpr int kServerMaxChars = 60;
inline constexpr int kPortMaxChars = 5;  // every TCP port up to 65535
inline constexpr int kUserMaxChars = 50;
// One less than the record's field: MailPassword always keeps its terminator.
inline constexpr int kPasswordMaxChars =
    static_cast<int>(sizeof(settings::OSDSetting::MailPassword)) - 1;
inline constexpr int kIntervalMaxChars = 4;

// "10%" for 0 .. "100%" for 9; "" for any other index.
std::string TransparencyCaption(int index);

// The transparency button's menu: the ten captions with commands 1001..1010, drawn in
// the swiss-family Arial.
inline constexpr int kTransparencyMenuItemWidth = 90;
inline constexpr skin::MenuFont kTransparencyMenuFont = {"Arial", 14, 5, 400,
                                                         skin::FontFamily::Swiss};
skin::PopupMenu TransparencyMenu();

struct NoticesView {
  bool Checked[kNoticeCheckCount] = {};
  int SelectedColor = -1;  // 0..6, -1: no colour button checked
  std::string TransparencyCaption;
  std::string Server;
  std::string Port;
  std::string User;
  std::string Password;
  std::string Interval;
};

class NoticesPageModel {
 public:
  explicit NoticesPageModel(settings::OSDSetting& record) : m_record(record) {}

  // Page set-up: colour and transparency taken from the record.
  void Init();
  // Every control from the record; the transparency held so far is dropped.
  NoticesView Refresh();

  // Check box i (0..6) after a click.
  void OnCheck(int index, bool checked);
  // Colour button i (0..6): written into the record at once.
  void OnColor(int index);
  // Popup menu command 1001..1010 chooses index 0..9; false (nothing held) for any
  // other command.
  bool OnTransparencyCommand(int command);
  // "BitmapEdit_Change" from the edit with notifier id notifyId; its whole text, in
  // the ANSI code page.
  void OnEditChange(int notifyId, std::string_view text);

  int SelectedColor() const { return m_selectedColor; }
  // Held here until Apply copies it into the record.
  int TransparencyIndex() const { return m_transparencyIndex; }
  std::string Caption() const { return TransparencyCaption(m_transparencyIndex); }

 private:
  settings::OSDSetting& m_record;
  int m_selectedColor = -1;
  int m_transparencyIndex = 0;
};

}  // namespace karvo::notify_settings
