#include "monitor/companions.h"

namespace karvo::monitor {

namespace {
constexpr CompanionInfo kCompanions[] = {
    {"KARVO Gaming Mouse Option.exe", "KARVO Gaming Mouse Option"},
    {"KARVO Gaming Mouse OSD.exe", "KARVO Gaming Mouse OSD"},
    {"Applets\\Loadpeek.exe", "KARVO Gaming Mouse CPU RAM OSD"},
    {"Applets\\Mailpeek.exe", "KARVO Gaming Mouse Pop3"},
    {"Applets\\Osdtalk.exe", "KARVO Gaming Mouse OSD SKYPE"},
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
