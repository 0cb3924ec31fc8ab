#pragma once
// Colour and transparency of the notice box, as the settings page and the
// monitor's appearance message choose them.
#include <array>
#include <cstddef>
#include <cstdint>

#include "settings/settings_image.h"

namespace karvo::osd {

struct Rgb {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct ColourScheme {
  Rgb background;
  Rgb text;
};

inline constexpr int kColourCount = 7;
inline constexpr int kTransparencyCount = 10;
inline constexpr int kDefaultColour = 0;
inline constexpr int kDefaultTransparency = 5;

inline constexpr std::array<ColourScheme, kColourCount> kColourSchemes{{
    {{255, 0, 0}, {255, 255, 255}},     // red
    {{224, 127, 0}, {255, 255, 255}},   // orange
    {{255, 255, 0}, {0, 255, 0}},       // yellow
    {{0, 153, 68}, {255, 255, 255}},    // green
    {{29, 32, 136}, {255, 255, 255}},   // blue
    {{0, 160, 233}, {255, 255, 255}},   // cyan
    {{143, 50, 240}, {255, 255, 255}},  // purple
}};

// Window alpha per transparency index; 255 is opaque.
inline constexpr std::array<std::uint8_t, kTransparencyCount> kAlphaByTransparency{
    255, 225, 200, 175, 150, 125, 100, 75, 50, 25};

class Appearance {
 public:
  int Colour() const { return m_colour; }
  int Transparency() const { return m_transparency; }
  const ColourScheme& Scheme() const { return kColourSchemes[static_cast<std::size_t>(m_colour)]; }
  std::uint8_t Alpha() const {
    return kAlphaByTransparency[static_cast<std::size_t>(m_transparency)];
  }

  // Each index is taken only when it is inside its table; otherwise the current one stays.
  void SetColour(std::int64_t index);
  void SetTransparency(std::int64_t index);

  // The appearance message: colour index in the high word, transparency in the low word.
  void ApplyMessage(std::uint32_t lParam);
  // The notification record's colour and transparency; its switches are the sender's business.
  void ApplyRecord(const settings::OSDSetting& record);

 private:
  int m_colour = kDefaultColour;
  int m_transparency = kDefaultTransparency;
};

}  // namespace karvo::osd
