// The engine against the real private-profile functions, which serve as the oracle.
// Wine differs from Windows in a few places (it normalises the whole file on every
// write and trims the values it writes, takes G..Z as hex digits, reads "0x10" as 16
// and accepts struct values longer than the record); those inputs are left out.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/file_store_win.h"
#include "settings/ini_document.h"

namespace karvo::settings {
namespace {

using namespace std::string_literals;

constexpr char kAbsent[] = "\x01(absent)";

class OracleDir {
 public:
  OracleDir() {
    char base[MAX_PATH];
    const DWORD n = ::GetTempPathA(MAX_PATH, base);
    EXPECT_GT(n, 0u);
    m_path = std::string(base, n) + "karvo_oracle_" + std::to_string(::GetCurrentProcessId());
    ::CreateDirectoryA(m_path.c_str(), nullptr);
  }
  ~OracleDir() {
    for (const std::string& file : m_files) ::DeleteFileA(file.c_str());
    ::RemoveDirectoryA(m_path.c_str());
  }
  // A new file name each time: the real functions cache a file by its name and time.
  std::string NewFile() {
    m_files.push_back(m_path + "\\case" + std::to_string(m_files.size()) + ".ini");
    ::DeleteFileA(m_files.back().c_str());
    return m_files.back();
  }

 private:
  std::string m_path;
  std::vector<std::string> m_files;
};

std::optional<std::string> RealGetString(const std::string& path, const char* section,
                                         const char* key) {
  std::vector<char> buffer(16384, '\0');
  const DWORD n = ::GetPrivateProfileStringA(section, key, kAbsent, buffer.data(),
                                             static_cast<DWORD>(buffer.size()), path.c_str());
  const std::string value(buffer.data(), n);
  if (value == kAbsent) return std::nullopt;
  return value;
}

int RealGetInt(const std::string& path, const char* section, const char* key, int def) {
  return static_cast<int>(::GetPrivateProfileIntA(section, key, def, path.c_str()));
}

std::string ReadBytes(const std::string& path) {
  WinFileStore store;
  return store.ReadFile(path).value_or("(missing)");
}

void WriteBytes(const std::string& path, std::string_view text) {
  WinFileStore store;
  ASSERT_TRUE(store.ReplaceFile(path, text));
}

struct Query {
  const char* section;
  const char* key;
};

// Hand-edited files that both the real functions and the engine read.
struct ReadCase {
  std::string text;
  std::vector<Query> queries;
};

const std::vector<ReadCase>& HandEditedFiles() {
  static const std::vector<ReadCase> cases = {
      {"[s]\r\nk=v\r\n", {{"s", "k"}, {"S", "K"}, {"s", "x"}, {"t", "k"}}},
      {"  [ s ]  \r\n  k  =  v w  \r\n", {{"s", "k"}, {" s ", " k "}}},
      {"[s]\r\n\tk\t=\tv\t\r\n", {{"s", "k"}}},
      {"[s]\r\na=\"a b\"\r\nb='a b'\r\nc=\"\"\r\nd=\"a'\r\ne=\"\r\nf=\"\"a\"\"\r\n",
       {{"s", "a"}, {"s", "b"}, {"s", "c"}, {"s", "d"}, {"s", "e"}, {"s", "f"}}},
      {"[s]\r\nk=a=b\r\nempty=\r\n", {{"s", "k"}, {"s", "empty"}}},
      {"[s]\r\nk=1\r\nK=2\r\n[S]\r\nk=3\r\nj=4\r\n", {{"s", "k"}}},
      {"[a]\r\nk=1\r\n[b]\r\nj=2\r\n", {{"b", "k"}, {"a", "j"}}},
      {"k=1\r\n[s]\r\nj=2\r\n", {{"s", "k"}, {"s", "j"}}},
      {"[s]\nk=v\nj=w\n", {{"s", "k"}, {"s", "j"}}},
      {"[s]\r\nk=v", {{"s", "k"}}},
      {"; comment\r\n[s]\r\n; note=1\r\nk=v\r\n\r\n[t]\r\nk=w\r\n", {{"s", "k"}, {"t", "k"}}},
      {"[Setting]\r\nProFileName=My profile 1\r\nGameFile=C:\\Games\\game.exe\r\n",
       {{"Setting", "ProFileName"}, {"setting", "gamefile"}}},
  };
  return cases;
}

TEST(IniOracle, HandEditedFilesReadTheSame) {
  OracleDir dir;
  for (const ReadCase& c : HandEditedFiles()) {
    const std::string path = dir.NewFile();
    WriteBytes(path, c.text);
    const IniDocument doc = IniDocument::Parse(c.text);
    for (const Query& q : c.queries) {
      EXPECT_EQ(doc.GetString(q.section, q.key), RealGetString(path, q.section, q.key))
          << "[" << q.section << "] " << q.key << " in\n"
          << c.text;
    }
  }
}

TEST(IniOracle, IntegersReadTheSame) {
  OracleDir dir;
  const std::vector<std::string> values = {"-1",
                                           "1",
                                           "+1",
                                           "4294967296",
                                           "4294967297",
                                           "-4294967297",
                                           "2147483648",
                                           "-2147483648",
                                           "42A94967297",
                                           "B4294967297",
                                           "12 34",
                                           "\"25\"",
                                           "-",
                                           "+",
                                           "",
                                           "007",
                                           "  9  ",
                                           "1.5",
                                           "99999999999999999999"};
  for (const std::string& value : values) {
    for (int def : {-1, 7}) {
      const std::string path = dir.NewFile();
      const std::string text = "[s]\r\nk=" + value + "\r\n";
      WriteBytes(path, text);
      EXPECT_EQ(IniDocument::Parse(text).GetInt("s", "k", def), RealGetInt(path, "s", "k", def))
          << "\"" << value << "\" default " << def;
    }
  }
  const std::string path = dir.NewFile();
  WriteBytes(path, "[s]\r\nk=1\r\n");
  EXPECT_EQ(IniDocument().GetInt("s", "missing", 70), RealGetInt(path, "s", "missing", 70));
}

TEST(IniOracle, StructsDecodeTheSame) {
  OracleDir dir;
  const std::vector<std::string> values = {"01ABFF10BB",  "01abff10bb", "01ABFF10BC", "01ABFF10B",
                                           "01AB FF10BB", "",           "01ABFF10"};
  for (const std::string& value : values) {
    const std::string path = dir.NewFile();
    const std::string text = "[s]\r\nk=" + value + "\r\n";
    WriteBytes(path, text);
    std::uint8_t engine[4] = {9, 9, 9, 9};
    std::uint8_t real[4] = {9, 9, 9, 9};
    const bool engineOk = IniDocument::Parse(text).GetStruct("s", "k", engine, sizeof engine);
    const bool realOk = ::GetPrivateProfileStructA("s", "k", real, sizeof real, path.c_str());
    EXPECT_EQ(engineOk, realOk) << value;
    if (engineOk && realOk) {
      EXPECT_EQ(std::string(engine, engine + 4), std::string(real, real + 4)) << value;
    }
  }
}

// One write of a sequence, applied both to the engine and through the real functions.
struct Write {
  enum Kind { kString, kStruct, kDeleteKey, kDeleteSection } kind;
  const char* section;
  const char* key;
  std::string value;
};

void ApplyReal(const Write& w, const std::string& path) {
  switch (w.kind) {
    case Write::kString:
      ASSERT_TRUE(::WritePrivateProfileStringA(w.section, w.key, w.value.c_str(), path.c_str()));
      break;
    case Write::kStruct:
      ASSERT_TRUE(::WritePrivateProfileStructA(w.section, w.key, const_cast<char*>(w.value.data()),
                                               static_cast<UINT>(w.value.size()), path.c_str()));
      break;
    case Write::kDeleteKey:
      ASSERT_TRUE(::WritePrivateProfileStringA(w.section, w.key, nullptr, path.c_str()));
      break;
    case Write::kDeleteSection:
      ASSERT_TRUE(::WritePrivateProfileStringA(w.section, nullptr, nullptr, path.c_str()));
      break;
  }
}

void ApplyEngine(const Write& w, IniDocument& doc) {
  switch (w.kind) {
    case Write::kString:
      doc.SetString(w.section, w.key, w.value);
      break;
    case Write::kStruct:
      doc.SetStruct(w.section, w.key, w.value.data(), w.value.size());
      break;
    case Write::kDeleteKey:
      doc.DeleteKey(w.section, w.key);
      break;
    case Write::kDeleteSection:
      doc.DeleteSection(w.section);
      break;
  }
}

struct Sequence {
  std::vector<Write> writes;
  // Wine trims the values it writes; the engine, like Windows, writes them as given.
  bool sameBytes = true;
};

bool SameName(const char* a, const char* b) { return a && b && ::lstrcmpiA(a, b) == 0; }

// Whether write i still decides its key's value at the end of the sequence.
bool IsFinal(const std::vector<Write>& writes, std::size_t i) {
  for (std::size_t j = i + 1; j < writes.size(); ++j) {
    if (!SameName(writes[j].section, writes[i].section)) continue;
    if (writes[j].kind == Write::kDeleteSection || SameName(writes[j].key, writes[i].key)) {
      return false;
    }
  }
  return writes[i].kind == Write::kString || writes[i].kind == Write::kStruct;
}

const std::vector<Sequence>& WriteSequences() {
  static const std::string record = "\x01\x00\xFF\x7F\x80 zZ"s;
  static const std::vector<Sequence> sequences = {
      {{{Write::kString, "Setting", "CurrentProfile", "1"}}},
      {{{Write::kString, "Setting", "ProFileName", "Default1"},
        {Write::kString, "Setting", "GameFile", ""},
        {Write::kString, "FileName", "Profile0", "C:\\x\\y.kmp"},
        {Write::kString, "Setting", "DbleClickSpeed", "5"},
        {Write::kString, "SETTING", "profilename", "Renamed"}}},
      {{{Write::kString, "a", "k", "1"},
        {Write::kString, "b", "k", "2"},
        {Write::kString, "c", "k", "3"},
        {Write::kDeleteKey, "b", "k", ""},
        {Write::kDeleteSection, "a", nullptr, ""},
        {Write::kString, "a", "k", "4"}}},
      {{{Write::kStruct, "OSDSetting", "config", record},
        {Write::kStruct, "Setting", "MacroKeyInfo0", std::string(2320, '\x5A')},
        {Write::kStruct, "OSDSetting", "config", std::string(344, '\0')}}},
      {{{Write::kString, "s", "quoted", "\"q\""}, {Write::kString, "s", "neg", "-2147483648"}}},
      {{{Write::kString, "s", "spaced", "  a b  "}}, false},
  };
  return sequences;
}

TEST(IniOracle, TheSameWritesToANewFileGiveTheSameBytes) {
  OracleDir dir;
  int index = 0;
  for (const Sequence& sequence : WriteSequences()) {
    if (!sequence.sameBytes) continue;
    const std::string path = dir.NewFile();
    IniDocument doc;
    for (const Write& w : sequence.writes) {
      ApplyReal(w, path);
      ApplyEngine(w, doc);
    }
    EXPECT_EQ(doc.Serialize(), ReadBytes(path)) << "sequence " << index;
    ++index;
  }
}

TEST(IniOracle, FilesTheRealFunctionsWroteReadTheSameThroughTheEngine) {
  OracleDir dir;
  for (const Sequence& sequence : WriteSequences()) {
    const std::string path = dir.NewFile();
    for (const Write& w : sequence.writes) ApplyReal(w, path);
    const IniDocument doc = IniDocument::Parse(ReadBytes(path));
    for (std::size_t i = 0; i < sequence.writes.size(); ++i) {
      const Write& w = sequence.writes[i];
      if (w.key == nullptr) continue;  // a section delete names no key to read back
      if (!IsFinal(sequence.writes, i)) {
        EXPECT_EQ(doc.GetString(w.section, w.key).has_value(),
                  RealGetString(path, w.section, w.key).has_value());
      } else if (w.kind == Write::kStruct) {
        std::vector<char> engine(w.value.size()), real(w.value.size());
        const bool engineOk = doc.GetStruct(w.section, w.key, engine.data(), engine.size());
        const bool realOk = ::GetPrivateProfileStructA(
            w.section, w.key, real.data(), static_cast<UINT>(real.size()), path.c_str());
        EXPECT_TRUE(engineOk);
        EXPECT_EQ(engineOk, realOk);
        EXPECT_EQ(engine, real);
      } else {
        EXPECT_EQ(doc.GetString(w.section, w.key), RealGetString(path, w.section, w.key))
            << w.section << " " << w.key;
      }
    }
  }
}

TEST(IniOracle, FilesTheEngineWroteReadTheSameThroughTheRealFunctions) {
  OracleDir dir;
  for (const Sequence& sequence : WriteSequences()) {
    const std::string path = dir.NewFile();
    IniDocument doc;
    for (const Write& w : sequence.writes) ApplyEngine(w, doc);
    WriteBytes(path, doc.Serialize());
    for (std::size_t i = 0; i < sequence.writes.size(); ++i) {
      const Write& w = sequence.writes[i];
      if (w.key == nullptr) continue;  // a section delete names no key to read back
      if (!IsFinal(sequence.writes, i)) {
        EXPECT_EQ(doc.GetString(w.section, w.key).has_value(),
                  RealGetString(path, w.section, w.key).has_value());
      } else if (w.kind == Write::kStruct) {
        std::vector<char> real(w.value.size(), '\x11');
        EXPECT_TRUE(::GetPrivateProfileStructA(w.section, w.key, real.data(),
                                               static_cast<UINT>(real.size()), path.c_str()));
        std::vector<char> engine(w.value.size());
        ASSERT_TRUE(doc.GetStruct(w.section, w.key, engine.data(), engine.size()));
        EXPECT_EQ(engine, real);
      } else {
        EXPECT_EQ(doc.GetString(w.section, w.key), RealGetString(path, w.section, w.key))
            << w.section << " " << w.key;
      }
    }
  }
}

// Hand-edited files changed by the same writes: Wine rewrites the whole file, so
// only the values are compared, through both readers.
TEST(IniOracle, WritesIntoHandEditedFilesLeaveTheSameValues) {
  OracleDir dir;
  const std::vector<Write> writes = {
      {Write::kString, "S", "K", "new"}, {Write::kString, "s", "added", "x"},
      {Write::kString, "t", "k", "w2"},  {Write::kString, "fresh", "k", "f"},
      {Write::kDeleteKey, "s", "j", ""},
  };
  const std::vector<Query> queries = {{"s", "k"},     {"s", "added"}, {"s", "j"}, {"t", "k"},
                                      {"fresh", "k"}, {"s", "x"},     {"t", "m"}};
  for (const ReadCase& c : HandEditedFiles()) {
    const std::string realPath = dir.NewFile();
    const std::string enginePath = dir.NewFile();
    WriteBytes(realPath, c.text);
    IniDocument doc = IniDocument::Parse(c.text);
    for (const Write& w : writes) {
      ApplyReal(w, realPath);
      ApplyEngine(w, doc);
    }
    WriteBytes(enginePath, doc.Serialize());
    const IniDocument realWritten = IniDocument::Parse(ReadBytes(realPath));
    for (const Query& q : queries) {
      const auto expected = RealGetString(realPath, q.section, q.key);
      EXPECT_EQ(doc.GetString(q.section, q.key), expected) << q.key << " in\n" << c.text;
      EXPECT_EQ(realWritten.GetString(q.section, q.key), expected) << q.key << " in\n" << c.text;
      EXPECT_EQ(RealGetString(enginePath, q.section, q.key), expected) << q.key << " in\n"
                                                                       << c.text;
    }
  }
}

}  // namespace
}  // namespace karvo::settings
