// The display program as the monitor sees it: started as its own process, found
// by its window title, driven by posted requests, looked at on the screen.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gdi_win.h"
#include "platform/suite_names.h"

namespace {

constexpr const char* kTitle = karvo::platform::kOsdTitle;
constexpr const char* kNoticeClass = karvo::platform::kOsdNoticeClass;
constexpr UINT kNotice = karvo::platform::kMsgOsdNotice;
constexpr UINT kAppearance = karvo::platform::kMsgOsdAppearance;
constexpr DWORD kBoundMs = 15000;  // generous: Wine under load is slow

std::string ProgramPath() {
  const char* dist = std::getenv("KARVO_DIST");
  if (dist && *dist) {
    std::string path = std::string(dist) + "\\KARVO Gaming Mouse OSD.exe";
    if (::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return path;
  }
  return KARVO_OSD_EXE;
}

// Polls until done() holds; false when the bound passes first.
template <typename F>
bool WaitFor(F done, DWORD boundMs = kBoundMs) {
  const DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start > boundMs) return false;
    ::Sleep(5);
  }
  return true;
}

HWND FindNotice() { return ::FindWindowA(kNoticeClass, nullptr); }

// The notice window once it is on screen: its styles and alpha are settled by then,
// while a window found just after its creation may still be getting them.
HWND WaitForShownNotice() {
  HWND shown = nullptr;
  WaitFor([&] {
    HWND notice = FindNotice();
    if (notice && ::IsWindowVisible(notice)) shown = notice;
    return shown != nullptr;
  });
  return shown;
}

// Where the box's bottom-right corner must be: the screen's, above a bottom taskbar.
POINT ExpectedCorner() {
  POINT corner{::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  HWND tray = ::FindWindowA("Shell_TrayWnd", nullptr);
  RECT r{};
  if (tray && ::GetWindowRect(tray, &r) && r.right - r.left >= r.bottom - r.top && r.top > 0 &&
      r.top < corner.y) {
    corner.y = r.top;
  }
  return corner;
}

int TextWidth(const std::wstring& text) {
  HDC dc = ::GetDC(nullptr);
  HFONT font =
      ::CreateFontW(25, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"");
  HGDIOBJ old = ::SelectObject(dc, font);
  SIZE size{};
  ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  ::SelectObject(dc, old);
  ::DeleteObject(font);
  ::ReleaseDC(nullptr, dc);
  return size.cx;
}

RECT BoxFor(int textWidth) {
  POINT corner = ExpectedCorner();
  return RECT{corner.x - (textWidth + 60), corner.y - 56, corner.x, corner.y};
}

std::string Describe(const RECT& r) {
  char text[80];
  std::snprintf(text, sizeof text, "box %ld,%ld %ldx%ld", r.left, r.top, r.right - r.left,
                r.bottom - r.top);
  return text;
}

// What an observer of the screen sees of the notice box, change by change.
std::vector<std::string> ObserveUntilGone() {
  std::vector<std::string> seen;
  auto note = [&seen](const std::string& state) {
    if (seen.empty() || seen.back() != state) seen.push_back(state);
  };
  WaitFor([&] {
    HWND notice = FindNotice();
    if (!notice) {
      if (!seen.empty()) note("gone");
      return !seen.empty();
    }
    RECT r{};
    if (::IsWindowVisible(notice) && ::GetWindowRect(notice, &r)) note(Describe(r));
    return false;
  });
  return seen;
}

// An install directory of its own with the program and the files it reads.
class OsdInstall {
 public:
  OsdInstall() {
    m_dir = std::string(KARVO_OSD_TEST_DIR) + "\\install\\";
    ::CreateDirectoryA((std::string(KARVO_OSD_TEST_DIR)).c_str(), nullptr);
    ::CreateDirectoryA(m_dir.c_str(), nullptr);
    ::CreateDirectoryA((m_dir + "config").c_str(), nullptr);
    ::DeleteFileA(Config().c_str());
    for (int slot = 0; slot < 5; ++slot) ::DeleteFileA(Profile(slot).c_str());
    m_exe = m_dir + "KARVO Gaming Mouse OSD.exe";
    m_copied = ::CopyFileA(ProgramPath().c_str(), m_exe.c_str(), FALSE) != 0;
  }
  bool Copied() const { return m_copied; }
  const std::string& Exe() const { return m_exe; }
  std::string Config() const { return m_dir + "config.ini"; }
  std::string Profile(int slot) const {
    return m_dir + "config\\Default" + std::to_string(slot) + ".kmp";
  }

 private:
  std::string m_dir;
  std::string m_exe;
  bool m_copied = false;
};

class OsdProcess {
 public:
  ~OsdProcess() { Stop(); }
  bool Start(const std::string& exe) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string command = "\"" + exe + "\"";
    if (!::CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &si, &m_info)) {
      return false;
    }
    ::CloseHandle(m_info.hThread);
    m_running = true;
    return true;
  }
  // Its main window, once it has one; nullptr when the bound passes.
  HWND WaitForWindow() {
    HWND found = nullptr;
    WaitFor([&] {
      HWND hwnd = ::FindWindowA(nullptr, kTitle);
      DWORD pid = 0;
      if (hwnd) ::GetWindowThreadProcessId(hwnd, &pid);
      if (pid == m_info.dwProcessId) found = hwnd;
      return found != nullptr || Exited();
    });
    return found;
  }
  bool Exited() { return ::WaitForSingleObject(m_info.hProcess, 0) == WAIT_OBJECT_0; }
  // The exit code, or -1 when the process did not end within the bound.
  long WaitForExit() {
    if (::WaitForSingleObject(m_info.hProcess, kBoundMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    ::GetExitCodeProcess(m_info.hProcess, &code);
    return static_cast<long>(code);
  }
  void Stop() {
    if (!m_running) return;
    HWND hwnd = ::FindWindowA(nullptr, kTitle);
    DWORD pid = 0;
    if (hwnd) ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid == m_info.dwProcessId) ::PostMessageA(hwnd, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(m_info.hProcess, kBoundMs) != WAIT_OBJECT_0) {
      ::TerminateProcess(m_info.hProcess, 99);
    }
    ::CloseHandle(m_info.hProcess);
    m_running = false;
  }
  DWORD Pid() const { return m_info.dwProcessId; }

 private:
  PROCESS_INFORMATION m_info{};
  bool m_running = false;
};

class OsdProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A copy left over from an interrupted run would hold the single-instance mutex.
    if (HWND stale = ::FindWindowA(nullptr, kTitle)) {
      ::PostMessageA(stale, WM_CLOSE, 0, 0);
      WaitFor([] { return ::FindWindowA(nullptr, kTitle) == nullptr; });
    }
    ASSERT_TRUE(install.Copied()) << ProgramPath();
  }
  void StartProgram() {
    ASSERT_TRUE(program.Start(install.Exe()));
    window = program.WaitForWindow();
    ASSERT_NE(window, nullptr);
  }
  void Post(UINT message, WPARAM wParam, LPARAM lParam) {
    SetLastError(0xdeadbeef);
    ASSERT_TRUE(::PostMessageA(window, message, wParam, lParam)) << GetLastError();
  }

  OsdInstall install;
  OsdProcess program;
  HWND window = nullptr;
};

TEST_F(OsdProgramTest, MainWindowIsHiddenTopmostPopup) {
  StartProgram();
  // The window is found as soon as it exists; it is made topmost just after.
  EXPECT_TRUE(
      WaitFor([&] { return (::GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }));
  EXPECT_FALSE(::IsWindowVisible(window));
  EXPECT_TRUE(::GetWindowLongA(window, GWL_STYLE) & WS_POPUP);
  char className[64] = {};
  ::GetClassNameA(window, className, sizeof className);
  EXPECT_STREQ(className, kTitle);
  EXPECT_EQ(FindNotice(), nullptr);
}

TEST_F(OsdProgramTest, SecondCopyExitsWithOneAndLeavesTheFirstRunning) {
  StartProgram();
  OsdProcess second;
  ASSERT_TRUE(second.Start(install.Exe()));
  EXPECT_EQ(second.WaitForExit(), 1);
  EXPECT_FALSE(program.Exited());
  EXPECT_EQ(::FindWindowA(nullptr, kTitle), window);
}

TEST_F(OsdProgramTest, CloseAndQuitKindEndTheProgramWithZero) {
  StartProgram();
  Post(WM_CLOSE, 0, 0);
  EXPECT_EQ(program.WaitForExit(), 0);

  OsdProcess again;
  ASSERT_TRUE(again.Start(install.Exe()));
  window = again.WaitForWindow();
  ASSERT_NE(window, nullptr);
  Post(kNotice, 128, 1);
  Post(kNotice, 30, 0);
  EXPECT_EQ(again.WaitForExit(), 0);
  EXPECT_EQ(::FindWindowA(nullptr, kTitle), nullptr);
}

TEST_F(OsdProgramTest, CpiNoticeShowsAboveTheTaskbarThenDisappears) {
  StartProgram();
  Post(kAppearance, 0, (4 << 16) | 0);
  Post(kNotice, 128, 3);
  HWND notice = WaitForShownNotice();
  ASSERT_NE(notice, nullptr);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(notice, &pid);
  EXPECT_EQ(pid, program.Pid());
  const LONG exStyle = ::GetWindowLongA(notice, GWL_EXSTYLE);
  EXPECT_EQ(exStyle & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_LAYERED),
            WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_LAYERED);
  EXPECT_TRUE(::GetWindowLongA(notice, GWL_STYLE) & WS_POPUP);
  BYTE alpha = 0;
  DWORD flags = 0;
  EXPECT_TRUE(::GetLayeredWindowAttributes(notice, nullptr, &alpha, &flags));
  EXPECT_EQ(alpha, 255);
  EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));

  const std::vector<std::string> expected{Describe(BoxFor(TextWidth(L"1600 DPI"))), "gone"};
  EXPECT_EQ(ObserveUntilGone(), expected);
  EXPECT_FALSE(program.Exited());
}

TEST_F(OsdProgramTest, RepeatedKindKeepsItsBoxAnotherKindReplacesIt) {
  StartProgram();
  auto shownRect = [](HWND notice) {
    RECT r{};
    if (!::IsWindowVisible(notice) || !::GetWindowRect(notice, &r)) return std::string("hidden");
    return Describe(r);
  };
  Post(kNotice, 160, 1);
  HWND first = WaitForShownNotice();
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(
      WaitFor([&] { return shownRect(first) == Describe(BoxFor(TextWidth(L"Volume Level: 1"))); }));

  // The same kind again: new text in the same window.
  Post(kNotice, 160, 100);
  const std::string wider = Describe(BoxFor(TextWidth(L"Volume Level: 100")));
  EXPECT_TRUE(WaitFor([&] { return shownRect(first) == wider; })) << shownRect(first);
  EXPECT_EQ(FindNotice(), first);

  // Kind 20 while a box is up changes nothing; the no-op is handled after it.
  Post(kNotice, 20, 0);
  DWORD_PTR result = 0;
  ASSERT_TRUE(::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kBoundMs, &result));
  EXPECT_EQ(FindNotice(), first);
  EXPECT_EQ(shownRect(first), wider);

  // Another kind: the box goes at once and a new one shows the new text.
  Post(kNotice, 128, 1);
  HWND second = nullptr;
  EXPECT_TRUE(WaitFor([&] {
    HWND notice = FindNotice();
    if (notice != first && notice && ::IsWindowVisible(notice)) second = notice;
    return second != nullptr;
  }));
  EXPECT_FALSE(::IsWindow(first));
  const std::vector<std::string> expected{Describe(BoxFor(TextWidth(L"400 DPI"))), "gone"};
  EXPECT_EQ(ObserveUntilGone(), expected);
}

TEST_F(OsdProgramTest, TransparencyAppliesToTheNextBox) {
  StartProgram();
  Post(kAppearance, 0, (7 << 16) | 9);  // colour 7 does not exist; transparency 9 does
  Post(kNotice, 160, 40);
  HWND notice = WaitForShownNotice();
  ASSERT_NE(notice, nullptr);
  BYTE alpha = 0;
  EXPECT_TRUE(::GetLayeredWindowAttributes(notice, nullptr, &alpha, nullptr));
  EXPECT_EQ(alpha, 25);
}

TEST_F(OsdProgramTest, AppearanceAtStartComesFromTheNotificationRecord) {
  // The record as the settings page stores it: colour at byte 28, transparency at byte 32.
  BYTE record[344] = {};
  const INT32 colour = 4;
  const INT32 transparency = 8;
  std::memcpy(record + 28, &colour, sizeof colour);
  std::memcpy(record + 32, &transparency, sizeof transparency);
  ASSERT_TRUE(::WritePrivateProfileStructA("OSDSetting", "config", record, sizeof record,
                                           install.Config().c_str()));
  StartProgram();
  Post(kNotice, 128, 2);
  HWND notice = WaitForShownNotice();
  ASSERT_NE(notice, nullptr);
  BYTE alpha = 0;
  EXPECT_TRUE(::GetLayeredWindowAttributes(notice, nullptr, &alpha, nullptr));
  EXPECT_EQ(alpha, 50);
}

TEST_F(OsdProgramTest, DamagedNotificationRecordKeepsTheDefaults) {
  // One hex digit changed: the checksum no longer matches, so nothing of it is taken.
  BYTE record[344] = {};
  record[32] = 1;
  ASSERT_TRUE(::WritePrivateProfileStructA("OSDSetting", "config", record, sizeof record,
                                           install.Config().c_str()));
  char text[1024] = {};
  ASSERT_GT(::GetPrivateProfileStringA("OSDSetting", "config", "", text, sizeof text,
                                       install.Config().c_str()),
            66u);
  text[65] = text[65] == '1' ? '2' : '1';
  ASSERT_TRUE(::WritePrivateProfileStringA("OSDSetting", "config", text, install.Config().c_str()));
  StartProgram();
  Post(kNotice, 128, 2);
  HWND notice = WaitForShownNotice();
  ASSERT_NE(notice, nullptr);
  BYTE alpha = 0;
  EXPECT_TRUE(::GetLayeredWindowAttributes(notice, nullptr, &alpha, nullptr));
  EXPECT_EQ(alpha, 125);  // transparency 5
}

TEST_F(OsdProgramTest, ProfileTextFromItsFileSetsTheMessageWidth) {
  // "\xC4" is A-umlaut in the suite's texts.
  ASSERT_TRUE(::WritePrivateProfileStringA("Setting", "ProFileName",
                                           "Gro\xDF"
                                           "e \xC4nderung",
                                           install.Profile(1).c_str()));
  ASSERT_TRUE(::WritePrivateProfileStringA("OSDData", "Message", "Hi", install.Config().c_str()));
  StartProgram();
  const int profileWidth = TextWidth(L"Profile 2 : Gro\u00DFe \u00C4nderung");
  ASSERT_GT(profileWidth, TextWidth(L"Hi"));

  Post(kNotice, 40, 1 << 16);
  std::vector<std::string> expected{Describe(BoxFor(profileWidth)), "gone"};
  EXPECT_EQ(ObserveUntilGone(), expected);

  // The message box first takes its fixed width, then the wider profile text's.
  Post(kNotice, 50, 0);
  POINT corner = ExpectedCorner();
  expected = {Describe(RECT{corner.x - 250, corner.y - 56, corner.x, corner.y}),
              Describe(BoxFor(profileWidth)), "gone"};
  EXPECT_EQ(ObserveUntilGone(), expected);
}

// The screen as the user sees it, 32 bits a pixel, top row first.
class ScreenCapture {
 public:
  ScreenCapture() {
    m_width = ::GetSystemMetrics(SM_CXSCREEN);
    m_height = ::GetSystemMetrics(SM_CYSCREEN);
    BITMAPINFO info = karvo::platform::TopDown32BitInfo(m_width, m_height);
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits) {
      HGDIOBJ old = ::SelectObject(memory, bitmap);
      m_ok = ::BitBlt(memory, 0, 0, m_width, m_height, screen, 0, 0, SRCCOPY) != 0;
      ::GdiFlush();
      const auto* pixels = static_cast<const DWORD*>(bits);
      m_pixels.assign(pixels, pixels + static_cast<size_t>(m_width) * m_height);
      ::SelectObject(memory, old);
      ::DeleteObject(bitmap);
    }
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
  }
  bool Ok() const { return m_ok; }
  COLORREF At(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return CLR_INVALID;
    DWORD p = m_pixels[static_cast<size_t>(y) * m_width + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  int Count(const RECT& r, COLORREF colour) const {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += At(x, y) == colour;
    return n;
  }
  bool SaveBmp(const std::string& path) const {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = m_width;
    header.biHeight = m_height;  // bottom-up, which every viewer reads
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    const DWORD imageSize = static_cast<DWORD>(m_pixels.size() * 4);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + imageSize;
    bool ok = std::fwrite(&file, sizeof file, 1, f) == 1 &&
              std::fwrite(&header, sizeof header, 1, f) == 1;
    for (int y = m_height - 1; ok && y >= 0; --y) {
      ok = std::fwrite(&m_pixels[static_cast<size_t>(y) * m_width], 4, m_width, f) ==
           static_cast<size_t>(m_width);
    }
    return std::fclose(f) == 0 && ok;
  }

 private:
  int m_width = 0;
  int m_height = 0;
  bool m_ok = false;
  std::vector<DWORD> m_pixels;
};

struct Scheme {
  const char* name;
  int colourIndex;
  COLORREF background;
  COLORREF text;
};

class OsdScreenshotTest : public OsdProgramTest, public ::testing::WithParamInterface<Scheme> {};

TEST_P(OsdScreenshotTest, BoxShowsInTheSchemeColours) {
  const Scheme& scheme = GetParam();
  StartProgram();
  Post(kAppearance, 0, (scheme.colourIndex << 16) | 0);  // opaque
  Post(kNotice, 160, 75);
  const RECT box = BoxFor(TextWidth(L"Volume Level: 75"));
  const RECT textArea{box.left + 30, box.top + 8, box.right - 30, box.bottom - 8};
  const RECT leftMargin{box.left, box.top, box.left + 25, box.bottom};

  // Capture until the box has been painted (the first paint tick follows the request).
  bool painted = false;
  std::vector<ScreenCapture> shots;
  WaitFor([&] {
    ScreenCapture shot;
    painted =
        shot.Ok() &&
        shot.Count(leftMargin, scheme.background) == (leftMargin.right - leftMargin.left) * 56 &&
        shot.Count(textArea, scheme.text) > 20;
    shots.clear();
    shots.push_back(std::move(shot));
    return painted;
  });
  ASSERT_EQ(shots.size(), 1u);
  const ScreenCapture& shot = shots.front();
  const std::string path = std::string(KARVO_OSD_TEST_DIR) + "\\osd_" + scheme.name + ".bmp";
  EXPECT_TRUE(shot.SaveBmp(path)) << path;
  ASSERT_TRUE(painted) << "see " << path;

  // Every pixel of the box outside the text's cell is the background.
  const RECT top{box.left, box.top, box.right, box.top + 8};
  const RECT bottom{box.left, box.bottom - 8, box.right, box.bottom};
  EXPECT_EQ(shot.Count(top, scheme.background), (box.right - box.left) * 8);
  EXPECT_EQ(shot.Count(bottom, scheme.background), (box.right - box.left) * 8);
  const RECT rightMargin{box.right - 25, box.top, box.right, box.bottom};
  EXPECT_EQ(shot.Count(rightMargin, scheme.background), 25 * 56);
  // The text in its colour, and nothing in that colour outside the text area.
  EXPECT_GT(shot.Count(textArea, scheme.text), 20);
  EXPECT_EQ(shot.Count(top, scheme.text), 0);
}

INSTANTIATE_TEST_SUITE_P(Schemes, OsdScreenshotTest,
                         ::testing::Values(Scheme{"blue", 4, RGB(29, 32, 136), RGB(255, 255, 255)},
                                           Scheme{"yellow", 2, RGB(255, 255, 0), RGB(0, 255, 0)}),
                         [](const ::testing::TestParamInfo<Scheme>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
