#pragma once
// The display program's hidden main window, which takes the notice requests, and
// the notice box it shows for them.
#include <windows.h>

#include <cstdint>
#include <string>

#include "osd/appearance.h"
#include "osd/notice_machine.h"
#include "osd/notice_text.h"
#include "platform/handles.h"
#include "platform/suite_names.h"
#include "platform/window_win.h"
#include "settings/file_store_win.h"

namespace karvo::osd {

inline constexpr int kNoticeFontHeight = 25;

class OsdWindow final : public platform::Window, public INoticeHost {
 public:
  // programDir ends with a backslash.
  OsdWindow(HINSTANCE instance, std::string programDir, Taskbar taskbar);
  // Registers the class and creates the hidden, topmost main window.
  [[nodiscard]] bool Create();

  // INoticeHost
  void StartTimer(unsigned id, unsigned intervalMs) override;
  void StopTimer(unsigned id) override;
  bool CreateNoticeWindow() override;
  void DestroyNoticeWindow() override;
  void PlaceNoticeWindow(const Rect& rect) override;
  Size ScreenSize() override;
  void PaintNotice(std::uint32_t kind) override;
  void PostClose() override;

 private:
  static void CALLBACK TimerProc(HWND hwnd, UINT message, UINT_PTR id, DWORD time);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  void OnCreate();
  void OnNotice(std::uint32_t kind, std::uint32_t lParam);
  void OnAppearance(std::uint32_t lParam);
  void OnClose();
  void OnPaint();
  void OnTimer(unsigned id);

  HINSTANCE m_instance;
  settings::WinFileStore m_files;
  IniNoticeSource m_source;
  NoticeMachine m_machine;
  Appearance m_appearance;
  platform::UniqueWindow m_notice;
};

// The taskbar as measured from the "Shell_TrayWnd" window; none when there is none.
Taskbar MeasureTaskbar();

}  // namespace karvo::osd
