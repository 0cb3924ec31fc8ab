#include "skin/artgen/window_art.h"

#include <cmath>
#include <string_view>

#include "skin/artgen/control_art.h"
#include "skin/artgen/mouse_art.h"
#include "skin/artgen/small_art.h"

namespace karvo::artgen {
namespace {

using skin::ControlKind;
using skin::WindowId;
using skin::WindowShape;
using skin::WindowSpec;
namespace pal = palette;

constexpr double kDialogRadius = 12;

// The main window: angular corners, a notch on the left flank and a stepped foot.
constexpr double kMainOutline[][2] = {
    {22, 0},   {836, 0}, {858, 22}, {858, 566}, {842, 582}, {470, 582}, {452, 600},
    {20, 600}, {0, 580}, {0, 372},  {8, 364},   {8, 196},   {0, 188},   {0, 22},
};

void Heading(cairo_t* cr, std::string_view text, double x, double y, double width) {
  SetColour(cr, pal::kAccent);
  cairo_rectangle(cr, x, y - 9, 3, 10);
  cairo_fill(cr);
  const Font font{10.5, true, 1.1};
  DrawText(cr, text, x + 8, y, font, pal::kTextDim);
  const double end = x + 8 + TextWidth(cr, text, font) + 8;
  if (end < x + width) {
    SetColour(cr, pal::kLineSoft);
    cairo_rectangle(cr, end, y - 4, x + width - end, 1);
    cairo_fill(cr);
  }
}

void Hint(cairo_t* cr, std::string_view text, const Box& box, bool centred = false) {
  DrawTextWrapped(cr, text, box, {11}, pal::kTextDim, centred);
}

void Title(cairo_t* cr, std::string_view text, double x, double y) {
  DrawText(cr, text, x, y, {17, true}, pal::kText);
}

// A warning or information sign for the small dialogs.
void Sign(cairo_t* cr, double cx, double cy, bool warning) {
  if (warning) {
    cairo_new_path(cr);
    cairo_move_to(cr, cx, cy - 16);
    cairo_line_to(cr, cx + 18, cy + 14);
    cairo_line_to(cr, cx - 18, cy + 14);
    cairo_close_path(cr);
  } else {
    cairo_arc(cr, cx, cy, 16, 0, 2 * M_PI);
  }
  VerticalGradient(cr, {cx - 18, cy - 16, 36, 32}, pal::kAccentHigh, pal::kAccentLow);
  cairo_fill(cr);
  DrawTextCentred(cr, warning ? "!" : "i", {cx - 10, cy - (warning ? 5 : 10), 20, 20}, {18, true},
                  pal::kWhite);
}

void Surface3d(cairo_t* cr, const WindowSpec& window, const Colour& top, const Colour& bottom,
               double texture) {
  const Box all{0, 0, static_cast<double>(window.Width), static_cast<double>(window.Height)};
  VerticalGradient(cr, all, top, bottom);
  cairo_paint(cr);
  Texture(cr, all, static_cast<std::uint32_t>(window.Images.Normal), texture);
}

void DrawMainWindow(cairo_t* cr, const WindowSpec& window) {
  Surface3d(cr, window, {30, 31, 35}, {14, 14, 17}, 0.09);
  // Header band with the logo.
  VerticalGradient(cr, {0, 0, 858, 76}, {10, 10, 12}, {22, 22, 26});
  cairo_rectangle(cr, 0, 0, 858, 76);
  cairo_fill(cr);
  SetColour(cr, pal::kAccent);
  cairo_new_path(cr);
  cairo_move_to(cr, 0, 74);
  cairo_line_to(cr, 380, 74);
  cairo_line_to(cr, 392, 78);
  cairo_line_to(cr, 858, 78);
  cairo_line_to(cr, 858, 80);
  cairo_line_to(cr, 391, 80);
  cairo_line_to(cr, 379, 76);
  cairo_line_to(cr, 0, 76);
  cairo_close_path(cr);
  cairo_fill(cr);
  // Logo: a red blade and the maker's name.
  cairo_new_path(cr);
  cairo_move_to(cr, 28, 54);
  cairo_line_to(cr, 42, 20);
  cairo_line_to(cr, 52, 20);
  cairo_line_to(cr, 38, 54);
  cairo_close_path(cr);
  SetColour(cr, pal::kAccentHigh);
  cairo_fill(cr);
  DrawText(cr, "KARVO", 58, 50, {32, true, 2, true}, pal::kText);
  DrawText(cr, "GAMING MOUSE OPTION", 60, 66, {9.5, true, 3.2}, pal::kTextDim);
  // Where the program prints its version line.
  SetColour(cr, {8, 8, 10});
  cairo_rectangle(cr, 662, 28, 126, 21);
  cairo_fill(cr);
  SetColour(cr, pal::kLineSoft);
  cairo_set_line_width(cr, 1);
  cairo_rectangle(cr, 662.5, 28.5, 125, 20);
  cairo_stroke(cr);
  DrawText(cr, "VERSION", 664, 22, {8, true, 1.5}, pal::kTextOff);

  // The page areas: the right pages fill theirs, the button pages are 370 x 270.
  const WindowSpec& buttons = skin::FindWindowSpec(WindowId::ButtonPageMode1);
  for (const skin::ControlSpec& control : window.Controls) {
    if (control.Kind != ControlKind::PageRect) continue;
    Box page = LayoutBox(control);
    if (control.Value == 1)
      page = {page.X, page.Y, static_cast<double>(buttons.Width),
              static_cast<double>(buttons.Height)};
    SetColour(cr, {6, 6, 8});
    cairo_rectangle(cr, page.X - 3, page.Y - 3, page.W + 6, page.H + 6);
    cairo_fill(cr);
    SetColour(cr, pal::kLine);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, page.X - 1.5, page.Y - 1.5, page.W + 3, page.H + 3);
    cairo_stroke(cr);
    SetColour(cr, pal::kPanel);
    cairo_rectangle(cr, page.X, page.Y, page.W, page.H);
    cairo_fill(cr);
  }
  // The selected tab joins its page through this line.
  SetColour(cr, pal::kAccent);
  cairo_rectangle(cr, 422, 113, 431, 2);
  cairo_fill(cr);

  Heading(cr, "TASTENBELEGUNG", 35, 108, 370);
  Heading(cr, "PROFILE", 12, 445, 88);

  // The foot: a darker strip under the window commands.
  VerticalGradient(cr, {0, 547, 470, 53}, {12, 12, 14}, {6, 6, 8});
  cairo_rectangle(cr, 0, 547, 470, 53);
  cairo_fill(cr);
  SetColour(cr, pal::kLineSoft);
  cairo_rectangle(cr, 0, 547, 470, 1);
  cairo_fill(cr);
  // Three red slashes as the maker's mark at the lower right.
  for (int i = 0; i < 3; ++i) {
    cairo_new_path(cr);
    const double x = 806 + i * 9;
    cairo_move_to(cr, x, 576);
    cairo_line_to(cr, x + 6, 566);
    cairo_line_to(cr, x + 10, 566);
    cairo_line_to(cr, x + 4, 576);
    cairo_close_path(cr);
    SetColour(cr, pal::kAccent, 1.0 - i * 0.3);
    cairo_fill(cr);
  }
}

void DrawPage(cairo_t* cr, const WindowSpec& window) {
  Surface3d(cr, window, {27, 28, 32}, {18, 18, 21}, 0.07);
  switch (window.Id) {
    case WindowId::SensitivityPage:
      Heading(cr, "EMPFINDLICHKEIT", 30, 14, 370);
      Heading(cr, "CPI-STUFEN", 30, 168, 370);
      DrawText(cr, "Standard", 22, 188, {10}, pal::kTextOff.Mix(pal::kTextDim, 0.6));
      for (int level = 0; level < 3; ++level) {
        static constexpr double kRows[] = {191, 278, 364};
        DrawText(cr, "CPI", 205, kRows[level] + 10, {11, true}, pal::kTextDim);
      }
      break;
    case WindowId::SystemPage:
      Heading(cr, "WINDOWS-MAUSEINSTELLUNGEN", 30, 16, 370);
      Hint(cr,
           "\xC4nderungen wirken sofort in Windows und werden mit \x84\xDC"
           "bernehmen\x93 im aktiven Profil gespeichert.",
           {55, 200, 332, 60});
      break;
    case WindowId::AdvancedPage:
      Heading(cr, "ABFRAGERATE (USB)", 30, 38, 370);
      Heading(cr, "BELEUCHTUNG", 30, 112, 370);
      Heading(cr, "LICHTEFFEKT", 30, 194, 370);
      Heading(cr, "WEITERE EINSTELLUNGEN", 30, 272, 370);
      DrawTextMiddle(cr, "Alle Profile auf Werkseinstellungen", 46, 302, {12},
                     pal::kText.Mix(pal::kTextDim, 0.35));
      break;
    case WindowId::OsdPage:
      Heading(cr, "EINBLENDUNGEN", 30, 40, 130);
      Heading(cr, "FARBE", 175, 40, 110);
      Heading(cr, "TRANSPARENZ", 300, 40, 100);
      Heading(cr, "E-MAIL-KONTO (POP3)", 30, 252, 370);
      DrawTextMiddle(cr, "Minuten", 285, 381.5, {12}, pal::kTextDim);
      Hint(cr, "Wie durchsichtig die Einblendungen erscheinen.", {300, 86, 110, 60});
      break;
    default:
      break;
  }
}

void ButtonPageSurface(cairo_t* cr, const WindowSpec& window) {
  Surface3d(cr, window, {24, 25, 28}, {17, 17, 20}, 0.06);
}

void DrawButtonPage(cairo_t* cr, const WindowSpec& window) {
  ButtonPageSurface(cr, window);
  DrawMouse(cr, 0);
  const bool second = window.Id == WindowId::ButtonPageMode2;
  Heading(cr, second ? "MODUS 2" : "MODUS 1", 213, 58, 148);
  DrawText(cr, second ? "Belegung im Modus 2" : "Belegung im Modus 1", 214, 78, {10},
           pal::kTextOff.Mix(pal::kTextDim, 0.6));
}

void DrawDialogFrame(cairo_t* cr, const WindowSpec& window) {
  const double band = window.Height > 300 ? 58 : 46;
  Surface3d(cr, window, {31, 32, 36}, {15, 15, 18}, 0.08);
  VerticalGradient(cr, {0, 0, 1, band}, {10, 10, 12}, {24, 24, 28});
  cairo_rectangle(cr, 0, 0, window.Width, band);
  cairo_fill(cr);
  SetColour(cr, pal::kAccent);
  cairo_rectangle(cr, 0, band, window.Width, 2);
  cairo_fill(cr);
  cairo_new_path(cr);
  cairo_move_to(cr, 18, band / 2 - 9);
  cairo_line_to(cr, 24, band / 2 - 9);
  cairo_line_to(cr, 18, band / 2 + 9);
  cairo_line_to(cr, 12, band / 2 + 9);
  cairo_close_path(cr);
  SetColour(cr, pal::kAccentHigh);
  cairo_fill(cr);
  Title(cr, window.Title, 32, std::round(band / 2 + 6));
}

void DrawDialog(cairo_t* cr, const WindowSpec& window) {
  DrawDialogFrame(cr, window);
  const Colour text = pal::kText.Mix(pal::kTextDim, 0.3);
  switch (window.Id) {
    case WindowId::ProfileDialog:
      Hint(cr,
           "Geben Sie dem Profil einen Namen und w\xE4hlen Sie das Spiel, bei dessen Start "
           "die Maus zu diesem Profil wechselt.",
           {37, 76, 340, 40});
      Hint(cr, "Ohne Spiel bleibt das Profil aktiv, bis Sie ein anderes w\xE4hlen.",
           {37, 228, 340, 40});
      break;
    case WindowId::ShortcutDialog:
      DrawText(cr,
               "Dr\xFC"
               "cken Sie die gew\xFCnschte Taste.",
               12, 68, {11}, pal::kTextDim);
      Hint(cr, "Zusatztasten ankreuzen; \x84Keine\x93 sendet die Taste allein.", {12, 96, 200, 30});
      break;
    case WindowId::ProgramDialog:
      DrawText(cr, "Programmdatei", 44, 58, {10}, pal::kTextDim);
      Hint(cr, "Das gew\xE4hlte Programm wird bei jedem Druck dieser Taste gestartet.",
           {44, 86, 290, 36});
      break;
    case WindowId::DeleteMacroDialog:
      Sign(cr, 38, 86, true);
      DrawTextWrapped(cr, "Soll das ausgew\xE4hlte Makro wirklich gel\xF6scht werden?",
                      {70, 66, 280, 50}, {13}, text, false);
      break;
    case WindowId::NoMacroNotice:
      Sign(cr, 38, 86, false);
      DrawTextWrapped(cr,
                      "Bitte w\xE4hlen Sie zuerst ein Makro aus der Liste, bevor Sie eine "
                      "Aufnahme starten.",
                      {70, 66, 280, 50}, {13}, text, false);
      break;
    case WindowId::ConfirmDialog:
      Sign(cr, 38, 86, true);
      DrawTextWrapped(cr,
                      "Alle Profile und Einblendungen auf die Werkseinstellungen zur\xFC"
                      "cksetzen und sofort \xFC"
                      "bernehmen?",
                      {70, 64, 284, 56}, {13}, text, false);
      break;
    default:
      break;
  }
}

void DrawMacroEditor(cairo_t* cr, const WindowSpec& window) {
  Surface3d(cr, window, {26, 27, 31}, {19, 19, 22}, 0.06);
  Heading(cr, "AUFNAHME", 120, 20, 108);
  Hint(cr, "Pausen zwischen den Tasten mit aufzeichnen", {131, 82, 100, 40});
  // What the icons of the event list stand for.
  Heading(cr, "LEGENDE", 120, 140, 108);
  struct Entry {
    ListIcon Icon;
    std::string_view Text;
  };
  static constexpr Entry kLegend[] = {{ListIcon::KeyPress,
                                       "Gedr\xFC"
                                       "ckt"},
                                      {ListIcon::KeyRelease, "Losgelassen"},
                                      {ListIcon::MouseEvent, "Maustaste"},
                                      {ListIcon::Pause, "Pause"}};
  double y = 152;
  for (const Entry& entry : kLegend) {
    SetColour(cr, {90, 106, 120});
    cairo_rectangle(cr, 128, y - 1, skin::kListIconSize + 4, skin::kListIconSize + 2);
    cairo_fill(cr);
    const Surface icon = KeyedSurface(DrawListIcon(entry.Icon, skin::kListIconSize), kBlackKey);
    cairo_set_source_surface(cr, icon.get(), 130, y);
    cairo_paint(cr);
    DrawTextMiddle(cr, entry.Text, 150, y + skin::kListIconSize / 2.0, {11}, pal::kTextDim);
    y += 19;
  }
  Heading(cr, "WIEDERGABE", 120, 238, 108);
}

void DrawMacroManager(cairo_t* cr, const WindowSpec& window) {
  DrawDialogFrame(cr, window);
  for (const skin::ControlSpec& control : window.Controls) {
    if (control.Kind != ControlKind::ChildPos) continue;
    const Box box = LayoutBox(control);
    SetColour(cr, pal::kLine);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, box.X - 1.5, box.Y - 1.5, box.W + 3, box.H + 3);
    cairo_stroke(cr);
  }
}

void Border(cairo_t* cr, const WindowSpec& window) {
  if (window.Shape == WindowShape::Rectangular) {
    SetColour(cr, pal::kLineSoft);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, 0.5, 0.5, window.Width - 1, window.Height - 1);
    cairo_stroke(cr);
    return;
  }
  // Half of each stroke falls outside, where the outline cuts it away.
  OutlinePath(cr, window);
  SetColour(cr, pal::kAccent);
  cairo_set_line_width(cr, 4);
  cairo_stroke(cr);
  cairo_save(cr);
  cairo_translate(cr, 0, 0);
  OutlinePath(cr, window);
  SetColour(cr, {6, 6, 8});
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  cairo_restore(cr);
}

}  // namespace

void OutlinePath(cairo_t* cr, const WindowSpec& window) {
  cairo_new_path(cr);
  switch (window.Shape) {
    case WindowShape::Irregular:
      for (const auto& point : kMainOutline) cairo_line_to(cr, point[0], point[1]);
      cairo_close_path(cr);
      break;
    case WindowShape::Rounded:
      RoundedRect(cr, {0, 0, static_cast<double>(window.Width), static_cast<double>(window.Height)},
                  kDialogRadius);
      break;
    case WindowShape::Rectangular:
      cairo_rectangle(cr, 0, 0, window.Width, window.Height);
      break;
  }
}

std::vector<std::uint8_t> OutlineMask(const WindowSpec& window) {
  Surface mask(cairo_image_surface_create(CAIRO_FORMAT_A8, window.Width, window.Height));
  Context cr(cairo_create(mask.get()));
  cairo_set_antialias(cr.get(), CAIRO_ANTIALIAS_NONE);
  OutlinePath(cr.get(), window);
  cairo_set_source_rgba(cr.get(), 0, 0, 0, 1);
  cairo_fill(cr.get());
  cairo_surface_flush(mask.get());
  const int stride = cairo_image_surface_get_stride(mask.get());
  const unsigned char* data = cairo_image_surface_get_data(mask.get());
  std::vector<std::uint8_t> inside(static_cast<std::size_t>(window.Width) * window.Height);
  for (int y = 0; y < window.Height; ++y) {
    for (int x = 0; x < window.Width; ++x) {
      inside[static_cast<std::size_t>(y) * window.Width + x] = data[y * stride + x] >= 128;
    }
  }
  return inside;
}

Surface DrawStaticLayer(const WindowSpec& window) {
  Surface surface = NewSurface(window.Width, window.Height);
  Context context = NewContext(surface);
  cairo_t* cr = context.get();
  // Outside the outline the images are dark too, so no light seam shows at the edge.
  SetColour(cr, {6, 6, 8});
  cairo_paint(cr);
  cairo_save(cr);
  OutlinePath(cr, window);
  cairo_clip(cr);
  switch (window.Id) {
    case WindowId::Main:
      DrawMainWindow(cr, window);
      break;
    case WindowId::SensitivityPage:
    case WindowId::SystemPage:
    case WindowId::AdvancedPage:
    case WindowId::OsdPage:
      DrawPage(cr, window);
      break;
    case WindowId::ButtonPageMode1:
    case WindowId::ButtonPageMode2:
      DrawButtonPage(cr, window);
      break;
    case WindowId::MacroEditor:
      DrawMacroEditor(cr, window);
      break;
    case WindowId::MacroManager:
      DrawMacroManager(cr, window);
      break;
    default:
      DrawDialog(cr, window);
      break;
  }
  for (const skin::ControlSpec& control : window.Controls) {
    DrawControlSurroundings(cr, window, control, LayoutBox(control));
  }
  Border(cr, window);
  cairo_restore(cr);
  return surface;
}

Surface DrawButtonPicture(const WindowSpec& page, int button) {
  Surface surface = NewSurface(skin::kPictureWidth, skin::kPictureHeight);
  Context context = NewContext(surface);
  ButtonPageSurface(context.get(), page);
  DrawMouse(context.get(), button);
  return surface;
}

}  // namespace karvo::artgen
