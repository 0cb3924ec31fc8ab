#include "monitor/companions.h"

#include "platform/suite_names.h"

namespace karvo::monitor {

namespace {
constexpr CompanionInfo kCompanions[] = {
    {platform::kConfiguratorExe, platform::kConfiguratorTitle},
    {platform::kOsdExe, platform::kOsdTitle},
    {platform::kLoadExe, platform::kLoadTitle},
    {platform::kMailExe, platform::kMailTitle},
    {platform::kVoiceExe, platform::kVoiceTitle},
};
}  // namespace

const CompanionInfo& Describe(Companion companion) {
  return kCompanions[static_cast<std::size_t>(companion)];
}

std::string CompanionPath(const std::string& programDir, Companion companion) {
  std::string path = programDir;
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path + Describe(companion).RelativePath;
}

}  // namespace karvo::monitor
