#include "osd/notice_machine.h"

#include <algorithm>

#include "platform/text_encoding.h"

namespace karvo::osd {

namespace {
constexpr int kProfileSlots = 5;
constexpr int kCpiLevels = 7;

std::uint32_t HighWord(std::uint32_t value) { return (value >> 16) & 0xFFFF; }
std::uint32_t LowWord(std::uint32_t value) { return value & 0xFFFF; }

const std::string kNoText;
}  // namespace

Taskbar TaskbarFromRect(int left, int top, int right, int bottom, Size screen) {
  // Only the part on the screen counts (an auto-hidden taskbar sticks out of it).
  const int visibleLeft = std::max(left, 0);
  const int visibleTop = std::max(top, 0);
  const int visibleRight = std::min(right, screen.width);
  const int visibleBottom = std::min(bottom, screen.height);
  const int width = visibleRight - visibleLeft;
  const int height = visibleBottom - visibleTop;
  if (width <= 0 || height <= 0) return {};
  if (width >= height) {
    return {visibleTop > 0 ? TaskbarEdge::Bottom : TaskbarEdge::Top, height};
  }
  return {visibleLeft > 0 ? TaskbarEdge::Right : TaskbarEdge::Left, width};
}

Corner NoticeCorner(Size screen, const Taskbar& taskbar) {
  Corner corner{screen.width, screen.height};
  if (taskbar.edge == TaskbarEdge::Bottom) {
    corner.bottom -= std::clamp(taskbar.thickness, 0, std::max(0, screen.height - kNoticeHeight));
  } else if (taskbar.edge == TaskbarEdge::Right) {
    corner.right -= std::clamp(taskbar.thickness, 0, std::max(0, screen.width / 2));
  }
  return corner;
}

NoticeMachine::NoticeMachine(INoticeHost& host, INoticeSource& source, Taskbar taskbar,
                             UserTextDecoder userText)
    : m_host(host), m_source(source), m_taskbar(taskbar), m_userText(std::move(userText)) {}

std::optional<int> NoticeMachine::IndexOf(std::uint32_t kind) {
  for (int i = 0; i < kNoticeCount; ++i) {
    if (kNoticeTimers[static_cast<std::size_t>(i)].kind == kind) return i;
  }
  return std::nullopt;
}

const std::string& NoticeMachine::Text(std::uint32_t kind) const {
  auto index = IndexOf(kind);
  return index ? m_texts[static_cast<std::size_t>(*index)] : kNoText;
}

void NoticeMachine::ClearScreen() {
  for (const auto& timers : kNoticeTimers) {
    m_host.StopTimer(timers.paintId);
    m_host.StopTimer(timers.hideId);
  }
  if (m_hasWindow) {
    m_host.DestroyNoticeWindow();
    m_hasWindow = false;
  }
  // With its hide timer gone nothing would clear the flag any more.
  m_showing = false;
}

void NoticeMachine::OnRequest(std::uint32_t kind, std::uint32_t lParam) {
  if (kind != m_lastKind) {
    if (m_showing && kind == kKindNone) return;
    ClearScreen();
  }
  if (kind == kKindQuit) {
    m_host.PostClose();
    return;
  }
  auto index = IndexOf(kind);
  if (!index) return;
  // A slot or level the suite does not have has no text: no notice, like an unknown kind.
  if (kind == kKindProfile && HighWord(lParam) >= kProfileSlots) return;
  if (kind == kKindCpi && (LowWord(lParam) < 1 || LowWord(lParam) > kCpiLevels)) return;

  m_showing = true;
  if (!m_hasWindow) {
    m_screen = m_host.ScreenSize();
    m_hasWindow = m_host.CreateNoticeWindow();
  }
  if (kind == kKindMessage && m_hasWindow) {
    const Corner corner = NoticeCorner(m_screen, m_taskbar);
    m_host.PlaceNoticeWindow({corner.right - kMessageRequestWidth, corner.bottom - kNoticeHeight,
                              kMessageRequestWidth, kNoticeHeight});
  }
  UpdateText(kind, lParam);

  const auto& timers = kNoticeTimers[static_cast<std::size_t>(*index)];
  m_host.StartTimer(timers.paintId, kPaintIntervalMs);
  m_host.StartTimer(timers.hideId, kHideDelayMs);
  m_lastKind = kind;
}

void NoticeMachine::UpdateText(std::uint32_t kind, std::uint32_t lParam) {
  const auto index = static_cast<std::size_t>(*IndexOf(kind));
  auto& text = m_texts[index];
  // The typed names end the formats they are put into.
  std::size_t userLength = 0;
  switch (kind) {
    case kKindProfile: {
      const int slot = static_cast<int>(HighWord(lParam));
      const std::string name = m_source.ProfileName(slot);
      text = ProfileText(slot, name);
      userLength = name.size();
      break;
    }
    case kKindMessage:
      text = m_source.Message();
      userLength = text.size();
      break;
    case kKindMacro: {
      const MacroNotice macro = m_source.Macro();
      if (auto formatted = MacroText(macro)) {
        text = std::move(*formatted);
        userLength = macro.name.size();
      } else {
        return;  // the previous text stays, and with it where its name begins
      }
      break;
    }
    case kKindCpi:
      text = CpiText(static_cast<int>(LowWord(lParam)));
      break;
    case kKindVolume:
      text = VolumeText(static_cast<int>(LowWord(lParam)));
      break;
    default:
      break;
  }
  m_userTextStart[index] = text.size() - std::min(userLength, text.size());
}

std::u16string NoticeMachine::Characters(int index) const {
  const std::string& text = m_texts[static_cast<std::size_t>(index)];
  const std::size_t start = std::min(m_userTextStart[static_cast<std::size_t>(index)], text.size());
  const std::string_view view(text);
  std::u16string characters = platform::DecodeWindows1252(view.substr(0, start));
  characters +=
      m_userText ? m_userText(view.substr(start)) : platform::DecodeWindows1252(view.substr(start));
  return characters;
}

void NoticeMachine::OnTimer(unsigned id) {
  for (const auto& timers : kNoticeTimers) {
    if (id == timers.paintId) {
      if (m_hasWindow) m_host.PaintNotice(timers.kind);
      return;
    }
    if (id == timers.hideId) {
      m_host.StopTimer(timers.paintId);
      if (m_hasWindow) {
        m_host.DestroyNoticeWindow();
        m_hasWindow = false;
      }
      m_host.StopTimer(timers.hideId);
      m_showing = false;
      return;
    }
  }
}

std::optional<PaintPlan> NoticeMachine::PlanPaint(std::uint32_t kind,
                                                  ITextMeasurer& measurer) const {
  auto index = IndexOf(kind);
  if (!index) return std::nullopt;
  PaintPlan plan;
  plan.text = Characters(*index);
  const Size textSize = measurer.Measure(plan.text);
  int width = textSize.width;
  if (kind == kKindMessage) {
    // A message follows a profile notice in the same place: never narrower than it.
    width = std::max(width, measurer.Measure(Characters(*IndexOf(kKindProfile))).width);
  }
  int boxWidth = std::max(width, 0) + 2 * kTextMargin;
  if (m_screen.width > 0) boxWidth = std::min(boxWidth, m_screen.width);
  const Corner corner = NoticeCorner(m_screen, m_taskbar);
  plan.box = {corner.right - boxWidth, corner.bottom - kNoticeHeight, boxWidth, kNoticeHeight};
  plan.textX = kTextMargin;
  // Centred in the box as placed, not in the window before the move.
  plan.textY = (kNoticeHeight - textSize.height) / 2;
  return plan;
}

}  // namespace karvo::osd
