#include "editors/macro_manager_model.h"

#include <algorithm>

namespace karvo::editors {

MacroManagerModel::MacroManagerModel(MacroStore& store, MacroEditor& editor)
    : m_store(store), m_editor(editor) {}

void MacroManagerModel::Open() {
  m_current = m_store.List().empty() ? -1 : 0;
  m_selected = m_current;
  LoadEditor();
}

std::vector<skin::UiText> MacroManagerModel::Names() const {
  std::vector<skin::UiText> names;
  for (const auto& macro : m_store.List()) {
    names.push_back({std::string(settings::FieldText(macro->Name)), true});
  }
  return names;
}

bool MacroManagerModel::Select(int line) {
  if (m_editor.Recording() || !MacroAt(m_store.List(), line)) return false;
  m_current = line;
  m_selected = line;
  LoadEditor();
  return true;
}

bool MacroManagerModel::AddMacro(std::string_view typed) {
  if (m_editor.Recording()) return false;
  MacroList& list = m_store.List();
  const std::string_view name = TrimBlanks(TrimBlanks(typed).substr(0, kMaxTypedNameLength));
  const bool duplicate = std::any_of(list.begin(), list.end(), [&](const auto& macro) {
    return NamesEqualNoCase(TrimBlanks(settings::FieldText(macro->Name)), name);
  });
  if (name.empty() || duplicate || list.size() >= static_cast<std::size_t>(kMaxMacroCount)) {
    // The new line goes again; the current macro stays (or comes back into range).
    m_current = std::min(m_current, static_cast<int>(list.size()) - 1);
    LoadEditor();
    return false;
  }
  list.push_back(NewMacro(name));
  m_current = static_cast<int>(list.size()) - 1;
  m_selected = m_current;
  LoadEditor();
  return true;
}

bool MacroManagerModel::DeleteMacro(int line) {
  MacroList& list = m_store.List();
  if (m_editor.Recording() || !MacroAt(list, line)) return false;
  // The editor must not write into the record that is freed here.
  m_editor.Load(nullptr);
  list.erase(list.begin() + line);
  m_current = std::min(m_current, static_cast<int>(list.size()) - 1);
  m_selected = -1;
  LoadEditor();
  return true;
}

bool MacroManagerModel::Ok() { return CanClose() && m_store.Save(); }

void MacroManagerModel::Cancel() {
  if (!CanClose()) return;
  m_editor.Load(nullptr);
  m_current = -1;
  m_selected = -1;
  m_store.Reload();
}

void MacroManagerModel::Close() {}

void MacroManagerModel::LoadEditor() { m_editor.Load(MacroAt(m_store.List(), m_current)); }

}  // namespace karvo::editors
