// PNG and BMP through the Windows Imaging Component.
//
// WIC hands out pixels in its own formats (BGR order, little-endian 16-bit samples, sometimes an
// added alpha channel for a tRNS colour key). The header, palette and tRNS are read from the PNG's
// chunks here, and WIC's pixels are put back into the PNG's own layout, so that both systems give
// the same PngImage for the same file.
#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/files.h"
#include "platform/image_codec.h"
#include "platform/image_codec_wic_win.h"
#include "platform/window_win.h"
#include "base/utf.h"
#include "platform/image_codec_bmp.h"
#include "platform/png_simple.h"

namespace pictara {

namespace wic {

ComPtr<IWICImagingFactory> CreateFactory() {
  ComPtr<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IWICImagingFactory, reinterpret_cast<void**>(factory.Put()))))
    factory.Reset();
  return factory;
}

}  // namespace wic

namespace {

using wic::ComPtr;

void SetError(std::string* error, const char* message) {
  if (error) *error = message;
}

uint32_t Be32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

struct PngHeader {
  uint32_t width = 0, height = 0;
  int depth = 0, type = 0;
  std::vector<Rgba> palette;
  std::vector<uint8_t> trns;
};

// Reads IHDR, PLTE and tRNS; WIC checks everything else while decoding.
bool ReadPngChunks(std::string_view bytes, PngHeader& h) {
  static const uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
  const auto* d = reinterpret_cast<const uint8_t*>(bytes.data());
  if (bytes.size() < 8 + 25 || std::memcmp(d, kSignature, 8) != 0) return false;
  size_t pos = 8;
  bool haveHeader = false;
  while (pos + 12 <= bytes.size()) {
    const uint32_t length = Be32(d + pos);
    const uint8_t* type = d + pos + 4;
    const uint8_t* body = d + pos + 8;
    if (length > bytes.size() - pos - 12) return false;
    if (std::memcmp(type, "IHDR", 4) == 0 && length >= 13) {
      h.width = Be32(body);
      h.height = Be32(body + 4);
      h.depth = body[8];
      h.type = body[9];
      haveHeader = true;
    } else if (std::memcmp(type, "PLTE", 4) == 0) {
      h.palette.clear();
      for (uint32_t i = 0; i + 3 <= length; i += 3) h.palette.push_back(Rgba{body[i], body[i + 1], body[i + 2], 255});
    } else if (std::memcmp(type, "tRNS", 4) == 0) {
      h.trns.assign(body, body + length);
    } else if (std::memcmp(type, "IDAT", 4) == 0 || std::memcmp(type, "IEND", 4) == 0) {
      break;
    }
    pos += 12 + length;
  }
  return haveHeader;
}

ComPtr<IWICStream> StreamOn(IWICImagingFactory* factory, std::string_view bytes) {
  ComPtr<IWICStream> stream;
  if (FAILED(factory->CreateStream(stream.Put())) ||
      FAILED(stream->InitializeFromMemory(reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data())),
                                          static_cast<DWORD>(bytes.size()))))
    stream.Reset();
  return stream;
}

ComPtr<IWICBitmapFrameDecode> FirstFrame(IWICImagingFactory* factory, IWICStream* stream,
                                         const GUID& container) {
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  if (FAILED(factory->CreateDecoder(container, nullptr, decoder.Put())) ||
      FAILED(decoder->Initialize(stream, WICDecodeMetadataCacheOnDemand)) ||
      FAILED(decoder->GetFrame(0, frame.Put())))
    frame.Reset();
  return frame;
}

// How the samples of one WIC pixel format sit in memory.
struct Layout {
  const GUID* format;
  int bytesPerSample;  // 1 or 2 (little-endian)
  int samplesPerPixel;
  int r, g, b, a;      // sample positions; a = -1 without alpha
};

constexpr Layout kLayouts[] = {
    {&GUID_WICPixelFormat8bppGray, 1, 1, 0, 0, 0, -1},
    {&GUID_WICPixelFormat16bppGray, 2, 1, 0, 0, 0, -1},
    {&GUID_WICPixelFormat24bppBGR, 1, 3, 2, 1, 0, -1},
    {&GUID_WICPixelFormat24bppRGB, 1, 3, 0, 1, 2, -1},
    {&GUID_WICPixelFormat32bppBGRA, 1, 4, 2, 1, 0, 3},
    {&GUID_WICPixelFormat32bppRGBA, 1, 4, 0, 1, 2, 3},
    {&GUID_WICPixelFormat48bppRGB, 2, 3, 0, 1, 2, -1},
    {&GUID_WICPixelFormat64bppRGBA, 2, 4, 0, 1, 2, 3},
};

const Layout* FindLayout(const GUID& format) {
  for (const Layout& l : kLayouts)
    if (IsEqualGUID(*l.format, format)) return &l;
  return nullptr;
}

// Formats whose rows are already the PNG's rows (packed, MSB first).
bool IsPackedAsPng(const GUID& format, const PngImage& image) {
  if (image.colorType == PngColorType::Palette) {
    switch (image.bitDepth) {
      case 1: return IsEqualGUID(format, GUID_WICPixelFormat1bppIndexed);
      case 2: return IsEqualGUID(format, GUID_WICPixelFormat2bppIndexed);
      case 4: return IsEqualGUID(format, GUID_WICPixelFormat4bppIndexed);
      case 8: return IsEqualGUID(format, GUID_WICPixelFormat8bppIndexed);
    }
  }
  if (image.colorType == PngColorType::Grey) {
    switch (image.bitDepth) {
      case 1: return IsEqualGUID(format, GUID_WICPixelFormatBlackWhite);
      case 2: return IsEqualGUID(format, GUID_WICPixelFormat2bppGray);
      case 4: return IsEqualGUID(format, GUID_WICPixelFormat4bppGray);
      case 8: return IsEqualGUID(format, GUID_WICPixelFormat8bppGray);
    }
  }
  return false;
}

// Writes one sample at the image's bit depth into a PNG row.
void PutSample(uint8_t* row, size_t index, int depth, uint16_t v) {
  if (depth == 16) {
    row[index * 2] = static_cast<uint8_t>(v >> 8);
    row[index * 2 + 1] = static_cast<uint8_t>(v);
  } else if (depth == 8) {
    row[index] = static_cast<uint8_t>(v);
  } else {
    size_t bit = index * depth;
    int shift = 8 - depth - static_cast<int>(bit % 8);
    row[bit / 8] = static_cast<uint8_t>(row[bit / 8] | (v << shift));
  }
}

// Copies WIC pixels of `layout` into the PNG's layout, a band of rows at a time so that no
// second full-size copy of the picture is held.
bool CopyIntoPngLayout(IWICBitmapSource* source, const Layout& layout, PngImage& image) {
  const UINT srcStride = static_cast<UINT>(image.width) * layout.bytesPerSample * layout.samplesPerPixel;
  const int32_t band = 64;
  std::vector<uint8_t> buffer;
  try {
    buffer.resize(static_cast<size_t>(srcStride) * band);
  } catch (...) {
    return false;
  }
  const int channels = image.Channels();
  const int depth = image.bitDepth;
  // Sample values arrive with WIC's precision: 8 bits, or 16 bits when the layout has them.
  const int srcBits = layout.bytesPerSample * 8;
  auto scale = [&](uint32_t v) -> uint16_t {
    if (srcBits == depth) return static_cast<uint16_t>(v);
    if (srcBits > depth) return static_cast<uint16_t>((v * ((1u << depth) - 1) + ((1u << srcBits) - 1) / 2) / ((1u << srcBits) - 1));
    return static_cast<uint16_t>(v * 257);  // 8 -> 16 bits
  };
  for (int32_t y0 = 0; y0 < image.height; y0 += band) {
    const int32_t rows = std::min(band, image.height - y0);
    WICRect rect{0, y0, image.width, rows};
    if (FAILED(source->CopyPixels(&rect, srcStride, srcStride * rows, buffer.data()))) return false;
    for (int32_t r = 0; r < rows; ++r) {
      const uint8_t* s = buffer.data() + static_cast<size_t>(r) * srcStride;
      uint8_t* d = image.Row(y0 + r);
      std::memset(d, 0, image.rowBytes);
      for (int32_t x = 0; x < image.width; ++x) {
        auto sample = [&](int pos) -> uint32_t {
          const uint8_t* p = s + (static_cast<size_t>(x) * layout.samplesPerPixel + pos) * layout.bytesPerSample;
          return layout.bytesPerSample == 2 ? static_cast<uint32_t>(p[0] | (p[1] << 8)) : p[0];
        };
        const uint32_t a = layout.a >= 0 ? sample(layout.a) : (1u << srcBits) - 1;
        const size_t base = static_cast<size_t>(x) * channels;
        switch (image.colorType) {
          case PngColorType::Grey:
            PutSample(d, base, depth, scale(sample(layout.r)));
            break;
          case PngColorType::GreyAlpha:
            PutSample(d, base, depth, scale(sample(layout.r)));
            PutSample(d, base + 1, depth, scale(a));
            break;
          case PngColorType::Rgb:
          case PngColorType::Rgba:
            PutSample(d, base, depth, scale(sample(layout.r)));
            PutSample(d, base + 1, depth, scale(sample(layout.g)));
            PutSample(d, base + 2, depth, scale(sample(layout.b)));
            if (channels == 4) PutSample(d, base + 3, depth, scale(a));
            break;
          case PngColorType::Palette: {
            // Only reached when WIC expanded a palette image: find the entry again.
            Rgba c{static_cast<uint8_t>(sample(layout.r)), static_cast<uint8_t>(sample(layout.g)),
                   static_cast<uint8_t>(sample(layout.b)), static_cast<uint8_t>(a)};
            uint16_t index = 0;
            for (size_t i = 0; i < image.palette.size(); ++i)
              if (image.palette[i] == c || (c.a == 0 && image.palette[i].a == 0)) {
                index = static_cast<uint16_t>(i);
                break;
              }
            PutSample(d, base, depth, index);
            break;
          }
        }
      }
    }
  }
  return true;
}

}  // namespace

std::optional<PngImage> DecodePng(std::string_view bytes, std::string* error) {
  // What the converters write is decoded directly: several times faster than the imaging
  // component under Wine, and pixel for pixel the same.
  PngImage simple;
  switch (DecodeSimplePng(bytes, simple)) {
    case SimplePngResult::Decoded: return simple;
    case SimplePngResult::Damaged: SetError(error, "Invalid PNG file"); return std::nullopt;
    case SimplePngResult::NotSimple: break;
  }
  PngHeader header;
  if (!PngDataCanFillPicture(bytes)) {
    SetError(error, "Invalid PNG file");
    return std::nullopt;
  }
  if (!ReadPngChunks(bytes, header)) {
    SetError(error, "Not a PNG file");
    return std::nullopt;
  }
  wic::ComScope com;
  ComPtr<IWICImagingFactory> factory = wic::CreateFactory();
  if (!factory) {
    SetError(error, "The imaging component is not available");
    return std::nullopt;
  }
  ComPtr<IWICStream> stream = StreamOn(factory.Get(), bytes);
  ComPtr<IWICBitmapFrameDecode> frame = stream ? FirstFrame(factory.Get(), stream.Get(), GUID_ContainerFormatPng)
                                               : ComPtr<IWICBitmapFrameDecode>();
  UINT w = 0, h = 0;
  WICPixelFormatGUID format{};
  if (!frame || FAILED(frame->GetSize(&w, &h)) || FAILED(frame->GetPixelFormat(&format))) {
    SetError(error, "Invalid PNG file");
    return std::nullopt;
  }
  PngImage image;
  if (w != header.width || h != header.height ||
      !image.Allocate(static_cast<int32_t>(w), static_cast<int32_t>(h),
                      static_cast<PngColorType>(header.type), header.depth)) {
    SetError(error, "Invalid PNG file");
    return std::nullopt;
  }
  if (image.colorType == PngColorType::Palette) {
    image.palette = header.palette;
    for (size_t i = 0; i < header.trns.size() && i < image.palette.size(); ++i) image.palette[i].a = header.trns[i];
  } else if (image.colorType == PngColorType::Grey && header.trns.size() >= 2) {
    image.colorKey = PngColorKey{static_cast<uint16_t>((header.trns[0] << 8) | header.trns[1]), 0, 0, 0};
  } else if (image.colorType == PngColorType::Rgb && header.trns.size() >= 6) {
    auto v = [&](int i) { return static_cast<uint16_t>((header.trns[i] << 8) | header.trns[i + 1]); };
    image.colorKey = PngColorKey{0, v(0), v(2), v(4)};
  }

  bool ok = false;
  if (IsPackedAsPng(format, image)) {
    ok = SUCCEEDED(frame->CopyPixels(nullptr, static_cast<UINT>(image.rowBytes),
                                     static_cast<UINT>(image.pixels.size()), image.pixels.data()));
  } else if (const Layout* layout = FindLayout(format)) {
    ok = CopyIntoPngLayout(frame.Get(), *layout, image);
  } else {
    // Anything else: let WIC convert to RGBA, with 16 bits where the image has them.
    const bool deep = image.bitDepth == 16;
    const GUID& target = deep ? GUID_WICPixelFormat64bppRGBA : GUID_WICPixelFormat32bppRGBA;
    ComPtr<IWICFormatConverter> converter;
    if (SUCCEEDED(factory->CreateFormatConverter(converter.Put())) &&
        SUCCEEDED(converter->Initialize(frame.Get(), target, WICBitmapDitherTypeNone, nullptr, 0,
                                        WICBitmapPaletteTypeCustom)))
      ok = CopyIntoPngLayout(converter.Get(), *FindLayout(target), image);
  }
  if (!ok) {
    SetError(error, "Invalid PNG file");
    return std::nullopt;
  }
  return image;
}

std::optional<std::string> EncodePng(const PngImage& image, std::string* error) {
  const bool rgba = image.colorType == PngColorType::Rgba;
  if (image.bitDepth != 8 || (!rgba && image.colorType != PngColorType::Rgb) || image.width <= 0 ||
      image.height <= 0 || image.pixels.size() < image.rowBytes * static_cast<size_t>(image.height)) {
    SetError(error, "Only 8-bit RGB and RGBA images can be written");
    return std::nullopt;
  }
  wic::ComScope com;
  ComPtr<IWICImagingFactory> factory = wic::CreateFactory();
  ComPtr<IStream> memory;
  ComPtr<IWICBitmapEncoder> encoder;
  ComPtr<IWICBitmapFrameEncode> frame;
  ComPtr<IPropertyBag2> props;
  WICPixelFormatGUID format = rgba ? GUID_WICPixelFormat32bppBGRA : GUID_WICPixelFormat24bppBGR;
  const WICPixelFormatGUID wanted = format;
  if (!factory || FAILED(CreateStreamOnHGlobal(nullptr, TRUE, memory.Put())) ||
      FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Put())) ||
      FAILED(encoder->Initialize(memory.Get(), WICBitmapEncoderNoCache)) ||
      FAILED(encoder->CreateNewFrame(frame.Put(), props.Put())) || FAILED(frame->Initialize(props.Get())) ||
      FAILED(frame->SetSize(static_cast<UINT>(image.width), static_cast<UINT>(image.height))) ||
      FAILED(frame->SetPixelFormat(&format)) || !IsEqualGUID(format, wanted)) {
    SetError(error, "PNG encoding failed");
    return std::nullopt;
  }
  // WIC takes blue first; swap a band of rows at a time.
  const int channels = rgba ? 4 : 3;
  const UINT stride = static_cast<UINT>(image.width) * channels;
  const int32_t band = 64;
  std::vector<uint8_t> rows(static_cast<size_t>(stride) * band);
  for (int32_t y0 = 0; y0 < image.height; y0 += band) {
    const int32_t count = std::min(band, image.height - y0);
    for (int32_t r = 0; r < count; ++r) {
      const uint8_t* s = image.Row(y0 + r);
      uint8_t* d = rows.data() + static_cast<size_t>(r) * stride;
      for (int32_t x = 0; x < image.width; ++x, s += channels, d += channels) {
        d[0] = s[2];
        d[1] = s[1];
        d[2] = s[0];
        if (rgba) d[3] = s[3];
      }
    }
    if (FAILED(frame->WritePixels(static_cast<UINT>(count), stride, stride * count, rows.data()))) {
      SetError(error, "PNG encoding failed");
      return std::nullopt;
    }
  }
  STATSTG stat{};
  LARGE_INTEGER zero{};
  if (FAILED(frame->Commit()) || FAILED(encoder->Commit()) || FAILED(memory->Stat(&stat, STATFLAG_NONAME)) ||
      FAILED(memory->Seek(zero, STREAM_SEEK_SET, nullptr))) {
    SetError(error, "PNG encoding failed");
    return std::nullopt;
  }
  std::string out(static_cast<size_t>(stat.cbSize.QuadPart), '\0');
  ULONG read = 0;
  if (FAILED(memory->Read(out.data(), static_cast<ULONG>(out.size()), &read)) || read != out.size()) {
    SetError(error, "PNG encoding failed");
    return std::nullopt;
  }
  return out;
}

std::optional<Bitmap> ReadBmp(std::string_view bytes, std::string* error) {
  if (bytes.size() < 26 || bytes[0] != 'B' || bytes[1] != 'M') {
    SetError(error, "Not a BMP file");
    return std::nullopt;
  }
  if (!BmpPixelDataFits(bytes)) {
    SetError(error, "Invalid BMP file");
    return std::nullopt;
  }
  wic::ComScope com;
  ComPtr<IWICImagingFactory> factory = wic::CreateFactory();
  ComPtr<IWICStream> stream = factory ? StreamOn(factory.Get(), bytes) : ComPtr<IWICStream>();
  ComPtr<IWICBitmapFrameDecode> frame = stream ? FirstFrame(factory.Get(), stream.Get(), GUID_ContainerFormatBmp)
                                               : ComPtr<IWICBitmapFrameDecode>();
  UINT w = 0, h = 0;
  WICPixelFormatGUID format{};
  if (!frame || FAILED(frame->GetSize(&w, &h)) || FAILED(frame->GetPixelFormat(&format)) || w == 0 ||
      h == 0 || w > 0x7fffffff || h > 0x7fffffff) {
    SetError(error, "Invalid BMP file");
    return std::nullopt;
  }
  struct Kind {
    const GUID* format;
    PixelFormat pixelFormat;
  };
  static const Kind kKinds[] = {
      {&GUID_WICPixelFormat1bppIndexed, PixelFormat::pf1bit}, {&GUID_WICPixelFormat4bppIndexed, PixelFormat::pf4bit},
      {&GUID_WICPixelFormat8bppIndexed, PixelFormat::pf8bit}, {&GUID_WICPixelFormat24bppBGR, PixelFormat::pf24bit},
      {&GUID_WICPixelFormat32bppBGR, PixelFormat::pf32bit},   {&GUID_WICPixelFormat32bppBGRA, PixelFormat::pf32bit},
  };
  const Kind* kind = nullptr;
  for (const Kind& k : kKinds)
    if (IsEqualGUID(*k.format, format)) kind = &k;
  if (!kind) {
    SetError(error, "Unsupported BMP pixel format");
    return std::nullopt;
  }
  Bitmap bmp;
  if (!bmp.SetSize(static_cast<int32_t>(w), static_cast<int32_t>(h), kind->pixelFormat)) {
    SetError(error, "Out of memory for BMP image");
    return std::nullopt;
  }
  if (FAILED(frame->CopyPixels(nullptr, static_cast<UINT>(bmp.Stride()), static_cast<UINT>(bmp.bits.size()),
                               bmp.bits.data()))) {
    SetError(error, "Invalid BMP file");
    return std::nullopt;
  }
  if (BitsPerPixel(kind->pixelFormat) <= 8) {
    ComPtr<IWICPalette> palette;
    UINT count = 0;
    if (FAILED(factory->CreatePalette(palette.Put())) || FAILED(frame->CopyPalette(palette.Get())) ||
        FAILED(palette->GetColorCount(&count))) {
      SetError(error, "Invalid BMP palette");
      return std::nullopt;
    }
    std::vector<WICColor> colours(count);
    if (count && FAILED(palette->GetColors(count, colours.data(), &count))) {
      SetError(error, "Invalid BMP palette");
      return std::nullopt;
    }
    for (UINT i = 0; i < count; ++i) {
      const WICColor c = colours[i];
      bmp.palette.push_back(Rgba{static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8),
                                 static_cast<uint8_t>(c), 255});
    }
  }
  return bmp;
}

bool WritePngFile(const std::string& name, const PngImage& image, std::string* error) {
  std::optional<std::string> data = EncodePng(image, error);
  if (!data) return false;
  HANDLE file = CreateFileW(Wide(name).c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    SetError(error, "Cannot write the PNG file");
    return false;
  }
  DWORD written = 0;
  const bool ok = WriteFile(file, data->data(), static_cast<DWORD>(data->size()), &written, nullptr) &&
                  written == data->size();
  if (!CloseHandle(file) || !ok) {
    SetError(error, "Cannot write the PNG file");
    return false;
  }
  return true;
}

}  // namespace pictara
