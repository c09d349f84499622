// The GDI of the layer: device contexts, pens, brushes, fonts, bitmaps, DIB
// sections, palettes, regions and the drawing calls, headless. Every bitmap has
// a real pixel surface; window DCs draw onto a per-window surface. Everything
// drawn is also recorded in a paint log that tests read (qvplatform/gdi_paint_log.h).
#pragma once

#include "qvplatform/types.h"
#include "qvplatform/errors.h"

// ---------------------------------------------------------------------------
// Colours
typedef DWORD COLORREF;
typedef DWORD* LPCOLORREF;

#define RGB(r, g, b)                                                          \
  (static_cast<COLORREF>(static_cast<BYTE>(r) | (static_cast<DWORD>(static_cast<BYTE>(g)) << 8) | \
                         (static_cast<DWORD>(static_cast<BYTE>(b)) << 16)))
#define PALETTERGB(r, g, b) (0x02000000u | RGB(r, g, b))
#define PALETTEINDEX(i) (static_cast<COLORREF>(0x01000000u | static_cast<DWORD>(static_cast<WORD>(i))))
#define GetRValue(rgb) (static_cast<BYTE>(static_cast<DWORD>(rgb) & 0xff))
#define GetGValue(rgb) (static_cast<BYTE>((static_cast<DWORD>(rgb) >> 8) & 0xff))
#define GetBValue(rgb) (static_cast<BYTE>((static_cast<DWORD>(rgb) >> 16) & 0xff))
#define CLR_INVALID 0xFFFFFFFFu
#define GDI_ERROR 0xFFFFFFFFu
#define HGDI_ERROR (reinterpret_cast<HGDIOBJ>(static_cast<LONG_PTR>(-1)))

// ---------------------------------------------------------------------------
// Objects
#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_METADC 4
#define OBJ_PAL 5
#define OBJ_FONT 6
#define OBJ_BITMAP 7
#define OBJ_REGION 8
#define OBJ_METAFILE 9
#define OBJ_MEMDC 10
#define OBJ_EXTPEN 11
#define OBJ_ENHMETADC 12

// Stock objects
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define OEM_FIXED_FONT 10
#define ANSI_FIXED_FONT 11
#define ANSI_VAR_FONT 12
#define SYSTEM_FONT 13
#define DEVICE_DEFAULT_FONT 14
#define DEFAULT_PALETTE 15
#define SYSTEM_FIXED_FONT 16
#define DEFAULT_GUI_FONT 17

// Pens
#define PS_SOLID 0
#define PS_DASH 1
#define PS_DOT 2
#define PS_DASHDOT 3
#define PS_DASHDOTDOT 4
#define PS_NULL 5
#define PS_INSIDEFRAME 6
#define PS_STYLE_MASK 0x0000000F

struct LOGPEN {
  UINT lopnStyle;
  POINT lopnWidth;  // only x is used
  COLORREF lopnColor;
};
typedef LOGPEN* LPLOGPEN;

// Brushes
#define BS_SOLID 0
#define BS_NULL 1
#define BS_HOLLOW BS_NULL
#define BS_HATCHED 2
#define BS_PATTERN 3
#define BS_INDEXED 4
#define BS_DIBPATTERN 5
#define BS_DIBPATTERNPT 6
#define BS_PATTERN8X8 7

#define HS_HORIZONTAL 0
#define HS_VERTICAL 1
#define HS_FDIAGONAL 2
#define HS_BDIAGONAL 3
#define HS_CROSS 4
#define HS_DIAGCROSS 5

struct LOGBRUSH {
  UINT lbStyle;
  COLORREF lbColor;
  ULONG_PTR lbHatch;  // hatch style, or the HBITMAP of a pattern brush
};
typedef LOGBRUSH* LPLOGBRUSH;

// ---------------------------------------------------------------------------
// Fonts
#define LF_FACESIZE 32

#define FW_DONTCARE 0
#define FW_THIN 100
#define FW_EXTRALIGHT 200
#define FW_LIGHT 300
#define FW_NORMAL 400
#define FW_REGULAR 400
#define FW_MEDIUM 500
#define FW_SEMIBOLD 600
#define FW_BOLD 700
#define FW_EXTRABOLD 800
#define FW_HEAVY 900

#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define SYMBOL_CHARSET 2
#define OEM_CHARSET 255

#define OUT_DEFAULT_PRECIS 0
#define OUT_STRING_PRECIS 1
#define OUT_CHARACTER_PRECIS 2
#define OUT_STROKE_PRECIS 3
#define OUT_TT_PRECIS 4
#define OUT_DEVICE_PRECIS 5
#define OUT_RASTER_PRECIS 6
#define OUT_TT_ONLY_PRECIS 7
#define OUT_OUTLINE_PRECIS 8

#define CLIP_DEFAULT_PRECIS 0
#define CLIP_CHARACTER_PRECIS 1
#define CLIP_STROKE_PRECIS 2

#define DEFAULT_QUALITY 0
#define DRAFT_QUALITY 1
#define PROOF_QUALITY 2
#define NONANTIALIASED_QUALITY 3
#define ANTIALIASED_QUALITY 4

#define DEFAULT_PITCH 0
#define FIXED_PITCH 1
#define VARIABLE_PITCH 2
#define FF_DONTCARE 0x00
#define FF_ROMAN 0x10
#define FF_SWISS 0x20
#define FF_MODERN 0x30
#define FF_SCRIPT 0x40
#define FF_DECORATIVE 0x50

// In tmPitchAndFamily the low bit set means a variable-pitch font.
#define TMPF_FIXED_PITCH 0x01
#define TMPF_VECTOR 0x02
#define TMPF_TRUETYPE 0x04
#define TMPF_DEVICE 0x08

struct LOGFONTA {
  LONG lfHeight;  // < 0: character (em) height; > 0: cell height; 0: default
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  CHAR lfFaceName[LF_FACESIZE];
};
typedef LOGFONTA* LPLOGFONTA;

struct TEXTMETRICA {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  BYTE tmFirstChar;
  BYTE tmLastChar;
  BYTE tmDefaultChar;
  BYTE tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
};
typedef TEXTMETRICA* LPTEXTMETRICA;

// ---------------------------------------------------------------------------
// Bitmaps and DIBs
#define BI_RGB 0
#define BI_RLE8 1
#define BI_RLE4 2
#define BI_BITFIELDS 3
#define BI_JPEG 4
#define BI_PNG 5

#define DIB_RGB_COLORS 0
#define DIB_PAL_COLORS 1

struct BITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  LPVOID bmBits;
};
typedef BITMAP* LPBITMAP;

struct RGBQUAD {
  BYTE rgbBlue;
  BYTE rgbGreen;
  BYTE rgbRed;
  BYTE rgbReserved;
};

struct RGBTRIPLE {
  BYTE rgbtBlue;
  BYTE rgbtGreen;
  BYTE rgbtRed;
};

struct BITMAPCOREHEADER {
  DWORD bcSize;
  WORD bcWidth;
  WORD bcHeight;
  WORD bcPlanes;
  WORD bcBitCount;
};

struct BITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;  // > 0: bottom-up rows; < 0: top-down rows
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
};
typedef BITMAPINFOHEADER* LPBITMAPINFOHEADER;

struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};
typedef BITMAPINFO* LPBITMAPINFO;

#pragma pack(push, 2)
struct BITMAPFILEHEADER {
  WORD bfType;  // "BM"
  DWORD bfSize;
  WORD bfReserved1;
  WORD bfReserved2;
  DWORD bfOffBits;
};
#pragma pack(pop)

struct DIBSECTION {
  BITMAP dsBm;
  BITMAPINFOHEADER dsBmih;
  DWORD dsBitfields[3];
  HANDLE dshSection;
  DWORD dsOffset;
};

static_assert(sizeof(LOGFONTA) == 60);
static_assert(sizeof(TEXTMETRICA) == 56);
static_assert(sizeof(BITMAPINFOHEADER) == 40);
static_assert(sizeof(BITMAPCOREHEADER) == 12);
static_assert(sizeof(BITMAPFILEHEADER) == 14);
static_assert(sizeof(RGBQUAD) == 4);
static_assert(sizeof(RGBTRIPLE) == 3);

// LoadImageA
#define IMAGE_BITMAP 0
#define IMAGE_ICON 1
#define IMAGE_CURSOR 2
#define LR_DEFAULTCOLOR 0x00000000
#define LR_MONOCHROME 0x00000001
#define LR_LOADFROMFILE 0x00000010
#define LR_LOADTRANSPARENT 0x00000020
#define LR_DEFAULTSIZE 0x00000040
#define LR_VGACOLOR 0x00000080
#define LR_LOADMAP3DCOLORS 0x00001000
#define LR_CREATEDIBSECTION 0x00002000
#define LR_SHARED 0x00008000

// ---------------------------------------------------------------------------
// Palettes
struct PALETTEENTRY {
  BYTE peRed;
  BYTE peGreen;
  BYTE peBlue;
  BYTE peFlags;
};
typedef PALETTEENTRY* LPPALETTEENTRY;

struct LOGPALETTE {
  WORD palVersion;  // 0x300
  WORD palNumEntries;
  PALETTEENTRY palPalEntry[1];
};
typedef LOGPALETTE* LPLOGPALETTE;

#define PC_RESERVED 0x01
#define PC_EXPLICIT 0x02
#define PC_NOCOLLAPSE 0x04

// ---------------------------------------------------------------------------
// Regions
#define ERROR 0
#define NULLREGION 1
#define SIMPLEREGION 2
#define COMPLEXREGION 3
#define RGN_ERROR ERROR

#define RGN_AND 1
#define RGN_OR 2
#define RGN_XOR 3
#define RGN_DIFF 4
#define RGN_COPY 5

// ---------------------------------------------------------------------------
// Device context attributes
#define TRANSPARENT 1
#define OPAQUE 2

#define MM_TEXT 1
#define MM_LOMETRIC 2
#define MM_HIMETRIC 3
#define MM_LOENGLISH 4
#define MM_HIENGLISH 5
#define MM_TWIPS 6

#define BLACKONWHITE 1
#define WHITEONBLACK 2
#define COLORONCOLOR 3
#define HALFTONE 4
#define STRETCH_ANDSCANS BLACKONWHITE
#define STRETCH_ORSCANS WHITEONBLACK
#define STRETCH_DELETESCANS COLORONCOLOR
#define STRETCH_HALFTONE HALFTONE

// Mix modes (SetROP2)
#define R2_BLACK 1
#define R2_NOTMERGEPEN 2
#define R2_MASKNOTPEN 3
#define R2_NOTCOPYPEN 4
#define R2_MASKPENNOT 5
#define R2_NOT 6
#define R2_XORPEN 7
#define R2_NOTMASKPEN 8
#define R2_MASKPEN 9
#define R2_NOTXORPEN 10
#define R2_NOP 11
#define R2_MERGENOTPEN 12
#define R2_COPYPEN 13
#define R2_MERGEPENNOT 14
#define R2_MERGEPEN 15
#define R2_WHITE 16

// Raster operations
#define SRCCOPY 0x00CC0020u
#define SRCPAINT 0x00EE0086u
#define SRCAND 0x008800C6u
#define SRCINVERT 0x00660046u
#define SRCERASE 0x00440328u
#define NOTSRCCOPY 0x00330008u
#define NOTSRCERASE 0x001100A6u
#define MERGECOPY 0x00C000CAu
#define MERGEPAINT 0x00BB0226u
#define PATCOPY 0x00F00021u
#define PATPAINT 0x00FB0A09u
#define PATINVERT 0x005A0049u
#define DSTINVERT 0x00550009u
#define BLACKNESS 0x00000042u
#define WHITENESS 0x00FF0062u
#define NOMIRRORBITMAP 0x80000000u
#define CAPTUREBLT 0x40000000u

// Text alignment
#define TA_NOUPDATECP 0
#define TA_UPDATECP 1
#define TA_LEFT 0
#define TA_RIGHT 2
#define TA_CENTER 6
#define TA_TOP 0
#define TA_BOTTOM 8
#define TA_BASELINE 24
#define TA_RTLREADING 256

#define ETO_OPAQUE 0x0002
#define ETO_CLIPPED 0x0004

// DrawTextA formats
#define DT_TOP 0x00000000
#define DT_LEFT 0x00000000
#define DT_CENTER 0x00000001
#define DT_RIGHT 0x00000002
#define DT_VCENTER 0x00000004
#define DT_BOTTOM 0x00000008
#define DT_WORDBREAK 0x00000010
#define DT_SINGLELINE 0x00000020
#define DT_EXPANDTABS 0x00000040
#define DT_TABSTOP 0x00000080
#define DT_NOCLIP 0x00000100
#define DT_EXTERNALLEADING 0x00000200
#define DT_CALCRECT 0x00000400
#define DT_NOPREFIX 0x00000800
#define DT_INTERNAL 0x00001000
#define DT_EDITCONTROL 0x00002000
#define DT_PATH_ELLIPSIS 0x00004000
#define DT_END_ELLIPSIS 0x00008000
#define DT_MODIFYSTRING 0x00010000
#define DT_RTLREADING 0x00020000
#define DT_WORD_ELLIPSIS 0x00040000
#define DT_HIDEPREFIX 0x00100000
#define DT_PREFIXONLY 0x00200000

// DrawEdge
#define BDR_RAISEDOUTER 0x0001
#define BDR_SUNKENOUTER 0x0002
#define BDR_RAISEDINNER 0x0004
#define BDR_SUNKENINNER 0x0008
#define BDR_OUTER (BDR_RAISEDOUTER | BDR_SUNKENOUTER)
#define BDR_INNER (BDR_RAISEDINNER | BDR_SUNKENINNER)
#define BDR_RAISED (BDR_RAISEDOUTER | BDR_RAISEDINNER)
#define BDR_SUNKEN (BDR_SUNKENOUTER | BDR_SUNKENINNER)
#define EDGE_RAISED (BDR_RAISEDOUTER | BDR_RAISEDINNER)
#define EDGE_SUNKEN (BDR_SUNKENOUTER | BDR_SUNKENINNER)
#define EDGE_ETCHED (BDR_SUNKENOUTER | BDR_RAISEDINNER)
#define EDGE_BUMP (BDR_RAISEDOUTER | BDR_SUNKENINNER)

#define BF_LEFT 0x0001
#define BF_TOP 0x0002
#define BF_RIGHT 0x0004
#define BF_BOTTOM 0x0008
#define BF_TOPLEFT (BF_TOP | BF_LEFT)
#define BF_TOPRIGHT (BF_TOP | BF_RIGHT)
#define BF_BOTTOMLEFT (BF_BOTTOM | BF_LEFT)
#define BF_BOTTOMRIGHT (BF_BOTTOM | BF_RIGHT)
#define BF_RECT (BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM)
#define BF_DIAGONAL 0x0010
#define BF_MIDDLE 0x0800
#define BF_SOFT 0x1000
#define BF_ADJUST 0x2000
#define BF_FLAT 0x4000
#define BF_MONO 0x8000

// DrawIconEx
#define DI_MASK 0x0001
#define DI_IMAGE 0x0002
#define DI_NORMAL 0x0003
#define DI_COMPAT 0x0004
#define DI_DEFAULTSIZE 0x0008

struct ICONINFO {
  BOOL fIcon;
  DWORD xHotspot;
  DWORD yHotspot;
  HBITMAP hbmMask;   // AND mask; for a monochrome icon twice the height (AND over XOR)
  HBITMAP hbmColor;  // XOR colour image, or null for a monochrome icon
};
typedef ICONINFO* PICONINFO;

// ---------------------------------------------------------------------------
// GetDeviceCaps
#define DRIVERVERSION 0
#define TECHNOLOGY 2
#define HORZSIZE 4
#define VERTSIZE 6
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define PLANES 14
#define NUMBRUSHES 16
#define NUMPENS 18
#define NUMMARKERS 20
#define NUMFONTS 22
#define NUMCOLORS 24
#define PDEVICESIZE 26
#define CURVECAPS 28
#define LINECAPS 30
#define POLYGONALCAPS 32
#define TEXTCAPS 34
#define CLIPCAPS 36
#define RASTERCAPS 38
#define ASPECTX 40
#define ASPECTY 42
#define ASPECTXY 44
#define LOGPIXELSX 88
#define LOGPIXELSY 90
#define SIZEPALETTE 104
#define NUMRESERVED 106
#define COLORRES 108
#define PHYSICALWIDTH 110
#define PHYSICALHEIGHT 111
#define PHYSICALOFFSETX 112
#define PHYSICALOFFSETY 113
#define SCALINGFACTORX 114
#define SCALINGFACTORY 115
#define VREFRESH 116
#define DESKTOPVERTRES 117
#define DESKTOPHORZRES 118
#define BLTALIGNMENT 119

#define DT_PLOTTER 0
#define DT_RASDISPLAY 1
#define DT_RASPRINTER 2

#define RC_BITBLT 0x0001
#define RC_BANDING 0x0002
#define RC_SCALING 0x0004
#define RC_BITMAP64 0x0008
#define RC_GDI20_OUTPUT 0x0010
#define RC_DI_BITMAP 0x0080
#define RC_PALETTE 0x0100
#define RC_DIBTODEV 0x0200
#define RC_BIGFONT 0x0400
#define RC_STRETCHBLT 0x0800
#define RC_FLOODFILL 0x1000
#define RC_STRETCHDIB 0x2000

// ---------------------------------------------------------------------------
// System colours
#define COLOR_SCROLLBAR 0
#define COLOR_BACKGROUND 1
#define COLOR_DESKTOP COLOR_BACKGROUND
#define COLOR_ACTIVECAPTION 2
#define COLOR_INACTIVECAPTION 3
#define COLOR_MENU 4
#define COLOR_WINDOW 5
#define COLOR_WINDOWFRAME 6
#define COLOR_MENUTEXT 7
#define COLOR_WINDOWTEXT 8
#define COLOR_CAPTIONTEXT 9
#define COLOR_ACTIVEBORDER 10
#define COLOR_INACTIVEBORDER 11
#define COLOR_APPWORKSPACE 12
#define COLOR_HIGHLIGHT 13
#define COLOR_HIGHLIGHTTEXT 14
#define COLOR_BTNFACE 15
#define COLOR_3DFACE COLOR_BTNFACE
#define COLOR_BTNSHADOW 16
#define COLOR_3DSHADOW COLOR_BTNSHADOW
#define COLOR_GRAYTEXT 17
#define COLOR_BTNTEXT 18
#define COLOR_INACTIVECAPTIONTEXT 19
#define COLOR_BTNHIGHLIGHT 20
#define COLOR_BTNHILIGHT COLOR_BTNHIGHLIGHT
#define COLOR_3DHIGHLIGHT COLOR_BTNHIGHLIGHT
#define COLOR_3DHILIGHT COLOR_BTNHIGHLIGHT
#define COLOR_3DDKSHADOW 21
#define COLOR_3DLIGHT 22
#define COLOR_INFOTEXT 23
#define COLOR_INFOBK 24
#define COLOR_HOTLIGHT 26
#define COLOR_GRADIENTACTIVECAPTION 27
#define COLOR_GRADIENTINACTIVECAPTION 28

// ---------------------------------------------------------------------------
// Objects and device contexts
QV_API HDC CreateCompatibleDC(HDC hdc);
// "DISPLAY" only; printer device contexts are not offered yet.
QV_API HDC CreateDCA(LPCSTR pwszDriver, LPCSTR pwszDevice, LPCSTR pszPort, const void* pdm);
QV_API HDC CreateICA(LPCSTR pszDriver, LPCSTR pszDevice, LPCSTR pszPort, const void* pdm);
QV_API BOOL DeleteDC(HDC hdc);
QV_API int SaveDC(HDC hdc);
QV_API BOOL RestoreDC(HDC hdc, int nSavedDC);
QV_API int GetDeviceCaps(HDC hdc, int index);
QV_API BOOL GdiFlush(void);

QV_API HGDIOBJ GetStockObject(int i);
QV_API HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h);
QV_API BOOL DeleteObject(HGDIOBJ ho);
QV_API int GetObjectA(HANDLE h, int c, LPVOID pv);
QV_API DWORD GetObjectType(HGDIOBJ h);
QV_API HGDIOBJ GetCurrentObject(HDC hdc, UINT type);

QV_API COLORREF SetTextColor(HDC hdc, COLORREF color);
QV_API COLORREF GetTextColor(HDC hdc);
QV_API COLORREF SetBkColor(HDC hdc, COLORREF color);
QV_API COLORREF GetBkColor(HDC hdc);
QV_API int SetBkMode(HDC hdc, int mode);
QV_API int GetBkMode(HDC hdc);
QV_API int SetROP2(HDC hdc, int rop2);
QV_API int GetROP2(HDC hdc);
QV_API UINT SetTextAlign(HDC hdc, UINT align);
QV_API UINT GetTextAlign(HDC hdc);
QV_API int SetStretchBltMode(HDC hdc, int mode);
QV_API int GetStretchBltMode(HDC hdc);

// Coordinates: MM_TEXT and the fixed metric and English modes (at the DC's LOGPIXELS).
QV_API int SetMapMode(HDC hdc, int iMode);
QV_API int GetMapMode(HDC hdc);
QV_API BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt);
QV_API BOOL GetViewportOrgEx(HDC hdc, LPPOINT lppoint);
QV_API BOOL SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT lppt);
QV_API BOOL GetWindowOrgEx(HDC hdc, LPPOINT lppoint);
QV_API BOOL LPtoDP(HDC hdc, LPPOINT lppt, int c);
QV_API BOOL DPtoLP(HDC hdc, LPPOINT lppt, int c);

// ---------------------------------------------------------------------------
// Pens, brushes, system colours
QV_API HPEN CreatePen(int iStyle, int cWidth, COLORREF color);
QV_API HPEN CreatePenIndirect(const LOGPEN* plpen);
QV_API HBRUSH CreateSolidBrush(COLORREF color);
QV_API HBRUSH CreateHatchBrush(int iHatch, COLORREF color);
QV_API HBRUSH CreatePatternBrush(HBITMAP hbm);
QV_API HBRUSH CreateBrushIndirect(const LOGBRUSH* plbrush);

QV_API DWORD GetSysColor(int nIndex);
QV_API BOOL SetSysColors(int cElements, const INT* lpaElements, const COLORREF* lpaRgbValues);
// One brush per system colour, owned by the layer (DeleteObject ignores it); it
// follows SetSysColors.
QV_API HBRUSH GetSysColorBrush(int nIndex);

// ---------------------------------------------------------------------------
// Bitmaps
QV_API HBITMAP CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount, const void* lpBits);
QV_API HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy);
QV_API HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* pbmi, UINT usage, void** ppvBits,
                                HANDLE hSection, DWORD offset);
QV_API int GetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, LPVOID lpvBits, LPBITMAPINFO lpbmi,
                     UINT usage);
QV_API int SetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, const void* lpBits,
                     const BITMAPINFO* lpbmi, UINT ColorUse);
QV_API int StretchDIBits(HDC hdc, int xDest, int yDest, int DestWidth, int DestHeight, int xSrc, int ySrc,
                         int SrcWidth, int SrcHeight, const void* lpBits, const BITMAPINFO* lpbmi,
                         UINT iUsage, DWORD rop);
QV_API int SetDIBitsToDevice(HDC hdc, int xDest, int yDest, DWORD w, DWORD h, int xSrc, int ySrc,
                             UINT StartScan, UINT cLines, const void* lpvBits, const BITMAPINFO* lpbmi,
                             UINT ColorUse);

// ---------------------------------------------------------------------------
// Palettes
QV_API HPALETTE CreatePalette(const LOGPALETTE* plpal);
QV_API HPALETTE SelectPalette(HDC hdc, HPALETTE hPal, BOOL bForceBkgd);
QV_API UINT RealizePalette(HDC hdc);
QV_API UINT GetPaletteEntries(HPALETTE hpal, UINT iStart, UINT cEntries, LPPALETTEENTRY pPalEntries);
QV_API UINT SetPaletteEntries(HPALETTE hpal, UINT iStart, UINT cEntries, const PALETTEENTRY* pPalEntries);

// ---------------------------------------------------------------------------
// Regions and clipping (clip regions are in device units, rectangles in logical units)
QV_API HRGN CreateRectRgn(int x1, int y1, int x2, int y2);
QV_API HRGN CreateRectRgnIndirect(const RECT* lprect);
QV_API int CombineRgn(HRGN hrgnDst, HRGN hrgnSrc1, HRGN hrgnSrc2, int iMode);
QV_API int GetRgnBox(HRGN hrgn, LPRECT lprc);
QV_API int OffsetRgn(HRGN hrgn, int x, int y);
QV_API BOOL PtInRegion(HRGN hrgn, int x, int y);
QV_API int SelectClipRgn(HDC hdc, HRGN hrgn);
QV_API int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom);
QV_API int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom);
QV_API int GetClipBox(HDC hdc, LPRECT lprect);

// ---------------------------------------------------------------------------
// Drawing
QV_API int FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr);  // hbr may be (HBRUSH)(COLOR_x + 1)
QV_API int FrameRect(HDC hDC, const RECT* lprc, HBRUSH hbr);
QV_API BOOL InvertRect(HDC hDC, const RECT* lprc);
QV_API BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
QV_API BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height);
QV_API BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom);
QV_API BOOL Polygon(HDC hdc, const POINT* apt, int cpt);
QV_API BOOL Polyline(HDC hdc, const POINT* apt, int cpt);
QV_API BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT lppt);
QV_API BOOL LineTo(HDC hdc, int x, int y);
QV_API BOOL GetCurrentPositionEx(HDC hdc, LPPOINT lppt);
QV_API COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color);
QV_API COLORREF GetPixel(HDC hdc, int x, int y);
QV_API BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop);
QV_API BOOL BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop);
QV_API BOOL StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc,
                       int ySrc, int wSrc, int hSrc, DWORD rop);
QV_API BOOL DrawFocusRect(HDC hDC, const RECT* lprc);
QV_API BOOL DrawEdge(HDC hdc, LPRECT qrc, UINT edge, UINT grfFlags);

// ---------------------------------------------------------------------------
// Images from a module's resources or from files
QV_API HBITMAP LoadBitmapA(HINSTANCE hInstance, LPCSTR lpBitmapName);
// IMAGE_BITMAP from the module's bitmap resources, or with LR_LOADFROMFILE
// from a .bmp file; IMAGE_ICON from the module's icon resources. LR_SHARED is
// accepted but every call makes a new image.
QV_API HANDLE LoadImageA(HINSTANCE hInst, LPCSTR name, UINT type, int cx, int cy, UINT fuLoad);
// A module's icon at the standard size (32x32, or the nearest image the icon
// has). The handle is shared: the same one for every call with the same module
// and name, kept while the process runs; callers do not destroy it. A null
// module (the system's stock icons) is not offered: null with
// ERROR_RESOURCE_NAME_NOT_FOUND.
QV_API HICON LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName);

// ---------------------------------------------------------------------------
// Icons
QV_API HICON CreateIconIndirect(PICONINFO piconinfo);
QV_API BOOL GetIconInfo(HICON hIcon, PICONINFO piconinfo);
QV_API BOOL DestroyIcon(HICON hIcon);
QV_API BOOL DrawIcon(HDC hDC, int X, int Y, HICON hIcon);
QV_API BOOL DrawIconEx(HDC hdc, int xLeft, int yTop, HICON hIcon, int cxWidth, int cyWidth,
                       UINT istepIfAniCur, HBRUSH hbrFlickerFreeDraw, UINT diFlags);

#include "qvplatform/gdi_text.h"
#include "qvplatform/gdi_paint_log.h"
#include "qvplatform/gdi_font_enum.h"
#include "qvplatform/gdi_print.h"
