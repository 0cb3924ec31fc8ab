// libFuzzer target for the INI engine: a file read as the Windows private-profile functions
// read it, then one write, read back and delete. The input is the file, the section, the key and
// the value, separated by 0xFF bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/ini_document.h"

namespace {

using karvo::settings::IniDocument;

std::vector<std::string_view> Split(std::string_view input) {
  std::vector<std::string_view> parts;
  for (std::size_t at = input.find('\xFF'); parts.size() < 3 && at != std::string_view::npos;
       at = input.find('\xFF')) {
    parts.push_back(input.substr(0, at));
    input.remove_prefix(at + 1);
  }
  parts.push_back(input);
  parts.resize(4);
  return parts;
}

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string_view> parts =
      Split(std::string_view(reinterpret_cast<const char*>(data), size));
  const std::string_view text = parts[0], section = parts[1], key = parts[2], value = parts[3];

  IniDocument doc = IniDocument::Parse(text);
  // Lines nobody wrote are kept byte for byte.
  Require(doc.Serialize() == text);
  doc.GetInt(section, key, 7);

  doc.SetString(section, key, value);
  const std::string written = doc.Serialize();
  const IniDocument reread = IniDocument::Parse(written);
  Require(reread.Serialize() == written);
  // The file reads back as the document that wrote it.
  Require(reread.GetString(section, key) == doc.GetString(section, key));
  // A write either lands where a read finds it or leaves the document as it was.
  Require(written == text || doc.GetString(section, key).has_value());
  doc.SetString(section, key, value);
  Require(doc.Serialize() == written);

  doc.DeleteKey(section, key);
  Require(!doc.GetString(section, key));
  Require(!IniDocument::Parse(doc.Serialize()).GetString(section, key));
  doc.DeleteSection(section);
  Require(!doc.HasSection(section) || section.find_first_not_of(" \t") == std::string_view::npos);
  return 0;
}
