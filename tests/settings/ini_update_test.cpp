#include <gtest/gtest.h>

#include <string>

#include "settings/ini_document.h"
#include "settings/memory_file_store.h"

namespace karvo::settings {
namespace {

const std::string kPath = "C:\\Karvo\\config.ini";

TEST(IniUpdate, ParsesAndWritesTheFileOnceForManyKeys) {
  MemoryFileStore store;
  store.SetFile(kPath, "[Setting]\r\nCurrentProfile=1\r\n");
  {
    IniUpdate update(store, kPath);
    for (int i = 0; i < 50; ++i) update.Doc().SetInt("Setting", "Key" + std::to_string(i), i);
    ASSERT_TRUE(update.Commit());
  }
  EXPECT_EQ(store.ReadCount(kPath), 1);
  EXPECT_EQ(store.WriteCount(kPath), 1);
  const IniDocument doc = LoadIni(store, kPath);
  EXPECT_EQ(doc.GetInt("Setting", "CurrentProfile", -1), 1);
  EXPECT_EQ(doc.GetInt("Setting", "Key49", -1), 49);
}

TEST(IniUpdate, SkipsTheWriteWhenNothingChanged) {
  MemoryFileStore store;
  store.SetFile(kPath, "[Setting]\r\nCurrentProfile=1\r\n");
  {
    IniUpdate same(store, kPath);
    same.Doc().SetInt("Setting", "CurrentProfile", 1);
    EXPECT_TRUE(same.Commit());
  }
  {
    IniUpdate untouched(store, "c:/karvo/CONFIG.INI");
    EXPECT_TRUE(untouched.Commit());
  }
  EXPECT_EQ(store.WriteCount(kPath), 0);

  MemoryFileStore empty;
  IniUpdate deleteOnly(empty, kPath);
  deleteOnly.Doc().DeleteSection("Setting");
  EXPECT_TRUE(deleteOnly.Commit());
  EXPECT_EQ(empty.WriteCount(kPath), 0);
  EXPECT_FALSE(empty.FileExists(kPath));
}

TEST(IniUpdate, CreatesAMissingFile) {
  MemoryFileStore store;
  IniUpdate update(store, kPath);
  update.Doc().SetInt("Setting", "Device", 1);
  ASSERT_TRUE(update.Commit());
  EXPECT_EQ(store.Contents(kPath), "[Setting]\r\nDevice=1\r\n");
}

TEST(IniUpdate, NeverOverwritesAFileItCouldNotRead) {
  MemoryFileStore store;
  store.SetFile(kPath, "[Setting]\r\nCurrentProfile=3\r\n");
  store.SetUnreadable(kPath, true);
  IniUpdate update(store, kPath);
  update.Doc().SetInt("Setting", "Device", 1);
  EXPECT_FALSE(update.Commit());
  EXPECT_EQ(store.WriteCount(kPath), 0);
  EXPECT_EQ(store.Contents(kPath), "[Setting]\r\nCurrentProfile=3\r\n");
}

TEST(IniUpdate, ReportsAFailedWrite) {
  MemoryFileStore store;
  store.SetWritesFail(true);
  IniUpdate update(store, kPath);
  update.Doc().SetInt("Setting", "Device", 1);
  EXPECT_FALSE(update.Commit());
  EXPECT_FALSE(store.FileExists(kPath));
}

TEST(MemoryFileStore, ComparesPathsLikeWindows) {
  MemoryFileStore store;
  EXPECT_FALSE(store.FileExists(kPath));
  EXPECT_EQ(store.ReadFile(kPath), std::nullopt);
  ASSERT_TRUE(store.ReplaceFile("c:/KARVO/Config.Ini", "x"));
  EXPECT_TRUE(store.FileExists(kPath));
  EXPECT_EQ(store.ReadFile(kPath), "x");
  EXPECT_FALSE(store.FileExists("C:\\Karvo\\config.ini2"));
  store.RemoveFile(kPath);
  EXPECT_FALSE(store.FileExists("c:\\karvo\\config.ini"));
  EXPECT_EQ(LoadIni(store, kPath).Serialize(), "");
}

}  // namespace
}  // namespace karvo::settings
