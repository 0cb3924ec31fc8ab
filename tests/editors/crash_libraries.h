#pragma once
// The two macro libraries the save-crash child writes in turn. They differ in the
// number of macros and in every macro, so a file that mixed them shows.
#include <cstdio>

#include "editors/macro_store.h"

namespace karvo::editors::crash_test {

// which: 0 or 1.
inline MacroList Library(int which) {
  MacroList list;
  const int count = which == 0 ? 24 : 31;
  for (int m = 0; m < count; ++m) {
    char name[32];
    std::snprintf(name, sizeof name, "Library %d macro %d", which, m);
    auto macro = NewMacro(name);
    macro->RepeatCount = which * 100 + m;
    macro->EventCount = kMaxMacroEvents - m;
    for (int i = 0; i < kMaxMacroEvents; ++i) {
      macro->Events[i] = {static_cast<std::uint8_t>(4 + (i + m) % 60),
                          static_cast<std::uint8_t>(1 + (i + which) % 2),
                          static_cast<std::uint16_t>(i * 7 + m * 13 + which)};
    }
    list.push_back(std::move(macro));
  }
  return list;
}

}  // namespace karvo::editors::crash_test
