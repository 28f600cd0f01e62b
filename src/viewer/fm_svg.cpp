#include "viewer/fm_svg.h"

#include <utility>

#include "platform/files.h"
#include "platform/load_trace.h"
#include "render/raster.h"
#include "render/wic_resize.h"
#include "viewer/error_report.h"
#include "viewer/fit_toggle.h"
#include "viewer/status_text.h"

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

// The converter's raster file belongs to the load that asked for it: deleted however the load ends.
class TRasterFile {
 public:
  explicit TRasterFile(std::string name) : name_(std::move(name)) {}
  ~TRasterFile() {
    if (!name_.empty()) DeleteFileName(name_);
  }
  TRasterFile(const TRasterFile&) = delete;
  TRasterFile& operator=(const TRasterFile&) = delete;
  const std::string& Name() const { return name_; }

 private:
  std::string name_;
};

class TStopAtEnd {
 public:
  explicit TStopAtEnd(TStopWatch& watch) : watch_(watch) {}
  ~TStopAtEnd() { watch_.Stop(); }
  TStopAtEnd(const TStopAtEnd&) = delete;
  TStopAtEnd& operator=(const TStopAtEnd&) = delete;

 private:
  TStopWatch& watch_;
};

constexpr int32_t kUseScrollBoxSize = -1;

TSize ToSize(TFormSize s) { return {s.Width, s.Height}; }
TFormSize ToFormSize(TSize s) { return {s.Width, s.Height}; }

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
  TTraceScope creation("window and control creation");
  std::unique_ptr<TfmSVG> form(new TfmSVG());
  form->convert_ = env.Convert;
  if (!form->convert_) {
    form->convert_ = [](const std::string& file, TSize size, bool magick, bool helper, bool inkscape,
                        bool dontEnlarge, int32_t& w, int32_t& h) {
      return ConvertSvg(file, size, magick, helper, inkscape, dontEnlarge, w, h);
    };
  }
  form->folder_ = TFolderSource::System();
  form->view_ = env.CreateView(*form);
  HandleResult = 0;
  IViewerView& view = *form->view_;

  form->FDontResizeSmall = Settings().DontResizeSmall;
  // With RereadIni the file's current values apply to everything below, the load included.
  if (Settings().RereadIni && env.RereadSettings) env.RereadSettings();

  form->IsDarkMode = DarkMode;
  view.ApplyDarkMode(BottomBarLook(DarkMode));

  form->imgMain = &view.CreateImageBox(ViewerImageBoxSetup(*form, Settings()));
  TfmSVG* self = form.get();
  imagebox::TZoomImageBox& box = form->imgMain->Box();
  box.OnOptionsChange = [self] { self->ImageBoxOptionsChange(); };
  box.OnMouseDown = [self](imagebox::MouseSender, imagebox::MouseButton button, imagebox::ShiftState, int32_t,
                           int32_t) {
    self->FormMouseDown(button == imagebox::MouseButton::Middle ? TMouseButton::Middle
                        : button == imagebox::MouseButton::Right ? TMouseButton::Right
                                                                 : TMouseButton::Left);
  };

  // A layout that cannot be scaled still works at its designed size.
  try {
    view.ApplyLayout(ScaledFormLayout(view.ScreenPixelsPerInch()));
  } catch (...) {
  }

  view.SetBounds(PlaceOverLister(view.ListerGeometry(), env.Is64BitBuild));

  form->OpenWidth = Settings().OpenWidth;
  form->OpenHeight = Settings().OpenHeight;
  creation.End();
  bool loaded = false;
  if (form->OpenWidth == kUseScrollBoxSize || form->OpenHeight == kUseScrollBoxSize) {
    // The first load fills the window; later loads keep asking for "the window size" (-1).
    TFormSize box = view.ScrollBoxClientSize();
    struct TBackToMinusOne {
      TfmSVG& form;
      ~TBackToMinusOne() { form.OpenWidth = form.OpenHeight = kUseScrollBoxSize; }
    } backToMinusOne{*form};
    form->OpenWidth = box.Width;
    form->OpenHeight = box.Height;
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
  const std::string Source = AddLongPathPrefix(FileName);
  TLoadTrace trace("load " + FileName);
  TBusyCursorScope hourglass(view_->Cursor());
  // The host's window thread stays alive while the converter runs; Esc gives up.
  TResponsiveWaitScope responsive(view_->Handle());
  StopWatch.Restart();
  TStopAtEnd stop(StopWatch);
  const TSettings& s = Settings();
  TRasterFile raster(convert_(Source, {OpenWidth, OpenHeight}, s.UseImageMagick, s.UseRSVGHelper, s.UseInkscape,
                              FDontResizeSmall, ImageWidthFromFile, ImageHeightFromFile));
  if (raster.Name().empty() || !FileExists(raster.Name())) return false;

  // Decoded before anything of the viewer changes: a damaged raster leaves the old picture.
  TTraceScope decode("raster decode");
  Picture picture = LoadRasterResult(raster.Name(), s.InternalConvertPNGtoBitmap);
  const int32_t bitsPerPixel = GetImageBitsPerPixel(picture);
  decode.End();
  if (!imgMain) return false;
  TTraceScope toBox("conversion to the box's format");
  imgMain->SetPicture(std::move(picture));
  imgMain->SetResample(true);
  imgMain->SetResampleBackColor(GetImageBackgroundColor());
  // Every load starts fitted, big pictures only, whatever the fit toggle chose before.
  imgMain->Box().SetImageFitOnlyBig(true);
  imgMain->Box().SetImageFitToWindow(true);
  imgMain->UpdateImageInfo();
  toBox.End();
  FImageBPP = bitsPerPixel;
  OpenedFileName = Source;
  TTraceScope status("status and caption");
  UpdateStatus();
  return true;
}

bool TfmSVG::LoadSvgAtSize(const std::string& FileName, TFormSize size) {
  TRestoreOnExit<int32_t> width(OpenWidth);
  TRestoreOnExit<int32_t> height(OpenHeight);
  OpenWidth = size.Width;
  OpenHeight = size.Height;
  return LoadSvg(FileName);
}

TFormSize TfmSVG::GetReloadSize(TReloadMode Item, bool& DontResizeSmall) const {
  TReloadSizes sizes;
  sizes.SettingsOpenSize = {Settings().OpenWidth, Settings().OpenHeight};
  sizes.ViewerOpenSize = {OpenWidth, OpenHeight};
  sizes.ScreenSize = ToSize(view_->ScreenSize());
  sizes.ClientSize = ToSize(view_->ScrollBoxClientSize());
  return ToFormSize(pictara::GetReloadSize(Item, sizes, DontResizeSmall));
}

bool TfmSVG::GlobalLoadNextImage(const std::string& FileName) {
  TRestoreOnExit<bool> dontResizeSmall(FDontResizeSmall);
  try {
    const TFormSize size = GetReloadSize(CheckedReloadMode, FDontResizeSmall);
    return LoadSvgAtSize(FileName, size);
  } catch (...) {
    return false;
  }
}

void TfmSVG::mnReloadOriginalSizeClick(TReloadMode Sender) {
  TRestoreOnExit<bool> dontResizeSmall(FDontResizeSmall);
  const TFormSize size = GetReloadSize(Sender, FDontResizeSmall);
  LoadSvgAtSize(OpenedFileName, size);  // a failed reload keeps the picture shown
}

void TfmSVG::ReloadItemClick(TReloadMode Sender) {
  CheckedReloadMode = ToggleReloadMode(CheckedReloadMode, Sender);
  mnReloadOriginalSizeClick(Sender);
}

void TfmSVG::mnFitImageClick() {
  if (!imgMain || imgMain->GetPicture().Empty()) return;
  imagebox::TZoomImageBox& box = imgMain->Box();
  const TFitOptions next =
      FitToggle({box.ImageFitOnlyBig(), box.ImageFitToWindow()}, box.ImageScale(),
                {imgMain->GetPicture().Width(), imgMain->GetPicture().Height()},
                {box.ClientSize().width, box.ClientSize().height});
  box.SetImageFitOnlyBig(next.FitOnlyBig);
  box.SetImageFitToWindow(next.FitToWindow);
  // The view starts from the middle of the picture rather than its corner.
  const imagebox::Size client = box.ClientSize();
  if (box.VertScrollBar().visible) box.SetVertPosition((box.VertScrollBar().range - client.height) / 2);
  if (box.HorzScrollBar().visible) box.SetHorzPosition((box.HorzScrollBar().range - client.width) / 2);
  UpdateStatus();
}

void TfmSVG::mnCloseClick() { view_->Lister().PostKeyDown(vk::kEscape); }

void TfmSVG::ScrollBox1Resize() { UpdateStatus(); }

void TfmSVG::ImageBoxOptionsChange() { UpdateStatus(); }

void TfmSVG::RunCommand(TViewerCommand command) {
  switch (command) {
    case TViewerCommand::None:
    case TViewerCommand::PostKeyToLister: break;
    case TViewerCommand::ZoomIn:
      if (imgMain) imgMain->Box().IncreaseImageScale(true);
      break;
    case TViewerCommand::ZoomOut:
      if (imgMain) imgMain->Box().IncreaseImageScale(false);
      break;
    case TViewerCommand::FitImage: mnFitImageClick(); break;
    case TViewerCommand::BackgroundImage:
      // The background image command arrives with the background colours; until then the key is
      // taken and does nothing.
      break;
    case TViewerCommand::ReloadWindowSize: ReloadItemClick(TReloadMode::WindowSize); break;
    case TViewerCommand::ReloadOriginalSize: ReloadItemClick(TReloadMode::OriginalSize); break;
    case TViewerCommand::ReloadScreenSize: ReloadItemClick(TReloadMode::ScreenSize); break;
    case TViewerCommand::ReloadFitBigOnly: ReloadItemClick(TReloadMode::FitBigOnly); break;
    case TViewerCommand::NextFile: sbtNextClick(TArrowButton::sbtNext); break;
    case TViewerCommand::PreviousFile: sbtNextClick(TArrowButton::sbtPrev); break;
  }
}

void TfmSVG::FormKeyDown(uint16_t& key, TShiftState shift) {
  const TKeyAction action = FormKeyDownAction(key, shift);
  if (action.Consumed) key = 0;
  if (action.Command == TViewerCommand::PostKeyToLister) view_->Lister().PostKeyDown(action.PostKey);
  else RunCommand(action.Command);
}

void TfmSVG::FormMouseDown(TMouseButton button) {
  IListerWindow& lister = view_->Lister();
  if (button != TMouseButton::Middle || !lister.IsTopLevel()) return;
  const TListerShowChange change = FormMouseDownAction(button, true, lister.ShowCmd());
  if (change != TListerShowChange::None) lister.ChangeShowState(change);
}

void TfmSVG::ImageBoxGesture(int32_t gestureId, bool& Handled) {
  bool scrollBarVisible = false;
  if (imgMain) {
    scrollBarVisible = imgMain->Box().HorzScrollBar().visible || imgMain->Box().VertScrollBar().visible;
  }
  const TGestureAction action = ImageBoxGestureAction(gestureId, scrollBarVisible);
  if (!action.Handled) return;
  Handled = true;
  RunCommand(action.Command);
}

TPopupMenuState TfmSVG::PopupMenu1Popup() const { return PopupMenuState(Settings()); }

std::vector<TMenuItem> TfmSVG::PopupMenuItems(bool shiftDown) const {
  return pictara::PopupMenuItems(PopupMenu1Popup(), CheckedReloadMode, shiftDown);
}

std::vector<TMenuItem> TfmSVG::ReloadSubmenuItems(bool shiftDown) const {
  return pictara::ReloadSubmenuItems(PopupMenu1Popup(), CheckedReloadMode, shiftDown);
}

void TfmSVG::MenuCommand(uint32_t command) {
  switch (command) {
    case mcFitImage: mnFitImageClick(); return;
    case mcClose: mnCloseClick(); return;
    default: break;
  }
  const TReloadMode mode = ReloadModeOfCommand(command);
  if (mode != TReloadMode::None) ReloadItemClick(mode);
}

void TfmSVG::UpdateStatus() {
  if (!imgMain || !imgMain->HasWindow()) return;
  const Picture& picture = imgMain->GetPicture();
  if (picture.Empty()) {
    view_->SetStatusText("");
    return;
  }
  const TSettings& s = Settings();
  TStatusInfo info;
  info.Width = picture.Width();
  info.Height = picture.Height();
  info.BitsPerPixel = FImageBPP;
  info.Scale = imgMain->Box().ImageScale();
  info.WidthFromFile = ImageWidthFromFile;
  info.HeightFromFile = ImageHeightFromFile;
  info.FileIndex = FileIndex;
  info.FileCount = FilesList ? static_cast<int32_t>(FilesList->size()) : 0;
  info.OpenedFileName = OpenedFileName;
  info.ElapsedMs = StopWatch.ElapsedMilliseconds();
  info.ShowOriginalToLoadedRatioPercent = s.ShowOriginalToLoadedRatioPercent;
  info.ShowLoadingTime = s.ShowLoadingTime;
  view_->SetStatusText(StatusText(info));
  if (s.UpdateListerCaption) UpdateCaption();
}

void TfmSVG::UpdateCaption() {
  IListerWindow& lister = view_->Lister();
  TCaptionInfo info;
  info.ListerHasParent = !lister.IsTopLevel();
  if (info.ListerHasParent) return;  // an embedded Lister keeps its caption; nothing to read
  info.CurrentCaption = lister.Caption();
  info.FileIndex = FileIndex;
  info.FileCount = FilesList ? static_cast<int32_t>(FilesList->size()) : 0;
  info.OpenedFileName = OpenedFileName;
  if (std::optional<std::string> caption = NewListerCaption(info)) lister.SetCaption(*caption);
}

void TfmSVG::sbtNextClick(TArrowButton Sender) {
  TRestoreOnExit<bool> dontResizeSmall(FDontResizeSmall);
  const TNavigationStep step = Sender == TArrowButton::sbtNext   ? TNavigationStep::Next
                               : Sender == TArrowButton::sbtPrev ? TNavigationStep::Previous
                                                                 : TNavigationStep::None;
  const auto load = [this](const std::string& file) {
    const TFormSize size = GetReloadSize(CheckedReloadMode, FDontResizeSmall);
    const bool ok = LoadSvgAtSize(file, size);
    view_->RepaintArrowButtons();
    return ok;
  };
  if (NavigateFolder(FilesList, FileIndex, step, OpenedFileName, folder_, load) == TNavigationResult::ButtonsHidden) {
    view_->HideArrowButtons();
    UpdateStatus();
  }
}

void TfmSVG::FormShow() {
  if (shown_) return;
  shown_ = true;
  if (view_->TouchDigitizerReady()) IsSystemTouchSupport = true;
  view_->EnableGestures(IsSystemTouchSupport);
  AssignArrowGlyphs();
}

void TfmSVG::AssignArrowGlyphs() { view_->AssignArrowGlyphs(ArrowGlyphSize(view_->ScreenPixelsPerInch())); }

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

void TfmSVG::WMSetFocus() {
  if (imgMain && !destroying_) imgMain->FocusIfPossible();
}

void TfmSVG::ApplicationEvents1Exception(const std::exception& E) {
  view_->ShowErrorBox(ErrorReportText(E), kErrorReportCaption);
}

}  // namespace pictara
