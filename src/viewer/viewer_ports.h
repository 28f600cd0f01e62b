// The small interfaces through which the viewer object (TfmSVG) reaches the screen. The Win32
// viewer window implements them; the native tests fake them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "imagebox/zoom_image_box.h"
#include "base/picture.h"
#include "settings/settings.h"
#include "viewer/form_layout.h"
#include "viewer/key_commands.h"

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
};

// The hourglass for the whole plug-in while a file is rendered.
class ICursor {
 public:
  virtual ~ICursor() = default;
  virtual void SetBusy(bool busy) = 0;
};

// The viewer form's window and its controls.
class IViewerView {
 public:
  virtual ~IViewerView() = default;

  virtual IListerWindow& Lister() = 0;
  virtual ICursor& Cursor() = 0;

  // The window handle handed to the host.
  virtual uintptr_t Handle() const = 0;

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
};

}  // namespace pictara
