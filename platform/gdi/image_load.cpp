// LoadBitmapA and LoadImageA: bitmaps and icons from a module's resources, and
// bitmaps from .bmp files.
#include <cctype>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "gdi/dib.h"
#include "gdi/gdi_error.h"
#include "gdi/icon.h"
#include "qvplatform/files.h"
#include "qvplatform/resources.h"

using namespace qvp::gdi;

namespace {

// The whole of a file; false (with the last error of the failing call) when it
// cannot be read or is larger than any bitmap the layer would make.
bool ReadWholeFile(LPCSTR path, std::vector<uint8_t>* out) {
  HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD high = 0;
  DWORD size = GetFileSize(h, &high);
  bool ok = size != INVALID_FILE_SIZE || GetLastError() == NO_ERROR;
  if (ok && (high != 0 || size > kMaxSurfaceBytes + (1u << 20))) {
    SetError(ERROR_INVALID_DATA);
    ok = false;
  }
  if (ok) {
    out->resize(size);
    DWORD got = 0;
    ok = size == 0 || (ReadFile(h, out->data(), size, &got, nullptr) && got == size);
    if (ok && got != size) SetError(ERROR_INVALID_DATA);
  }
  DWORD error = GetLastError();
  CloseHandle(h);
  SetError(error);
  return ok;
}

HBITMAP BitmapFromFile(LPCSTR path, const DibLoadOptions& options) {
  std::vector<uint8_t> file;
  if (!ReadWholeFile(path, &file)) return nullptr;
  BITMAPFILEHEADER fh{};
  if (file.size() < sizeof fh) {
    SetError(ERROR_INVALID_DATA);
    return nullptr;
  }
  std::memcpy(&fh, file.data(), sizeof fh);
  // The header and colour table lie between the file header and the pixels.
  if (fh.bfType != 0x4D42 || fh.bfOffBits < sizeof fh || fh.bfOffBits > file.size()) {
    SetError(ERROR_INVALID_DATA);
    return nullptr;
  }
  const uint8_t* info = file.data() + sizeof fh;
  return BitmapFromDib(info, fh.bfOffBits - sizeof fh, file.data() + fh.bfOffBits, file.size() - fh.bfOffBits,
                       options);
}

}  // namespace

HANDLE LoadImageA(HINSTANCE hInst, LPCSTR name, UINT type, int cx, int cy, UINT fuLoad) {
  if (name == nullptr || cx < 0 || cy < 0) {
    SetError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  switch (type) {
    case IMAGE_BITMAP: {
      DibLoadOptions options;
      options.dib_section = (fuLoad & LR_CREATEDIBSECTION) != 0;
      options.monochrome = (fuLoad & LR_MONOCHROME) != 0;
      options.map_3d_colors = (fuLoad & LR_LOADMAP3DCOLORS) != 0;
      options.transparent = (fuLoad & LR_LOADTRANSPARENT) != 0;
      options.width = cx;
      options.height = cy;
      if (fuLoad & LR_LOADFROMFILE) return BitmapFromFile(name, options);
      qvp::ResourceBytes dib = qvp::FindBitmapDib(hInst, name);
      if (!dib) return nullptr;
      return BitmapFromDib(dib.data, dib.size, nullptr, 0, options);
    }
    case IMAGE_ICON: {
      if (fuLoad & LR_LOADFROMFILE) {
        SetError(ERROR_NOT_SUPPORTED);
        return nullptr;
      }
      // Without a size the standard icon size is wanted.
      qvp::ResourceBytes image = qvp::FindIconImage(hInst, name, cx > 0 ? cx : 32, cy > 0 ? cy : 32);
      if (!image) return nullptr;
      return qvp::CreateIconFromDib(image.data, image.size, true, POINT{0, 0});
    }
    default:
      SetError(ERROR_NOT_SUPPORTED);
      return nullptr;
  }
}

HBITMAP LoadBitmapA(HINSTANCE hInstance, LPCSTR lpBitmapName) {
  return static_cast<HBITMAP>(LoadImageA(hInstance, lpBitmapName, IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
}

HICON LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
  if (lpIconName == nullptr) {
    SetError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (hInstance == nullptr) {
    SetError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  // An icon is named by a number or by a text; both key the shared handles.
  const uintptr_t value = reinterpret_cast<uintptr_t>(lpIconName);
  std::string key = value <= 0xFFFF ? "#" + std::to_string(value) : std::string(lpIconName);
  for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  static std::mutex lock;
  static std::map<std::pair<HINSTANCE, std::string>, HICON> shared;
  std::lock_guard<std::mutex> hold(lock);
  const auto found = shared.find({hInstance, key});
  if (found != shared.end()) return found->second;
  const HICON icon = static_cast<HICON>(LoadImageA(hInstance, lpIconName, IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR));
  if (icon != nullptr) shared.emplace(std::make_pair(hInstance, std::move(key)), icon);
  return icon;
}
