// The product library, the resource module and the product's web pages.
#include "product_binding.h"

#include "app_globals.h"
#include "app_start.h"
#include "qv_ui.h"

namespace {

template <typename F>
bool Bind(HMODULE module, const char* name, F* out) {
  *out = reinterpret_cast<F>(GetProcAddress(module, name));
  return *out != nullptr;
}

void ShowStartError(const char* text) { MessageBoxA(nullptr, text, kErrorCaption, MB_OK | MB_ICONERROR); }

}  // namespace

extern "C" BOOL CALLBACK CountResLangProc(HMODULE, LPCSTR, LPCSTR, WORD, LONG_PTR counter) {
  ++*reinterpret_cast<short*>(counter);
  return TRUE;
}

bool BindProductLibrary() {
  g_app.productModule = LoadLibraryA(kProductLibraryName);
  HMODULE m = g_app.productModule;
  ProductFunctions& prd = g_app.prd;
  bool complete = m != nullptr;
  if (complete) {
    // Every function is looked up; the first eleven must all be there.
    complete &= Bind(m, "PRD_GetResourceID", &prd.GetResourceID);
    complete &= Bind(m, "PRD_DestroySplash", &prd.DestroySplash);
    complete &= Bind(m, "PRD_CreateSplash", &prd.CreateSplash);
    complete &= Bind(m, "PRD_GetSplashTextWnd", &prd.GetSplashTextWnd);
    complete &= Bind(m, "PRD_Register", &prd.Register);
    complete &= Bind(m, "PRD_Unregister", &prd.Unregister);
    complete &= Bind(m, "PRD_ShowAboutBox", &prd.ShowAboutBox);
    complete &= Bind(m, "PRD_GetTitleAndVersion", &prd.GetTitleAndVersion);
    complete &= Bind(m, "PRD_CreateBigBtnToolbar", &prd.CreateBigBtnToolbar);
    complete &= Bind(m, "PRD_DestroyBigBtnToolbar", &prd.DestroyBigBtnToolbar);
    complete &= Bind(m, "PRD_GetWebPage", &prd.GetWebPage);
    Bind(m, "PRD_GetSNMPOid", &prd.GetSNMPOid);
    Bind(m, "PRD_GetProductRegKey", &prd.GetProductRegKey);
  }
  if (!complete) ShowStartError(kMissingProductText);
  return complete;
}

void RegisterWithProductLibrary(LANGID language) {
  if (g_app.prd.GetSNMPOid != nullptr) g_app.prd.GetSNMPOid(g_snmpOid);
  g_snmpOid[kSnmpOidSize] = '\0';
  g_app.prd.Register(language, language);
  QVUI_Register(language);
}

int CountMainMenuLanguages(HMODULE module) {
  short count = 0;
  EnumResourceLanguagesA(module, RT_MENU, MAKEINTRESOURCEA(kMainPanelTemplate), CountResLangProc,
                         reinterpret_cast<LONG_PTR>(&count));
  return count;
}

bool BindResourceModule(const char* languageName) {
  if (lstrcmpiA(languageName, "ENGLISH") == 0 && CountMainMenuLanguages(g_app.instance) > 0) {
    g_app.resourceModule = g_app.instance;
    return true;
  }
  HMODULE base = LoadLibraryA(kBaseLibraryName);
  if (base == nullptr) {
    ShowStartError(kMissingBaseText);
    return false;
  }
  g_app.resourceModule = base;
  return true;
}

const char* GetProductWebPage(HINSTANCE instance, int page, char* text) {
  if (g_app.prd.GetWebPage == nullptr) return nullptr;
  return g_app.prd.GetWebPage(QVUI_ReadRuntimeLanguage(), QVUI_GetWebPageProductIndex(instance, page, text), page);
}
