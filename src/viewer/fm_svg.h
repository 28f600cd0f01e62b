// TfmSVG: the viewer of one Lister window. It holds the state of the file shown and the command
// logic; everything on screen goes through the interfaces of viewer_ports.h, so the same object
// runs inside the plug-in and in the native tests.
#pragma once

#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "viewer/viewer_ports.h"

namespace pictara {

// Elapsed time of the last load.
class TStopWatch {
 public:
  void Restart() { start_ = Clock::now(); stop_.reset(); }
  void Stop() { stop_ = Clock::now(); }
  int64_t ElapsedMilliseconds() const {
    auto end = stop_ ? *stop_ : Clock::now();
    return std::chrono::duration_cast<std::chrono::milliseconds>(end - start_).count();
  }

 private:
  using Clock = std::chrono::steady_clock;
  Clock::time_point start_ = Clock::now();
  std::optional<Clock::time_point> stop_;
};

class TfmSVG;

// The two arrow buttons of the bottom bar; both run sbtNextClick.
enum class TArrowButton { sbtPrev, sbtNext };

// What the viewer needs from its surroundings when it is built.
struct TViewerEnvironment {
  // Builds the form's window as a child of the Lister window. The view may keep the reference to
  // send the user's input back to the form.
  std::function<std::unique_ptr<IViewerView>(TfmSVG&)> CreateView;
  // Reads the settings file again; used when RereadIni is on.
  std::function<void()> RereadSettings;
  bool Is64BitBuild = sizeof(void*) == 8;
};

class TfmSVG {
 public:
  // Builds the viewer inside its Lister window and loads FileName. HandleResult is the window
  // handle when the file is shown, else 0 (the caller then frees the viewer). Raises when building
  // or loading raises; the half-built viewer is freed on the way.
  static std::unique_ptr<TfmSVG> CreateParented(const TViewerEnvironment& env, const std::string& FileName,
                                                uintptr_t& HandleResult, bool DarkMode);
  ~TfmSVG();
  TfmSVG(const TfmSVG&) = delete;
  TfmSVG& operator=(const TfmSVG&) = delete;

  // Renders FileName at (OpenWidth, OpenHeight) and shows it; true when a picture was loaded.
  bool LoadSvg(const std::string& FileName);
  // LoadSvg at another size; the requested size is put back afterwards, also when LoadSvg raises.
  bool LoadSvgAtSize(const std::string& FileName, TFormSize size);
  // The host shows another file in this viewer. False (never an exception) when it cannot be
  // shown; the viewer then keeps its picture and file name.
  bool GlobalLoadNextImage(const std::string& FileName);

  TColor GetBackgroundColor() const;
  TColor GetImageBackgroundColor() const;
  void SetBackgroundColor(TColor c);
  void SetImageBackgroundColor(TColor c);

  // Previous / next file of the folder. Folder navigation is not wired in yet: the buttons do
  // nothing so far.
  void sbtNextClick(TArrowButton Sender);

  // The window got the focus: hand it on to the image box.
  void WMSetFocus();

  // The one place where an error escaping a command is shown.
  void ApplicationEvents1Exception(const std::exception& E);

  IViewerView& View() { return *view_; }
  IImageBox* ImageBox() { return imgMain; }

  // State of the file shown.
  std::string OpenedFileName;
  int32_t OpenWidth = 0;
  int32_t OpenHeight = 0;
  int32_t ImageWidthFromFile = 0;
  int32_t ImageHeightFromFile = 0;
  std::optional<std::vector<std::string>> FilesList;  // absent until the first navigation
  int32_t FileIndex = 0;
  TStopWatch StopWatch;
  bool IsDarkMode = false;
  bool IsSystemTouchSupport = false;
  bool FDontResizeSmall = false;
  int32_t FImageBPP = 0;

 private:
  TfmSVG() = default;

  std::unique_ptr<IViewerView> view_;
  IImageBox* imgMain = nullptr;  // owned by the view
  bool destroying_ = false;
};

// The image box configuration of a new viewer.
TImageBoxSetup ViewerImageBoxSetup(const TfmSVG& form, const TSettings& settings);

}  // namespace pictara
