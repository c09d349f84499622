// Reading and clearing paint logs.
#include "gdi/dc.h"
#include "gdi/window_dc.h"

namespace qvp {
namespace gdi {
std::shared_ptr<PaintTarget> FindTarget(HWND hwnd);
}  // namespace gdi

using namespace gdi;

std::vector<PaintRecord> PaintLog::Texts() const {
  std::vector<PaintRecord> out;
  for (const PaintRecord& r : records)
    if (r.kind == PaintKind::kText) out.push_back(r);
  return out;
}

const PaintRecord* PaintLog::FindText(std::string_view text) const {
  for (const PaintRecord& r : records)
    if (r.kind == PaintKind::kText && r.text == text) return &r;
  return nullptr;
}

std::string PaintLog::JoinedText() const {
  std::string out;
  for (const PaintRecord& r : records) {
    if (r.kind != PaintKind::kText) continue;
    if (!out.empty()) out += '\n';
    out += r.text;
  }
  return out;
}

PaintLog GetWindowPaintLog(HWND hwnd) {
  Guard g(Lock());
  std::shared_ptr<PaintTarget> t = FindTarget(hwnd);
  return t ? t->log : PaintLog{};
}

void ClearWindowPaintLog(HWND hwnd) {
  Guard g(Lock());
  std::shared_ptr<PaintTarget> t = FindTarget(hwnd);
  if (t) t->log.records.clear();
}

PaintLog GetDCPaintLog(HDC hdc) {
  Guard g(Lock());
  std::shared_ptr<DcObj> dc = LookupDC(hdc);
  PaintLog* log = dc ? dc->log() : nullptr;
  return log ? *log : PaintLog{};
}

void ClearDCPaintLog(HDC hdc) {
  Guard g(Lock());
  std::shared_ptr<DcObj> dc = LookupDC(hdc);
  PaintLog* log = dc ? dc->log() : nullptr;
  if (log) log->records.clear();
}

}  // namespace qvp
