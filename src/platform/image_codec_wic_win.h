// Windows Imaging Component plumbing shared by the codec and the scalers (Windows only).
#pragma once

#include <windows.h>
#include <wincodec.h>

#include <utility>

namespace pictara::wic {

// A reference-counted COM pointer; releases on every path.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& o) noexcept {
    if (this != &o) {
      Reset();
      p_ = std::exchange(o.p_, nullptr);
    }
    return *this;
  }
  ~ComPtr() { Reset(); }
  void Reset() {
    if (p_) std::exchange(p_, nullptr)->Release();
  }
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  T** Put() {
    Reset();
    return &p_;
  }
  explicit operator bool() const { return p_ != nullptr; }
  // Takes one more reference on `p`.
  static ComPtr From(T* p) {
    ComPtr r;
    r.p_ = p;
    if (p) p->AddRef();
    return r;
  }

 private:
  T* p_ = nullptr;
};

// COM for the current thread while alive. The host may already have set up COM on its GUI thread,
// in any apartment; then this neither changes nor undoes it.
class ComScope {
 public:
  ComScope() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  HRESULT hr_;
};

// A new imaging factory (null on failure). Call inside a ComScope.
ComPtr<IWICImagingFactory> CreateFactory();

}  // namespace pictara::wic
