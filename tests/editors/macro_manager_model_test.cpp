#include "editors/macro_manager_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/memory_file_store.h"
#include "tests/editors/test_layouts.h"

namespace karvo::editors {
namespace {

using skin::UiText;

constexpr char kPath[] = "C:\\Karvo\\config\\sequence.dat";

struct StillClock : IClock {
  std::uint32_t NowMs() const override { return 1000; }
};

class MacroManagerTest : public ::testing::Test {
 protected:
  MacroManagerTest() : m_store(m_files, kPath), m_editor(m_layout, m_clock) {
    for (const char* name : {"Reload", " Jump ", "Sprint"})
      m_store.List().push_back(NewMacro(name));
    EXPECT_TRUE(m_store.Save());
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const UiText& name : m_manager.Names()) names.push_back(name.Bytes);
    return names;
  }
  MacroRecord* At(int position) const { return MacroAt(m_store.List(), position); }

  settings::MemoryFileStore m_files;
  MacroStore m_store;
  testing::TestLayout m_layout;
  StillClock m_clock;
  MacroEditor m_editor;
  MacroManagerModel m_manager{m_store, m_editor};
};

TEST_F(MacroManagerTest, OpensOnTheFirstMacroAndRefusesNamesThatExistIgnoringCase) {
  m_manager.Open();
  ASSERT_TRUE(m_manager.Select(2));
  m_manager.Open();
  EXPECT_EQ(m_manager.SelectedLine(), 0);
  EXPECT_EQ(m_editor.Macro(), At(0));

  ASSERT_TRUE(m_manager.Select(1));
  const std::pair<std::string, const char*> typed[] = {
      {"reload", nullptr},
      {"  JUMP\t", nullptr},
      {"   ", nullptr},
      {"  Fire  ", "Fire"},
      {"fire", nullptr},
      {std::string(30, 'x'), "xxxxxxxxxxxxxxxxxxxxxxxx"},
      {std::string(23, 'y') + "  z", "yyyyyyyyyyyyyyyyyyyyyyy"}};
  std::vector<std::string> expected = {"Reload", " Jump ", "Sprint"};
  int current = 1;
  for (const auto& [text, stored] : typed) {
    SCOPED_TRACE(text);
    EXPECT_EQ(m_manager.AddMacro(text), stored != nullptr);
    if (stored) {
      expected.push_back(stored);
      current = static_cast<int>(expected.size()) - 1;
    }
    EXPECT_EQ(Names(), expected);
    EXPECT_EQ(m_manager.CurrentPosition(), current);
    EXPECT_EQ(m_editor.Macro(), At(current));
  }

  ClearMacros(m_store.List());
  m_manager.Open();
  EXPECT_EQ(m_manager.CurrentPosition(), -1);
  EXPECT_EQ(m_editor.Macro(), nullptr);
}

TEST_F(MacroManagerTest, CancelBringsADeletedMacroBackWhileTheCloseButtonKeepsItDeleted) {
  const std::string file = *m_files.Contents(kPath);
  m_manager.Open();
  ASSERT_TRUE(m_manager.DeleteMacro(0));
  EXPECT_EQ(m_manager.SelectedLine(), -1);
  EXPECT_EQ(m_editor.Macro(), At(0));
  m_manager.Close();
  EXPECT_EQ(Names(), (std::vector<std::string>{" Jump ", "Sprint"}));
  EXPECT_EQ(*m_files.Contents(kPath), file);

  // While the editor records nothing changes the library; Cancel then drops the
  // deletion and the recorded events.
  m_manager.Open();
  ASSERT_EQ(m_editor.OnStartStop(), EditorResult::kRecordingStarted);
  m_editor.OnHookedKey('A', false);
  EXPECT_FALSE(m_manager.CanClose());
  EXPECT_FALSE(m_manager.Select(1) || m_manager.AddMacro("New") || m_manager.DeleteMacro(0) ||
               m_manager.Ok());
  m_manager.Cancel();
  EXPECT_EQ(Names().size(), 2u);
  m_editor.OnStartStop();
  EXPECT_EQ(At(0)->EventCount, 1);
  m_manager.Cancel();
  EXPECT_EQ(Names(), (std::vector<std::string>{"Reload", " Jump ", "Sprint"}));
  EXPECT_EQ(At(1)->EventCount, 0);
  EXPECT_EQ(m_editor.Macro(), nullptr);

  // OK writes what the manager shows.
  m_manager.Open();
  ASSERT_TRUE(m_manager.DeleteMacro(2));
  ASSERT_TRUE(m_manager.Ok());
  MacroList saved;
  LoadMacros(m_files, kPath, saved);
  ASSERT_EQ(saved.size(), 2u);
  EXPECT_EQ(settings::FieldText(saved[1]->Name), " Jump ");
}

TEST_F(MacroManagerTest, DeletingKeepsTheCurrentPositionInRange) {
  m_manager.Open();
  ASSERT_TRUE(m_manager.Select(2));
  const std::pair<int, int> steps[] = {{2, 1}, {0, 0}, {7, 0}, {0, -1}};  // line, current after
  for (const auto& [line, current] : steps) {
    m_manager.DeleteMacro(line);
    EXPECT_EQ(m_manager.CurrentPosition(), current) << line;
    EXPECT_EQ(m_editor.Macro(), At(current)) << line;
  }
  EXPECT_TRUE(m_store.List().empty());
}

}  // namespace
}  // namespace karvo::editors
