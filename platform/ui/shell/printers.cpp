// The printers of the print dialog and what it hands out for them.
#include "ui/shell/printers.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <utility>

#include "gdi/print_cups.h"
#include "gdi/print_doc.h"
#include "ui/shell/commdlg_common.h"

namespace qvp::ui::commdlg {

namespace {

constexpr char kDriver[] = "winspool";
constexpr char kPort[] = "PDF:";

struct PrinterState {
  std::mutex lock;
  bool chosen = false;  // names set by SetPrinters, instead of the spooler's
  std::vector<std::string> names;
  // Stand-in contexts and the page bitmaps selected into them.
  std::vector<std::pair<HDC, HBITMAP>> pages;
};

PrinterState& State() {
  static auto* s = new PrinterState;
  return *s;
}

// Page bitmaps whose context is gone (or no longer holds them) are deleted.
void ReclaimPagesLocked(PrinterState& s) {
  auto gone = [](const std::pair<HDC, HBITMAP>& p) {
    if (GetObjectType(p.first) == OBJ_MEMDC && GetCurrentObject(p.first, OBJ_BITMAP) == p.second) return false;
    DeleteObject(p.second);
    return true;
  };
  s.pages.erase(std::remove_if(s.pages.begin(), s.pages.end(), gone), s.pages.end());
}

// The resolution the settings ask for; a page bitmap stays of a sane size.
int DpiOf(const DEVMODEA& mode) {
  const int asked = mode.dmPrintQuality > 0 ? mode.dmPrintQuality : mode.dmYResolution;
  return asked > 0 ? std::clamp(asked, 72, 600) : 300;
}

// The page in pixels at the settings' resolution.
SIZE PageSize(const DEVMODEA& mode) {
  const int dpi_x = DpiOf(mode);
  const int dpi_y = dpi_x;
  // Tenths of a millimetre: letter 2159 x 2794, A4 2100 x 2970.
  int width = mode.dmPaperSize == DMPAPER_A4 ? 2100 : 2159;
  int height = mode.dmPaperSize == DMPAPER_A4 ? 2970 : 2794;
  if (mode.dmOrientation == DMORIENT_LANDSCAPE) std::swap(width, height);
  return SIZE{MulDiv(width, dpi_x, 254), MulDiv(height, dpi_y, 254)};
}

}  // namespace

std::vector<std::string> PrinterList() {
  PrinterState& s = State();
  {
    std::lock_guard<std::mutex> g(s.lock);
    if (s.chosen) return s.names;
  }
  std::vector<std::string> names = qvp::gdi::SpoolerDestinations();
  names.emplace_back(qvp::gdi::kFilePrinter);
  return names;
}

bool KnownPrinter(const std::string& name) {
  std::vector<std::string> names = PrinterList();
  return std::find(names.begin(), names.end(), name) != names.end();
}

DEVMODEA DefaultDevMode(const std::string& printer) {
  DEVMODEA mode{};
  std::memcpy(mode.dmDeviceName, printer.data(), std::min<size_t>(printer.size(), CCHDEVICENAME - 1));
  mode.dmSpecVersion = DM_SPECVERSION;
  mode.dmSize = sizeof(DEVMODEA);
  mode.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES | DM_COLLATE | DM_PRINTQUALITY | DM_COLOR;
  mode.dmOrientation = DMORIENT_PORTRAIT;
  mode.dmPaperSize = DMPAPER_LETTER;
  mode.dmCopies = 1;
  mode.dmCollate = DMCOLLATE_FALSE;
  mode.dmPrintQuality = 300;
  mode.dmYResolution = 300;
  mode.dmColor = DMCOLOR_COLOR;
  return mode;
}

std::string DeviceOfDevMode(HGLOBAL devmode) {
  if (!devmode || GlobalSize(devmode) < sizeof(DEVMODEA)) return {};
  const auto* mode = static_cast<const DEVMODEA*>(GlobalLock(devmode));
  if (!mode) return {};
  std::string name = BoundedText(reinterpret_cast<const char*>(mode->dmDeviceName), CCHDEVICENAME);
  GlobalUnlock(devmode);
  return name;
}

DEVMODEA DevModeFrom(HGLOBAL block, const std::string& printer) {
  if (DeviceOfDevMode(block) != printer) return DefaultDevMode(printer);
  DEVMODEA mode{};
  std::memcpy(&mode, GlobalLock(block), sizeof mode);
  GlobalUnlock(block);
  mode.dmSize = sizeof(DEVMODEA);
  mode.dmDriverExtra = 0;
  return mode;
}

std::string DeviceOf(HGLOBAL devnames) {
  if (!devnames) return {};
  const size_t size = GlobalSize(devnames);
  const auto* bytes = static_cast<const char*>(GlobalLock(devnames));
  if (!bytes) return {};
  std::string name;
  if (size > sizeof(DEVNAMES)) {
    DEVNAMES header;
    std::memcpy(&header, bytes, sizeof header);
    if (header.wDeviceOffset >= sizeof(DEVNAMES) && header.wDeviceOffset < size)
      name = BoundedText(bytes + header.wDeviceOffset, size - header.wDeviceOffset);
  }
  GlobalUnlock(devnames);
  return name;
}

HGLOBAL NewDevMode(const DEVMODEA& mode) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DEVMODEA));
  if (!block) return nullptr;
  std::memcpy(GlobalLock(block), &mode, sizeof mode);
  GlobalUnlock(block);
  return block;
}

HGLOBAL NewDevNames(const std::string& printer, bool is_default) {
  const size_t driver = sizeof(DEVNAMES);
  const size_t device = driver + sizeof kDriver;
  const size_t port = device + printer.size() + 1;
  const size_t total = port + sizeof kPort;
  if (total > 0xFFFF) return nullptr;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, total);
  if (!block) return nullptr;
  auto* bytes = static_cast<char*>(GlobalLock(block));
  DEVNAMES header{static_cast<WORD>(driver), static_cast<WORD>(device), static_cast<WORD>(port),
                  static_cast<WORD>(is_default ? DN_DEFAULTPRN : 0)};
  std::memcpy(bytes, &header, sizeof header);
  std::memcpy(bytes + driver, kDriver, sizeof kDriver);
  std::memcpy(bytes + device, printer.c_str(), printer.size() + 1);
  std::memcpy(bytes + port, kPort, sizeof kPort);
  GlobalUnlock(block);
  return block;
}

HDC NewPrinterDC(const std::string& printer, const DEVMODEA& mode, bool information_only) {
  HDC dc = information_only ? CreateICA(kDriver, printer.c_str(), kPort, &mode)
                            : CreateDCA(kDriver, printer.c_str(), kPort, &mode);
  if (dc) return dc;
  PrinterState& s = State();
  std::lock_guard<std::mutex> g(s.lock);
  ReclaimPagesLocked(s);
  HDC memory = CreateCompatibleDC(nullptr);
  SIZE page = PageSize(mode);
  if (memory) qvp::gdi::RegisterPrinterDC(memory, page, DpiOf(mode), printer, mode.dmCopies);
  if (!memory || information_only) return memory;
  // A bitmap of the screen's format, so that colours survive.
  HDC screen = CreateICA("DISPLAY", nullptr, nullptr, nullptr);
  HBITMAP bitmap = screen ? CreateCompatibleBitmap(screen, page.cx, page.cy) : nullptr;
  if (screen) DeleteDC(screen);
  if (!bitmap) {
    DeleteDC(memory);
    return nullptr;
  }
  SelectObject(memory, bitmap);
  s.pages.emplace_back(memory, bitmap);
  return memory;
}

}  // namespace qvp::ui::commdlg

namespace qvp {

void SetPrinters(std::vector<std::string> names) {
  auto& s = ui::commdlg::State();
  std::lock_guard<std::mutex> g(s.lock);
  s.chosen = true;
  s.names = std::move(names);
}

void UseSpoolerPrinters() {
  auto& s = ui::commdlg::State();
  std::lock_guard<std::mutex> g(s.lock);
  s.chosen = false;
  s.names.clear();
}

std::vector<std::string> Printers() { return ui::commdlg::PrinterList(); }

}  // namespace qvp
