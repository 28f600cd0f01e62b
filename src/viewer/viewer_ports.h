// The small interfaces through which the viewer object (TfmSVG) reaches the screen. The Win32
// viewer window implements them; the native tests fake them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "imagebox/zoom_image_box.h"
#include "base/picture.h"
#include "settings/settings.h"
#include "viewer/convert_file.h"
#include "viewer/form_layout.h"
#include "viewer/key_commands.h"
#include "viewer/size_dialog_model.h"

namespace pictara {

// The host's Lister window, the viewer's parent.
class IListerWindow {
 public:
  virtual ~IListerWindow() = default;
  // No parent window of its own: a stand-alone Lister rather than one embedded in another window.
  virtual bool IsTopLevel() const = 0;
  // Posts WM_KEYDOWN (wParam virtualKey, lParam 0); the host acts on it after the command returns.
  virtual void PostKeyDown(uint32_t virtualKey) = 0;
  // The caption, nullopt when nothing can be read.
  virtual std::optional<std::string> Caption() const = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  // The show state of the window's placement (3: maximised).
  virtual uint32_t ShowCmd() const = 0;
  // Maximises or restores the window.
  virtual void ChangeShowState(TListerShowChange change) = 0;
};

// How the form configures its image box when it creates it.
struct TImageBoxSetup {
  bool ImageCenter = true;
  bool ImageKeepPosition = true;
  bool Proportional = true;      // the inner image keeps its aspect ratio
  bool ImageFitOnlyBig = true;
  bool ImageFitToWindow = true;
  TColor Color = clWhite;        // the area the picture does not cover
  bool Resample = true;          // deferred high-quality resampling of the inner image
  bool DrawBackground = false;   // tile the background picture under the drawing
  friend bool operator==(const TImageBoxSetup&, const TImageBoxSetup&) = default;
};

// The image box inside ScrollBox1. Its zoom, fit and scroll state is the portable TZoomImageBox
// (Box()); the rest is the inner image and the window.
class IImageBox {
 public:
  virtual ~IImageBox() = default;
  // Takes the keyboard focus when it can (visible and enabled).
  virtual void FocusIfPossible() = 0;
  // The box's window exists (false while it is being built or torn down).
  virtual bool HasWindow() const = 0;
  virtual imagebox::TZoomImageBox& Box() = 0;
  virtual void SetPicture(Picture picture) = 0;
  virtual const Picture& GetPicture() const = 0;
  // Scale 100 and a fresh layout for the picture now held.
  virtual void UpdateImageInfo() = 0;
  virtual void SetResample(bool value) = 0;
  virtual void SetResampleBackColor(TColor color) = 0;
  // The colour of the box around the picture.
  virtual void SetColor(TColor color) = 0;
  // Tile BackgroundPicture under the picture (repaints when it changes).
  virtual void SetDrawBackground(bool value) = 0;
  // The tile; the image box keeps it for the life of the window. A PNG image is held as the
  // bitmap it converts to.
  virtual bool HasBackgroundPicture() const = 0;
  virtual void SetBackgroundPicture(const Picture& tile) = 0;
  // Paints the picture again.
  virtual void Repaint() = 0;
};

// The hourglass for the whole plug-in while a file is rendered.
class ICursor {
 public:
  virtual ~ICursor() = default;
  virtual void SetBusy(bool busy) = 0;
};

// The system clipboard, as "Copy to Clipboard" uses it (see clipboard_copy.h for the order).
enum class TClipboardDataResult { Placed, NoMemory, NoLock, Refused };

class IClipboard {
 public:
  virtual ~IClipboard() = default;
  // Replaces the clipboard's contents by a 24-bit bitmap in the platform's standard bitmap
  // format: open, empty, set, close. Throws when the clipboard cannot be opened or the bitmap
  // cannot be made; the clipboard is closed again in every case.
  virtual void AssignBitmap(const Bitmap& bitmap) = 0;
  // Opens the clipboard to add data to what it holds; throws when it cannot be opened (another
  // program holds it). Close is called once for every Open that returned.
  virtual void Open() = 0;
  virtual void Close() = 0;
  // The id of a registered (named) clipboard format; 0 when the system gives none.
  virtual uint32_t RegisterFormat(const std::string& name) = 0;
  // Adds the bytes under `format` without removing anything: one movable, zero-initialised,
  // shareable global block (GlobalAlloc flags 0x2042) of exactly bytes.size(), locked, filled,
  // handed to SetClipboardData, unlocked; freed again when it cannot be locked or the clipboard
  // refused it (otherwise the clipboard owns it). Says
  // which step failed; never throws.
  virtual TClipboardDataResult AddData(uint32_t format, std::string_view bytes) = 0;
};

// The modal windows the viewer's commands open, all owned by the viewer window.
class IViewerDialogs : public ISizeDialogHost {
 public:
  // The system's colour dialog, opened with its custom-colour part shown, starting at `color`,
  // its custom slots filled from `customColors` ("ColorA=00FFFFFF" …, see CustomColorSlots; a
  // value the dialog cannot show, such as the follow value, as close as it can). The plug-in's
  // modal-popup mode is automatic while it is open and restored however it closes. The chosen
  // colour, or nullopt on cancel.
  virtual std::optional<TColor> ExecuteColorDialog(TColor color, const std::vector<std::string>& customColors) = 0;
  // The system's save dialog set up as given; the chosen full name, or nullopt on cancel.
  virtual std::optional<std::string> ExecuteSaveDialog(const TSaveDialogSetup& setup) = 0;
  // The size dialog (TfmSize): modal, centred on the screen, above the viewer; it shows the
  // model's texts and hands the user's actions to it. True when closed with OK.
  bool ExecuteSizeDialog(TfmSize& dialog) override = 0;
  // The source window for `fileName`, modal; returns when the user closes it.
  virtual void ShowSourceWindow(const std::string& fileName) = 0;
};

// The viewer form's window and its controls.
class IViewerView {
 public:
  virtual ~IViewerView() = default;

  virtual IListerWindow& Lister() = 0;
  virtual ICursor& Cursor() = 0;

  // The window handle handed to the host; 0 until CreateWindows.
  virtual uintptr_t Handle() const = 0;

  // Makes the form's window and its controls. Until then the view only keeps what it is given
  // (dark mode, layout, bounds) and answers ScrollBoxClientSize from the layout, so the first
  // conversion can start before any window exists.
  virtual void CreateWindows() {}

  virtual void ApplyDarkMode(const TBottomBarLook& look) = 0;
  // Creates imgMain inside ScrollBox1, filling it, configured from `setup`.
  virtual IImageBox& CreateImageBox(const TImageBoxSetup& setup) = 0;

  virtual int ScreenPixelsPerInch() const = 0;
  virtual void ApplyLayout(const TFormLayout& layout) = 0;

  virtual TListerGeometry ListerGeometry() const = 0;
  virtual void SetBounds(const Rect& bounds) = 0;

  virtual Size ScrollBoxClientSize() const = 0;
  // The primary screen in pixels.
  virtual Size ScreenSize() const = 0;

  virtual void SetStatusText(const std::string& text) = 0;

  // A ready touch digitiser is present.
  virtual bool TouchDigitizerReady() const = 0;
  // Touch swipes on the image box reach ImageBoxGesture only while this is on.
  virtual void EnableGestures(bool enabled) = 0;
  // Gives the arrow buttons their glyphs, loaded once per process at `glyphSize` pixels square.
  virtual void AssignArrowGlyphs(int32_t glyphSize) = 0;
  // Disables and hides the arrow buttons for good; the status text takes their place.
  virtual void HideArrowButtons() = 0;
  virtual void RepaintArrowButtons() = 0;

  // Shows the error report box (warning icon, one OK button) owned by the viewer, or by the
  // plug-in's own window that is active, and gives the focus back afterwards.
  virtual void ShowErrorBox(const std::string& text, const std::string& caption) = 0;

  virtual IViewerDialogs& Dialogs() = 0;
  virtual IClipboard& Clipboard() = 0;
  // The bytes of the plug-in library's raw-data resource `name`; nullopt when there is none.
  virtual std::optional<std::string> ResourceBytes(const std::string& name) = 0;

  // The window was destroyed by someone else (the host destroys its Lister window) while the
  // viewer object lives on, for instance during a load.
  virtual bool WindowDestroyed() const { return false; }
};

}  // namespace pictara
