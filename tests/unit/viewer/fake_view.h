// A viewer window without a window: records what the form asks of it.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "viewer/fm_svg.h"

namespace pictara::test {

struct FakeLister : IListerWindow {
  bool topLevel = true;
  std::optional<std::string> caption;
  int captionSets = 0;
  std::vector<uint32_t> postedKeys;
  uint32_t showCmd = 1;  // normal
  std::vector<TListerShowChange> showChanges;
  bool IsTopLevel() const override { return topLevel; }
  void PostKeyDown(uint32_t key) override { postedKeys.push_back(key); }
  std::optional<std::string> Caption() const override { return caption; }
  void SetCaption(const std::string& c) override {
    caption = c;
    ++captionSets;
  }
  uint32_t ShowCmd() const override { return showCmd; }
  void ChangeShowState(TListerShowChange change) override { showChanges.push_back(change); }
};

// The image box with the real portable zoom and fit state, without a window: scroll bars of 17
// pixels, the area of ScrollBox1.
struct FakeImageBox : IImageBox {
  TImageBoxSetup setup;
  int focusRequests = 0;
  bool hasWindow = true;
  imagebox::TZoomImageBox box;
  Picture picture;
  bool resample = false;
  TColor resampleBackColor = 0;
  void FocusIfPossible() override { ++focusRequests; }
  bool HasWindow() const override { return hasWindow; }
  imagebox::TZoomImageBox& Box() override { return box; }
  void SetPicture(Picture p) override { picture = std::move(p); }
  const Picture& GetPicture() const override { return picture; }
  void UpdateImageInfo() override { box.UpdateImageInfo({picture.Width(), picture.Height()}); }
  void SetResample(bool value) override { resample = value; }
  void SetResampleBackColor(TColor color) override { resampleBackColor = color; }
  void SetColor(TColor c) override { color = c; }
  void SetDrawBackground(bool value) override { drawBackground = value; }
  bool HasBackgroundPicture() const override { return !tile.Empty(); }
  void SetBackgroundPicture(const Picture& t) override {
    tile = t;
    ++tileLoads;
  }
  void Repaint() override { ++repaints; }
  TColor color = 0;
  bool drawBackground = false;
  Picture tile;
  int tileLoads = 0;
  int repaints = 0;
};

// The built-in tile as the plug-in carries it.
inline std::string ChessBackgroundFile() {
  return std::string(PICTARA_FIXTURES) + "/../../resources/chess/chess_background.png";
}

// The dialogs answer as the test tells them and note how they were opened.
struct FakeDialogs : IViewerDialogs {
  struct ColorDialogCall {
    TColor color;
    std::vector<std::string> customColors;
  };
  std::vector<ColorDialogCall> colorDialogs;
  std::optional<TColor> colorAnswer;  // nullopt: cancel
  std::vector<TSaveDialogSetup> saveDialogs;
  std::optional<std::string> saveAnswer;
  std::vector<TfmSize> sizeDialogs;  // the model as the dialog closed
  // Acts on the model as a user would before OK; no action set: cancel.
  std::function<bool(TfmSize&)> sizeAnswer;
  std::vector<std::string> sourceWindows;
  // Runs inside every dialog, as the messages its modal loop dispatches would.
  std::function<void()> whileOpen;

  std::optional<TColor> ExecuteColorDialog(TColor color, const std::vector<std::string>& custom) override {
    colorDialogs.push_back({color, custom});
    if (whileOpen) whileOpen();
    return colorAnswer;
  }
  std::optional<std::string> ExecuteSaveDialog(const TSaveDialogSetup& setup) override {
    saveDialogs.push_back(setup);
    if (whileOpen) whileOpen();
    return saveAnswer;
  }
  bool ExecuteSizeDialog(TfmSize& dialog) override {
    if (whileOpen) whileOpen();
    const bool ok = sizeAnswer ? sizeAnswer(dialog) : false;
    sizeDialogs.push_back(dialog);
    return ok;
  }
  void ShowSourceWindow(const std::string& fileName) override {
    if (whileOpen) whileOpen();
    sourceWindows.push_back(fileName);
  }
};

// The clipboard's calls in order; any step can be made to fail.
struct FakeClipboard : IClipboard {
  std::vector<std::string> calls;
  std::optional<Bitmap> bitmap;
  std::string pngBytes;
  bool bitmapThrows = false;
  bool openThrows = false;
  uint32_t formatId = 0xC123;
  TClipboardDataResult dataResult = TClipboardDataResult::Placed;
  bool open = false;
  void AssignBitmap(const Bitmap& b) override {
    calls.push_back("AssignBitmap");
    if (bitmapThrows) throw std::runtime_error("Cannot open clipboard");
    bitmap = b;
  }
  void Open() override {
    calls.push_back("Open");
    if (openThrows) throw std::runtime_error("Cannot open clipboard");
    open = true;
  }
  void Close() override {
    calls.push_back("Close");
    open = false;
  }
  uint32_t RegisterFormat(const std::string& name) override {
    calls.push_back("RegisterFormat " + name);
    return formatId;
  }
  TClipboardDataResult AddData(uint32_t format, std::string_view bytes) override {
    calls.push_back("AddData");
    if (format == formatId && dataResult == TClipboardDataResult::Placed) pngBytes = std::string(bytes);
    return dataResult;
  }
};

// The hourglass goes on when a load starts, so the fake notes the size that load requests.
struct FakeCursor : ICursor {
  const TfmSVG* form = nullptr;
  std::vector<Size>* requestedSizes = nullptr;
  bool busy = false;
  void SetBusy(bool b) override {
    busy = b;
    if (b && form && requestedSizes) requestedSizes->push_back({form->OpenWidth, form->OpenHeight});
  }
};

// What the fake saw; outlives the view so that tests can read it after the form is gone.
struct FakeViewLog {
  std::vector<std::string> calls;  // in order
  std::optional<TBottomBarLook> look;
  std::optional<TImageBoxSetup> imageBox;
  std::optional<TFormLayout> layout;
  std::optional<Rect> bounds;
  std::vector<std::pair<std::string, std::string>> errorBoxes;  // text, caption
  std::vector<Size> requestedSizes;  // (OpenWidth, OpenHeight) at the start of every load
  std::vector<TSettings> colorSaves;      // the settings at every SaveColorSettings
  std::vector<std::string> resourceRequests;
  bool destroyed = false;
};

struct FakeViewOptions {
  int pixelsPerInch = 120;
  bool layoutThrows = false;
  bool imageBoxThrows = false;
  TListerGeometry lister{{0, 0, 800, 600}};
  Size scrollBox{800, 569};
  Size screen{1920, 1080};
  uintptr_t handle = 0x1234;
  bool touch = false;
};

class FakeView : public IViewerView {
 public:
  FakeView(TfmSVG& form, FakeViewLog& log, FakeViewOptions options) : log_(log), options_(options) {
    cursor.form = &form;
    cursor.requestedSizes = &log.requestedSizes;
  }
  ~FakeView() override { log_.destroyed = true; }

  IListerWindow& Lister() override { return lister; }
  ICursor& Cursor() override { return cursor; }
  uintptr_t Handle() const override { return options_.handle; }
  void ApplyDarkMode(const TBottomBarLook& look) override {
    log_.calls.push_back("ApplyDarkMode");
    log_.look = look;
  }
  IImageBox& CreateImageBox(const TImageBoxSetup& setup) override {
    log_.calls.push_back("CreateImageBox");
    if (options_.imageBoxThrows) throw std::runtime_error("no image box");
    log_.imageBox = setup;
    imageBox.setup = setup;
    imageBox.color = setup.Color;
    imageBox.drawBackground = setup.DrawBackground;
    imageBox.resample = setup.Resample;
    imageBox.box.SetImageFitOnlyBig(setup.ImageFitOnlyBig);
    imageBox.box.SetImageFitToWindow(setup.ImageFitToWindow);
    imageBox.box.SetImageCenter(setup.ImageCenter);
    imageBox.box.SetBounds({options_.scrollBox.width, options_.scrollBox.height}, 17, 17);
    return imageBox;
  }
  int ScreenPixelsPerInch() const override { return options_.pixelsPerInch; }
  void ApplyLayout(const TFormLayout& layout) override {
    log_.calls.push_back("ApplyLayout");
    if (options_.layoutThrows) throw std::runtime_error("no scaling");
    log_.layout = layout;
  }
  TListerGeometry ListerGeometry() const override { return options_.lister; }
  void SetBounds(const Rect& bounds) override {
    log_.calls.push_back("SetBounds");
    log_.bounds = bounds;
  }
  Size ScrollBoxClientSize() const override { return options_.scrollBox; }
  Size ScreenSize() const override { return options_.screen; }
  void SetStatusText(const std::string& text) override { status = text; }
  bool TouchDigitizerReady() const override { return options_.touch; }
  void EnableGestures(bool enabled) override { gesturesEnabled = enabled; }
  void AssignArrowGlyphs(int32_t size) override { glyphSize = size; }
  void HideArrowButtons() override { buttonsHidden = true; }
  void RepaintArrowButtons() override { ++buttonRepaints; }
  void ShowErrorBox(const std::string& text, const std::string& caption) override {
    log_.errorBoxes.emplace_back(text, caption);
  }
  IViewerDialogs& Dialogs() override { return dialogs; }
  IClipboard& Clipboard() override { return clipboard; }
  std::optional<std::string> ResourceBytes(const std::string& name) override {
    log_.resourceRequests.push_back(name);
    if (name != "CHESSBACKGROUND") return std::nullopt;
    return ReadFileBytes(ChessBackgroundFile());
  }

  FakeLister lister;
  FakeCursor cursor;
  FakeImageBox imageBox;
  FakeDialogs dialogs;
  FakeClipboard clipboard;
  std::string status = "Info";
  bool gesturesEnabled = false;
  int32_t glyphSize = 0;
  bool buttonsHidden = false;
  int buttonRepaints = 0;

 private:
  FakeViewLog& log_;
  FakeViewOptions options_;
};

// An environment whose views are fakes writing to log.
inline TViewerEnvironment FakeEnvironment(FakeViewLog& log, FakeViewOptions options = {},
                                          int* rereads = nullptr) {
  TViewerEnvironment env;
  env.CreateView = [&log, options](TfmSVG& form) {
    return std::make_unique<FakeView>(form, log, options);
  };
  env.RereadSettings = [&log, rereads] {
    log.calls.push_back("RereadSettings");
    if (rereads) ++*rereads;
  };
  env.Is64BitBuild = true;
  // Never the real file beside the test program.
  env.SaveColorSettings = [&log] { log.colorSaves.push_back(Settings()); };
  env.PluginFolder = "/nonexistent-plugin-folder/";
  return env;
}

inline FakeView& ViewOf(TfmSVG& form) { return static_cast<FakeView&>(form.View()); }

}  // namespace pictara::test
