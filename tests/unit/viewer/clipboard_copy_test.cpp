// "Copy to Clipboard": the bitmap and the PNG bytes, the order of the clipboard calls and the
// failure rules, against a clipboard that can fail at any step.
#include <gtest/gtest.h>

#include "fake_view.h"
#include "platform/image_codec.h"
#include "render/raster.h"
#include "viewer/clipboard_copy.h"

namespace pictara {
namespace {

using test::FakeClipboard;

struct CountingCursor : ICursor {
  int busyOn = 0;
  bool busy = false;
  void SetBusy(bool b) override {
    if (b) ++busyOn;
    busy = b;
  }
};

// 3 x 2 RGBA: opaque red, half-transparent green, transparent; opaque blue, white, black.
PngImage SmallRgba() {
  PngImage png;
  png.Allocate(3, 2, PngColorType::Rgba, 8);
  const uint8_t px[] = {255, 0, 0, 255, 0, 255, 0, 128, 9, 9, 9, 0, 0, 0, 255, 255, 255, 255, 255, 255, 0, 0, 0, 255};
  std::copy(std::begin(px), std::end(px), png.pixels.begin());
  return png;
}

Bitmap Small24() {
  Bitmap b;
  b.SetSize(2, 1, PixelFormat::pf24bit);
  b.Row(0)[0] = 1;  // blue of pixel 0
  b.Row(0)[5] = 7;  // red of pixel 1
  return b;
}

TEST(ClipboardCopy, BitmapOfTheNaturalSizeBlendedOverBlack) {
  const Bitmap bmp = ClipboardBitmap(Picture{SmallRgba()});
  EXPECT_EQ(bmp.width, 3);
  EXPECT_EQ(bmp.height, 2);
  EXPECT_EQ(bmp.pixelFormat, PixelFormat::pf24bit);
  EXPECT_EQ(bmp.PixelAt(0, 0), (Rgba{255, 0, 0, 255}));
  EXPECT_EQ(bmp.PixelAt(1, 0), (Rgba{0, 128, 0, 255}));
  EXPECT_EQ(bmp.PixelAt(2, 0), (Rgba{0, 0, 0, 255})) << "transparent over a fresh bitmap";
  EXPECT_EQ(bmp.PixelAt(1, 1), (Rgba{255, 255, 255, 255}));
  const Bitmap same = ClipboardBitmap(Picture{Small24()});
  EXPECT_EQ(same.PixelAt(0, 0), (Rgba{0, 0, 1, 255}));
  EXPECT_EQ(same.PixelAt(1, 0), (Rgba{7, 0, 0, 255}));
  EXPECT_THROW(ClipboardBitmap(Picture{}), ImageError);
}

TEST(ClipboardCopy, PngBytesKeepTheAlpha) {
  // A PNG image as it is.
  const auto fromPng = ClipboardPngBytes(Picture{SmallRgba()});
  ASSERT_TRUE(fromPng);
  const auto decoded = DecodePng(*fromPng);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->pixels, SmallRgba().pixels);
  // A 32-bit bitmap (premultiplied, as loaded with InternalConvertPNGtoBitmap) back to straight alpha.
  const auto fromBitmap = ClipboardPngBytes(Picture{PngToBitmap(SmallRgba())});
  ASSERT_TRUE(fromBitmap);
  const auto back = DecodePng(*fromBitmap);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->PixelAt(0, 0), (Rgba{255, 0, 0, 255}));
  EXPECT_EQ(back->PixelAt(1, 0).a, 128);
  EXPECT_EQ(back->PixelAt(2, 0).a, 0);
  // A palette PNG with palette alpha becomes RGBA with that alpha.
  PngImage palette;
  palette.Allocate(2, 1, PngColorType::Palette, 8);
  palette.palette = {{10, 20, 30, 255}, {40, 50, 60, 0}};
  palette.pixels = {0, 1};
  const auto fromPalette = DecodePng(*ClipboardPngBytes(Picture{palette}));
  ASSERT_TRUE(fromPalette);
  EXPECT_EQ(fromPalette->PixelAt(0, 0), (Rgba{10, 20, 30, 255}));
  EXPECT_EQ(fromPalette->PixelAt(1, 0).a, 0);
  // A 24-bit bitmap (a BMP result) has no PNG.
  EXPECT_FALSE(ClipboardPngBytes(Picture{Small24()}));
}

TEST(ClipboardCopy, CallsInOrderAndTheBusyCursorOnlyWithPng) {
  struct Case {
    const char* name;
    Picture picture;
    bool copyPng;
    std::vector<std::string> calls;
    bool pngPlaced;
  } const kCases[] = {
      {"PNG off", Picture{SmallRgba()}, false, {"AssignBitmap"}, false},
      {"PNG image", Picture{SmallRgba()}, true, {"AssignBitmap", "Open", "RegisterFormat PNG", "AddData", "Close"}, true},
      {"32-bit bitmap", Picture{PngToBitmap(SmallRgba())}, true,
       {"AssignBitmap", "Open", "RegisterFormat PNG", "AddData", "Close"}, true},
      {"24-bit bitmap: opened, nothing added", Picture{Small24()}, true, {"AssignBitmap", "Open", "Close"}, false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    FakeClipboard clipboard;
    CountingCursor cursor;
    CopyPictureToClipboard(c.picture, c.copyPng, clipboard, cursor);
    EXPECT_EQ(clipboard.calls, c.calls);
    ASSERT_TRUE(clipboard.bitmap);
    EXPECT_EQ(clipboard.bitmap->width, c.picture.Width());
    EXPECT_EQ(clipboard.bitmap->pixelFormat, PixelFormat::pf24bit);
    EXPECT_EQ(!clipboard.pngBytes.empty(), c.pngPlaced);
    if (c.pngPlaced) EXPECT_EQ(clipboard.pngBytes, *ClipboardPngBytes(c.picture)) << "exactly the file's bytes";
    EXPECT_EQ(cursor.busyOn, c.copyPng ? 1 : 0);
    EXPECT_FALSE(cursor.busy);
  }
}

TEST(ClipboardCopy, FailuresKeepTheBitmapOrPropagateAfterTheCleanUp) {
  // No format id, no memory, no lock, a refused block: silently without PNG.
  for (auto result : {TClipboardDataResult::NoMemory, TClipboardDataResult::NoLock, TClipboardDataResult::Refused}) {
    FakeClipboard clipboard;
    clipboard.dataResult = result;
    CountingCursor cursor;
    EXPECT_NO_THROW(CopyPictureToClipboard(Picture{SmallRgba()}, true, clipboard, cursor));
    EXPECT_TRUE(clipboard.bitmap);
    EXPECT_EQ(clipboard.calls.back(), "Close");
    EXPECT_FALSE(cursor.busy);
  }
  {
    FakeClipboard clipboard;
    clipboard.formatId = 0;
    CountingCursor cursor;
    CopyPictureToClipboard(Picture{SmallRgba()}, true, clipboard, cursor);
    EXPECT_EQ(clipboard.calls, (std::vector<std::string>{"AssignBitmap", "Open", "RegisterFormat PNG", "Close"}));
  }
  // A clipboard held by another program: the error reaches the caller, the cursor is reset.
  for (bool atBitmap : {true, false}) {
    SCOPED_TRACE(atBitmap ? "bitmap" : "second open");
    FakeClipboard clipboard;
    clipboard.bitmapThrows = atBitmap;
    clipboard.openThrows = !atBitmap;
    CountingCursor cursor;
    EXPECT_THROW(CopyPictureToClipboard(Picture{SmallRgba()}, true, clipboard, cursor), std::runtime_error);
    EXPECT_FALSE(cursor.busy);
    EXPECT_EQ(clipboard.calls.back(), atBitmap ? "AssignBitmap" : "Open") << "no Close for an Open that failed";
  }
  // No picture: the drawing step fails before the clipboard is touched.
  FakeClipboard clipboard;
  CountingCursor cursor;
  EXPECT_THROW(CopyPictureToClipboard(Picture{}, true, clipboard, cursor), ImageError);
  EXPECT_TRUE(clipboard.calls.empty());
  EXPECT_FALSE(cursor.busy);
}

}  // namespace
}  // namespace pictara
