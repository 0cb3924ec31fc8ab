#include "editors/program_choice.h"

namespace karvo::editors {
namespace {

std::u16string_view TakeString(std::u16string_view& rest) {
  const std::size_t end = rest.find(u'\0');
  const std::u16string_view taken = rest.substr(0, end);
  rest = end == std::u16string_view::npos ? std::u16string_view{} : rest.substr(end + 1);
  return taken;
}

}  // namespace

std::u16string FirstChosenFile(std::u16string_view answer) {
  const std::u16string_view first = TakeString(answer);
  const std::u16string_view name = TakeString(answer);
  if (first.empty() || name.empty()) return std::u16string(first);
  // A folder at the root of a drive ends with its backslash already.
  std::u16string path(first);
  if (path.back() != u'\\') path += u'\\';
  path += name;
  return path;
}

}  // namespace karvo::editors
