// Tests: the product library as the program loads it, from the program
// directory by its file name, with its thirteen functions looked up by name.
#pragma once

#include "product_rsl.h"
#include "program_library.h"

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

class ProductLibrary : public qvtest::ProgramLibraryTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(Load("PRODUCT.RSL"));
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
    if (module_ != nullptr && f_.Unregister != nullptr) f_.Unregister();
    ProgramLibraryTest::TearDown();
  }

  ProductFunctions f_;
};
