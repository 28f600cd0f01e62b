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

#include "render/convert.h"
#include "settings/settings.h"
#include "viewer/convert_file.h"
#include "viewer/key_commands.h"
#include "viewer/navigation.h"
#include "viewer/popup_menu.h"
#include "viewer/reload_size.h"
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

// The two arrow buttons of the bottom bar; both run sbtNextClick. None shows the current entry of
// the folder list again.
enum class TArrowButton { None, sbtPrev, sbtNext };

// What the viewer needs from its surroundings when it is built.
struct TViewerEnvironment {
  // Builds the form's window as a child of the Lister window. The view may keep the reference to
  // send the user's input back to the form.
  std::function<std::unique_ptr<IViewerView>(TfmSVG&)> CreateView;
  // Reads the settings file again; used when RereadIni is on.
  std::function<void()> RereadSettings;
  bool Is64BitBuild = sizeof(void*) == 8;
  // Empty: the real ConvertSvg.
  TConvertFunction Convert;
  // Writes the colour settings; empty: SaveColorSettings() into "Pictara.ini" beside the plug-in.
  std::function<void()> SaveColorSettings;
  // The plug-in's folder with its trailing separator, where "Background.png" is looked for;
  // empty: the folder of the plug-in library.
  std::string PluginFolder;
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

  // Renders FileName at (OpenWidth, OpenHeight) with FDontResizeSmall and shows it; true when a
  // picture was loaded. A conversion that gives no file changes nothing but ImageWidthFromFile
  // and ImageHeightFromFile (StopWatch holds the time of the last load that succeeded); a raster that cannot be decoded raises. The raster file is
  // deleted and the cursor restored on every path.
  bool LoadSvg(const std::string& FileName);
  // LoadSvg at another size; the requested size is put back afterwards, also when LoadSvg raises.
  bool LoadSvgAtSize(const std::string& FileName, Size size);
  // The size a load in `Item` requests; sets DontResizeSmall for that load.
  Size GetReloadSize(TReloadMode Item, bool& DontResizeSmall) const;
  // The host shows another file in this viewer, at the size of the checked reload mode. False
  // (never an exception) when it cannot be shown; the viewer then keeps its picture and file name.
  // The folder list is not touched.
  bool GlobalLoadNextImage(const std::string& FileName);

  // A load, or a command with a modal dialog or a conversion of its own, is running. The converter
  // wait answers messages sent from other threads and a dialog runs a message loop, so the host
  // may try to close the viewer meanwhile: the viewer must then not be freed until that frame has
  // returned (Loading() is false again).
  bool Loading() const { return loading_ || commandsRunning_ > 0; }
  // The viewer is to be torn down as soon as its load returns; that load shows nothing and reports
  // failure. A load asked for from now on fails at once.
  void DeferClose() { closeDeferred_ = true; }
  bool CloseDeferred() const { return closeDeferred_; }

  // The colours of the viewer's appearance (IsDarkMode), read from and stored into the settings.
  TColor GetBackgroundColor() const;
  TColor GetImageBackgroundColor() const;
  void SetBackgroundColor(TColor c);
  void SetImageBackgroundColor(TColor c);

  // "Background Color...": the colour around the picture; an image background that follows it
  // changes with it. Saved at once; a cancelled dialog changes nothing.
  void mnBackgroundColorClick();
  // "Image Background Color...": the colour under the picture; the chessboard goes off so that
  // the chosen colour shows at once. Saved at once.
  void mnImageBackgroundColorClick();
  // "Background Image" (T, Ctrl+B): the chessboard under the picture on or off; the tile is
  // loaded at its first use only. Saved at once.
  void mnBackgroundImageClick();
  // The tile: "Background.png" beside the plug-in, else the built-in chessboard. Any failure
  // leaves the tile as it was, without a message.
  void LoadBackgroundPicture();
  // "Copy to Clipboard": the picture shown at its natural size (clipboard_copy.h).
  void mnCopyToClipboardClick();
  // "Convert File...": save dialog, size dialog, a new rendering moved to the chosen name.
  void mnConvertFileClick();
  // "Source...": the source window for the file shown.
  void mnSourceClick();

  // Reloads the shown file at the size of `Sender`; a failed reload keeps the picture.
  void mnReloadOriginalSizeClick(TReloadMode Sender);
  // A reload item chosen from the menu or by its key: its check mark toggles, then it reloads.
  void ReloadItemClick(TReloadMode Sender);
  // "Toggle Fit Image": stretch a small picture, fit a large one, or show a large one at 100 %.
  void mnFitImageClick();
  void mnCloseClick();
  // The scroll box changed size: the scale shown follows the new fit.
  void ScrollBox1Resize();
  // The image box's scale was set (zoom steps).
  void ImageBoxOptionsChange();

  // The form's key preview: runs the command of the key; key becomes 0 when consumed.
  void FormKeyDown(uint16_t& key, ShiftState shift);
  // Middle button: maximise or restore a stand-alone Lister.
  void FormMouseDown(MouseButton button);
  // A touch gesture on the image box; Handled is set when the viewer took it.
  void ImageBoxGesture(int32_t gestureId, bool& Handled);
  // The context menu's state when it opens, and its items (shiftDown: Shift held at that moment).
  TPopupMenuState PopupMenu1Popup() const;
  std::vector<TMenuItem> PopupMenuItems(bool shiftDown) const;
  std::vector<TMenuItem> ReloadSubmenuItems(bool shiftDown) const;
  // A menu item was chosen.
  void MenuCommand(uint32_t command);

  // Status text of the bottom bar and, with UpdateListerCaption, the Lister's caption.
  void UpdateStatus();
  void UpdateCaption();

  // Previous / next file of the folder (None: the current entry again).
  void sbtNextClick(TArrowButton Sender);

  // First show: touch support, arrow glyphs.
  void FormShow();
  void AssignArrowGlyphs();

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
  // The checked item of "Reload Image"; None when no mode is checked. It decides the size of every
  // navigation load.
  TReloadMode CheckedReloadMode = TReloadMode::None;

 private:
  TfmSVG() = default;

  std::unique_ptr<IViewerView> view_;
  // The windows and the image box of a viewer being built; made while its first conversion runs.
  void BuildWindows();
  bool windowsBuilt_ = false;
  // Runs a key or gesture command.
  void RunCommand(TViewerCommand command);

  IImageBox* imgMain = nullptr;  // owned by the view
  bool destroying_ = false;
  bool shown_ = false;
  bool loading_ = false;
  int commandsRunning_ = 0;
  bool closeDeferred_ = false;
  // Writes the colour settings after every change.
  void SaveColorSettings();

  TConvertFunction convert_;
  std::function<void()> saveColorSettings_;
  std::string pluginFolder_;
  TFolderSource folder_;
};

// The image box configuration of a new viewer.
TImageBoxSetup ViewerImageBoxSetup(const TfmSVG& form, const TSettings& settings);

}  // namespace pictara
