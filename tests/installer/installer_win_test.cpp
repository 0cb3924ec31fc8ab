// The setup program and its uninstaller, run silently in a Wine prefix of their own
// (run_fresh_prefix.sh), looked at from outside: files, registry, shortcuts, the running suite.
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <windows.h>

#include <cstdlib>
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
using platform::UniqueRegKey;

constexpr char kUninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KARVO Gaming Mouse";
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kRunValue[] = "KARVO Gaming Mouse";
constexpr char kShortcutFolder[] = "\\KARVO Gaming Mouse\\";
constexpr char kStartShortcut[] = "KARVO Gaming Mouse.lnk";
constexpr char kUninstallShortcut[] = "Uninstall KARVO Gaming Mouse.lnk";
constexpr char kUninstaller[] = "Uninstall.exe";
constexpr DWORD kSetupTimeoutMs = 120000;
constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kFailed = 0xFFFFFFFF;

std::string SetupPath() {
  const char* path = std::getenv("KARVO_INSTALLER");
  std::string setup = path ? path : "";
  if (!setup.empty() && setup[0] == '/') setup = "Z:" + setup;
  for (char& c : setup) c = c == '/' ? '\\' : c;
  return setup;
}

// The exit code once the program and everything it started have ended: the uninstaller hands
// its work to a copy of itself and returns at once. Messages are pumped meanwhile, since the
// monitor talks to the stand-in configurator while it closes.
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
  if (!::AssignProcessToJobObject(job.Get(), process.Get()) ||
      ::ResumeThread(thread.Get()) == static_cast<DWORD>(-1)) {
    ::TerminateProcess(process.Get(), kFailed);
    return kFailed;
  }
  const DWORD start = ::GetTickCount();
  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
  do {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    if (!::QueryInformationJobObject(job.Get(), JobObjectBasicAccountingInformation, &accounting,
                                     sizeof accounting, nullptr)) {
      return kFailed;
    }
  } while (accounting.ActiveProcesses > 0 && ::GetTickCount() - start < kSetupTimeoutMs);
  DWORD code = kFailed;
  if (accounting.ActiveProcesses > 0 || !::GetExitCodeProcess(process.Get(), &code)) {
    return kFailed;
  }
  return code;
}

std::optional<std::string> ReadBytes(const std::string& path) {
  platform::UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  while (::ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
    bytes.append(buffer, got);
  }
  return bytes;
}

// Appends `bytes` to the file, which `disposition` may create.
bool AppendBytes(const std::string& path, const std::string& bytes, DWORD disposition) {
  platform::UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, disposition,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file && ::SetFilePointer(file.Get(), 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER &&
         ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
         written == bytes.size();
}

// What the user and the virtual mouse write: kept by upgrades and by a default uninstall.
bool IsSettings(const std::string& relative) {
  return relative == "config.ini" || relative == "hidgate.state" ||
         relative.rfind("config\\", 0) == 0;
}

bool Exists(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The files (and, with a trailing backslash, the directories) below `dir`, relative to it.
void ListTree(const std::string& dir, const std::string& relative, std::vector<std::string>& out) {
  WIN32_FIND_DATAA found;
  HANDLE search = ::FindFirstFileA((dir + relative + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      out.push_back(relative + name + "\\");
      ListTree(dir, relative + name + "\\", out);
    } else {
      out.push_back(relative + name);
    }
  } while (::FindNextFileA(search, &found));
  ::FindClose(search);
}

std::vector<std::string> Tree(const std::string& dir) {
  std::vector<std::string> entries;
  ListTree(dir, "", entries);
  return entries;
}

std::optional<std::string> RegString(HKEY root, const char* key, const char* value) {
  char data[1024] = {};
  DWORD size = sizeof data - 1;
  if (::RegGetValueA(root, key, value, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::string(data);
}

bool KeyExists(HKEY root, const char* key) {
  HKEY opened = nullptr;
  if (::RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  UniqueRegKey owner(opened);
  return true;
}

std::string Folder(int csidl) {
  char path[MAX_PATH] = {};
  return SUCCEEDED(::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) ? path
                                                                                          : "";
}

struct Shortcut {
  std::string target;
  std::string arguments;
};

std::optional<Shortcut> ReadShortcut(const std::string& path) {
  IShellLinkA* link = nullptr;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link)))) {
    return std::nullopt;
  }
  std::optional<Shortcut> shortcut;
  IPersistFile* file = nullptr;
  const std::wstring widePath(path.begin(), path.end());
  char target[MAX_PATH] = {};
  char arguments[MAX_PATH] = {};
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    if (SUCCEEDED(file->Load(widePath.c_str(), STGM_READ)) &&
        SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, 0)) &&
        SUCCEEDED(link->GetArguments(arguments, MAX_PATH))) {
      shortcut = Shortcut{target, arguments};
    }
    file->Release();
  }
  link->Release();
  return shortcut;
}

std::optional<std::string> UnixFileName(const std::string& path) {
  using ToUnix = char*(CDECL*)(const WCHAR*);
  const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void (*)()>(
      ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  const std::wstring wide(path.begin(), path.end());
  char* name = toUnix ? toUnix(wide.c_str()) : nullptr;
  if (name == nullptr) return std::nullopt;
  std::string unixName = name;
  ::HeapFree(::GetProcessHeap(), 0, name);
  return unixName;
}

// Wine keeps no access lists on files: it turns an allow entry for a group the user belongs to
// into the Unix group's permission bits. So under Wine the entries below `dir` that the group
// may write are those the users were given write access to (run_fresh_prefix.sh sets umask
// 022). Wine starts Unix programs too, though without a handle to wait on: find(1) writes its
// list aside and renames it when done.
std::optional<std::set<std::string>> GroupWritable(const std::string& dir) {
  char temp[MAX_PATH];
  const DWORD length = ::GetTempPathA(MAX_PATH, temp);
  if (length == 0 || length >= MAX_PATH) return std::nullopt;
  const std::string listing = std::string(temp) + "karvo_group_writable.txt";
  ::DeleteFileA(listing.c_str());
  const std::optional<std::string> unixDir = UnixFileName(dir);
  const std::optional<std::string> unixListing = UnixFileName(listing);
  if (!unixDir || !unixListing) return std::nullopt;
  std::string command = "Z:\\bin\\sh -c \"find '" + *unixDir +
                        "' -mindepth 1 -perm -g=w -printf '%P\\n' > '" + *unixListing +
                        ".part' && mv '" + *unixListing + ".part' '" + *unixListing + "'\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &info)) {
    return std::nullopt;
  }
  const UniqueHandle process(info.hProcess);
  const UniqueHandle thread(info.hThread);
  for (DWORD waited = 0; !Exists(listing) && waited < kStartTimeoutMs; waited += 50) ::Sleep(50);
  std::set<std::string> entries;
  for (const std::string& line : Lines(ReadBytes(listing).value_or(""))) {
    if (!line.empty()) entries.insert(line);
  }
  return Exists(listing) ? std::optional(entries) : std::nullopt;
}

class InstallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
    m_setup = SetupPath();
    ASSERT_TRUE(Exists(m_setup)) << "KARVO_INSTALLER names no setup program: " << m_setup;
    const std::optional<std::string> dist = DistDirectory();
    ASSERT_TRUE(dist) << "KARVO_DIST is not set";
    m_dist = *dist;
    m_distTree = Tree(m_dist);
    ASSERT_FALSE(m_distTree.empty());
  }
  void TearDown() override { ::CoUninitialize(); }

  // Every file and directory of dist/, byte for byte, and the uninstaller beside them.
  void ExpectLayout(const std::string& dir) {
    for (const std::string& entry : m_distTree) {
      if (entry.back() == '\\') {
        EXPECT_TRUE(Exists(dir + entry)) << entry;
      } else {
        // Compared whole, but not printed: the programs are megabytes.
        EXPECT_TRUE(ReadBytes(dir + entry) == ReadBytes(m_dist + entry)) << entry;
      }
    }
    EXPECT_TRUE(Exists(dir + kUninstaller));
  }

  void ExpectUninstallEntry(HKEY root, const std::string& installed) {
    const std::string dir = installed.substr(0, installed.size() - 1);
    const struct {
      const char* value;
      std::string expected;
    } kEntry[] = {
        {"DisplayName", "KARVO Gaming Mouse"},
        {"DisplayVersion", "2.02"},
        {"Publisher", "KARVO"},
        {"DisplayIcon", installed + kMonitorExe + ",0"},
        {"InstallLocation", dir},
        {"UninstallString", "\"" + installed + kUninstaller + "\""},
    };
    for (const auto& e : kEntry) {
      EXPECT_EQ(RegString(root, kUninstallKey, e.value).value_or("(none)"), e.expected) << e.value;
    }
    DWORD sizeKb = 0;
    DWORD size = sizeof sizeKb;
    EXPECT_EQ(::RegGetValueA(root, kUninstallKey, "EstimatedSize", RRF_RT_REG_DWORD, nullptr,
                             &sizeKb, &size),
              ERROR_SUCCESS);
    std::size_t distBytes = 0;
    for (const std::string& entry : m_distTree) {
      if (entry.back() != '\\') distBytes += ReadBytes(m_dist + entry).value_or("").size();
    }
    EXPECT_GE(sizeKb * 1024ull, distBytes);
  }

  void ExpectShortcuts(int programsFolder, const std::string& installed) {
    const std::string folder = Folder(programsFolder) + kShortcutFolder;
    const std::optional<Shortcut> start = ReadShortcut(folder + kStartShortcut);
    ASSERT_TRUE(start) << folder;
    EXPECT_EQ(start->target, installed + kMonitorExe);
    EXPECT_EQ(start->arguments, "1") << "the monitor opens the configurator";
    const std::optional<Shortcut> uninstall = ReadShortcut(folder + kUninstallShortcut);
    ASSERT_TRUE(uninstall);
    EXPECT_EQ(uninstall->target, installed + kUninstaller);
  }

  // No program file is left, nor the shortcuts, the Run value or the uninstall entry.
  void ExpectRemoved(HKEY root, int programsFolder, const std::string& installed) {
    for (const std::string& entry : m_distTree) {
      if (entry.back() != '\\' && !IsSettings(entry)) {
        EXPECT_FALSE(Exists(installed + entry)) << entry;
      }
    }
    EXPECT_FALSE(Exists(installed + kUninstaller));
    EXPECT_FALSE(Exists(Folder(programsFolder) + kShortcutFolder));
    EXPECT_FALSE(RegString(root, kRunKey, kRunValue));
    EXPECT_FALSE(KeyExists(root, kUninstallKey));
  }

  std::string m_setup;
  std::string m_dist;
  std::vector<std::string> m_distTree;
};

// The default install, for the user alone: it runs from the log-on command, survives an upgrade
// made while it runs with the user's edits intact, and leaves the settings behind on uninstall.
TEST_F(InstallerTest, PerUserInstallRunsIsUpgradedWhileRunningAndUninstallKeepsSettings) {
  ASSERT_EQ(RunToTheEnd("\"" + m_setup + "\" /S"), 0u);
  const std::string installed = Folder(CSIDL_LOCAL_APPDATA) + "\\Programs\\KARVO Gaming Mouse\\";
  ExpectLayout(installed);
  ExpectUninstallEntry(HKEY_CURRENT_USER, installed);
  ExpectShortcuts(CSIDL_PROGRAMS, installed);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));

  // An upgrade must replace even a program that runs: this one is marked first.
  ASSERT_TRUE(AppendBytes(installed + kMonitorExe, "an older monitor", OPEN_EXISTING));
  const std::optional<std::string> runCommand = RegString(HKEY_CURRENT_USER, kRunKey, kRunValue);
  ASSERT_EQ(runCommand.value_or(""), "\"" + installed + kMonitorExe + "\"");
  FakeConfigurator configurator;
  ASSERT_TRUE(configurator.Ok());
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::string line = *runCommand;
  // Windows starts the log-on programs in a directory of its own choosing.
  ASSERT_TRUE(::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               Folder(CSIDL_WINDOWS).c_str(), &startup, &info));
  UniqueHandle monitor(info.hProcess);
  UniqueHandle monitorThread(info.hThread);
  ASSERT_TRUE(configurator.WaitFor(kMsgReadBackDone, 1, kStartTimeoutMs));
  const ToolRun state = RunTool("\"" + installed + "mousectl.exe\" state", installed);
  ASSERT_EQ(state.exitCode, 0u) << state.output;
  EXPECT_TRUE(ParseMouseState(state.output));
  // The virtual mouse keeps what it is told in its state file beside the programs.
  ASSERT_EQ(RunTool("\"" + installed + "mousectl.exe\" firmware 107", installed).exitCode, 0u);

  const struct {
    const char* file;
    std::string content;
  } kEdits[] = {
      {"config.ini", "\r\n[Kept]\r\nNote=edited by hand\r\n"},
      {"config\\Default0.kmp", std::string("profile \0\x01\xFF bytes", 17)},
      {"config\\sequence.dat", std::string("\x02\0\0\0macro\x80\x81", 11)},
  };
  std::vector<std::string> edited;
  for (const auto& e : kEdits) {
    ASSERT_TRUE(AppendBytes(installed + e.file, e.content, OPEN_ALWAYS)) << e.file;
    edited.push_back(ReadBytes(installed + e.file).value_or(""));
  }

  ASSERT_EQ(RunToTheEnd("\"" + m_setup + "\" /S"), 0u);
  DWORD monitorExit = kFailed;
  ASSERT_EQ(::WaitForSingleObject(monitor.Get(), 0), WAIT_OBJECT_0) << "the setup closed it";
  EXPECT_TRUE(::GetExitCodeProcess(monitor.Get(), &monitorExit));
  EXPECT_EQ(monitorExit, 0u) << "closed, not ended by force";
  EXPECT_EQ(::FindWindowA(nullptr, kOsdTitle), nullptr);
  ExpectLayout(installed);
  for (std::size_t i = 0; i < std::size(kEdits); ++i) {
    EXPECT_EQ(ReadBytes(installed + kEdits[i].file), edited[i]) << kEdits[i].file;
  }
  const std::optional<std::string> mouseMemory = ReadBytes(installed + "hidgate.state");
  EXPECT_TRUE(mouseMemory);

  ASSERT_EQ(RunToTheEnd("\"" + installed + kUninstaller + "\" /S"), 0u);
  ExpectRemoved(HKEY_CURRENT_USER, CSIDL_PROGRAMS, installed);
  for (std::size_t i = 0; i < std::size(kEdits); ++i) {
    EXPECT_EQ(ReadBytes(installed + kEdits[i].file), edited[i]) << kEdits[i].file;
  }
  EXPECT_EQ(ReadBytes(installed + "hidgate.state"), mouseMemory);
}

// For every user: Program Files stays read-only to them except for the settings and the
// virtual mouse's memory, and an uninstall asked to remove the settings leaves nothing.
TEST_F(InstallerTest, PerMachineInstallLetsUsersWriteOnlyTheirFilesAndUninstallsCompletely) {
  const std::string dir = Folder(CSIDL_PROGRAM_FILES) + "\\KARVO Mouse Suite";
  const std::string installed = dir + "\\";
  ASSERT_EQ(RunToTheEnd("\"" + m_setup + "\" /S /ALLUSERS /NOAUTOSTART /D=" + dir), 0u);
  ExpectLayout(installed);
  ExpectUninstallEntry(HKEY_LOCAL_MACHINE, installed);
  ExpectShortcuts(CSIDL_COMMON_PROGRAMS, installed);
  EXPECT_FALSE(RegString(HKEY_LOCAL_MACHINE, kRunKey, kRunValue)) << "/NOAUTOSTART";
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUninstallKey)) << "nothing is written per user";

  const std::optional<std::set<std::string>> writable = GroupWritable(dir);
  ASSERT_TRUE(writable);
  EXPECT_EQ(*writable, (std::set<std::string>{"config", "config.ini", "hidgate.state"}));

  {
    // A program of the suite that does not end stops an upgrade before any file is replaced.
    const UniqueHandle stuck(::CreateMutexA(nullptr, FALSE, "KARVO_Gaming_Mouse_configure"));
    ASSERT_TRUE(AppendBytes(installed + kMonitorExe, "an older monitor", OPEN_EXISTING));
    EXPECT_EQ(RunToTheEnd("\"" + m_setup + "\" /S /ALLUSERS /D=" + dir), 2u);
    EXPECT_TRUE(ReadBytes(installed + kMonitorExe) != ReadBytes(m_dist + kMonitorExe))
        << "the marked monitor was replaced";
  }

  ASSERT_EQ(RunToTheEnd("\"" + installed + kUninstaller + "\" /S /REMOVESETTINGS"), 0u);
  ExpectRemoved(HKEY_LOCAL_MACHINE, CSIDL_COMMON_PROGRAMS, installed);
  EXPECT_FALSE(Exists(dir)) << "nothing is left of the install";
}

}  // namespace
}  // namespace karvo::e2e
