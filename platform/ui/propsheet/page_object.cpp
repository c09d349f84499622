// Page objects: CreatePropertySheetPageA and DestroyPropertySheetPage, and
// what a page's record says about its template and title.
#include <cstring>
#include <mutex>
#include <unordered_set>

#include "qvplatform/dlgtemplate.h"
#include "ui/last_error.h"
#include "ui/propsheet/sheet.h"

namespace qvp::ui::sheet {
namespace {

// No record is larger; a bigger dwSize is a caller's mistake, not data.
constexpr DWORD kMaxRecordSize = 64 * 1024;

struct Pages {
  std::mutex lock;
  std::unordered_set<PageObject*> live;
};

Pages& All() {
  static Pages* p = new Pages;
  return *p;
}

std::string ResourceText(HINSTANCE instance, LPCSTR text) {
  if (!text) return {};
  if (!IS_INTRESOURCE(text)) return text;
  char buf[512] = {};
  LoadStringA(instance, static_cast<UINT>(reinterpret_cast<ULONG_PTR>(text)), buf, sizeof(buf));
  return buf;
}

// Reads the page's template in place; false when it has none or it is malformed.
bool OpenTemplate(PROPSHEETPAGEA* r, qvp::DialogTemplateReader* t, const void** block) {
  if (r->dwFlags & PSP_DLGINDIRECT) {
    if (!r->pResource || !t->OpenUnsized(r->pResource)) return false;
    *block = r->pResource;
    return true;
  }
  qvp::ResourceBytes bytes = qvp::FindDialogTemplate(r->hInstance, r->pszTemplate);
  if (!bytes || !t->Open(bytes.data, bytes.size)) return false;
  *block = bytes.data;
  return true;
}

}  // namespace

PageObject* LivePage(HPROPSHEETPAGE page) {
  auto* p = reinterpret_cast<PageObject*>(page);
  Pages& all = All();
  std::lock_guard<std::mutex> g(all.lock);
  return all.live.count(p) ? p : nullptr;
}

bool ClaimPage(HPROPSHEETPAGE page) {
  auto* p = reinterpret_cast<PageObject*>(page);
  Pages& all = All();
  std::lock_guard<std::mutex> g(all.lock);
  if (!all.live.count(p) || p->in_sheet) return false;
  p->in_sheet = true;
  return true;
}

void UnclaimPage(HPROPSHEETPAGE page) {
  auto* p = reinterpret_cast<PageObject*>(page);
  Pages& all = All();
  std::lock_guard<std::mutex> g(all.lock);
  if (all.live.count(p)) p->in_sheet = false;
}

void FreeSheetPage(HPROPSHEETPAGE page) {
  auto* p = reinterpret_cast<PageObject*>(page);
  {
    Pages& all = All();
    std::lock_guard<std::mutex> g(all.lock);
    if (!all.live.count(p)) return;
    p->in_sheet = false;
  }
  DestroyPropertySheetPage(page);
}

std::string PageTitle(PageObject* page) {
  PROPSHEETPAGEA* r = page->record();
  if (r->dwFlags & PSP_USETITLE) return ResourceText(r->hInstance, r->pszTitle);
  qvp::DialogTemplateReader t;
  const void* block = nullptr;
  if (!OpenTemplate(r, &t, &block)) return {};
  const qvp::TemplateRef& caption = t.header().caption;
  return caption.kind == qvp::RefKind::kText ? std::string(caption.text) : std::string();
}

std::vector<uint8_t> PageTemplate(PageObject* page) {
  qvp::DialogTemplateReader t;
  const void* block = nullptr;
  if (!OpenTemplate(page->record(), &t, &block)) return {};
  const auto* bytes = static_cast<const uint8_t*>(block);
  return std::vector<uint8_t>(bytes, bytes + t.size());
}

UINT PageTemplateId(PageObject* page) {
  PROPSHEETPAGEA* r = page->record();
  if ((r->dwFlags & PSP_DLGINDIRECT) || !IS_INTRESOURCE(r->pszTemplate)) return 0;
  return static_cast<UINT>(reinterpret_cast<ULONG_PTR>(r->pszTemplate));
}

}  // namespace qvp::ui::sheet

using namespace qvp::ui::sheet;

HPROPSHEETPAGE WINAPI CreatePropertySheetPageA(LPCPROPSHEETPAGEA constPropSheetPagePointer) {
  const PROPSHEETPAGEA* in = constPropSheetPagePointer;
  if (!in || in->dwSize < PROPSHEETPAGEA_V1_SIZE || in->dwSize > kMaxRecordSize) {
    qvp::ui::SetError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if ((in->dwFlags & PSP_DLGINDIRECT) ? !in->pResource : !in->pszTemplate) {
    qvp::ui::SetError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto* page = new PageObject;
  page->storage.resize((in->dwSize + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t));
  std::memcpy(page->storage.data(), in, in->dwSize);
  PROPSHEETPAGEA* r = page->record();
  if ((r->dwFlags & PSP_USEREFPARENT) && r->pcRefParent) ++*r->pcRefParent;
  Pages& all = All();
  std::lock_guard<std::mutex> g(all.lock);
  all.live.insert(page);
  return reinterpret_cast<HPROPSHEETPAGE>(page);
}

BOOL WINAPI DestroyPropertySheetPage(HPROPSHEETPAGE hPropPage) {
  auto* page = reinterpret_cast<PageObject*>(hPropPage);
  {
    Pages& all = All();
    std::lock_guard<std::mutex> g(all.lock);
    // A page that belongs to a sheet goes with the sheet; destroying it
    // earlier would leave the sheet holding a freed record.
    if (!all.live.count(page) || page->in_sheet) {
      qvp::ui::SetError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    all.live.erase(page);
  }
  PROPSHEETPAGEA* r = page->record();
  if ((r->dwFlags & PSP_USECALLBACK) && r->pfnCallback) r->pfnCallback(nullptr, PSPCB_RELEASE, r);
  if ((r->dwFlags & PSP_USEREFPARENT) && r->pcRefParent) --*r->pcRefParent;
  delete page;
  return TRUE;
}
