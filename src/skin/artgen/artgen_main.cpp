// karvo_artgen OUTDIR [--preview DIR]: writes every image the configurator's
// resources hold into OUTDIR, with "configurator_art.rc" listing them for windres;
// with --preview, a PNG of each image (JPEGs as they decode) and a contact sheet per
// window into DIR.
#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "skin/artgen/control_art.h"
#include "skin/artgen/image_files.h"
#include "skin/artgen/preview_composition.h"
#include "skin/artgen/small_art.h"
#include "skin/artgen/window_art.h"
#include "skin/window_layouts.h"

namespace {

namespace fs = std::filesystem;
using namespace karvo;
using namespace karvo::artgen;

class ArtWriter {
 public:
  ArtWriter(fs::path out, fs::path preview)
      : m_out(std::move(out)), m_preview(std::move(preview)) {}

  bool Jpeg(int id, const std::string& name, const Surface& surface) {
    return Binary(id, name, EncodeJpeg(FromSurface(surface.get()), 92));
  }

  bool Binary(int id, const std::string& name, const std::vector<std::uint8_t>& jpeg) {
    if (!Claim(id, name) || jpeg.empty()) return false;
    const fs::path path = m_out / (name + ".jpg");
    if (!WriteFile(path.string(), jpeg)) return Fail(path);
    m_rc.push_back(std::to_string(id) + " BINARY \"" + path.string() + "\"");
    if (!m_preview.empty()) {
      const std::optional<RgbImage> decoded = DecodeJpeg(jpeg);
      if (!decoded) return Fail(path);
      Preview(name, *decoded);
    }
    return true;
  }

  bool Bitmap(int id, const std::string& name, const RgbImage& image) {
    if (!Claim(id, name)) return false;
    const fs::path path = m_out / (name + ".bmp");
    if (!WriteBmp24(path.string(), image)) return Fail(path);
    m_rc.push_back(std::to_string(id) + " BITMAP \"" + path.string() + "\"");
    Preview(name, image);
    return true;
  }

  bool Icon(int id, const std::string& name, const std::vector<cairo_surface_t*>& images) {
    bool ok = Claim(id, name);
    const fs::path path = m_out / (name + ".ico");
    if (ok && !WriteIco(path.string(), images)) ok = Fail(path);
    if (ok) m_rc.push_back(std::to_string(id) + " ICON \"" + path.string() + "\"");
    if (ok && !m_preview.empty()) {
      cairo_surface_write_to_png(images.back(), (m_preview / (name + ".png")).c_str());
    }
    for (cairo_surface_t* image : images) cairo_surface_destroy(image);
    return ok;
  }

  void Preview(const std::string& name, const RgbImage& image) {
    if (m_preview.empty()) return;
    cairo_surface_t* surface = ToSurface(image);
    cairo_surface_write_to_png(surface, (m_preview / (name + ".png")).c_str());
    cairo_surface_destroy(surface);
  }

  bool HasPreview() const { return !m_preview.empty(); }
  bool Has(int id) const { return m_names.count(id) != 0; }
  const fs::path& PreviewDir() const { return m_preview; }

  bool WriteRc() {
    std::string text =
        "/* The configurator's artwork, written by karvo_artgen from the window layout\n"
        "   tables. Generated: do not edit. */\n";
    for (const std::string& line : m_rc) text += line + "\n";
    const fs::path path = m_out / "configurator_art.rc";
    if (!WriteFile(path.string(), std::vector<std::uint8_t>(text.begin(), text.end()))) {
      return Fail(path);
    }
    return true;
  }

 private:
  // Each resource id is written once; the button pages share their outline.
  bool Claim(int id, const std::string& name) {
    const auto [it, fresh] = m_names.emplace(id, name);
    if (!fresh) {
      std::fprintf(stderr, "karvo_artgen: id %d given to both %s and %s\n", id, it->second.c_str(),
                   name.c_str());
    }
    return fresh;
  }
  static bool Fail(const fs::path& path) {
    std::fprintf(stderr, "karvo_artgen: cannot write %s\n", path.c_str());
    return false;
  }

  fs::path m_out;
  fs::path m_preview;
  std::vector<std::string> m_rc;
  std::map<int, std::string> m_names;
};

const char* StateName(ArtState state) {
  switch (state) {
    case ArtState::Hover:
      return "hover";
    case ArtState::Selected:
      return "selected";
    case ArtState::Disabled:
      return "disabled";
    case ArtState::Normal:
      break;
  }
  return "normal";
}

int StateId(const skin::ImageSet& images, ArtState state) {
  switch (state) {
    case ArtState::Hover:
      return images.Hover;
    case ArtState::Selected:
      return images.Selected;
    case ArtState::Disabled:
      return images.Disabled;
    case ArtState::Normal:
      break;
  }
  return images.Normal;
}

// The four state images and the region of one window, and its contact sheet.
bool WriteWindow(ArtWriter& writer, const skin::WindowSpec& window, StateImages& kept) {
  bool ok = true;
  const Surface base = DrawStaticLayer(window);
  std::vector<Surface> states;
  for (ArtState state : kArtStates) {
    Surface image = CopySurface(base);
    Context cr = NewContext(image);
    for (const skin::ControlSpec& control : window.Controls) {
      DrawControlFace(cr.get(), window, control, LayoutBox(control), state);
    }
    ok = writer.Jpeg(StateId(window.Images, state),
                     std::string(window.Name) + "_" + StateName(state), image) &&
         ok;
    states.push_back(std::move(image));
  }
  if (window.Id != skin::WindowId::ButtonPageMode2) {
    const std::string name = window.Id == skin::WindowId::ButtonPageMode1
                                 ? "button_page_region"
                                 : std::string(window.Name) + "_region";
    const auto region = EncodeRegionJpeg(OutlineMask(window), window.Width, window.Height);
    if (!region) {
      std::fprintf(stderr, "karvo_artgen: no clean region image for %s\n", name.c_str());
      ok = false;
    } else {
      ok = writer.Binary(window.Images.Region, name, *region) && ok;
    }
  }
  if (writer.HasPreview()) {
    // Normal and hover above, selected and disabled below, on a white ground so the
    // outline shows.
    const int gap = 12;
    Surface sheet = NewSurface(window.Width * 2 + gap * 3, window.Height * 2 + gap * 3);
    Context cr = NewContext(sheet);
    cairo_set_source_rgb(cr.get(), 1, 1, 1);
    cairo_paint(cr.get());
    for (std::size_t i = 0; i < states.size(); ++i) {
      const double x = gap + static_cast<double>(i % 2) * (window.Width + gap);
      const double y = gap + static_cast<double>(i / 2) * (window.Height + gap);
      cairo_save(cr.get());
      cairo_translate(cr.get(), x, y);
      OutlinePath(cr.get(), window);
      cairo_clip(cr.get());
      cairo_set_source_surface(cr.get(), states[i].get(), 0, 0);
      cairo_paint(cr.get());
      cairo_restore(cr.get());
    }
    cairo_surface_write_to_png(
        sheet.get(), (writer.PreviewDir() / (std::string(window.Name) + "_sheet.png")).c_str());
    kept[window.Id] = std::move(states);
  }
  return ok;
}

bool WriteSmallArt(ArtWriter& writer) {
  bool ok = true;
  for (const skin::ThumbSpec& thumb : skin::kThumbs) {
    ok = writer.Bitmap(thumb.Bitmap, "thumb_" + std::to_string(thumb.Bitmap),
                       DrawThumb(thumb.Width, thumb.Height)) &&
         ok;
  }
  static constexpr const char* kCheckNames[] = {"normal", "hover", "selected", "disabled",
                                                "selected_disabled"};
  for (int state = 0; state < 5; ++state) {
    ok = writer.Bitmap(IDB_CHECK_NORMAL + state, std::string("check_") + kCheckNames[state],
                       DrawCheckImage(state, skin::kCheckImageSize)) &&
         ok;
  }
  ok = writer.Bitmap(IDB_LIST_PAUSE, "list_pause",
                     DrawListIcon(ListIcon::Pause, skin::kListIconSize)) &&
       ok;
  ok = writer.Bitmap(IDB_LIST_MOUSE_EVENT, "list_mouse_event",
                     DrawListIcon(ListIcon::MouseEvent, skin::kListIconSize)) &&
       ok;
  ok = writer.Bitmap(IDB_LIST_KEY_PRESS, "list_key_press",
                     DrawListIcon(ListIcon::KeyPress, skin::kListIconSize)) &&
       ok;
  ok = writer.Bitmap(IDB_LIST_KEY_RELEASE, "list_key_release",
                     DrawListIcon(ListIcon::KeyRelease, skin::kListIconSize)) &&
       ok;

  // Four-state bitmap looks: the browse button, and the record button while recording.
  for (const skin::WindowSpec& window : skin::kWindows) {
    for (const skin::ControlSpec& control : window.Controls) {
      if (control.Bitmaps == 0) continue;
      const bool browse = control.Kind == skin::ControlKind::BitmapButton;
      const Box box = LayoutBox(control);
      const int w = browse ? skin::kBrowseWidth : static_cast<int>(box.W);
      const int h = browse ? skin::kBrowseHeight : static_cast<int>(box.H);
      int index = 0;
      for (ArtState state : kArtStates) {
        const int id = control.Bitmaps + index++;
        Surface image = NewSurface(w, h);
        Context cr = NewContext(image);
        SetColour(cr.get(), palette::kSurface);
        cairo_paint(cr.get());
        DrawPushFace(cr.get(), {0, 0, static_cast<double>(w), static_cast<double>(h)}, state,
                     control.AltCaption, control.Mark, !browse);
        // Both dialogs with a browse button share its bitmaps: written once.
        if (writer.Has(id)) continue;
        ok = writer.Bitmap(id, std::string(browse ? "browse_" : "recording_") + StateName(state),
                           FromSurface(image.get())) &&
             ok;
      }
    }
  }
  ok = writer.Icon(IDI_CONFIGURATOR, "configurator", DrawAppIcon({16, 32, 48})) && ok;
  ok = writer.Icon(IDI_SUBMENU_ARROW, "submenu_arrow", DrawArrowIcon({16, 32})) && ok;
  return ok;
}

// Text must measure as Arial does in the program; a silent fallback to another face
// would shift every caption.
bool HaveTextFace() {
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("Liberation Sans"));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcChar8* family = nullptr;
  const bool found = match != nullptr &&
                     FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch &&
                     std::string(reinterpret_cast<const char*>(family)) == "Liberation Sans";
  if (match != nullptr) FcPatternDestroy(match);
  FcPatternDestroy(pattern);
  if (!found) std::fprintf(stderr, "karvo_artgen: the font Liberation Sans is not installed\n");
  return found;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && !(argc == 4 && std::string(argv[2]) == "--preview")) {
    std::fprintf(stderr, "usage: karvo_artgen OUTDIR [--preview DIR]\n");
    return 2;
  }
  const fs::path out = argv[1];
  const fs::path preview = argc == 4 ? fs::path(argv[3]) : fs::path();
  std::error_code error;
  fs::create_directories(out, error);
  if (!preview.empty()) fs::create_directories(preview, error);
  if (!HaveTextFace()) return 1;
  ArtWriter writer(fs::absolute(out), preview);

  bool ok = true;
  StateImages states;
  for (const skin::WindowSpec& window : skin::kWindows) {
    ok = WriteWindow(writer, window, states) && ok;
  }
  if (writer.HasPreview()) {
    cairo_surface_write_to_png(ComposeMainPreview(states).get(),
                               (writer.PreviewDir() / "main_composed.png").c_str());
  }
  for (const skin::WindowSpec& window : skin::kWindows) {
    // A page's pictures belong to its buttons in order.
    int button = 0;
    for (const skin::ControlSpec& control : window.Controls) {
      if (control.Kind != skin::ControlKind::Picture) continue;
      ++button;
      ok = writer.Jpeg(control.Value,
                       std::string(window.Name) + "_picture_" + std::to_string(button),
                       DrawButtonPicture(window, button)) &&
           ok;
    }
  }
  ok = WriteSmallArt(writer) && ok;
  ok = writer.WriteRc() && ok;
  // Cairo and Fontconfig keep caches for the life of the process; hand them back so
  // the leak checker sees only what is ours.
  cairo_debug_reset_static_data();
  FcFini();
  return ok ? 0 : 1;
}
