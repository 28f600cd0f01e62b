// Reading back what a window shows, and saving it as PNG.
#include <wincodec.h>

#include "testbed/testbed.h"

namespace pictara::testbed {

namespace {

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { if (p_) p_->Release(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T** Out() { return &p_; }
  T* operator->() const { return p_; }
  T* Get() const { return p_; }

 private:
  T* p_ = nullptr;
};

}  // namespace

Screenshot CaptureWindow(HWND window, bool repaintFirst) {
  Screenshot shot;
  if (!window || !IsWindow(window)) return shot;
  if (repaintFirst) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessages();
  }
  RECT r{};
  GetClientRect(window, &r);
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return shot;

  HDC source = GetDC(window);
  HDC memory = CreateCompatibleDC(source);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;  // top row first
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(memory, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (dib && bits) {
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, w, h, source, 0, 0, SRCCOPY);
    GdiFlush();
    shot.width = w;
    shot.height = h;
    const auto* px = static_cast<const uint32_t*>(bits);
    shot.pixels.assign(px, px + static_cast<size_t>(w) * h);
    for (uint32_t& p : shot.pixels) p &= 0x00FFFFFF;
    SelectObject(memory, old);
  }
  if (dib) DeleteObject(dib);
  DeleteDC(memory);
  ReleaseDC(window, source);
  return shot;
}

Screenshot WaitForPixels(HWND window, const std::function<bool(const Screenshot&)>& ready, int limitMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    PumpMessages();
    Screenshot shot = CaptureWindow(window, /*repaintFirst=*/false);
    if ((!shot.pixels.empty() && ready(shot)) || static_cast<int>(GetTickCount() - start) >= limitMs) return shot;
    PumpMessages(25);
  }
}

bool SavePng(const Screenshot& shot, const std::wstring& path) {
  if (shot.width <= 0 || shot.height <= 0) return false;
  HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  bool ok = false;
  {
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    // 24-bit rows: every PNG encoder takes them, and the screen has no alpha to keep.
    const UINT stride = static_cast<UINT>(shot.width) * 3;
    std::vector<BYTE> rows(static_cast<size_t>(stride) * shot.height);
    for (int y = 0; y < shot.height; ++y)
      for (int x = 0; x < shot.width; ++x) {
        uint32_t p = shot.Pixel(x, y);
        BYTE* d = &rows[static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 3];
        d[0] = p & 0xFF;
        d[1] = (p >> 8) & 0xFF;
        d[2] = (p >> 16) & 0xFF;
      }
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    ok = SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                    reinterpret_cast<void**>(factory.Out()))) &&
         SUCCEEDED(factory->CreateStream(stream.Out())) &&
         SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
         SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Out())) &&
         SUCCEEDED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) &&
         SUCCEEDED(encoder->CreateNewFrame(frame.Out(), nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
         SUCCEEDED(frame->SetSize(static_cast<UINT>(shot.width), static_cast<UINT>(shot.height))) &&
         SUCCEEDED(frame->SetPixelFormat(&format)) && IsEqualGUID(format, GUID_WICPixelFormat24bppBGR) &&
         SUCCEEDED(frame->WritePixels(static_cast<UINT>(shot.height), stride, static_cast<UINT>(rows.size()), rows.data())) &&
         SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
  }
  if (SUCCEEDED(init)) CoUninitialize();
  return ok;
}

}  // namespace pictara::testbed
