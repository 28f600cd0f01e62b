// lister-host: opens a file in a stand-in Lister window through the real plug-in, as the file
// manager would, and optionally saves a screenshot of the window and exits.
//
//   lister-host [--dark] [--embedded] [--size WxH] [--plugin PATH] FILE [--screenshot OUT.png]
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "testbed/testbed.h"

namespace tb = pictara::testbed;

namespace {

struct Arguments {
  bool dark = false;
  bool embedded = false;
  int width = 900;
  int height = 650;
  std::wstring plugin = tb::DefaultPluginPath();
  std::wstring file;
  std::wstring screenshot;
};

void Usage() {
  std::fwprintf(stderr,
                L"usage: lister-host [--dark] [--embedded] [--size WxH] [--plugin PATH] FILE [--screenshot OUT.png]\n"
                L"  --dark        open the viewer in the host's dark mode\n"
                L"  --embedded    the Lister window is a child of another window\n"
                L"  --size WxH    outer size of the window (default 900x650)\n"
                L"  --screenshot  save the window as PNG after loading, then exit\n");
}

bool ParseSize(const std::wstring& text, int& width, int& height) {
  int w = 0, h = 0;
  wchar_t x = 0;
  if (swscanf(text.c_str(), L"%d%lc%d", &w, &x, &h) != 3 || (x != L'x' && x != L'X') || w < 100 || h < 100 ||
      w > 10000 || h > 10000)
    return false;
  width = w;
  height = h;
  return true;
}

bool Parse(int argc, wchar_t** argv, Arguments& args) {
  for (int i = 1; i < argc; ++i) {
    std::wstring a = argv[i];
    auto next = [&](std::wstring& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    if (a == L"--dark") {
      args.dark = true;
    } else if (a == L"--embedded") {
      args.embedded = true;
    } else if (a == L"--size") {
      std::wstring size;
      if (!next(size) || !ParseSize(size, args.width, args.height)) return false;
    } else if (a == L"--screenshot") {
      if (!next(args.screenshot)) return false;
    } else if (a == L"--plugin") {
      if (!next(args.plugin)) return false;
    } else if (a.rfind(L"--", 0) == 0 || !args.file.empty()) {
      return false;
    } else {
      args.file = a;
    }
  }
  return !args.file.empty();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Arguments args;
  if (!Parse(argc, argv, args)) {
    Usage();
    return 2;
  }
  tb::Plugin plugin(args.plugin);
  if (!plugin.Loaded()) {
    std::fprintf(stderr, "lister-host: %s\n", plugin.Problem().c_str());
    return 1;
  }

  tb::ListerOptions options;
  options.file = args.file;
  options.width = args.width;
  options.height = args.height;
  options.embedded = args.embedded;
  tb::ListerWindow lister(options);

  HWND viewer = plugin.ListLoadW(lister.Handle(), args.file.c_str(), args.dark ? tb::kShowFlagDarkMode : 0);
  if (!viewer) {
    std::fprintf(stderr, "lister-host: the plug-in did not show %s\n", tb::Narrow(args.file).c_str());
    return 1;
  }
  lister.SetViewer(viewer);

  bool closed = false;
  auto close = [&] {
    if (closed) return;
    closed = true;
    plugin.ListCloseWindow(viewer);
    lister.Destroy();
  };
  // The host closes the Lister on Esc (the viewer forwards it, also for Alt+X and "Close").
  lister.onKeyDown = [&](WPARAM key) {
    if (key == VK_ESCAPE) close();
  };

  if (!args.screenshot.empty()) {
    // As the user sees it: the quick paint first, the smooth one after the image box's pause.
    tb::PumpMessages(1000);
    tb::Screenshot shot = tb::CaptureWindow(lister.TopLevel(), /*repaintFirst=*/false);
    bool saved = tb::SavePng(shot, args.screenshot);
    close();
    if (!saved) {
      std::fprintf(stderr, "lister-host: could not write %s\n", tb::Narrow(args.screenshot).c_str());
      return 1;
    }
    std::printf("%s\n", tb::Narrow(args.screenshot).c_str());
    return 0;
  }

  MSG msg;
  while (!closed && lister.Exists() && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  // Closed with the window's own close button: the viewer went down with the Lister window.
  return 0;
}
