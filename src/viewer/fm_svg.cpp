#include "viewer/fm_svg.h"

#include <utility>

#include "platform/files.h"
#include "platform/image_codec.h"
#include "platform/module.h"
#include "platform/load_trace.h"
#include "render/raster.h"
#include "render/wic_resize.h"
#include "viewer/busy_cursor.h"
#include "viewer/clipboard_copy.h"
#include "viewer/colours.h"
#include "viewer/convert_file.h"
#include "viewer/error_report.h"
#include "viewer/fit_toggle.h"
#include "viewer/status_text.h"

namespace pictara {

namespace {

// The converter's raster file belongs to the load that asked for it: deleted however the load ends.
class TRasterFile {
 public:
  explicit TRasterFile(std::string name) : name_(std::move(name)) {}
  ~TRasterFile() {
    DeleteConverterOutput(name_);
  }
  TRasterFile(const TRasterFile&) = delete;
  TRasterFile& operator=(const TRasterFile&) = delete;
  const std::string& Name() const { return name_; }

 private:
  std::string name_;
};

constexpr int32_t kUseScrollBoxSize = -1;

Size ToSize(Size s) { return {s.width, s.height}; }
Size ToFormSize(Size s) { return {s.width, s.height}; }

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
  TTraceScope setup("viewer set-up");
  std::unique_ptr<TfmSVG> form(new TfmSVG());
  form->convert_ = env.Convert;
  if (!form->convert_) {
    form->convert_ = [](const std::string& file, Size size, bool magick, bool helper, bool inkscape,
                        bool dontEnlarge, int32_t& w, int32_t& h) {
      return ConvertSvg(file, size, magick, helper, inkscape, dontEnlarge, w, h);
    };
  }
  form->saveColorSettings_ = env.SaveColorSettings;
  if (!form->saveColorSettings_) form->saveColorSettings_ = [] { pictara::SaveColorSettings(); };
  form->pluginFolder_ = env.PluginFolder.empty() ? ModuleFolder() : env.PluginFolder;
  form->folder_ = TFolderSource::System();
  form->view_ = env.CreateView(*form);
  HandleResult = 0;
  IViewerView& view = *form->view_;

  form->FDontResizeSmall = Settings().DontResizeSmall;
  // With RereadIni the file's current values apply to everything below, the load included.
  if (Settings().RereadIni && env.RereadSettings) env.RereadSettings();

  // Everything the first conversion's size depends on is known before any window exists; the
  // windows are made while the converter runs (BuildWindows).
  form->IsDarkMode = DarkMode;
  view.ApplyDarkMode(BottomBarLook(DarkMode));
  // A layout that cannot be scaled still works at its designed size.
  try {
    view.ApplyLayout(ScaledFormLayout(view.ScreenPixelsPerInch()));
  } catch (...) {
  }
  view.SetBounds(PlaceOverLister(view.ListerGeometry(), env.Is64BitBuild));

  form->OpenWidth = Settings().OpenWidth;
  form->OpenHeight = Settings().OpenHeight;
  setup.End();
  bool loaded = false;
  if (form->OpenWidth == kUseScrollBoxSize || form->OpenHeight == kUseScrollBoxSize) {
    // The first load fills the window; later loads keep asking for "the window size" (-1).
    const Size planned = view.ScrollBoxClientSize();
    struct TBackToMinusOne {
      TfmSVG& form;
      ~TBackToMinusOne() { form.OpenWidth = form.OpenHeight = kUseScrollBoxSize; }
    } backToMinusOne{*form};
    form->OpenWidth = planned.width;
    form->OpenHeight = planned.height;
    loaded = form->LoadSvg(FileName);
    // The windows came out at another size than their layout promised: render again to fill them.
    const Size made = view.ScrollBoxClientSize();
    if (loaded && !(made == planned)) {
      form->OpenWidth = made.width;
      form->OpenHeight = made.height;
      form->LoadSvg(FileName);
    }
  } else {
    loaded = form->LoadSvg(FileName);
  }
  form->BuildWindows();  // a load that failed before its converter started built nothing yet
  if (loaded) HandleResult = view.Handle();
  return form;
}

void TfmSVG::BuildWindows() {
  if (windowsBuilt_) return;
  windowsBuilt_ = true;
  TTraceScope creation("window and control creation");
  view_->CreateWindows();
  imgMain = &view_->CreateImageBox(ViewerImageBoxSetup(*this, Settings()));
  imagebox::TZoomImageBox& box = imgMain->Box();
  box.OnOptionsChange = [this] { ImageBoxOptionsChange(); };
  box.OnMouseDown = [this](imagebox::MouseSender, MouseButton button, ShiftState, int32_t, int32_t) {
    FormMouseDown(button);
  };
  // The chessboard is loaded now only when it shows from the start; otherwise at its first use.
  if (Settings().BackgroundImage) LoadBackgroundPicture();
}

TfmSVG::~TfmSVG() {
  destroying_ = true;
  imgMain = nullptr;
  view_.reset();
}

bool TfmSVG::LoadSvg(const std::string& FileName) {
  // A load started from inside another one's wait (a message sent to the viewer meanwhile) would
  // pull the state out from under it; a viewer on its way out loads nothing.
  if (loading_ || closeDeferred_) return false;
  TRestoreOnExit<bool> loading(loading_);
  loading_ = true;
  const std::string Source = AddLongPathPrefix(FileName);
  TLoadTrace trace("load " + FileName);
  TBusyCursorScope hourglass(view_->Cursor());
  // The host's window thread stays alive while the converter runs; Esc gives up.
  TResponsiveWaitScope responsive(view_->Handle());
  // A viewer being built makes its windows while its first converter runs.
  TWhileConvertingScope meanwhile([this, &responsive] {
    BuildWindows();
    responsive.SetWindow(view_->Handle());
  });
  // Kept apart until the load has succeeded: a status shown meanwhile (the wait answers messages
  // sent to the viewer) still tells of the picture shown.
  TStopWatch watch;
  watch.Restart();
  const TSettings& s = Settings();
  TRasterFile raster(convert_(Source, {OpenWidth, OpenHeight}, s.UseImageMagick, s.UseRSVGHelper, s.UseInkscape,
                              FDontResizeSmall, ImageWidthFromFile, ImageHeightFromFile));
  meanwhile.RunNow();
  if (raster.Name().empty() || !FileExists(raster.Name())) return false;
  // Closed during the wait: the result is dropped (the raster file goes with `raster`).
  if (closeDeferred_ || view_->WindowDestroyed()) return false;

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
  watch.Stop();
  StopWatch = watch;
  TTraceScope status("status and caption");
  UpdateStatus();
  return true;
}

bool TfmSVG::LoadSvgAtSize(const std::string& FileName, Size size) {
  TRestoreOnExit<int32_t> width(OpenWidth);
  TRestoreOnExit<int32_t> height(OpenHeight);
  OpenWidth = size.width;
  OpenHeight = size.height;
  return LoadSvg(FileName);
}

Size TfmSVG::GetReloadSize(TReloadMode Item, bool& DontResizeSmall) const {
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
    const Size size = GetReloadSize(CheckedReloadMode, FDontResizeSmall);
    return LoadSvgAtSize(FileName, size);
  } catch (...) {
    return false;
  }
}

void TfmSVG::mnReloadOriginalSizeClick(TReloadMode Sender) {
  TRestoreOnExit<bool> dontResizeSmall(FDontResizeSmall);
  const Size size = GetReloadSize(Sender, FDontResizeSmall);
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
  const Size client = box.ClientSize();
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
    case TViewerCommand::BackgroundImage: mnBackgroundImageClick(); break;
    case TViewerCommand::ReloadWindowSize: ReloadItemClick(TReloadMode::WindowSize); break;
    case TViewerCommand::ReloadOriginalSize: ReloadItemClick(TReloadMode::OriginalSize); break;
    case TViewerCommand::ReloadScreenSize: ReloadItemClick(TReloadMode::ScreenSize); break;
    case TViewerCommand::ReloadFitBigOnly: ReloadItemClick(TReloadMode::FitBigOnly); break;
    case TViewerCommand::NextFile: sbtNextClick(TArrowButton::sbtNext); break;
    case TViewerCommand::PreviousFile: sbtNextClick(TArrowButton::sbtPrev); break;
  }
}

void TfmSVG::FormKeyDown(uint16_t& key, ShiftState shift) {
  const TKeyAction action = FormKeyDownAction(key, shift);
  if (action.Consumed) key = 0;
  if (action.Command == TViewerCommand::PostKeyToLister) view_->Lister().PostKeyDown(action.PostKey);
  else RunCommand(action.Command);
}

void TfmSVG::FormMouseDown(MouseButton button) {
  IListerWindow& lister = view_->Lister();
  if (button != MouseButton::Middle || !lister.IsTopLevel()) return;
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
    case mcCopyToClipboard: mnCopyToClipboardClick(); return;
    case mcConvertFile: mnConvertFileClick(); return;
    case mcFitImage: mnFitImageClick(); return;
    case mcBackgroundColor: mnBackgroundColorClick(); return;
    case mcBackgroundImage: mnBackgroundImageClick(); return;
    case mcImageBackgroundColor: mnImageBackgroundColorClick(); return;
    case mcSource: mnSourceClick(); return;
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
    const Size size = GetReloadSize(CheckedReloadMode, FDontResizeSmall);
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

TColor TfmSVG::GetBackgroundColor() const { return BackgroundColorOf(Settings(), IsDarkMode); }

TColor TfmSVG::GetImageBackgroundColor() const { return ImageBackgroundColorOf(Settings(), IsDarkMode); }

void TfmSVG::SetBackgroundColor(TColor c) { SetBackgroundColorOf(Settings(), IsDarkMode, c); }

void TfmSVG::SetImageBackgroundColor(TColor c) { SetImageBackgroundColorOf(Settings(), IsDarkMode, c); }

void TfmSVG::SaveColorSettings() { saveColorSettings_(); }

void TfmSVG::mnBackgroundColorClick() {
  TRestoreOnExit<int> running(commandsRunning_);
  ++commandsRunning_;
  const std::optional<TColor> chosen =
      view_->Dialogs().ExecuteColorDialog(GetBackgroundColor(), BackgroundCustomColors(Settings()));
  if (!chosen) return;
  SetBackgroundColor(*chosen);
  if (imgMain) {
    imgMain->SetColor(GetBackgroundColor());
    // An image background that follows the background colour changes with it.
    imgMain->SetResampleBackColor(GetImageBackgroundColor());
  }
  SaveColorSettings();
}

void TfmSVG::mnImageBackgroundColorClick() {
  TRestoreOnExit<int> running(commandsRunning_);
  ++commandsRunning_;
  const std::optional<TColor> chosen =
      view_->Dialogs().ExecuteColorDialog(GetImageBackgroundColor(), ImageBackgroundCustomColors(Settings()));
  if (!chosen) return;
  SetImageBackgroundColor(*chosen);
  if (imgMain) {
    imgMain->SetColor(GetBackgroundColor());
    imgMain->SetResampleBackColor(GetImageBackgroundColor());
  }
  // The chosen colour must show at once, whatever the chessboard state was: the background image
  // command turns it off (and saves).
  Settings().BackgroundImage = true;
  mnBackgroundImageClick();
  if (imgMain) imgMain->Repaint();
  SaveColorSettings();
}

void TfmSVG::mnBackgroundImageClick() {
  TSettings& s = Settings();
  s.BackgroundImage = !s.BackgroundImage;
  if (imgMain) {
    if (s.BackgroundImage) {
      if (!imgMain->HasBackgroundPicture()) LoadBackgroundPicture();
      imgMain->SetDrawBackground(true);
    } else {
      imgMain->SetDrawBackground(false);
    }
    imgMain->SetResample(true);
  }
  SaveColorSettings();
}

void TfmSVG::LoadBackgroundPicture() {
  if (!imgMain) return;
  try {
    const std::string userTile = pluginFolder_ + kBackgroundPictureFileName;
    const std::optional<std::string> bytes =
        FileExists(userTile) ? ReadFileBytes(userTile) : view_->ResourceBytes(kChessBackgroundResource);
    if (!bytes || !BackgroundPictureSizeAllowed(*bytes)) return;
    std::optional<PngImage> png = DecodePng(*bytes);
    if (!png) return;
    imgMain->SetBackgroundPicture(Picture{std::move(*png)});
  } catch (...) {
    // A tile that cannot be had is no error: the image background colour shows instead.
  }
}

void TfmSVG::mnCopyToClipboardClick() {
  if (!imgMain) return;
  CopyPictureToClipboard(imgMain->GetPicture(), Settings().CopyPngToClipboard, view_->Clipboard(), view_->Cursor());
}

void TfmSVG::mnConvertFileClick() {
  if (!imgMain) return;
  TRestoreOnExit<int> running(commandsRunning_);
  ++commandsRunning_;
  const bool magick = Settings().UseImageMagick;
  const std::optional<std::string> target =
      view_->Dialogs().ExecuteSaveDialog(ConvertFileSaveSetup(OpenedFileName, magick));
  // Closed while a dialog was open: the viewer goes as soon as this command returns.
  if (!target || closeDeferred_) return;
  const Picture& picture = imgMain->GetPicture();
  int32_t width = picture.Width();
  int32_t height = picture.Height();
  if (!SelectImageSize(width, height, ConvertFileFormatName(magick), view_->ScreenSize(), view_->Dialogs())) return;
  if (closeDeferred_) return;
  TBusyCursorScope busy(view_->Cursor());
  // The same wait as a load's: the host keeps painting, and Esc gives the conversion up (no file,
  // reported as the failed conversion it is).
  TResponsiveWaitScope responsive(view_->Handle());
  ConvertFileTo(convert_, OpenedFileName, {width, height}, Settings(), *target);
}

void TfmSVG::mnSourceClick() {
  TRestoreOnExit<int> running(commandsRunning_);
  ++commandsRunning_;
  view_->Dialogs().ShowSourceWindow(OpenedFileName);
}

void TfmSVG::WMSetFocus() {
  if (imgMain && !destroying_) imgMain->FocusIfPossible();
}

void TfmSVG::ApplicationEvents1Exception(const std::exception& E) {
  view_->ShowErrorBox(ErrorReportText(E), kErrorReportCaption);
}

}  // namespace pictara
