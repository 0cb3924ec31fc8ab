#pragma once
// The suite's INI engine: reads what the Windows private-profile functions read
// and writes what they write, but parses and writes a file once per save.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace karvo::settings {

// One INI file in memory. Lines that no write touches are kept byte for byte.
class IniDocument {
 public:
  IniDocument() = default;
  static IniDocument Parse(std::string_view text);
  // CRLF line ends; no blank lines added.
  std::string Serialize() const;

  // GetPrivateProfileStringA: first matching section, first matching key
  // (names case-insensitive, trimmed), value trimmed, matching quotes removed.
  // nullopt when the key is absent. The value ends at an embedded NUL, as the
  // C string the real function returns would.
  std::optional<std::string> GetString(std::string_view section, std::string_view key) const;
  // GetPrivateProfileIntA: decimal, optional sign, wrapping, stops at the first
  // non-digit; defaultValue when the key is absent or its value empty.
  int GetInt(std::string_view section, std::string_view key, int defaultValue) const;
  // GetPrivateProfileStructA: hex pairs plus additive checksum; false (and out
  // untouched) when absent, of the wrong length, with a bad digit or checksum.
  bool GetStruct(std::string_view section, std::string_view key, void* out, std::size_t size) const;
  bool HasSection(std::string_view section) const;
  // The key lines of the first section of that name, in file order, with their
  // trimmed values as stored (what GetStruct decodes). One pass over the file, for
  // callers that would otherwise look up thousands of keys one by one.
  std::vector<std::pair<std::string, std::string>> SectionEntries(std::string_view section) const;

  // WritePrivateProfileStringA: value stored as given (no quoting); a new key goes
  // to the end of its section, a new section to the end of the file. A value is cut
  // at its first line break or NUL so it can never inject lines; an empty name, or
  // one that could not be read back as written, leaves the document unchanged.
  void SetString(std::string_view section, std::string_view key, std::string_view value);
  void SetInt(std::string_view section, std::string_view key, int value);  // "%d"
  // WritePrivateProfileStructA: uppercase hex pairs, then the checksum byte.
  void SetStruct(std::string_view section, std::string_view key, const void* data,
                 std::size_t size);
  // NULL value: removes the key (every copy of it in the section reads see).
  void DeleteKey(std::string_view section, std::string_view key);
  // NULL key: removes the section with its lines (every section of that name).
  void DeleteSection(std::string_view section);

  // One line of the file as read or written; implementation detail.
  enum class LineKind { Other, Section, Key };
  struct Line {
    std::string Raw;  // the bytes of the line without its end
    std::string End;  // "\r\n", "\n" or "" (a last line without an end)
    LineKind Kind = LineKind::Other;
    std::string Name;   // trimmed section or key name
    std::string Value;  // trimmed value of a key line
  };

 private:
  std::vector<Line> m_lines;
};

// Encodes bytes as the private-profile struct value (hex pairs + checksum).
std::string EncodeStruct(const void* data, std::size_t size);
// Decodes a struct value; false (out untouched) when the length, a digit or the
// checksum is wrong. Lowercase digits are accepted.
bool DecodeStruct(std::string_view text, void* out, std::size_t size);

// Held while a read-modify-write of one file is in progress.
class IFileLock {
 public:
  virtual ~IFileLock() = default;
};

// Where the INI files live: the real file system on Windows, memory in tests.
// Paths are Windows paths ("C:\\dir\\config.ini").
class IFileStore {
 public:
  virtual ~IFileStore() = default;
  // The whole file; nullopt when it does not exist or cannot be read.
  virtual std::optional<std::string> ReadFile(const std::string& path) = 0;
  // Replaces the file with content: afterwards it holds the old content or the new,
  // never a mix. False when it could not be written.
  [[nodiscard]] virtual bool ReplaceFile(const std::string& path, std::string_view content) = 0;
  // Opens the file for reading and closes it again.
  virtual bool FileExists(const std::string& path) = 0;
  // Serialises read-modify-write of path across threads and processes.
  virtual std::unique_ptr<IFileLock> Lock(const std::string& path) = 0;
};

// Parses the file once (empty document when it is missing).
IniDocument LoadIni(IFileStore& store, const std::string& path);

// One read-modify-write of a file under its lock: parse once, change, write once.
// A file that exists but cannot be read is never overwritten: Commit fails.
class IniUpdate {
 public:
  IniUpdate(IFileStore& store, std::string path);
  IniDocument& Doc() { return m_doc; }
  // Writes the document when it differs from the file; true when the file now
  // holds it.
  [[nodiscard]] bool Commit();

 private:
  IFileStore& m_store;
  std::string m_path;
  std::unique_ptr<IFileLock> m_lock;
  std::optional<std::string> m_original;
  bool m_unreadable = false;
  IniDocument m_doc;
};

}  // namespace karvo::settings
