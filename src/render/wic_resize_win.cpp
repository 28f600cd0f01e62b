#include "render/wic_resize_win.h"

#include "platform/window_win.h"
#include "render/raster.h"

namespace pictara {

wic::ComPtr<IWICBitmapSource> WicScale(IWICImagingFactory* factory, IWICBitmapSource* image, int32_t width,
                                       int32_t height, TWicResizeMode mode) {
  wic::ComPtr<IWICBitmapScaler> scaler;
  if (width <= 0 || height <= 0 || FAILED(factory->CreateBitmapScaler(scaler.Put())) ||
      FAILED(scaler->Initialize(image, static_cast<UINT>(width), static_cast<UINT>(height),
                                static_cast<WICBitmapInterpolationMode>(WicInterpolationMode(mode)))))
    throw ImageError("The image cannot be scaled");
  wic::ComPtr<IWICBitmapSource> result;
  scaler->QueryInterface(IID_IWICBitmapSource, reinterpret_cast<void**>(result.Put()));
  if (!result) throw ImageError("The image cannot be scaled");
  return result;
}

Bitmap LoadResourceBitmap(HMODULE module, const std::string& name, int32_t width, int32_t height,
                          TWicResizeMode mode) {
  const std::wstring wideName = Wide(name);
  const wchar_t* resName = wideName.c_str();
  HRSRC info = FindResourceW(module, resName, MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  HGLOBAL handle = info ? LoadResource(module, info) : nullptr;
  const void* data = handle ? LockResource(handle) : nullptr;
  const DWORD size = info ? SizeofResource(module, info) : 0;
  if (!data || size == 0) throw ImageError("Resource " + name + " not found");

  wic::ComScope com;
  wic::ComPtr<IWICImagingFactory> factory = wic::CreateFactory();
  wic::ComPtr<IWICStream> stream;
  wic::ComPtr<IWICBitmapDecoder> decoder;
  wic::ComPtr<IWICBitmapFrameDecode> frame;
  UINT w = 0, h = 0;
  WICPixelFormatGUID format{};
  if (!factory || FAILED(factory->CreateStream(stream.Put())) ||
      FAILED(stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(data)), size)) ||
      FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                              decoder.Put())) ||
      FAILED(decoder->GetFrame(0, frame.Put())) || FAILED(frame->GetSize(&w, &h)) ||
      FAILED(frame->GetPixelFormat(&format)))
    throw ImageError("Resource " + name + " is not an image");

  wic::ComPtr<IWICBitmapSource> source;
  frame->QueryInterface(IID_IWICBitmapSource, reinterpret_cast<void**>(source.Put()));
  if (static_cast<int32_t>(w) != width || static_cast<int32_t>(h) != height)
    source = WicScale(factory.Get(), source.Get(), width, height, mode);

  // Formats with an alpha channel come out 32-bit, the others 24-bit.
  wic::ComPtr<IWICComponentInfo> component;
  wic::ComPtr<IWICPixelFormatInfo2> formatInfo;
  BOOL hasAlpha = TRUE;
  if (SUCCEEDED(factory->CreateComponentInfo(format, component.Put())) &&
      SUCCEEDED(component->QueryInterface(IID_IWICPixelFormatInfo2, reinterpret_cast<void**>(formatInfo.Put()))))
    formatInfo->SupportsTransparency(&hasAlpha);
  const PixelFormat pixelFormat = hasAlpha ? PixelFormat::pf32bit : PixelFormat::pf24bit;
  const GUID& target = hasAlpha ? GUID_WICPixelFormat32bppBGRA : GUID_WICPixelFormat24bppBGR;

  wic::ComPtr<IWICFormatConverter> converter;
  Bitmap bmp;
  if (FAILED(factory->CreateFormatConverter(converter.Put())) ||
      FAILED(converter->Initialize(source.Get(), target, WICBitmapDitherTypeNone, nullptr, 0,
                                   WICBitmapPaletteTypeCustom)) ||
      !bmp.SetSize(width, height, pixelFormat) ||
      FAILED(converter->CopyPixels(nullptr, static_cast<UINT>(bmp.Stride()), static_cast<UINT>(bmp.bits.size()),
                                   bmp.bits.data())))
    throw ImageError("Resource " + name + " cannot be decoded");
  bmp.alphaFormat = AlphaFormat::afIgnored;
  return bmp;
}

Bitmap LoadResourceBitmap(const std::string& name, int32_t width, int32_t height, TWicResizeMode mode) {
  return LoadResourceBitmap(PluginModule(), name, width, height, mode);
}

}  // namespace pictara
