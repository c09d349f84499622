// Print jobs: each page's text and fills, as the context's paint log holds
// them, become a page of a PDF drawn by cairo with real fonts.
#include "gdi/print_doc.h"

#include <cairo-pdf.h>
#include <cairo.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <sys/stat.h>

#include "gdi/dc.h"
#include "gdi/print_cups.h"
#include "gdi/raster_text_faces.h"

namespace {

struct Job {
  std::string name;
  std::string output;
  ABORTPROC abort = nullptr;
  cairo_surface_t* pdf = nullptr;
  cairo_t* cr = nullptr;
  std::string bytes;  // the PDF as cairo writes it
  bool inPage = false;
  int pages = 0;
};

struct Printer {
  SIZE page{};
  int dpi = 96;
  std::string name;  // kFilePrinter or a spooler destination
  int copies = 1;
  ABORTPROC abort = nullptr;
  Job* job = nullptr;
};

std::mutex g_lock;
std::map<HDC, Printer>& PrinterTable() {
  static auto* printers = new std::map<HDC, Printer>;
  return *printers;
}
int g_nextJob = 1;
thread_local std::string t_lastFile;
thread_local std::string t_lastBytes;

Printer* Find(HDC hdc) {
  auto& printers = PrinterTable();
  auto it = printers.find(hdc);
  if (it == printers.end()) return nullptr;
  // A context deleted since: its handle is no printer's any more.
  if (GetObjectType(hdc) != OBJ_MEMDC) {
    delete it->second.job;
    printers.erase(it);
    return nullptr;
  }
  return &it->second;
}

cairo_status_t Collect(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

std::string Utf8OfAnsi(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    char32_t u = c < 0x80 ? c : qvp::gdi::raster::UnicodeOfAnsi(c);
    if (u == 0) u = '?';
    if (u < 0x80) {
      out.push_back(static_cast<char>(u));
    } else if (u < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (u >> 6)));
      out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (u >> 12)));
      out.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    }
  }
  return out;
}

void SetColor(cairo_t* cr, DWORD c) {
  cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
}

// Draws the page's records (device pixels) in points.
void DrawPage(HDC hdc, Job& job, const SIZE& page, int dpi) {
  const double scale = 72.0 / dpi;
  cairo_t* cr = job.cr;
  const qvp::PaintLog log = qvp::GetDCPaintLog(hdc);
  for (const qvp::PaintRecord& r : log.records) {
    if (r.kind == qvp::PaintKind::kFill) {
      // A fill of the whole page is the page's white.
      if (r.rect.left <= 0 && r.rect.top <= 0 && r.rect.right >= page.cx && r.rect.bottom >= page.cy) continue;
      SetColor(cr, r.color);
      cairo_rectangle(cr, r.rect.left * scale, r.rect.top * scale, (r.rect.right - r.rect.left) * scale,
                      (r.rect.bottom - r.rect.top) * scale);
      cairo_fill(cr);
      continue;
    }
    if (r.kind != qvp::PaintKind::kText || r.text.empty()) continue;
    LOGFONTA lf{};
    std::strncpy(lf.lfFaceName, r.face.c_str(), LF_FACESIZE - 1);
    lf.lfHeight = r.font_height;
    lf.lfWeight = r.weight;
    lf.lfItalic = r.italic ? 1 : 0;
    std::string family;
    {
      std::lock_guard<std::mutex> fonts(qvp::gdi::raster::FontLock());
      family = qvp::gdi::raster::ResolvedFamily(lf);
    }
    if (family.empty()) family = "sans-serif";
    cairo_select_font_face(cr, family.c_str(), r.italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                           r.weight >= 600 ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    // lfHeight < 0 is the em size; > 0 the cell height, of which the em is about 7/8.
    const double em = r.font_height < 0 ? -r.font_height : (r.font_height > 0 ? r.font_height * 0.875 : 16);
    cairo_set_font_size(cr, em * scale);
    cairo_font_extents_t fe;
    cairo_font_extents(cr, &fe);
    SetColor(cr, r.color);
    cairo_move_to(cr, r.rect.left * scale, r.rect.top * scale + fe.ascent);
    cairo_show_text(cr, Utf8OfAnsi(r.text).c_str());
    if (r.underline) {
      cairo_set_line_width(cr, std::max(0.5, em * scale / 14));
      cairo_move_to(cr, r.rect.left * scale, r.rect.top * scale + fe.ascent + 1.5);
      cairo_line_to(cr, r.rect.right * scale, r.rect.top * scale + fe.ascent + 1.5);
      cairo_stroke(cr);
    }
  }
}

std::string SafeName(const std::string& name) {
  std::string out;
  for (unsigned char c : name) out.push_back(c < 0x20 || c == '/' || c == '\\' || c == 0x7F ? '_' : static_cast<char>(c));
  if (out.empty() || out == "." || out == "..") out = "Document";
  return out;
}

// Writes the bytes into a new file "<name> N.pdf" of the print folder; the path, or empty.
std::string WriteNew(const std::string& name, const std::string& bytes) {
  std::string folder;
  const char* env = std::getenv("QV_PRINT_DIR");
  if (env != nullptr && *env != '\0') {
    folder = env;
  } else {
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') return {};
    folder = std::string(home) + "/PDF";
    mkdir(folder.c_str(), 0700);
  }
  for (int n = 1; n < 100000; ++n) {
    const std::string path = folder + "/" + SafeName(name) + " " + std::to_string(n) + ".pdf";
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return {};
    }
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t w = write(fd, bytes.data() + done, bytes.size() - done);
      if (w <= 0) {
        if (w < 0 && errno == EINTR) continue;
        close(fd);
        unlink(path.c_str());
        return {};
      }
      done += static_cast<size_t>(w);
    }
    if (close(fd) != 0) {
      unlink(path.c_str());
      return {};
    }
    return path;
  }
  return {};
}

void Drop(Printer& p) {
  if (p.job == nullptr) return;
  if (p.job->cr != nullptr) cairo_destroy(p.job->cr);
  if (p.job->pdf != nullptr) cairo_surface_destroy(p.job->pdf);
  delete p.job;
  p.job = nullptr;
}

bool AskAbortProc(HDC hdc, ABORTPROC proc) { return proc == nullptr || proc(hdc, 0) != FALSE; }

}  // namespace

namespace qvp::gdi {

void RegisterPrinterDC(HDC dc, SIZE page, int dpi, const std::string& printer, int copies) {
  UseRealFontMetrics(dc);
  std::lock_guard<std::mutex> g(g_lock);
  Printer& p = PrinterTable()[dc];
  Drop(p);
  p = Printer{};
  p.page = page;
  p.dpi = dpi > 0 ? dpi : 96;
  p.name = printer.empty() ? std::string(kFilePrinter) : printer;
  p.copies = std::clamp(copies, 1, 9999);
}

const std::string& LastDocumentBytes() { return t_lastBytes; }

bool PrinterDeviceCaps(HDC hdc, int index, int* value) {
  std::lock_guard<std::mutex> g(g_lock);
  Printer* p = Find(hdc);
  if (p == nullptr) return false;
  switch (index) {
    case TECHNOLOGY: *value = DT_RASPRINTER; return true;
    case HORZRES: *value = p->page.cx; return true;
    case VERTRES: *value = p->page.cy; return true;
    case PHYSICALWIDTH: *value = p->page.cx; return true;
    case PHYSICALHEIGHT: *value = p->page.cy; return true;
    case PHYSICALOFFSETX:
    case PHYSICALOFFSETY: *value = 0; return true;
    case LOGPIXELSX:
    case LOGPIXELSY: *value = p->dpi; return true;
    default: return false;
  }
}

}  // namespace qvp::gdi

int WINAPI StartDocA(HDC hdc, const DOCINFOA* di) {
  std::lock_guard<std::mutex> g(g_lock);
  Printer* p = Find(hdc);
  if (p == nullptr || p->job != nullptr || di == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return SP_ERROR;
  }
  auto* job = new Job;
  job->name = di->lpszDocName != nullptr ? di->lpszDocName : "Document";
  job->output = di->lpszOutput != nullptr ? di->lpszOutput : "";
  const double scale = 72.0 / p->dpi;
  job->pdf = cairo_pdf_surface_create_for_stream(Collect, &job->bytes, p->page.cx * scale, p->page.cy * scale);
  job->cr = cairo_create(job->pdf);
  p->job = job;
  if (cairo_status(job->cr) != CAIRO_STATUS_SUCCESS) {
    Drop(*p);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return SP_ERROR;
  }
  cairo_pdf_surface_set_metadata(job->pdf, CAIRO_PDF_METADATA_TITLE, job->name.c_str());
  return g_nextJob++;
}

int WINAPI SetAbortProc(HDC hdc, ABORTPROC proc) {
  std::lock_guard<std::mutex> g(g_lock);
  Printer* p = Find(hdc);
  if (p == nullptr) return SP_ERROR;
  p->abort = proc;
  return 1;
}

int WINAPI StartPage(HDC hdc) {
  ABORTPROC proc = nullptr;
  {
    std::lock_guard<std::mutex> g(g_lock);
    Printer* p = Find(hdc);
    if (p == nullptr || p->job == nullptr || p->job->inPage) return SP_ERROR;
    proc = p->abort;
  }
  if (!AskAbortProc(hdc, proc)) {
    AbortDoc(hdc);
    return SP_ERROR;
  }
  std::lock_guard<std::mutex> g(g_lock);
  Printer* p = Find(hdc);
  if (p == nullptr || p->job == nullptr) return SP_ERROR;
  qvp::ClearDCPaintLog(hdc);
  p->job->inPage = true;
  return 1;
}

int WINAPI EndPage(HDC hdc) {
  ABORTPROC proc = nullptr;
  {
    std::lock_guard<std::mutex> g(g_lock);
    Printer* p = Find(hdc);
    if (p == nullptr || p->job == nullptr || !p->job->inPage) return SP_ERROR;
    DrawPage(hdc, *p->job, p->page, p->dpi);
    cairo_show_page(p->job->cr);
    p->job->inPage = false;
    ++p->job->pages;
    qvp::ClearDCPaintLog(hdc);
    proc = p->abort;
  }
  // The abort procedure runs the caller's messages: no lock while it does.
  if (!AskAbortProc(hdc, proc)) {
    AbortDoc(hdc);
    return SP_ERROR;
  }
  return 1;
}

int WINAPI AbortDoc(HDC hdc) {
  std::lock_guard<std::mutex> g(g_lock);
  Printer* p = Find(hdc);
  if (p == nullptr || p->job == nullptr) return SP_ERROR;
  Drop(*p);
  // The document ended without being written or submitted.
  t_lastFile.clear();
  t_lastBytes.clear();
  return 1;
}

int WINAPI EndDoc(HDC hdc) {
  std::unique_lock<std::mutex> g(g_lock);
  Printer* p = Find(hdc);
  if (p == nullptr || p->job == nullptr) return SP_ERROR;
  Job& job = *p->job;
  if (job.inPage) {
    DrawPage(hdc, job, p->page, p->dpi);
    cairo_show_page(job.cr);
    ++job.pages;
  }
  cairo_destroy(job.cr);
  job.cr = nullptr;
  cairo_surface_finish(job.pdf);
  const bool drawn = cairo_surface_status(job.pdf) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(job.pdf);
  job.pdf = nullptr;
  const bool empty = job.pages == 0;
  const std::string name = job.name;
  const std::string output = job.output;
  const std::string printer = p->name;
  const int copies = p->copies;
  std::string bytes;
  if (drawn) bytes.swap(job.bytes);
  Drop(*p);
  // The file and the spooler may take a while: other printers' jobs go on meanwhile.
  g.unlock();
  t_lastFile.clear();
  t_lastBytes.clear();
  if (empty) return 1;
  bool done = false;
  if (!bytes.empty()) {
    if (!output.empty()) {
      const int fd = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
      if (fd >= 0) {
        const ssize_t w = write(fd, bytes.data(), bytes.size());
        if (close(fd) == 0 && w == static_cast<ssize_t>(bytes.size())) t_lastFile = output;
      }
      done = !t_lastFile.empty();
    } else if (printer == qvp::gdi::kFilePrinter) {
      t_lastFile = WriteNew(name, bytes);
      done = !t_lastFile.empty();
    } else {
      done = qvp::gdi::SubmitToSpooler(printer, name, copies, bytes);
    }
  }
  if (!done) {
    SetLastError(ERROR_WRITE_FAULT);
    return SP_ERROR;
  }
  t_lastBytes.swap(bytes);
  return 1;
}

namespace qvp {
const char* LastPrintedFile() { return t_lastFile.c_str(); }
}  // namespace qvp
