#pragma once
// A button-assignment page: the seven assignable buttons of one button mode of the current
// slot, the handedness pair, and a picture of the mouse with the button under the pointer
// marked. A click on a button's label opens the function catalogue under it; the choice goes
// through the page's model into the working copy, running the shortcut or program dialog when
// the function needs one. Both modes are one class, told apart by their window table.
#include <array>
#include <optional>
#include <string>

#include "editors/button_page_model.h"
#include "editors/macro_store.h"
#include "settings/key_codes_win.h"
#include "settings/settings_image.h"
#include "skin/configurator_page_win.h"

namespace karvo::editors {

enum class ButtonMode { kFirst, kSecond };

class ButtonPage final : public skin::ConfiguratorPage, private IButtonDialogs {
 public:
  ButtonPage(ButtonMode mode, settings::SettingsImage& working, MacroStore& macros);

  ButtonMode Mode() const { return m_mode; }
  // Labels, their enabled states and the handedness pair from the slot now current; the host
  // calls it once it has created the page.
  void Refresh() override;

 protected:
  void OnCommand(int id, int code, HWND control) override;
  void OnOk() override {}
  void OnCancel() override {}
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& directResult) override;

 private:
  std::optional<ShortcutChoice> RunShortcutDialog(const ShortcutChoice& initial) override;
  std::optional<std::string> RunProgramDialog(const std::string& path) override;

  void FindRows();
  void OpenCatalogue(int button);
  void OnHover(bool entered, LPARAM id);
  void ShowLabels();
  void ShowHandedness();

  ButtonMode m_mode;
  settings::WinKeyboardLayout m_layout;
  ButtonPageModel m_model;
  // Rows of the window table; nullopt for a row the table lacks.
  std::array<std::optional<std::size_t>, kButtonCount> m_labels{};
  std::array<std::optional<std::size_t>, kButtonCount> m_pictures{};
  std::optional<std::size_t> m_rightHanded;
  std::optional<std::size_t> m_leftHanded;
};

}  // namespace karvo::editors
