#include "gdi/raster_text_faces.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

namespace qvp::gdi::raster {
namespace {

// The faces programs written for Windows name, and the families of the installed
// metric-compatible fonts that stand in for them.
struct FaceAlias {
  const char* windows;
  const char* family;
};
constexpr FaceAlias kAliases[] = {
    {"ms sans serif", "Liberation Sans"},   {"ms shell dlg", "Liberation Sans"},
    {"ms shell dlg 2", "Liberation Sans"},  {"microsoft sans serif", "Liberation Sans"},
    {"arial", "Liberation Sans"},           {"helv", "Liberation Sans"},
    {"helvetica", "Liberation Sans"},       {"system", "Liberation Sans"},
    {"small fonts", "Liberation Sans"},     {"ms dialog", "Liberation Sans"},
    {"tahoma", "DejaVu Sans"},              {"verdana", "DejaVu Sans"},
    {"times new roman", "Liberation Serif"}, {"times", "Liberation Serif"},
    {"tms rmn", "Liberation Serif"},        {"ms serif", "Liberation Serif"},
    {"courier", "Liberation Mono"},         {"courier new", "Liberation Mono"},
    {"fixedsys", "Liberation Mono"},        {"terminal", "Liberation Mono"},
    {"lucida console", "Liberation Mono"},
};

// Code page 1252 in 0x80..0x9F; 0 where the code page has no character.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

constexpr int kMaxPixelSize = 1000;
// Rendered glyphs a font keeps at most; past this its cache starts over.
constexpr size_t kGlyphCacheBytes = 8u << 20;
constexpr int kMonoPixelSize = 24;
constexpr BYTE kClearTypeQuality = 5;
constexpr size_t kMaxInstances = 64;

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string FaceName(const LOGFONTA& lf) { return std::string(lf.lfFaceName, strnlen(lf.lfFaceName, LF_FACESIZE)); }

// The installed families that stand in for a generic family, in order.
std::vector<const char*> GenericFamilies(const LOGFONTA& lf) {
  if ((lf.lfPitchAndFamily & 3) == FIXED_PITCH || (lf.lfPitchAndFamily & 0xF0) == FF_MODERN)
    return {"Liberation Mono", "DejaVu Sans Mono", "monospace"};
  if ((lf.lfPitchAndFamily & 0xF0) == FF_ROMAN) return {"Liberation Serif", "DejaVu Serif", "serif"};
  return {"Liberation Sans", "DejaVu Sans", "sans-serif"};
}

// The layer's own font configuration: the system's and the user's font folders
// and caches, without the system's substitution rules, so that a face maps to
// the same font file on every machine that has the fonts.
FcConfig* Config() {
  static FcConfig* config = [] {
    static const char kXml[] =
        "<?xml version=\"1.0\"?><fontconfig>"
        "<dir>/usr/share/fonts</dir><dir>/usr/local/share/fonts</dir><dir prefix=\"xdg\">fonts</dir>"
        "<cachedir>/var/cache/fontconfig</cachedir><cachedir prefix=\"xdg\">fontconfig</cachedir>"
        "</fontconfig>";
    FcConfig* c = FcConfigCreate();
    if (!c) return c;
    if (!FcConfigParseAndLoadFromMemory(c, reinterpret_cast<const FcChar8*>(kXml), FcFalse) ||
        !FcConfigBuildFonts(c)) {
      FcConfigDestroy(c);
      return static_cast<FcConfig*>(nullptr);
    }
    return c;
  }();
  return config;
}

struct FaceFile {
  std::string path;
  int index = 0;
  std::string family;
  bool bold = false;    // the file itself is bold
  bool italic = false;  // the file itself is slanted
};

// Asks fontconfig for the file of a face. Empty path when there is none.
FaceFile Resolve(const LOGFONTA& lf, int weight, bool italic) {
  FaceFile out;
  FcConfig* config = Config();
  if (!config) return out;
  std::string face = FaceName(lf);
  std::string lower = Lower(face);
  FcPattern* pat = FcPatternCreate();
  if (!pat) return out;
  const char* mapped = nullptr;
  for (const FaceAlias& a : kAliases)
    if (lower == a.windows) mapped = a.family;
  if (mapped) FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(mapped));
  if (!face.empty() && !mapped) FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
  for (const char* family : GenericFamilies(lf))
    FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddInteger(pat, FC_WEIGHT, FcWeightFromOpenType(weight));
  FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pat, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(config, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config, pat, &result);
  FcPatternDestroy(pat);
  if (!match) return out;
  FcChar8* file = nullptr;
  FcChar8* family = nullptr;
  int index = 0, matched_weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
  if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
    out.path = reinterpret_cast<const char*>(file);
    if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch) out.index = index;
    if (FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch && family)
      out.family = reinterpret_cast<const char*>(family);
    FcPatternGetInteger(match, FC_WEIGHT, 0, &matched_weight);
    FcPatternGetInteger(match, FC_SLANT, 0, &slant);
    out.bold = matched_weight >= FC_WEIGHT_DEMIBOLD;
    out.italic = slant != FC_SLANT_ROMAN;
  }
  FcPatternDestroy(match);
  return out;
}

FT_Library Library() {
  static FT_Library lib = [] {
    FT_Library l = nullptr;
    return FT_Init_FreeType(&l) == 0 ? l : nullptr;
  }();
  return lib;
}

int Round26(FT_Pos v) { return static_cast<int>((v + 32) >> 6); }

int ScaleUnits(long units, int ppem, int upem, bool up) {
  long long n = static_cast<long long>(units) * ppem;
  if (up) return static_cast<int>((n + upem - 1) / upem);
  return static_cast<int>((2 * n + upem) / (2 * upem));
}

struct RequestKey {
  std::string face;
  LONG height, width, weight;
  bool italic;
  BYTE pitch_family;
  BYTE quality;
  bool operator<(const RequestKey& o) const {
    return std::tie(face, height, width, weight, italic, pitch_family, quality) <
           std::tie(o.face, o.height, o.width, o.weight, o.italic, o.pitch_family, o.quality);
  }
};

}  // namespace

struct FontInstance {
  FT_Face face = nullptr;
  bool embolden = false;
  bool oblique = false;
  bool mono = false;  // hinted to whole pixels and drawn without smoothing, as classic screens show text
  FontMetrics metrics;
  Decorations decor;
  std::array<std::unique_ptr<Glyph>, 256> glyphs;
  size_t glyph_bytes = 0;

  FontInstance() = default;
  FontInstance(const FontInstance&) = delete;
  FontInstance& operator=(const FontInstance&) = delete;
  ~FontInstance() {
    if (face) FT_Done_Face(face);
  }

  FT_UInt Index(unsigned char c) const {
    char16_t u = UnicodeOfAnsi(c);
    return u ? FT_Get_Char_Index(face, u) : 0;
  }

  // Loads a character's outline into the face's slot with the synthetic styles applied.
  bool Load(unsigned char c) {
    const FT_Int32 flags = FT_LOAD_NO_BITMAP | (mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL);
    if (FT_Load_Glyph(face, Index(c), flags) != 0) return false;
    if (face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) return true;
    if (embolden) FT_GlyphSlot_Embolden(face->glyph);
    if (oblique) FT_GlyphSlot_Oblique(face->glyph);
    return true;
  }

  int Advance(unsigned char c) { return Load(c) ? std::max(0, Round26(face->glyph->advance.x)) : 0; }
};

char16_t UnicodeOfAnsi(unsigned char c) {
  return c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : static_cast<char16_t>(c);
}

std::mutex& FontLock() {
  static auto* m = new std::mutex;
  return *m;
}

namespace {

std::map<RequestKey, std::unique_ptr<FontInstance>>& Instances() {
  static auto* map = new std::map<RequestKey, std::unique_ptr<FontInstance>>;
  return *map;
}

std::unique_ptr<FontInstance> Open(const LOGFONTA& lf, LONG device_height) {
  FT_Library lib = Library();
  if (!lib) return nullptr;
  int weight = lf.lfWeight == FW_DONTCARE ? FW_NORMAL : std::clamp<int>(lf.lfWeight, 1, 1000);
  bool italic = lf.lfItalic != 0;
  FaceFile file = Resolve(lf, weight, italic);
  if (file.path.empty()) return nullptr;
  auto f = std::make_unique<FontInstance>();
  if (FT_New_Face(lib, file.path.c_str(), file.index, &f->face) != 0) {
    f->face = nullptr;
    return nullptr;
  }
  FT_Face face = f->face;
  if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) return nullptr;
  FT_Select_Charmap(face, FT_ENCODING_UNICODE);
  f->embolden = weight >= FW_SEMIBOLD && !file.bold;
  f->oblique = italic && !file.italic;

  const int upem = face->units_per_EM;
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  long win_ascent = os2 && os2->usWinAscent ? os2->usWinAscent : face->ascender;
  long win_descent = os2 && os2->usWinAscent ? os2->usWinDescent : -face->descender;
  if (win_ascent + win_descent <= 0) return nullptr;

  // A negative height asks for the character (em) height, a positive one for the cell.
  long long h = std::clamp<long long>(device_height, -kMaxPixelSize, kMaxPixelSize);
  if (h == 0) h = 16;
  int ppem = h < 0 ? static_cast<int>(-h)
                   : static_cast<int>((2 * h * upem + (win_ascent + win_descent)) / (2 * (win_ascent + win_descent)));
  ppem = std::clamp(ppem, 1, kMaxPixelSize);
  // Screen text is not smoothed at the sizes of dialogs and reports unless asked for.
  f->mono = lf.lfQuality == NONANTIALIASED_QUALITY ||
            (ppem <= kMonoPixelSize && lf.lfQuality != ANTIALIASED_QUALITY && lf.lfQuality != kClearTypeQuality);
  if (FT_Set_Pixel_Sizes(face, static_cast<FT_UInt>(ppem), static_cast<FT_UInt>(ppem)) != 0) return nullptr;
  if (lf.lfWidth > 0) {
    // A width asks for that average character width: the glyphs are stretched to it.
    int ave = std::max(1, f->Advance('x'));
    long long want = std::min<long long>(lf.lfWidth, kMaxPixelSize);
    int guess = std::clamp<int>(static_cast<int>((2 * want * ppem + ave) / (2 * ave)), 1, kMaxPixelSize);
    // Hinting rounds widths, so the nearest few sizes are tried for the closest average.
    int best = guess;
    long long best_miss = -1;
    for (int x = std::max(1, guess - 3); x <= std::min(kMaxPixelSize, guess + 3); ++x) {
      FT_Set_Pixel_Sizes(face, static_cast<FT_UInt>(x), static_cast<FT_UInt>(ppem));
      long long miss = std::llabs(f->Advance('x') - want);
      if (best_miss < 0 || miss < best_miss) {
        best = x;
        best_miss = miss;
      }
    }
    FT_Set_Pixel_Sizes(face, static_cast<FT_UInt>(best), static_cast<FT_UInt>(ppem));
  }

  FontMetrics& m = f->metrics;
  m.em = ppem;
  m.ascent = ScaleUnits(win_ascent, ppem, upem, true);
  m.descent = ScaleUnits(win_descent, ppem, upem, true);
  m.height = m.ascent + m.descent;
  m.internal_leading = std::max(0, m.height - ppem);
  m.weight = weight;
  m.fixed = FT_IS_FIXED_WIDTH(face) != 0;
  for (int c = 0; c < 256; ++c) m.widths[c] = f->Advance(static_cast<unsigned char>(c));
  m.ave = std::max(1, m.widths[static_cast<unsigned char>('x')]);
  m.max_width = *std::max_element(std::begin(m.widths) + 0x20, std::end(m.widths));

  Decorations& d = f->decor;
  d.underline_size = std::max(1, ScaleUnits(face->underline_thickness, ppem, upem, false));
  d.underline_below = std::max(1, ScaleUnits(-face->underline_position, ppem, upem, false) - d.underline_size / 2);
  if (os2 && os2->yStrikeoutSize > 0) {
    d.strike_size = std::max(1, ScaleUnits(os2->yStrikeoutSize, ppem, upem, false));
    d.strike_above = std::max(1, ScaleUnits(os2->yStrikeoutPosition, ppem, upem, false));
  } else {
    d.strike_size = d.underline_size;
    d.strike_above = std::max(1, ppem * 3 / 10);
  }
  return f;
}

}  // namespace

FontInstance* FindInstance(const LOGFONTA& lf, LONG device_height) {
  RequestKey key{Lower(FaceName(lf)), device_height, lf.lfWidth > 0 ? lf.lfWidth : 0,
                 lf.lfWeight == FW_DONTCARE ? FW_NORMAL : lf.lfWeight, lf.lfItalic != 0, lf.lfPitchAndFamily,
                 lf.lfQuality};
  auto& map = Instances();
  auto it = map.find(key);
  if (it != map.end()) return it->second.get();
  std::unique_ptr<FontInstance> f = Open(lf, device_height);
  if (!f) return nullptr;
  if (map.size() >= kMaxInstances) map.clear();  // nobody holds an instance between calls
  FontInstance* raw = f.get();
  map.emplace(std::move(key), std::move(f));
  return raw;
}

const FontMetrics& MetricsOf(const FontInstance& f) { return f.metrics; }

const Decorations& DecorationsOf(const FontInstance& f) { return f.decor; }

const Glyph& GlyphOf(FontInstance& f, unsigned char c) {
  std::unique_ptr<Glyph>& slot = f.glyphs[c];
  if (slot) return *slot;
  if (f.glyph_bytes > kGlyphCacheBytes) {
    // Huge text: the glyphs drawn before are dropped (nobody holds one between calls).
    for (auto& g : f.glyphs) g.reset();
    f.glyph_bytes = 0;
  }
  slot = std::make_unique<Glyph>();
  if (c == ' ' || c == 0xA0 || !f.Load(c)) return *slot;
  FT_GlyphSlot g = f.face->glyph;
  if (FT_Render_Glyph(g, f.mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0) return *slot;
  const FT_Bitmap& b = g->bitmap;
  if (b.pixel_mode != FT_PIXEL_MODE_GRAY && b.pixel_mode != FT_PIXEL_MODE_MONO) return *slot;
  slot->left = g->bitmap_left;
  slot->top = g->bitmap_top;
  slot->width = static_cast<int>(b.width);
  slot->rows = static_cast<int>(b.rows);
  slot->alpha.resize(static_cast<size_t>(b.width) * b.rows);
  f.glyph_bytes += slot->alpha.size();
  for (unsigned y = 0; y < b.rows; ++y) {
    const unsigned char* row = b.pitch >= 0 ? b.buffer + static_cast<ptrdiff_t>(y) * b.pitch
                                            : b.buffer + static_cast<ptrdiff_t>(b.rows - 1 - y) * -b.pitch;
    uint8_t* out = slot->alpha.data() + static_cast<size_t>(y) * b.width;
    if (b.pixel_mode == FT_PIXEL_MODE_GRAY) {
      std::memcpy(out, row, b.width);
    } else {
      for (unsigned x = 0; x < b.width; ++x) out[x] = (row[x >> 3] & (0x80u >> (x & 7))) ? 255 : 0;
    }
  }
  return *slot;
}

std::string ResolvedFamily(const LOGFONTA& lf) {
  return Resolve(lf, lf.lfWeight == FW_DONTCARE ? FW_NORMAL : lf.lfWeight, lf.lfItalic != 0).family;
}

}  // namespace qvp::gdi::raster
