// The setup program and its uninstaller, run silently in a Wine prefix of their own
// (run_fresh_prefix.sh), looked at from outside: files, registry, shortcuts, the running suite.
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "platform/handles.h"
#include "tests/e2e/transfer_suite_win.h"

namespace karvo::e2e {
namespace {

using platform::UniqueHandle;

constexpr char kUninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KARVO Gaming Mouse";
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kRunValue[] = "KARVO Gaming Mouse";
constexpr char kShortcuts[] = "\\KARVO Gaming Mouse\\";
constexpr char kUninstaller[] = "Uninstall.exe";
constexpr DWORD kTimeoutMs = 60000;
constexpr DWORD kFailed = 0xFFFFFFFF;

// The exit code once the program and everything it started have ended: the uninstaller hands
// its work to a copy of itself and returns at once.
DWORD RunToTheEnd(const std::string& commandLine) {
  UniqueHandle job(::CreateJobObjectA(nullptr, nullptr));
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::string line = commandLine;
  if (!job || !::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                                nullptr, nullptr, &startup, &info)) {
    return kFailed;
  }
  UniqueHandle process(info.hProcess);
  UniqueHandle thread(info.hThread);
  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION jobState{};
  bool ended = false;
  if (::AssignProcessToJobObject(job.Get(), process.Get()) &&
      ::ResumeThread(thread.Get()) != static_cast<DWORD>(-1)) {
    for (DWORD waited = 0; !ended && waited < kTimeoutMs; waited += 50) {
      ::Sleep(50);
      ended = ::QueryInformationJobObject(job.Get(), JobObjectBasicAccountingInformation, &jobState,
                                          sizeof jobState, nullptr) &&
              jobState.ActiveProcesses == 0;
    }
  }
  DWORD code = kFailed;
  if (!ended || !::GetExitCodeProcess(process.Get(), &code)) {
    ::TerminateProcess(process.Get(), kFailed);
    return kFailed;
  }
  return code;
}

std::optional<std::string> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool AppendBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::app);
  return static_cast<bool>(out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())));
}

bool Exists(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The files and (with a trailing backslash) directories below `dir`, relative to it.
void ListTree(const std::string& dir, const std::string& relative, std::vector<std::string>& out) {
  WIN32_FIND_DATAA found;
  HANDLE search = ::FindFirstFileA((dir + relative + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (std::strcmp(found.cFileName, ".") == 0 || std::strcmp(found.cFileName, "..") == 0) {
      continue;
    }
    const std::string name = relative + found.cFileName;
    const bool isDir = found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    out.push_back(isDir ? name + "\\" : name);
    if (isDir) ListTree(dir, name + "\\", out);
  } while (::FindNextFileA(search, &found));
  ::FindClose(search);
}

std::optional<std::string> RegString(HKEY root, const char* key, const char* value) {
  char data[1024] = {};
  DWORD size = sizeof data - 1;
  if (::RegGetValueA(root, key, value, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::string(data);
}

std::string Folder(int csidl) {
  char path[MAX_PATH] = {};
  return SUCCEEDED(::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) ? path
                                                                                          : "";
}

// "target arguments" of a shortcut file.
std::string Shortcut(const std::string& path) {
  IShellLinkA* link = nullptr;
  IPersistFile* file = nullptr;
  std::string shortcut = "(unreadable)";
  char target[MAX_PATH] = {};
  char arguments[MAX_PATH] = {};
  const std::wstring widePath(path.begin(), path.end());
  if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link))) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
      SUCCEEDED(file->Load(widePath.c_str(), STGM_READ)) &&
      SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, 0)) &&
      SUCCEEDED(link->GetArguments(arguments, MAX_PATH))) {
    shortcut = std::string(target) + " " + arguments;
  }
  if (file) file->Release();
  if (link) link->Release();
  return shortcut;
}

// Wine keeps no access lists on files: it turns an allow entry for a group the user belongs to
// into the Unix group's permission bits. So under Wine the entries below `dir` that the group
// may write are those the users were given write access to (run_fresh_prefix.sh sets umask
// 022). Wine starts Unix programs too, though without a handle to wait on: find(1) writes its
// list aside and renames it when done.
std::optional<std::set<std::string>> GroupWritable(const std::string& dir) {
  using ToUnix = char*(CDECL*)(const WCHAR*);
  const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void (*)()>(
      ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  const std::wstring wide(dir.begin(), dir.end());
  char* unixDir = toUnix ? toUnix(wide.c_str()) : nullptr;
  if (unixDir == nullptr) return std::nullopt;
  const std::string listing = "/tmp/karvo_group_writable_" + std::to_string(::GetTickCount());
  std::string command = "Z:\\bin\\sh -c \"find '" + std::string(unixDir) +
                        "' -mindepth 1 -perm -g=w -printf '%P\\n' > '" + listing +
                        ".part' && mv '" + listing + ".part' '" + listing + "'\"";
  ::HeapFree(::GetProcessHeap(), 0, unixDir);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &info)) {
    return std::nullopt;
  }
  const UniqueHandle process(info.hProcess);
  const UniqueHandle thread(info.hThread);
  const std::string windowsListing = "Z:" + listing;
  for (DWORD waited = 0; !Exists(windowsListing) && waited < kTimeoutMs; waited += 50) ::Sleep(50);
  const std::optional<std::string> text = ReadBytes(windowsListing);
  ::DeleteFileA(windowsListing.c_str());
  if (!text) return std::nullopt;
  std::set<std::string> entries;
  for (const std::string& entry : Lines(*text)) {
    if (!entry.empty()) entries.insert(entry);
  }
  return entries;
}

class InstallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
    const char* setup = std::getenv("KARVO_INSTALLER");
    m_setup = setup ? setup : "";
    if (!m_setup.empty() && m_setup[0] == '/') m_setup = "Z:" + m_setup;
    for (char& c : m_setup) c = c == '/' ? '\\' : c;
    ASSERT_TRUE(Exists(m_setup)) << "KARVO_INSTALLER names no setup program: " << m_setup;
    ASSERT_TRUE(DistDirectory()) << "KARVO_DIST is not set";
    m_dist = *DistDirectory();
    ListTree(m_dist, "", m_distTree);
    ASSERT_FALSE(m_distTree.empty());
  }
  void TearDown() override { ::CoUninitialize(); }

  std::string Setup(const std::string& options) const { return "\"" + m_setup + "\" /S" + options; }

  // Every file and directory of dist/ byte for byte, the shortcuts and the uninstall entry.
  void ExpectInstalled(HKEY root, int programs, const std::string& installed) {
    std::size_t distBytes = 0;
    for (const std::string& entry : m_distTree) {
      const std::optional<std::string> original = ReadBytes(m_dist + entry);
      distBytes += entry.back() == '\\' ? 0 : original.value_or("").size();
      // Compared whole, but not printed: the programs are megabytes.
      EXPECT_TRUE(entry.back() == '\\' ? Exists(installed + entry)
                                       : ReadBytes(installed + entry) == original)
          << entry;
    }
    const std::string monitor = installed + kMonitorExe;
    const std::string uninstaller = installed + kUninstaller;
    const std::string shortcuts = Folder(programs) + kShortcuts;
    EXPECT_EQ(Shortcut(shortcuts + "KARVO Gaming Mouse.lnk"), monitor + " 1");
    EXPECT_EQ(Shortcut(shortcuts + "Uninstall KARVO Gaming Mouse.lnk"), uninstaller + " ");
    const struct {
      const char* value;
      std::string expected;
    } kEntry[] = {
        {"DisplayName", "KARVO Gaming Mouse"},
        {"DisplayVersion", "2.02"},
        {"Publisher", "KARVO"},
        {"DisplayIcon", monitor + ",0"},
        {"InstallLocation", installed.substr(0, installed.size() - 1)},
        {"UninstallString", "\"" + uninstaller + "\""},
    };
    for (const auto& e : kEntry) {
      EXPECT_EQ(RegString(root, kUninstallKey, e.value).value_or("(none)"), e.expected) << e.value;
    }
    DWORD sizeKb = 0;
    DWORD size = sizeof sizeKb;
    ::RegGetValueA(root, kUninstallKey, "EstimatedSize", RRF_RT_REG_DWORD, nullptr, &sizeKb, &size);
    EXPECT_GE(sizeKb * 1024ull, distBytes);
  }

  // No program file is left, nor the shortcuts, the Run value or the uninstall entry.
  void ExpectRemoved(HKEY root, int programs, const std::string& installed) {
    for (const std::string& entry : m_distTree) {
      const bool settings = entry == "config.ini" || entry.rfind("config\\", 0) == 0;
      EXPECT_FALSE(entry.back() != '\\' && !settings && Exists(installed + entry)) << entry;
    }
    EXPECT_FALSE(Exists(installed + kUninstaller));
    EXPECT_FALSE(Exists(Folder(programs) + kShortcuts));
    EXPECT_FALSE(RegString(root, kRunKey, kRunValue));
    EXPECT_FALSE(RegString(root, kUninstallKey, "DisplayName"));
  }

  std::string m_setup;
  std::string m_dist;
  std::vector<std::string> m_distTree;
};

// The default install, for the user alone: it runs from the log-on command, is upgraded while
// it runs with the user's edits intact, and leaves the settings behind on uninstall.
TEST_F(InstallerTest, PerUserInstallRunsIsUpgradedWhileRunningAndUninstallKeepsSettings) {
  ASSERT_EQ(RunToTheEnd(Setup("")), 0u);
  const std::string installed = Folder(CSIDL_LOCAL_APPDATA) + "\\Programs\\KARVO Gaming Mouse\\";
  ExpectInstalled(HKEY_CURRENT_USER, CSIDL_PROGRAMS, installed);
  EXPECT_FALSE(RegString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"));

  // The upgrade must replace even a program that runs: this one is marked first.
  ASSERT_TRUE(AppendBytes(installed + kMonitorExe, "an older monitor"));
  std::string runCommand = RegString(HKEY_CURRENT_USER, kRunKey, kRunValue).value_or("");
  ASSERT_EQ(runCommand, "\"" + installed + kMonitorExe + "\"");
  FakeConfigurator configurator;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  // Log-on programs start in a directory of the system's choosing.
  ASSERT_TRUE(::CreateProcessA(nullptr, runCommand.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               Folder(CSIDL_WINDOWS).c_str(), &startup, &info));
  const UniqueHandle monitor(info.hProcess);
  const UniqueHandle monitorThread(info.hThread);
  ASSERT_TRUE(configurator.WaitFor(kMsgReadBackDone, 1, kTimeoutMs));
  const std::string mousectl = "\"" + installed + "mousectl.exe\" ";
  const ToolRun state = RunTool(mousectl + "state", installed);
  ASSERT_EQ(state.exitCode, 0u) << state.output;
  EXPECT_TRUE(ParseMouseState(state.output));
  // The virtual mouse keeps what it is told in its state file beside the programs.
  ASSERT_EQ(RunTool(mousectl + "firmware 107", installed).exitCode, 0u);

  const char* const kEdited[] = {"config.ini", "config\\Default0.kmp", "config\\sequence.dat"};
  std::vector<std::optional<std::string>> edited;
  for (const char* file : kEdited) {
    ASSERT_TRUE(AppendBytes(installed + file, std::string("\r\n; by hand \0\x81\xFF", 16)));
    edited.push_back(ReadBytes(installed + file));
  }

  ASSERT_EQ(RunToTheEnd(Setup("")), 0u);
  DWORD monitorExit = kFailed;
  ASSERT_EQ(::WaitForSingleObject(monitor.Get(), 0), WAIT_OBJECT_0) << "the setup closed it";
  EXPECT_TRUE(::GetExitCodeProcess(monitor.Get(), &monitorExit));
  EXPECT_EQ(monitorExit, 0u) << "closed, not ended by force";
  EXPECT_EQ(::FindWindowA(nullptr, kOsdTitle), nullptr);
  ExpectInstalled(HKEY_CURRENT_USER, CSIDL_PROGRAMS, installed);
  const std::optional<std::string> mouseMemory = ReadBytes(installed + "hidgate.state");
  EXPECT_TRUE(mouseMemory);

  ASSERT_EQ(RunToTheEnd("\"" + installed + kUninstaller + "\" /S"), 0u);
  ExpectRemoved(HKEY_CURRENT_USER, CSIDL_PROGRAMS, installed);
  EXPECT_EQ(ReadBytes(installed + "hidgate.state"), mouseMemory);
  for (std::size_t i = 0; i < std::size(kEdited); ++i) {
    EXPECT_EQ(ReadBytes(installed + kEdited[i]), edited[i]) << kEdited[i];
  }
}

// For every user: Program Files stays read-only to them but for the settings and the virtual
// mouse's memory; a suite that will not end stops an upgrade; an uninstall told to remove the
// settings leaves nothing.
TEST_F(InstallerTest, PerMachineInstallLetsUsersWriteOnlyTheirFilesAndUninstallsCompletely) {
  const std::string dir = Folder(CSIDL_PROGRAM_FILES) + "\\KARVO Mouse Suite";
  const std::string installed = dir + "\\";
  ASSERT_EQ(RunToTheEnd(Setup(" /ALLUSERS /NOAUTOSTART /D=" + dir)), 0u);
  ExpectInstalled(HKEY_LOCAL_MACHINE, CSIDL_COMMON_PROGRAMS, installed);
  EXPECT_FALSE(RegString(HKEY_LOCAL_MACHINE, kRunKey, kRunValue)) << "/NOAUTOSTART";
  EXPECT_FALSE(RegString(HKEY_CURRENT_USER, kUninstallKey, "DisplayName"));
  const std::optional<std::set<std::string>> writable = GroupWritable(dir);
  ASSERT_TRUE(writable);
  EXPECT_EQ(*writable, (std::set<std::string>{"config", "config.ini", "hidgate.state"}));

  {
    const UniqueHandle stuck(::CreateMutexA(nullptr, FALSE, "KARVO_Gaming_Mouse_configure"));
    ASSERT_TRUE(AppendBytes(installed + kMonitorExe, "an older monitor"));
    EXPECT_EQ(RunToTheEnd(Setup(" /ALLUSERS /D=" + dir)), 2u);
    EXPECT_TRUE(ReadBytes(installed + kMonitorExe) != ReadBytes(m_dist + kMonitorExe))
        << "the setup replaced a program while the suite ran";
  }

  ASSERT_TRUE(AppendBytes(installed + "config\\Default0.kmp", "a profile"));
  ASSERT_EQ(RunToTheEnd("\"" + installed + kUninstaller + "\" /S /REMOVESETTINGS"), 0u);
  ExpectRemoved(HKEY_LOCAL_MACHINE, CSIDL_COMMON_PROGRAMS, installed);
  EXPECT_FALSE(Exists(dir)) << "nothing is left of the install";
}

}  // namespace
}  // namespace karvo::e2e
