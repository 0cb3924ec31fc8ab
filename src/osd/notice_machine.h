#pragma once
// The notice box's behaviour: which requests show, replace or remove a box, the
// timers that paint and hide it, and where it goes on the screen. The window
// side only creates, places and draws what this decides.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "osd/notice_text.h"

namespace karvo::osd {

// wParam of the notice request.
enum NoticeKind : std::uint32_t {
  kKindNone = 20,
  kKindQuit = 30,
  kKindProfile = 40,
  kKindMessage = 50,
  kKindMacro = 70,
  kKindCpi = 128,
  kKindVolume = 160,
};

inline constexpr unsigned kPaintIntervalMs = 50;
inline constexpr unsigned kHideDelayMs = 2000;
inline constexpr int kNoticeHeight = 56;
inline constexpr int kTextMargin = 30;  // on each side of the text
inline constexpr int kMessageRequestWidth = 250;
inline constexpr int kNoticeCount = 5;

struct NoticeTimers {
  std::uint32_t kind;
  unsigned paintId;
  unsigned hideId;
};

inline constexpr std::array<NoticeTimers, kNoticeCount> kNoticeTimers{{
    {kKindProfile, 2, 6},
    {kKindMessage, 3, 5},
    {kKindMacro, 7, 8},
    {kKindCpi, 11, 12},
    {kKindVolume, 9, 10},
}};

struct Size {
  int width = 0;
  int height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

enum class TaskbarEdge { None, Bottom, Top, Left, Right };

struct Taskbar {
  TaskbarEdge edge = TaskbarEdge::None;
  int thickness = 0;
};

// The taskbar from its window rectangle: docked along the screen edge it touches;
// None when the rectangle is empty or touches no edge.
Taskbar TaskbarFromRect(int left, int top, int right, int bottom, Size screen);

// The bottom-right corner the box sits in: the screen's, moved off a taskbar on
// the bottom or right edge.
struct Corner {
  int right = 0;
  int bottom = 0;
};
Corner NoticeCorner(Size screen, const Taskbar& taskbar);

class ITextMeasurer {
 public:
  virtual ~ITextMeasurer() = default;
  virtual Size Measure(const std::u16string& text) = 0;
};

class INoticeHost {
 public:
  virtual ~INoticeHost() = default;
  // Timers on the main window; starting a running timer restarts its interval.
  virtual void StartTimer(unsigned id, unsigned intervalMs) = 0;
  virtual void StopTimer(unsigned id) = 0;
  // Creates the hidden notice window; false when it could not be created.
  virtual bool CreateNoticeWindow() = 0;
  virtual void DestroyNoticeWindow() = 0;
  // Moves the notice window and shows it topmost without activating it.
  virtual void PlaceNoticeWindow(const Rect& rect) = 0;
  virtual Size ScreenSize() = 0;
  // Draws the notice of kind on the window (a paint tick); calls back PlanPaint.
  virtual void PaintNotice(std::uint32_t kind) = 0;
  virtual void PostClose() = 0;
};

// What one paint tick draws: the box's place and its text at (textX, textY) inside it.
struct PaintPlan {
  Rect box;
  std::u16string text;
  int textX = 0;
  int textY = 0;
};

// Turns what a user typed (profile and macro names) and the texts other programs hand over
// into characters: the system's ANSI code page on Windows.
using UserTextDecoder = std::function<std::u16string(std::string_view)>;

class NoticeMachine {
 public:
  // The notice formats are the suite's own Windows-1252 texts; without a decoder the rest is
  // read as Windows-1252 too.
  NoticeMachine(INoticeHost& host, INoticeSource& source, Taskbar taskbar,
                UserTextDecoder userText = {});

  void OnRequest(std::uint32_t kind, std::uint32_t lParam);
  // A timer callback; unknown ids are ignored.
  void OnTimer(unsigned id);
  // The box for the current text of kind, measured with the notice font.
  std::optional<PaintPlan> PlanPaint(std::uint32_t kind, ITextMeasurer& measurer) const;

  std::uint32_t LastKind() const { return m_lastKind; }
  bool Showing() const { return m_showing; }
  bool HasWindow() const { return m_hasWindow; }
  // The current text of kind (empty for a kind that is no notice).
  const std::string& Text(std::uint32_t kind) const;

 private:
  static std::optional<int> IndexOf(std::uint32_t kind);
  void ClearScreen();
  void UpdateText(std::uint32_t kind, std::uint32_t lParam);
  // The text of notice index as characters: its format part and its user part each decoded
  // as what it is.
  std::u16string Characters(int index) const;

  INoticeHost& m_host;
  INoticeSource& m_source;
  Taskbar m_taskbar;
  Size m_screen;
  std::uint32_t m_lastKind = 0;
  bool m_showing = false;
  bool m_hasWindow = false;
  UserTextDecoder m_userText;
  std::array<std::string, kNoticeCount> m_texts;
  // Where the user's part of each text begins (its size when there is none).
  std::array<std::size_t, kNoticeCount> m_userTextStart{};
};

}  // namespace karvo::osd
