// Tests: the product library as the program loads it, from the program
// directory by its file name, with its thirteen functions looked up by name.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "product_rsl.h"
#include "qvplatform.h"

inline std::string DistPath(const char* file) {
  std::string path = std::string(QV_DIST_DIR) + "/" + file;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

struct ProductFunctions {
  PFN_PRD_GetResourceID GetResourceID = nullptr;
  PFN_PRD_DestroySplash DestroySplash = nullptr;
  PFN_PRD_CreateSplash CreateSplash = nullptr;
  PFN_PRD_GetSplashTextWnd GetSplashTextWnd = nullptr;
  PFN_PRD_Register Register = nullptr;
  PFN_PRD_Unregister Unregister = nullptr;
  PFN_PRD_ShowAboutBox ShowAboutBox = nullptr;
  PFN_PRD_GetTitleAndVersion GetTitleAndVersion = nullptr;
  PFN_PRD_CreateBigBtnToolbar CreateBigBtnToolbar = nullptr;
  PFN_PRD_DestroyBigBtnToolbar DestroyBigBtnToolbar = nullptr;
  PFN_PRD_GetWebPage GetWebPage = nullptr;
  PFN_PRD_GetSNMPOid GetSNMPOid = nullptr;
  PFN_PRD_GetProductRegKey GetProductRegKey = nullptr;
};

class ProductLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryA(DistPath("PRODUCT.RSL").c_str());
    ASSERT_NE(module_, nullptr) << GetLastError();
    Bind(&f_.GetResourceID, "PRD_GetResourceID");
    Bind(&f_.DestroySplash, "PRD_DestroySplash");
    Bind(&f_.CreateSplash, "PRD_CreateSplash");
    Bind(&f_.GetSplashTextWnd, "PRD_GetSplashTextWnd");
    Bind(&f_.Register, "PRD_Register");
    Bind(&f_.Unregister, "PRD_Unregister");
    Bind(&f_.ShowAboutBox, "PRD_ShowAboutBox");
    Bind(&f_.GetTitleAndVersion, "PRD_GetTitleAndVersion");
    Bind(&f_.CreateBigBtnToolbar, "PRD_CreateBigBtnToolbar");
    Bind(&f_.DestroyBigBtnToolbar, "PRD_DestroyBigBtnToolbar");
    Bind(&f_.GetWebPage, "PRD_GetWebPage");
    Bind(&f_.GetSNMPOid, "PRD_GetSNMPOid");
    Bind(&f_.GetProductRegKey, "PRD_GetProductRegKey");
  }
  void TearDown() override {
    if (module_ != nullptr) {
      if (f_.Unregister != nullptr) f_.Unregister();
      FreeLibrary(module_);
    }
  }

  template <class F>
  void Bind(F* slot, const char* name) {
    *slot = reinterpret_cast<F>(GetProcAddress(module_, name));
    ASSERT_NE(*slot, nullptr) << name;
  }

  HMODULE module_ = nullptr;
  ProductFunctions f_;
};
