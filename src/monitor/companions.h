#pragma once
// The programs the monitor starts and closes, found by their window titles.
#include <cstddef>
#include <string>

namespace karvo::monitor {

enum class Companion { Configurator, Osd, LoadNotifier, MailNotifier, VoiceNotifier };

struct CompanionInfo {
  const char* RelativePath;  // below the program directory
  const char* WindowTitle;
};

const CompanionInfo& Describe(Companion companion);

// programDir ends with a backslash, as platform::ProgramDir gives it.
std::string CompanionPath(const std::string& programDir, Companion companion);

}  // namespace karvo::monitor
