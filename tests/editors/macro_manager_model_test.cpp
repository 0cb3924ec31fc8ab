#include "editors/macro_manager_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/memory_file_store.h"
#include "tests/editors/test_layouts.h"

namespace karvo::editors {
namespace {

constexpr char kPath[] = "C:\\Karvo\\config\\sequence.dat";

struct StillClock : IClock {
  std::uint32_t NowMs() const override { return 1000; }
};

class MacroManagerTest : public ::testing::Test {
 protected:
  MacroManagerTest() : m_store(m_files, kPath), m_editor(m_layout, m_clock) {
    for (const char* name : {"Reload", " Jump ", "Sprint"}) {
      m_store.List().push_back(NewMacro(name));
    }
    EXPECT_TRUE(m_store.Save());
  }
  std::vector<std::string> Names(const MacroManagerModel& manager) const {
    std::vector<std::string> names;
    for (const UiText& name : manager.Names()) names.push_back(name.Bytes);
    return names;
  }

  settings::MemoryFileStore m_files;
  MacroStore m_store;
  testing::TestLayout m_layout;
  StillClock m_clock;
  MacroEditor m_editor;
};

TEST_F(MacroManagerTest, OpensOnTheFirstMacroWhicheverWasEditedLast) {
  MacroManagerModel manager(m_store, m_editor);
  manager.Open();
  ASSERT_TRUE(manager.Select(2));
  EXPECT_EQ(m_editor.Macro(), m_store.List()[2].get());
  manager.Close();

  MacroManagerModel again(m_store, m_editor);
  again.Open();
  EXPECT_EQ(again.CurrentPosition(), 0);
  EXPECT_EQ(again.SelectedLine(), 0);
  EXPECT_EQ(m_editor.Macro(), m_store.List()[0].get());

  ClearMacros(m_store.List());
  again.Open();
  EXPECT_EQ(again.CurrentPosition(), -1);
  EXPECT_EQ(again.SelectedLine(), -1);
  EXPECT_EQ(m_editor.Macro(), nullptr);
}

TEST_F(MacroManagerTest, NewNamesAreTrimmedAndRefusedWhenTheyExistIgnoringCase) {
  MacroManagerModel manager(m_store, m_editor);
  manager.Open();
  ASSERT_TRUE(manager.Select(1));
  const struct {
    std::string typed;
    bool added;
    const char* stored;
  } cases[] = {
      {"reload", false, ""},
      {"  JUMP\t", false, ""},
      {"   ", false, ""},
      {"  Fire  ", true, "Fire"},
      {"fire", false, ""},
      {std::string(30, 'x'), true, "xxxxxxxxxxxxxxxxxxxxxxxx"},
      {std::string(23, 'y') + "  z", true, "yyyyyyyyyyyyyyyyyyyyyyy"},
  };
  std::vector<std::string> expected = {"Reload", " Jump ", "Sprint"};
  int current = 1;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    EXPECT_EQ(manager.AddMacro(c.typed), c.added);
    if (c.added) {
      expected.push_back(c.stored);
      current = static_cast<int>(expected.size()) - 1;
    }
    EXPECT_EQ(Names(manager), expected);
    EXPECT_EQ(manager.CurrentPosition(), current);
    EXPECT_EQ(m_editor.Macro(), m_store.List()[static_cast<std::size_t>(current)].get());
  }
}

TEST_F(MacroManagerTest, CancelBringsADeletedMacroBackWhileTheCloseButtonKeepsItDeleted) {
  const std::string file = *m_files.Contents(kPath);
  const int writes = m_files.WriteCount(kPath);
  {
    MacroManagerModel manager(m_store, m_editor);
    manager.Open();
    ASSERT_TRUE(manager.DeleteMacro(0));
    EXPECT_EQ(manager.SelectedLine(), -1);
    EXPECT_EQ(manager.CurrentPosition(), 0);
    EXPECT_EQ(m_editor.Macro(), m_store.List()[0].get());
    manager.Close();
  }
  std::vector<std::string> remaining = {" Jump ", "Sprint"};
  MacroManagerModel manager(m_store, m_editor);
  EXPECT_EQ(Names(manager), remaining);
  EXPECT_EQ(*m_files.Contents(kPath), file);
  EXPECT_EQ(m_files.WriteCount(kPath), writes);

  // Cancel drops the deletion and the events recorded meanwhile.
  manager.Open();
  ASSERT_EQ(m_editor.OnStartStop(), EditorResult::kRecordingStarted);
  m_editor.OnHookedKey('A', false);
  EXPECT_FALSE(manager.CanClose());
  m_editor.OnStartStop();
  EXPECT_EQ(m_store.List()[0]->EventCount, 1);
  manager.Cancel();
  EXPECT_EQ(Names(manager), (std::vector<std::string>{"Reload", " Jump ", "Sprint"}));
  EXPECT_EQ(m_store.List()[1]->EventCount, 0);
  EXPECT_EQ(m_editor.Macro(), nullptr);

  // OK writes what the manager shows.
  manager.Open();
  ASSERT_TRUE(manager.DeleteMacro(2));
  ASSERT_TRUE(manager.Ok());
  MacroList saved;
  LoadMacros(m_files, kPath, saved);
  ASSERT_EQ(saved.size(), 2u);
  EXPECT_EQ(settings::FieldText(saved[1]->Name), " Jump ");
}

TEST_F(MacroManagerTest, DeletingKeepsTheCurrentPositionInRange) {
  MacroManagerModel manager(m_store, m_editor);
  manager.Open();
  ASSERT_TRUE(manager.Select(2));
  const struct {
    int line;
    int current;
  } steps[] = {{2, 1}, {0, 0}, {7, 0}, {0, -1}};
  for (const auto& s : steps) {
    SCOPED_TRACE(s.line);
    manager.DeleteMacro(s.line);
    EXPECT_EQ(manager.CurrentPosition(), s.current);
    EXPECT_EQ(m_editor.Macro(), MacroAt(m_store.List(), s.current));
  }
  EXPECT_TRUE(m_store.List().empty());
}

TEST_F(MacroManagerTest, NothingChangesTheLibraryWhileTheEditorRecords) {
  MacroManagerModel manager(m_store, m_editor);
  manager.Open();
  ASSERT_EQ(m_editor.OnStartStop(), EditorResult::kRecordingStarted);
  EXPECT_FALSE(manager.Select(1));
  EXPECT_FALSE(manager.AddMacro("New"));
  EXPECT_FALSE(manager.DeleteMacro(0));
  EXPECT_FALSE(manager.Ok());
  manager.Cancel();
  EXPECT_EQ(m_store.List().size(), 3u);
  EXPECT_EQ(manager.CurrentPosition(), 0);
  EXPECT_TRUE(m_editor.Recording());
  EXPECT_EQ(m_editor.Macro(), m_store.List()[0].get());
}

}  // namespace
}  // namespace karvo::editors
