#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "qvplatform.h"

namespace {

class Dialogs : public ::testing::Test {
 protected:
  void SetUp() override { qvp::TakeUnexpectedPrompts(); }
  void TearDown() override { qvp::UseSpoolerPrinters(); }
};

TEST_F(Dialogs, ColourFromTheScriptOrCancelled) {
  COLORREF custom[16] = {};
  CHOOSECOLORA cc{};
  cc.lStructSize = sizeof cc;
  cc.rgbResult = RGB(1, 2, 3);
  cc.lpCustColors = custom;
  cc.Flags = CC_RGBINIT | CC_FULLOPEN;
  EXPECT_FALSE(ChooseColorA(&cc));  // headless
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  EXPECT_EQ(cc.rgbResult, RGB(1, 2, 3));

  qvp::PromptScript script;
  script.Expect(qvp::ColorAnswer(RGB(255, 0, 128)));
  ASSERT_TRUE(ChooseColorA(&cc));
  EXPECT_EQ(cc.rgbResult, RGB(255, 0, 128));
  ASSERT_EQ(script.Records().size(), 1u);
  EXPECT_EQ(script.Records()[0].text, "RGB(1,2,3)");
  EXPECT_EQ(script.Records()[0].flags, static_cast<UINT>(CC_RGBINIT | CC_FULLOPEN));

  script.Expect(qvp::ColorAnswer(PALETTEINDEX(3)));  // no colour the dialog offers
  EXPECT_FALSE(ChooseColorA(&cc));
  EXPECT_EQ(qvp::TakeUnexpectedPrompts().size(), 1u);

  cc.lpCustColors = nullptr;
  EXPECT_FALSE(ChooseColorA(&cc));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_INITIALIZATION));
  cc.lStructSize = 36;  // the 32-bit size
  cc.lpCustColors = custom;
  script.Expect(qvp::CancelAnswer(qvp::PromptKind::kChooseColor));
  EXPECT_FALSE(ChooseColorA(&cc));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
}

TEST_F(Dialogs, FontFromTheScript) {
  LOGFONTA lf{};
  lf.lfHeight = -11;  // 8 points at 96 dots per inch
  std::strcpy(lf.lfFaceName, "Arial");
  CHOOSEFONTA cf{};
  cf.lStructSize = sizeof cf;
  cf.lpLogFont = &lf;
  cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
  qvp::PromptScript script;
  qvp::FontChoice courier;
  courier.face = "Courier New";
  courier.point_size_tenths = 100;
  courier.weight = FW_BOLD;
  courier.italic = true;
  script.Expect(qvp::FontAnswer(courier));
  ASSERT_TRUE(ChooseFontA(&cf));
  EXPECT_STREQ(lf.lfFaceName, "Courier New");
  EXPECT_EQ(lf.lfHeight, -13);
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  EXPECT_EQ(lf.lfItalic, 1);
  EXPECT_EQ(cf.iPointSize, 100);
  EXPECT_EQ(cf.nFontType, BOLD_FONTTYPE | ITALIC_FONTTYPE | SCREEN_FONTTYPE);
  EXPECT_EQ(script.Records()[0].text, "Arial, 8 pt");

  // What the answer leaves out stays; effects need CF_EFFECTS.
  qvp::FontChoice underlined;
  underlined.underline = true;
  script.Expect(qvp::FontAnswer(underlined, RGB(0, 0, 200)));
  EXPECT_FALSE(ChooseFontA(&cf));
  EXPECT_EQ(qvp::TakeUnexpectedPrompts().size(), 1u);
  cf.Flags |= CF_EFFECTS;
  script.Expect(qvp::FontAnswer(underlined, RGB(0, 0, 200)));
  ASSERT_TRUE(ChooseFontA(&cf));
  EXPECT_STREQ(lf.lfFaceName, "Courier New");
  EXPECT_EQ(cf.iPointSize, 100);
  EXPECT_EQ(lf.lfUnderline, 1);
  EXPECT_EQ(lf.lfWeight, 400);
  EXPECT_EQ(cf.rgbColors, RGB(0, 0, 200));
  EXPECT_EQ(cf.nFontType, REGULAR_FONTTYPE | SCREEN_FONTTYPE);

  // Sizes outside the allowed range are refused.
  cf.Flags |= CF_LIMITSIZE;
  cf.nSizeMin = 6;
  cf.nSizeMax = 9;
  script.Expect(qvp::FontAnswer(courier));
  EXPECT_FALSE(ChooseFontA(&cf));
  EXPECT_EQ(qvp::TakeUnexpectedPrompts().size(), 1u);
  courier.point_size_tenths = 90;
  script.Expect(qvp::FontAnswer(courier));
  EXPECT_TRUE(ChooseFontA(&cf));

  cf.nSizeMax = 5;
  EXPECT_FALSE(ChooseFontA(&cf));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CFERR_MAXLESSTHANMIN));
  cf.Flags = CF_INITTOLOGFONTSTRUCT;
  EXPECT_FALSE(ChooseFontA(&cf));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CFERR_NOFONTS));
  cf.Flags = CF_SCREENFONTS;
  cf.lpLogFont = nullptr;
  EXPECT_FALSE(ChooseFontA(&cf));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_INITIALIZATION));
}

std::string DeviceIn(HGLOBAL devnames, WORD* is_default) {
  const auto* bytes = static_cast<const char*>(GlobalLock(devnames));
  DEVNAMES header;
  std::memcpy(&header, bytes, sizeof header);
  std::string device = bytes + header.wDeviceOffset;
  *is_default = header.wDefault;
  GlobalUnlock(devnames);
  return device;
}

TEST_F(Dialogs, DefaultPrinterWithoutADialog) {
  PRINTDLGA pd{};
  pd.lStructSize = sizeof pd;
  pd.Flags = PD_RETURNDEFAULT | PD_RETURNIC;
  ASSERT_TRUE(PrintDlgA(&pd));
  ASSERT_NE(pd.hDevMode, nullptr);
  ASSERT_NE(pd.hDevNames, nullptr);
  ASSERT_NE(pd.hDC, nullptr);
  WORD is_default = 0;
  EXPECT_EQ(DeviceIn(pd.hDevNames, &is_default), "PDF File");
  EXPECT_EQ(is_default, DN_DEFAULTPRN);
  const auto* mode = static_cast<const DEVMODEA*>(GlobalLock(pd.hDevMode));
  EXPECT_STREQ(reinterpret_cast<const char*>(mode->dmDeviceName), "PDF File");
  EXPECT_EQ(mode->dmSize, sizeof(DEVMODEA));
  EXPECT_EQ(mode->dmCopies, 1);
  GlobalUnlock(pd.hDevMode);
  EXPECT_EQ(GetDeviceCaps(pd.hDC, LOGPIXELSY), 300);  // the settings' resolution

  // The blocks must not be there already.
  EXPECT_FALSE(PrintDlgA(&pd));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(PDERR_RETDEFFAILURE));
  DeleteDC(pd.hDC);
  GlobalFree(pd.hDevMode);
  GlobalFree(pd.hDevNames);

  qvp::SetPrinters({});
  PRINTDLGA none{};
  none.lStructSize = 66;  // the 32-bit size
  none.Flags = PD_RETURNDEFAULT;
  EXPECT_FALSE(PrintDlgA(&none));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(PDERR_NODEFAULTPRN));
  none.Flags = 0;
  EXPECT_FALSE(PrintDlgA(&none));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(PDERR_NODEVICES));
}

TEST_F(Dialogs, PrintChoiceFromTheScript) {
  qvp::SetPrinters({"PDF", "Laser"});
  PRINTDLGA pd{};
  pd.lStructSize = sizeof pd;
  pd.Flags = PD_RETURNDC | PD_NOSELECTION | PD_HIDEPRINTTOFILE;
  pd.nFromPage = 1;
  pd.nToPage = 5;
  pd.nMinPage = 1;
  pd.nMaxPage = 5;
  pd.nCopies = 1;
  EXPECT_FALSE(PrintDlgA(&pd));  // headless: cancelled
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  EXPECT_EQ(pd.hDC, nullptr);

  qvp::PromptScript script;
  qvp::PrintChoice pages;
  pages.range = PD_PAGENUMS;
  pages.from_page = 2;
  pages.to_page = 3;
  pages.copies = 2;
  script.Expect(qvp::PrintAnswer(pages, "Laser"));
  ASSERT_TRUE(PrintDlgA(&pd)) << CommDlgExtendedError();
  EXPECT_TRUE(pd.Flags & PD_PAGENUMS);
  EXPECT_EQ(pd.nFromPage, 2);
  EXPECT_EQ(pd.nToPage, 3);
  EXPECT_EQ(pd.nCopies, 2);
  WORD is_default = 1;
  EXPECT_EQ(DeviceIn(pd.hDevNames, &is_default), "Laser");
  EXPECT_EQ(is_default, 0);
  ASSERT_NE(pd.hDC, nullptr);
  // The stand-in context holds a page: letter paper at the settings' 300 dpi.
  HGDIOBJ page = GetCurrentObject(pd.hDC, OBJ_BITMAP);
  BITMAP bm{};
  ASSERT_NE(GetObjectA(page, sizeof bm, &bm), 0);
  EXPECT_EQ(bm.bmWidth, 2550);
  EXPECT_EQ(bm.bmHeight, 3300);
  EXPECT_EQ(script.Records()[0].text, "PDF");
  EXPECT_EQ(script.Records()[0].caption, "Print");

  // The next dialog starts on the printer the blocks name; copies go into the settings when asked.
  DeleteDC(pd.hDC);
  pd.hDC = nullptr;
  pd.Flags = PD_RETURNDC | PD_USEDEVMODECOPIESANDCOLLATE;
  pages.range = PD_ALLPAGES;
  pages.collate = true;
  script.Expect(qvp::PrintAnswer(pages));
  ASSERT_TRUE(PrintDlgA(&pd));
  EXPECT_EQ(script.Records()[1].text, "Laser");
  EXPECT_EQ(pd.nCopies, 1);
  EXPECT_FALSE(pd.Flags & PD_PAGENUMS);
  EXPECT_TRUE(pd.Flags & PD_COLLATE);
  const auto* mode = static_cast<const DEVMODEA*>(GlobalLock(pd.hDevMode));
  EXPECT_EQ(mode->dmCopies, 2);
  EXPECT_EQ(mode->dmCollate, DMCOLLATE_TRUE);
  GlobalUnlock(pd.hDevMode);
  // The page of a deleted context goes once the next one is made.
  EXPECT_EQ(GetObjectType(page), 0u);
  DeleteDC(pd.hDC);

  // Choices the dialog does not offer are refused.
  pd.Flags = PD_NOSELECTION | PD_HIDEPRINTTOFILE;
  qvp::PrintChoice bad = pages;
  bad.range = PD_PAGENUMS;
  bad.from_page = 4;
  bad.to_page = 9;
  script.Expect(qvp::PrintAnswer(bad));
  bad.range = PD_SELECTION;
  script.Expect(qvp::PrintAnswer(bad));
  script.Expect(qvp::PrintAnswer({}, "Plotter"));
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(PrintDlgA(&pd)) << i;
  EXPECT_EQ(qvp::TakeUnexpectedPrompts().size(), 3u);

  pd.Flags = PD_PRINTSETUP;
  script.Expect(qvp::PrintAnswer({}, "PDF"));
  ASSERT_TRUE(PrintDlgA(&pd));
  EXPECT_EQ(script.Records().back().caption, "Print Setup");
  EXPECT_EQ(DeviceIn(pd.hDevNames, &is_default), "PDF");
  GlobalFree(pd.hDevMode);
  GlobalFree(pd.hDevNames);

  pd.Flags = PD_ENABLEPRINTHOOK;
  EXPECT_FALSE(PrintDlgA(&pd));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_NOHOOK));
}

TEST_F(Dialogs, PrinterContextsMeasureAtTheirResolutionWithTheFontFiles) {
  PRINTDLGA pd{};
  pd.lStructSize = sizeof pd;
  pd.Flags = PD_RETURNDEFAULT | PD_RETURNIC;
  DEVMODEA fine = {};
  ASSERT_TRUE(PrintDlgA(&pd));
  fine = *static_cast<const DEVMODEA*>(GlobalLock(pd.hDevMode));
  GlobalUnlock(pd.hDevMode);
  DeleteDC(pd.hDC);
  GlobalFree(pd.hDevMode);
  GlobalFree(pd.hDevNames);
  fine.dmPrintQuality = 600;
  fine.dmYResolution = 600;
  // The caller's settings carry the resolution to the context the dialog makes.
  pd = PRINTDLGA{};
  pd.lStructSize = sizeof pd;
  pd.Flags = PD_RETURNIC | PD_NOSELECTION | PD_HIDEPRINTTOFILE;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof fine);
  std::memcpy(GlobalLock(block), &fine, sizeof fine);
  GlobalUnlock(block);
  pd.hDevMode = block;
  qvp::PromptScript script;
  script.Expect(qvp::PrintAnswer());
  ASSERT_TRUE(PrintDlgA(&pd));
  HDC dc = pd.hDC;
  GlobalFree(pd.hDevMode);
  GlobalFree(pd.hDevNames);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 600);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 600);
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 5100);  // 8.5 inches
  // Widths as the font file has them (Liberation Sans for Arial: W 1933/2048 em,
  // i 455/2048 em, ascender 1854/2048 em), so the lines laid out are the lines printed.
  HFONT font = CreateFontA(-100, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, VARIABLE_PITCH | FF_SWISS,
                           "Arial");
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  ASSERT_TRUE(GetTextExtentPoint32A(dc, "WWWWWWWWWW", 10, &size));
  EXPECT_EQ(size.cx, 940);
  ASSERT_TRUE(GetTextExtentPoint32A(dc, "iiiiiiiiii", 10, &size));
  EXPECT_EQ(size.cx, 220);
  TEXTMETRICA tm{};
  ASSERT_TRUE(GetTextMetricsA(dc, &tm));
  EXPECT_EQ(tm.tmAscent, 91);
  SelectObject(dc, old);
  DeleteObject(font);
  DeleteDC(dc);
}

}  // namespace
