// The picture worker: one thread that decodes the pictures memos ask for,
// each file once for every memo showing it, straight down to the sizes the
// memos need, and hands back bitmaps of the memos' sizes.
#include "look/picture_worker.h"

#include <objbase.h>
#include <shlwapi.h>
#include <wincodec.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/jpeg_reduced.h"
#include "look/gdip.h"
#include "look/look.h"

namespace dz {

namespace {

constexpr wchar_t kWorkerClass[] = L"DerezizPictures";
constexpr UINT kDecodedMessage = WM_APP + 0x4B2;
constexpr UINT_PTR kStartTimer = 1;
// Rows converted and shrunk at a time: a strip of a 65535-pixel-wide
// picture stays below 17 MB.
constexpr UINT kStripRows = 64;
// The largest JPEG read whole into memory; a larger one (a panorama at the
// highest quality) is left to the imaging components, which read it in parts.
constexpr LONGLONG kMaxJpegBytes = 256ll << 20;

// The interface through which a decoder scales while it decodes (a JPEG
// decoder reads an eighth of the picture for an eighth of the size). Not
// every SDK's headers declare it; its identifier is fixed.
struct SourceTransform : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE CopyPixels(const WICRect* rect, UINT width, UINT height,
                                               WICPixelFormatGUID* format, WICBitmapTransformOptions transform,
                                               UINT stride, UINT bytes, BYTE* buffer) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetClosestSize(UINT* width, UINT* height) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetClosestPixelFormat(WICPixelFormatGUID* format) = 0;
  virtual HRESULT STDMETHODCALLTYPE DoesSupportTransform(WICBitmapTransformOptions transform, BOOL* supported) = 0;
};
constexpr IID kIidSourceTransform = {0x3B16811B, 0x6A43, 0x4ec9, {0xB7, 0x13, 0x3D, 0x5A, 0x0C, 0x13, 0xB9, 0x40}};

template <typename T>
struct ComPtr {
  T* p = nullptr;
  ComPtr() = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() {
    if (p) p->Release();
  }
  T** put() { return &p; }
  T* operator->() const { return p; }
  explicit operator bool() const { return p != nullptr; }
};

struct Worker {
  std::mutex lock;
  std::condition_variable wake;
  std::deque<PictureRequest> queue;
  bool started = false;  // the windows' thread has no paint left
  bool stopping = false;
  HANDLE thread = nullptr;
  HWND window = nullptr;
};
Worker& TheWorker() {
  static Worker w;
  return w;
}

bool Stopping() {
  Worker& w = TheWorker();
  std::lock_guard<std::mutex> hold(w.lock);
  return w.stopping;
}

// A top-down 32-bit bitmap of size, all white, and its pixels.
OwnedBitmap WhiteBitmap(PictureSize size, void** bits) {
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = static_cast<LONG>(size.width);
  bi.bmiHeader.biHeight = -static_cast<LONG>(size.height);
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  OwnedBitmap b(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, bits, nullptr, 0));
  if (b) std::fill_n(static_cast<uint32_t*>(*bits), static_cast<size_t>(size.width) * size.height, 0xFFFFFFFFu);
  return b;
}

// image (width x height) stretched over a new bitmap of target: an
// enlargement smoothed, a reduction averaged, the same size copied.
OwnedBitmap StretchedBitmap(Gdiplus::GpImage* image, PictureSize source, PictureSize target) {
  void* bits = nullptr;
  OwnedBitmap out = WhiteBitmap(target, &bits);
  if (!out) return nullptr;
  Gdiplus::GpBitmap* rawCanvas = nullptr;
  if (gdip::GdipCreateBitmapFromScan0(static_cast<INT>(target.width), static_cast<INT>(target.height),
                                      static_cast<INT>(target.width * 4), PixelFormat32bppRGB,
                                      static_cast<BYTE*>(bits), &rawCanvas) != Gdiplus::Ok)
    return nullptr;
  GdipBitmap canvas(rawCanvas);
  Gdiplus::GpGraphics* rawG = nullptr;
  if (gdip::GdipGetImageGraphicsContext(canvas.get(), &rawG) != Gdiplus::Ok) return nullptr;
  GdipGraphics g(rawG);
  const bool same = source == target;
  const bool enlarged = target.width > source.width || target.height > source.height;
  gdip::GdipSetInterpolationMode(g.get(), same       ? Gdiplus::InterpolationModeNearestNeighbor
                                          : enlarged ? Gdiplus::InterpolationModeHighQualityBilinear
                                                     : Gdiplus::InterpolationModeHighQualityBicubic);
  const bool drawn = DrawStretchedImage(g.get(), image, source.width, source.height,
                                        static_cast<INT>(target.width), static_cast<INT>(target.height));
  g.reset();
  canvas.reset();
  GdiFlush();
  return drawn ? std::move(out) : nullptr;
}

// Premultiplied pixels of size as a bitmap of target, enlarged smoothly
// where the memo is larger than the picture.
OwnedBitmap BitmapFromPixels(const std::vector<uint32_t>& pixels, PictureSize size, PictureSize target) {
  void* bits = nullptr;
  OwnedBitmap out = WhiteBitmap(target, &bits);
  if (!out) return nullptr;
  const std::vector<uint32_t> stretched = size == target ? pixels : StretchSmooth(pixels, size, target);
  uint32_t* dst = static_cast<uint32_t*>(bits);
  for (size_t i = 0; i < stretched.size(); ++i) dst[i] = OverWhite(stretched[i]);
  return out;
}

struct Group {
  PictureKey key;
  std::vector<PictureRequest> requests;
};

void Answer(const PictureRequest& request, PictureOutcome outcome, OwnedBitmap bitmap) {
  auto result = std::make_unique<PictureResult>();
  result->request = request;
  result->outcome = outcome;
  result->bitmap = std::move(bitmap);
  HWND window = TheWorker().window;
  if (PostMessageW(window, kDecodedMessage, 0, reinterpret_cast<LPARAM>(result.get()))) result.release();
}

// The distinct memo sizes of a group, each once.
std::vector<PictureSize> Targets(const Group& group) {
  std::vector<PictureSize> sizes;
  for (const PictureRequest& r : group.requests)
    if (std::find(sizes.begin(), sizes.end(), r.target) == sizes.end()) sizes.push_back(r.target);
  return sizes;
}

// The largest size any memo of the group needs the picture at.
PictureSize LargestDecode(PictureSize source, const std::vector<PictureSize>& targets) {
  PictureSize largest{1, 1};
  for (const PictureSize& t : targets) {
    const PictureSize d = DecodeSize(source, t);
    largest = PictureSize{std::max(largest.width, d.width), std::max(largest.height, d.height)};
  }
  return largest;
}

// Appends what f holds from its current position up to `want` bytes in all.
bool ReadUpTo(HANDLE f, size_t want, std::string* bytes) {
  while (bytes->size() < want) {
    const size_t had = bytes->size();
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(want - had, 1u << 24));
    bytes->resize(had + chunk);
    DWORD got = 0;
    const BOOL read = ReadFile(f, &(*bytes)[had], chunk, &got, nullptr);
    bytes->resize(had + got);
    if (!read) return false;
    if (got == 0) break;
  }
  return true;
}

// Reads a JPEG whole into `file` when this program reads it at an eighth
// and the eighth is as large as every memo needs it. A file is read whole
// and let go at once rather than mapped: a mapped view would keep others
// from shortening or replacing it.
bool ReadJpegForAnEighth(HANDLE f, const std::vector<PictureSize>& targets, std::string* file) {
  LARGE_INTEGER length{};
  if (!GetFileSizeEx(f, &length) || length.QuadPart > kMaxJpegBytes) return false;
  const size_t all = static_cast<size_t>(length.QuadPart);
  if (!ReadUpTo(f, std::min(all, size_t{64} << 10), file)) return false;
  std::optional<PictureSize> source = HandledJpegSize(*file);
  // Long metadata can put the frame header further on.
  const DeclaredPicture declared = DeclaredSize(*file);
  if (!source && declared.format == PictureFormat::kJpeg && !declared.size) {
    if (!ReadUpTo(f, std::min(all, kPictureHeadBytes), file)) return false;
    source = HandledJpegSize(*file);
  }
  if (!source) return false;
  const PictureSize eighth = EighthSize(*source), largest = LargestDecode(*source, targets);
  return eighth.width >= largest.width && eighth.height >= largest.height && ReadUpTo(f, all, file);
}

// The imaging components here decode every JPEG at full size, a quarter of
// a second for a camera's photo; at an eighth it is the entropy-coded data
// walked once. False leaves the file to them.
bool DecodeJpegAtAnEighth(const std::wstring& path, const std::vector<PictureSize>& targets,
                          std::vector<std::vector<uint32_t>>* out, std::vector<PictureSize>* sizes) {
  // Read without keeping others from writing, as the imaging components do.
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  std::vector<uint32_t> pixels;
  PictureSize size;
  {
    std::string file;
    const bool read = ReadJpegForAnEighth(f, targets, &file);
    CloseHandle(f);
    if (!read || !DecodeJpegEighth(file, &pixels, &size)) return false;
  }
  for (const PictureSize& t : targets) {
    PictureShrinker s(size, t);
    for (UINT y = 0; y < size.height; ++y) s.AddRow(&pixels[static_cast<size_t>(y) * size.width]);
    sizes->push_back(s.size());
    out->push_back(s.pixels());
  }
  return true;
}

// Decodes through the imaging components: scaled while decoding where the
// decoder can, else converted a strip of rows at a time and shrunk to every
// size asked for in the same pass. One reduced picture per size in `out`.
bool DecodeWithWic(IWICImagingFactory* factory, const std::wstring& path, const std::vector<PictureSize>& targets,
                   std::vector<std::vector<uint32_t>>* out, std::vector<PictureSize>* sizes) {
  // Read without keeping others from writing: a sync service or the user
  // may replace the file while it is decoded, and the next paint sees it.
  ComPtr<IStream> stream;
  ComPtr<IWICBitmapDecoder> decoder;
  if (FAILED(SHCreateStreamOnFileEx(path.c_str(), STGM_READ | STGM_SHARE_DENY_NONE, FILE_ATTRIBUTE_NORMAL, FALSE,
                                    nullptr, stream.put())) ||
      FAILED(factory->CreateDecoderFromStream(stream.p, nullptr, WICDecodeMetadataCacheOnDemand, decoder.put())))
    return false;
  ComPtr<IWICBitmapFrameDecode> frame;
  UINT w = 0, h = 0;
  if (FAILED(decoder->GetFrame(0, frame.put())) || FAILED(frame->GetSize(&w, &h))) return false;
  const PictureSize source{w, h};
  // A format whose header was not read, or a frame larger than its header said.
  if (!WithinPictureLimit(source)) return false;
  const PictureSize largest = LargestDecode(source, targets);
  // Scaled while decoding: to the closest size the decoder offers that is
  // not smaller than the largest asked for.
  ComPtr<SourceTransform> transform;
  PictureSize from = source;
  std::vector<uint32_t> reduced;
  if (largest != source && SUCCEEDED(frame->QueryInterface(kIidSourceTransform, reinterpret_cast<void**>(transform.put())))) {
    UINT cw = largest.width, ch = largest.height;
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppPBGRA;
    if (SUCCEEDED(transform->GetClosestSize(&cw, &ch)) && cw >= largest.width && ch >= largest.height &&
        cw < source.width && SUCCEEDED(transform->GetClosestPixelFormat(&format)) &&
        IsEqualGUID(format, GUID_WICPixelFormat32bppPBGRA)) {
      reduced.resize(static_cast<size_t>(cw) * ch);
      if (SUCCEEDED(transform->CopyPixels(nullptr, cw, ch, &format, WICBitmapTransformRotate0, cw * 4,
                                          static_cast<UINT>(reduced.size() * 4),
                                          reinterpret_cast<BYTE*>(reduced.data()))))
        from = PictureSize{cw, ch};
      else
        reduced.clear();
    }
  }
  std::vector<PictureShrinker> shrinkers;
  for (const PictureSize& t : targets) shrinkers.emplace_back(from, t);
  if (from != source) {
    for (UINT y = 0; y < from.height; ++y)
      for (PictureShrinker& s : shrinkers) s.AddRow(&reduced[static_cast<size_t>(y) * from.width]);
  } else {
    ComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(converter.put())) ||
        FAILED(converter->Initialize(frame.p, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0,
                                     WICBitmapPaletteTypeCustom)))
      return false;
    std::vector<uint32_t> strip(static_cast<size_t>(source.width) * kStripRows);
    for (UINT y = 0; y < source.height; y += kStripRows) {
      if (Stopping()) return false;
      const UINT rows = std::min(kStripRows, source.height - y);
      const WICRect rect{0, static_cast<INT>(y), static_cast<INT>(source.width), static_cast<INT>(rows)};
      if (FAILED(converter->CopyPixels(&rect, source.width * 4, source.width * 4 * rows,
                                       reinterpret_cast<BYTE*>(strip.data()))))
        return false;
      for (UINT r = 0; r < rows; ++r)
        for (PictureShrinker& s : shrinkers) s.AddRow(&strip[static_cast<size_t>(r) * source.width]);
    }
  }
  for (PictureShrinker& s : shrinkers) {
    sizes->push_back(s.size());
    out->push_back(s.pixels());
  }
  return true;
}

void DecodeGroup(IWICImagingFactory* factory, const Group& group) {
  const PictureVerdict verdict = JudgePictureFile(group.key.path);
  if (verdict != PictureVerdict::kDecode) {
    const PictureOutcome outcome =
        verdict == PictureVerdict::kTooLarge ? PictureOutcome::kTooLarge : PictureOutcome::kUnreadable;
    for (const PictureRequest& r : group.requests) Answer(r, outcome, nullptr);
    return;
  }
  const std::vector<PictureSize> targets = Targets(group);
  std::vector<std::vector<uint32_t>> reduced;
  std::vector<PictureSize> sizes;
  if (DecodeJpegAtAnEighth(group.key.path, targets, &reduced, &sizes) ||
      (factory && DecodeWithWic(factory, group.key.path, targets, &reduced, &sizes))) {
    for (const PictureRequest& r : group.requests) {
      const size_t i = static_cast<size_t>(std::find(targets.begin(), targets.end(), r.target) - targets.begin());
      OwnedBitmap b = BitmapFromPixels(reduced[i], sizes[i], r.target);
      const PictureOutcome outcome = b ? PictureOutcome::kReady : PictureOutcome::kUnreadable;
      Answer(r, outcome, std::move(b));
    }
    return;
  }
  if (Stopping()) return;
  // What the imaging components do not read (metafiles, icons here and
  // there) GDI+ may: it decodes the whole picture, once for the group.
  Gdiplus::GpImage* raw = nullptr;
  GdipImage image;
  UINT w = 0, h = 0;
  if (gdip::GdipLoadImageFromFile(group.key.path.c_str(), &raw) == Gdiplus::Ok) image.reset(raw);
  const bool loaded = image && gdip::GdipGetImageWidth(image.get(), &w) == Gdiplus::Ok &&
                      gdip::GdipGetImageHeight(image.get(), &h) == Gdiplus::Ok && w > 0 && h > 0;
  for (const PictureRequest& r : group.requests) {
    OwnedBitmap b = loaded ? StretchedBitmap(image.get(), PictureSize{w, h}, r.target) : nullptr;
    const PictureOutcome outcome = b ? PictureOutcome::kReady : PictureOutcome::kUnreadable;
    Answer(r, outcome, std::move(b));
  }
}

DWORD WINAPI WorkerMain(void*) {
  const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
  IWICImagingFactory* factory = nullptr;
  if (com && FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                     reinterpret_cast<void**>(&factory))))
    factory = nullptr;
  Worker& w = TheWorker();
  for (;;) {
    std::deque<PictureRequest> batch;
    {
      std::unique_lock<std::mutex> hold(w.lock);
      w.wake.wait(hold, [&] { return w.stopping || (w.started && !w.queue.empty()); });
      if (w.stopping) break;
      batch.swap(w.queue);
      w.started = false;
    }
    std::vector<Group> groups;
    for (const PictureRequest& r : batch) {
      auto g = std::find_if(groups.begin(), groups.end(), [&](const Group& x) { return SameDecode(x.key, r.key); });
      if (g == groups.end()) {
        groups.push_back(Group{r.key, {}});
        g = groups.end() - 1;
      }
      g->requests.push_back(r);
    }
    for (const Group& g : groups) {
      if (Stopping()) break;
      DecodeGroup(factory, g);
    }
  }
  if (factory) factory->Release();
  if (com) CoUninitialize();
  return 0;
}

LRESULT CALLBACK WorkerWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_TIMER && wParam == kStartTimer) {
    // Timers come only when no paint is waiting: every memo that was to
    // paint has asked for its picture by now.
    KillTimer(hwnd, kStartTimer);
    Worker& w = TheWorker();
    {
      std::lock_guard<std::mutex> hold(w.lock);
      w.started = true;
    }
    w.wake.notify_one();
    return 0;
  }
  if (msg == kDecodedMessage) {
    OnPictureDecoded(std::unique_ptr<PictureResult>(reinterpret_cast<PictureResult*>(lParam)));
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

bool EnsureWorker() {
  Worker& w = TheWorker();
  if (w.thread) return true;
  if (!w.window) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WorkerWndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kWorkerClass;
    RegisterClassExW(&wc);
    w.window = CreateWindowExW(0, kWorkerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    if (!w.window) return false;
  }
  w.thread = CreateThread(nullptr, 0, WorkerMain, nullptr, 0, nullptr);
  // Decoding gives way to the windows, the tray and anything else the user
  // is doing: pictures are what can wait.
  if (w.thread) SetThreadPriority(w.thread, THREAD_PRIORITY_BELOW_NORMAL);
  return w.thread != nullptr;
}

}  // namespace

PictureVerdict JudgePictureFile(const std::wstring& path) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (f == INVALID_HANDLE_VALUE) return PictureVerdict::kUnreadable;
  // Most headers name the size within the first few kilobytes; only a JPEG
  // with long metadata needs more.
  std::string head;
  DeclaredPicture declared;
  bool read = true;
  for (size_t want : {size_t{64} << 10, kPictureHeadBytes}) {
    const size_t had = head.size();
    head.resize(want);
    DWORD got = 0;
    read = ReadFile(f, &head[had], static_cast<DWORD>(want - had), &got, nullptr) != FALSE;
    head.resize(had + got);
    declared = DeclaredSize(head);
    if (!read || got < want - had || declared.format != PictureFormat::kJpeg || declared.size) break;
  }
  CloseHandle(f);
  if (!read) return PictureVerdict::kUnreadable;
  return JudgePicture(declared);
}

void RequestPicture(const PictureRequest& request) {
  Worker& w = TheWorker();
  if (!EnsureWorker()) {
    auto result = std::make_unique<PictureResult>();
    result->request = request;
    OnPictureDecoded(std::move(result));
    return;
  }
  {
    std::lock_guard<std::mutex> hold(w.lock);
    w.queue.erase(std::remove_if(w.queue.begin(), w.queue.end(),
                                 [&](const PictureRequest& q) { return q.memo == request.memo; }),
                  w.queue.end());
    w.queue.push_back(request);
  }
  SetTimer(w.window, kStartTimer, USER_TIMER_MINIMUM, nullptr);
}

bool StopPictureWorker() {
  Worker& w = TheWorker();
  if (!w.thread) return true;
  {
    std::lock_guard<std::mutex> hold(w.lock);
    w.stopping = true;
  }
  w.wake.notify_one();
  // A decode under way stops at its next strip of rows; one decoder call
  // can take seconds on a large picture.
  const bool ended = WaitForSingleObject(w.thread, 15000) == WAIT_OBJECT_0;
  if (ended) {
    CloseHandle(w.thread);
    w.thread = nullptr;
  }
  if (w.window) {
    // Answers that were never taken.
    MSG msg;
    while (PeekMessageW(&msg, w.window, kDecodedMessage, kDecodedMessage, PM_REMOVE))
      delete reinterpret_cast<PictureResult*>(msg.lParam);
    DestroyWindow(w.window);
    w.window = nullptr;
  }
  return ended;
}

}  // namespace dz
