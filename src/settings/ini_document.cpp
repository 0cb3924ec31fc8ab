#include "settings/ini_document.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <utility>

namespace karvo::settings {
namespace {

using Line = IniDocument::Line;
using LineKind = IniDocument::LineKind;

constexpr std::string_view kNewLine = "\r\n";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool NamesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

// Classifies one line: "[name]" (up to its last ']') is a section header,
// "key = value" a key; blank lines, comments and anything else are kept as text.
void Classify(Line& line, bool firstLine) {
  std::string_view t = line.Raw;
  if (firstLine && t.substr(0, kUtf8Bom.size()) == kUtf8Bom) t.remove_prefix(kUtf8Bom.size());
  t = Trim(t);
  line.Kind = LineKind::Other;
  line.Name.clear();
  line.Value.clear();
  if (t.empty() || t.front() == ';') return;
  if (t.front() == '[') {
    const std::size_t close = t.rfind(']');
    if (close != std::string_view::npos && close > 0) {
      line.Kind = LineKind::Section;
      line.Name = Trim(t.substr(1, close - 1));
    }
    return;
  }
  const std::size_t eq = t.find('=');
  if (eq == std::string_view::npos) return;
  const std::string_view key = Trim(t.substr(0, eq));
  if (key.empty()) return;
  line.Kind = LineKind::Key;
  line.Name = key;
  line.Value = Trim(t.substr(eq + 1));
}

Line MakeLine(std::string raw) {
  Line line;
  line.Raw = std::move(raw);
  line.End = kNewLine;
  Classify(line, false);
  return line;
}

// A name is written only when it reads back as the same name.
bool ValidSectionName(std::string_view name) {
  if (name.empty()) return false;
  for (char c : name) {
    if (c == '\r' || c == '\n' || c == '\0' || c == ']' || c == '[') return false;
  }
  return true;
}

bool ValidKeyName(std::string_view name) {
  if (name.empty() || name.front() == '[' || name.front() == ';') return false;
  for (char c : name) {
    if (c == '\r' || c == '\n' || c == '\0' || c == '=') return false;
  }
  return true;
}

std::string_view CutAtLineBreak(std::string_view value) {
  const std::size_t cut = value.find_first_of(std::string_view("\r\n\0", 3));
  return cut == std::string_view::npos ? value : value.substr(0, cut);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Index of the first section header named name, or npos.
std::size_t FindSection(const std::vector<Line>& lines, std::string_view name) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].Kind == LineKind::Section && NamesEqual(lines[i].Name, name)) return i;
  }
  return std::string_view::npos;
}

// One past the last line of the section whose header is at index header.
std::size_t SectionEnd(const std::vector<Line>& lines, std::size_t header) {
  std::size_t i = header + 1;
  while (i < lines.size() && lines[i].Kind != LineKind::Section) ++i;
  return i;
}

std::size_t FindKey(const std::vector<Line>& lines, std::size_t header, std::string_view key) {
  const std::size_t end = SectionEnd(lines, header);
  for (std::size_t i = header + 1; i < end; ++i) {
    if (lines[i].Kind == LineKind::Key && NamesEqual(lines[i].Name, key)) return i;
  }
  return std::string_view::npos;
}

const std::string* FindValue(const std::vector<Line>& lines, std::string_view section,
                             std::string_view key) {
  const std::size_t header = FindSection(lines, Trim(section));
  if (header == std::string_view::npos) return nullptr;
  const std::size_t at = FindKey(lines, header, Trim(key));
  return at == std::string_view::npos ? nullptr : &lines[at].Value;
}

// A line that gets a successor must end with a line break.
void EnsureEnds(Line& line) {
  if (line.End.empty()) line.End = kNewLine;
}

}  // namespace

IniDocument IniDocument::Parse(std::string_view text) {
  IniDocument doc;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t nl = text.find('\n', pos);
    Line line;
    if (nl == std::string_view::npos) {
      line.Raw = text.substr(pos);
      pos = text.size();
    } else {
      std::size_t stop = nl;
      if (stop > pos && text[stop - 1] == '\r') --stop;
      line.Raw = text.substr(pos, stop - pos);
      line.End = text.substr(stop, nl + 1 - stop);
      pos = nl + 1;
    }
    Classify(line, doc.m_lines.empty());
    doc.m_lines.push_back(std::move(line));
  }
  return doc;
}

std::string IniDocument::Serialize() const {
  std::size_t size = 0;
  for (const Line& line : m_lines) size += line.Raw.size() + line.End.size();
  std::string out;
  out.reserve(size);
  for (const Line& line : m_lines) {
    out += line.Raw;
    out += line.End;
  }
  return out;
}

std::optional<std::string> IniDocument::GetString(std::string_view section,
                                                  std::string_view key) const {
  const std::string* found = FindValue(m_lines, section, key);
  if (!found) return std::nullopt;
  std::string_view v = *found;
  v = v.substr(0, v.find('\0'));
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    v = v.substr(1, v.size() - 2);
  }
  return std::string(v);
}

int IniDocument::GetInt(std::string_view section, std::string_view key, int defaultValue) const {
  const std::optional<std::string> text = GetString(section, key);
  if (!text || text->empty()) return defaultValue;
  std::string_view s = *text;
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  bool negative = false;
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  // Unsigned arithmetic wraps modulo 2^32 exactly as the real function does.
  std::uint32_t value = 0;
  for (char c : s) {
    if (c < '0' || c > '9') break;
    value = value * 10u + static_cast<std::uint32_t>(c - '0');
  }
  if (negative) value = 0u - value;
  return static_cast<int>(value);
}

bool IniDocument::GetStruct(std::string_view section, std::string_view key, void* out,
                            std::size_t size) const {
  const std::string* found = FindValue(m_lines, section, key);
  return found && DecodeStruct(*found, out, size);
}

std::vector<std::pair<std::string, std::string>> IniDocument::SectionEntries(
    std::string_view section) const {
  std::vector<std::pair<std::string, std::string>> entries;
  const std::size_t header = FindSection(m_lines, Trim(section));
  if (header == std::string_view::npos) return entries;
  const std::size_t end = SectionEnd(m_lines, header);
  for (std::size_t i = header + 1; i < end; ++i) {
    if (m_lines[i].Kind == LineKind::Key) entries.emplace_back(m_lines[i].Name, m_lines[i].Value);
  }
  return entries;
}

bool IniDocument::HasSection(std::string_view section) const {
  return FindSection(m_lines, Trim(section)) != std::string_view::npos;
}

void IniDocument::SetString(std::string_view section, std::string_view key,
                            std::string_view value) {
  section = Trim(section);
  key = Trim(key);
  if (!ValidSectionName(section) || !ValidKeyName(key)) return;
  value = CutAtLineBreak(value);

  std::size_t header = FindSection(m_lines, section);
  if (header == std::string_view::npos) {
    if (!m_lines.empty()) EnsureEnds(m_lines.back());
    m_lines.push_back(MakeLine("[" + std::string(section) + "]"));
    m_lines.push_back(MakeLine(std::string(key) + "=" + std::string(value)));
    return;
  }
  const std::size_t at = FindKey(m_lines, header, key);
  if (at != std::string_view::npos) {
    Line& line = m_lines[at];
    line.Raw = line.Name + "=" + std::string(value);
    Classify(line, at == 0);
    return;
  }
  // After the section's last non-blank line, so blank lines between sections stay put.
  std::size_t insertAt = SectionEnd(m_lines, header);
  while (insertAt > header + 1 && Trim(m_lines[insertAt - 1].Raw).empty()) --insertAt;
  EnsureEnds(m_lines[insertAt - 1]);
  m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                 MakeLine(std::string(key) + "=" + std::string(value)));
}

void IniDocument::SetInt(std::string_view section, std::string_view key, int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  SetString(section, key, text);
}

void IniDocument::SetStruct(std::string_view section, std::string_view key, const void* data,
                            std::size_t size) {
  SetString(section, key, EncodeStruct(data, size));
}

void IniDocument::DeleteKey(std::string_view section, std::string_view key) {
  const std::size_t header = FindSection(m_lines, Trim(section));
  if (header == std::string_view::npos) return;
  key = Trim(key);
  for (std::size_t at = FindKey(m_lines, header, key); at != std::string_view::npos;
       at = FindKey(m_lines, header, key)) {
    m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(at));
  }
}

void IniDocument::DeleteSection(std::string_view section) {
  section = Trim(section);
  for (std::size_t header = FindSection(m_lines, section); header != std::string_view::npos;
       header = FindSection(m_lines, section)) {
    m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(header),
                  m_lines.begin() + static_cast<std::ptrdiff_t>(SectionEnd(m_lines, header)));
  }
}

std::string EncodeStruct(const void* data, std::size_t size) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  const auto* bytes = static_cast<const unsigned char*>(data);
  std::string out;
  out.reserve(size * 2 + 2);
  unsigned sum = 0;
  for (std::size_t i = 0; i < size; ++i) {
    out += kDigits[bytes[i] >> 4];
    out += kDigits[bytes[i] & 0x0F];
    sum += bytes[i];
  }
  out += kDigits[(sum >> 4) & 0x0F];
  out += kDigits[sum & 0x0F];
  return out;
}

bool DecodeStruct(std::string_view text, void* out, std::size_t size) {
  if (size > (text.size() / 2) || text.size() != size * 2 + 2) return false;
  std::vector<unsigned char> bytes(size + 1);
  unsigned sum = 0;
  for (std::size_t i = 0; i <= size; ++i) {
    const int high = HexDigit(text[2 * i]);
    const int low = HexDigit(text[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    bytes[i] = static_cast<unsigned char>(high * 16 + low);
    if (i < size) sum += bytes[i];
  }
  if ((sum & 0xFF) != bytes[size]) return false;
  if (size > 0) std::memcpy(out, bytes.data(), size);
  return true;
}

IniDocument LoadIni(IFileStore& store, const std::string& path) {
  const std::unique_ptr<IFileLock> lock = store.Lock(path);
  const std::optional<std::string> text = store.ReadFile(path);
  return text ? IniDocument::Parse(*text) : IniDocument();
}

IniUpdate::IniUpdate(IFileStore& store, std::string path)
    : m_store(store), m_path(std::move(path)), m_lock(store.Lock(m_path)) {
  m_original = m_store.ReadFile(m_path);
  if (m_original) {
    m_doc = IniDocument::Parse(*m_original);
  } else {
    // Present but unreadable (too large, locked, no access): writing would lose it.
    m_unreadable = m_store.FileExists(m_path);
  }
}

bool IniUpdate::Commit() {
  if (m_unreadable) return false;
  const std::string text = m_doc.Serialize();
  if (m_original ? *m_original == text : text.empty()) return true;
  if (!m_store.ReplaceFile(m_path, text)) return false;
  m_original = text;
  return true;
}

}  // namespace karvo::settings
