#include "viewer/fm_svg.h"

#include <utility>

#include "platform/files.h"
#include "viewer/error_report.h"

namespace pictara {

namespace {

// The hourglass from here to the end of the scope, also when a step raises.
class TBusyCursorScope {
 public:
  explicit TBusyCursorScope(ICursor& cursor) : cursor_(cursor) { cursor_.SetBusy(true); }
  ~TBusyCursorScope() { cursor_.SetBusy(false); }
  TBusyCursorScope(const TBusyCursorScope&) = delete;
  TBusyCursorScope& operator=(const TBusyCursorScope&) = delete;

 private:
  ICursor& cursor_;
};

// Puts a value back at the end of the scope, also when a step raises.
template <typename T>
class TRestoreOnExit {
 public:
  TRestoreOnExit(T& target, T value) : target_(target), value_(std::move(value)) {}
  ~TRestoreOnExit() { target_ = value_; }
  TRestoreOnExit(const TRestoreOnExit&) = delete;
  TRestoreOnExit& operator=(const TRestoreOnExit&) = delete;

 private:
  T& target_;
  T value_;
};

constexpr int32_t kUseScrollBoxSize = -1;

}  // namespace

TImageBoxSetup ViewerImageBoxSetup(const TfmSVG& form, const TSettings& settings) {
  TImageBoxSetup setup;
  setup.ImageCenter = true;
  setup.ImageKeepPosition = true;
  setup.Proportional = true;
  setup.ImageFitOnlyBig = true;
  setup.ImageFitToWindow = true;
  setup.Color = form.GetBackgroundColor();
  setup.DrawBackground = settings.BackgroundImage;
  setup.Resample = true;
  return setup;
}

std::unique_ptr<TfmSVG> TfmSVG::CreateParented(const TViewerEnvironment& env, const std::string& FileName,
                                               uintptr_t& HandleResult, bool DarkMode) {
  std::unique_ptr<TfmSVG> form(new TfmSVG());
  form->view_ = env.CreateView(*form);
  HandleResult = 0;
  IViewerView& view = *form->view_;

  form->FDontResizeSmall = Settings().DontResizeSmall;
  // With RereadIni the file's current values apply to everything below, the load included.
  if (Settings().RereadIni && env.RereadSettings) env.RereadSettings();

  form->IsDarkMode = DarkMode;
  view.ApplyDarkMode(BottomBarLook(DarkMode));

  form->imgMain = &view.CreateImageBox(ViewerImageBoxSetup(*form, Settings()));

  // A layout that cannot be scaled still works at its designed size.
  try {
    view.ApplyLayout(ScaledFormLayout(view.ScreenPixelsPerInch()));
  } catch (...) {
  }

  view.SetBounds(PlaceOverLister(view.ListerGeometry(), env.Is64BitBuild));

  form->OpenWidth = Settings().OpenWidth;
  form->OpenHeight = Settings().OpenHeight;
  bool loaded = false;
  if (form->OpenWidth == kUseScrollBoxSize || form->OpenHeight == kUseScrollBoxSize) {
    // The first load fills the window; later loads keep asking for "the window size" (-1).
    TFormSize box = view.ScrollBoxClientSize();
    form->OpenWidth = box.Width;
    form->OpenHeight = box.Height;
    TRestoreOnExit<int32_t> width(form->OpenWidth, kUseScrollBoxSize);
    TRestoreOnExit<int32_t> height(form->OpenHeight, kUseScrollBoxSize);
    loaded = form->LoadSvg(FileName);
  } else {
    loaded = form->LoadSvg(FileName);
  }
  if (loaded) HandleResult = view.Handle();
  return form;
}

TfmSVG::~TfmSVG() {
  destroying_ = true;
  imgMain = nullptr;
  view_.reset();
}

bool TfmSVG::LoadSvg(const std::string& FileName) {
  TBusyCursorScope hourglass(view_->Cursor());
  StopWatch.Restart();
  // Until rendering is wired in, a file that can be opened counts as shown; the picture area stays
  // empty.
  bool shown = ReadFileBytes(FileName, 1).has_value();
  if (shown) OpenedFileName = FileName;
  StopWatch.Stop();
  return shown;
}

bool TfmSVG::LoadSvgAtSize(const std::string& FileName, TFormSize size) {
  TRestoreOnExit<int32_t> width(OpenWidth, OpenWidth);
  TRestoreOnExit<int32_t> height(OpenHeight, OpenHeight);
  OpenWidth = size.Width;
  OpenHeight = size.Height;
  return LoadSvg(FileName);
}

bool TfmSVG::GlobalLoadNextImage(const std::string& FileName) {
  TRestoreOnExit<bool> dontResizeSmall(FDontResizeSmall, FDontResizeSmall);
  try {
    // No reload mode can be chosen yet: the viewer's own requested size, with "-1" meaning the
    // scroll box, and the converter may enlarge.
    FDontResizeSmall = false;
    TFormSize size{OpenWidth, OpenHeight};
    if (size.Width == kUseScrollBoxSize || size.Height == kUseScrollBoxSize) size = view_->ScrollBoxClientSize();
    return LoadSvgAtSize(FileName, size);
  } catch (...) {
    return false;
  }
}

TColor TfmSVG::GetBackgroundColor() const {
  const TSettings& s = Settings();
  return IsDarkMode ? s.BackgroundColorDark : s.BackgroundColor;
}

TColor TfmSVG::GetImageBackgroundColor() const {
  const TSettings& s = Settings();
  if (IsDarkMode)
    return s.ImageBackgroundColorDark == FollowBackgroundColor ? s.BackgroundColorDark : s.ImageBackgroundColorDark;
  return s.ImageBackgroundColor == FollowBackgroundColor ? s.BackgroundColor : s.ImageBackgroundColor;
}

void TfmSVG::SetBackgroundColor(TColor c) {
  (IsDarkMode ? Settings().BackgroundColorDark : Settings().BackgroundColor) = c;
}

void TfmSVG::SetImageBackgroundColor(TColor c) {
  (IsDarkMode ? Settings().ImageBackgroundColorDark : Settings().ImageBackgroundColor) = c;
}

void TfmSVG::sbtNextClick(TArrowButton) {}

void TfmSVG::WMSetFocus() {
  if (imgMain && !destroying_) imgMain->FocusIfPossible();
}

void TfmSVG::ApplicationEvents1Exception(const std::exception& E) {
  view_->ShowErrorBox(ErrorReportText(E), kErrorReportCaption);
}

}  // namespace pictara
