// Pictures on Win32 through the system's imaging component (WIC): decoding picture-file bytes into
// 32-bit pixels, and writing a window as it is on screen into a PNG file.
#include "platform/win32/internal/win32_parts.h"

#include <wincodec.h>  // after <windows.h>, which the parts' header brings

#include <climits>

namespace vorenn::platform::win32 {
namespace {

// Pictures beyond these are refused rather than allocated: the largest a BMP header can say, and
// a quarter of a gigabyte of pixels.
constexpr UINT kMaxSide = 0x7FFF;
constexpr uint64_t kMaxBytes = 256ull << 20;

template <class T>
class Com {
 public:
  Com() = default;
  ~Com() {
    if (p_ != nullptr) p_->Release();
  }
  Com(const Com&) = delete;
  Com& operator=(const Com&) = delete;
  T** operator&() { return &p_; }
  T* operator->() const { return p_; }
  T* get() const { return p_; }

 private:
  T* p_ = nullptr;
};

// COM for the length of one call, on whatever thread calls: the engine initialises it for the
// user-interface thread at start-up, and then this only counts up and down.
class ComScope {
 public:
  ComScope() : mine_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComScope() {
    if (mine_) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool mine_;
};

bool MakeFactory(Com<IWICImagingFactory>& factory) {
  return SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                    reinterpret_cast<void**>(&factory)));
}

bool IsPictureFormat(const GUID& format) {
  return IsEqualGUID(format, GUID_ContainerFormatBmp) || IsEqualGUID(format, GUID_ContainerFormatPng) ||
         IsEqualGUID(format, GUID_ContainerFormatGif) || IsEqualGUID(format, GUID_ContainerFormatJpeg);
}

PictureRef Decode(IWICImagingFactory& factory, std::span<const uint8_t> data) {
  Com<IWICStream> stream;
  if (FAILED(factory.CreateStream(&stream)) ||
      FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(data.data()), DWORD(data.size()))))
    return nullptr;
  Com<IWICBitmapDecoder> decoder;
  if (FAILED(factory.CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand, &decoder)))
    return nullptr;
  GUID format{};
  if (FAILED(decoder->GetContainerFormat(&format)) || !IsPictureFormat(format)) return nullptr;
  Com<IWICBitmapFrameDecode> frame;
  UINT width = 0, height = 0;
  if (FAILED(decoder->GetFrame(0, &frame)) || FAILED(frame->GetSize(&width, &height))) return nullptr;
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide || uint64_t(width) * height * 4 > kMaxBytes)
    return nullptr;
  Com<IWICFormatConverter> pixels;
  if (FAILED(factory.CreateFormatConverter(&pixels)) ||
      FAILED(pixels->Initialize(frame.get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                WICBitmapPaletteTypeCustom)))
    return nullptr;
  std::vector<uint32_t> bits(size_t(width) * height);
  if (FAILED(pixels->CopyPixels(nullptr, width * 4, UINT(bits.size() * 4), reinterpret_cast<BYTE*>(bits.data()))))
    return nullptr;
  return std::make_shared<GdiPicture>(int(width), int(height), std::move(bits));
}

// Rows of 24-bit pixels, each row padded to four bytes.
bool WritePng(IWICImagingFactory& factory, const std::wstring& path, int width, int height, const uint32_t* pixels) {
  UINT stride = (UINT(width) * 3 + 3) & ~3u;
  std::vector<BYTE> rows(size_t(stride) * UINT(height));
  for (int y = 0; y < height; ++y) {
    BYTE* out = rows.data() + size_t(y) * stride;
    for (int x = 0; x < width; ++x) {
      uint32_t p = pixels[size_t(y) * UINT(width) + UINT(x)];
      out[x * 3] = BYTE(p);
      out[x * 3 + 1] = BYTE(p >> 8);
      out[x * 3 + 2] = BYTE(p >> 16);
    }
  }
  bool opened = false;
  bool ok = [&] {
    Com<IWICStream> stream;
    Com<IWICBitmapEncoder> encoder;
    Com<IWICBitmapFrameEncode> frame;
    Com<IPropertyBag2> options;
    if (FAILED(factory.CreateStream(&stream)) || FAILED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)))
      return false;
    opened = true;
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    return SUCCEEDED(factory.CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
           SUCCEEDED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)) &&
           SUCCEEDED(encoder->CreateNewFrame(&frame, &options)) && SUCCEEDED(frame->Initialize(options.get())) &&
           SUCCEEDED(frame->SetSize(UINT(width), UINT(height))) && SUCCEEDED(frame->SetPixelFormat(&format)) &&
           IsEqualGUID(format, GUID_WICPixelFormat24bppBGR) &&
           SUCCEEDED(frame->WritePixels(UINT(height), stride, UINT(rows.size()), rows.data())) &&
           SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
  }();
  // A file begun and not finished is no picture.
  if (!ok && opened) DeleteFileW(path.c_str());
  return ok;
}

}  // namespace

PictureRef DecodePicture(std::span<const uint8_t> data) {
  if (data.empty() || data.size() > size_t(INT32_MAX)) return nullptr;
  ComScope com;
  Com<IWICImagingFactory> factory;
  if (!MakeFactory(factory)) return nullptr;
  return Decode(*factory.get(), data);
}

bool SaveWindowPicture(HWND window, const std::string& path) {
  RECT r{};
  if (window == nullptr || !IsWindow(window) || IsIconic(window) || path.empty() || !GetWindowRect(window, &r))
    return false;
  int width = r.right - r.left, height = r.bottom - r.top;
  if (width <= 0 || height <= 0) return false;
  HDC source = GetWindowDC(window);
  if (source == nullptr) return false;
  bool copied = false;
  Bitmap32 copy(source, width, height);
  if (copy.Ok()) {
    copied = BitBlt(copy.Dc(), 0, 0, width, height, source, 0, 0, SRCCOPY | CAPTUREBLT) != 0;
    GdiFlush();
  }
  ReleaseDC(window, source);
  bool written = false;
  if (copied) {
    ComScope com;
    Com<IWICImagingFactory> factory;
    written = MakeFactory(factory) &&
              WritePng(*factory.get(), WideFromGbk(path), width, height, copy.Bits());
  }
  return written;
}

}  // namespace vorenn::platform::win32
