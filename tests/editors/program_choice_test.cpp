#include "editors/program_choice.h"

#include <gtest/gtest.h>

namespace karvo::editors {
namespace {

using namespace std::string_view_literals;

TEST(ProgramChoiceTest, TheFirstChosenFileComesWholeAndNothingBeyondTheAnswerIsRead) {
  const struct {
    std::u16string_view answer;
    std::u16string_view path;
  } cases[] = {
      {u"C:\\Tools\\app.exe\0\0"sv, u"C:\\Tools\\app.exe"},
      {u"C:\\Tools\0b.exe\0a.exe\0\0"sv, u"C:\\Tools\\b.exe"},
      {u"C:\\\0run.exe\0\0"sv, u"C:\\run.exe"},          // a drive's root has its backslash
      {u"C:\\Tools\\app.exe"sv, u"C:\\Tools\\app.exe"},  // no terminator within the buffer
      {u"C:\\Tools\0b.exe"sv, u"C:\\Tools\\b.exe"},
      {u"\0\0"sv, u""},
      {u""sv, u""},
      {u"\0stray.exe\0\0"sv, u""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FirstChosenFile(c.answer), c.path) << std::string(c.answer.begin(), c.answer.end());
  }
}

}  // namespace
}  // namespace karvo::editors
