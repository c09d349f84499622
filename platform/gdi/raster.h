// Pixel work on a surface, in surface coordinates, always inside a list of
// clip rectangles: raster operations, brush patterns, pen lines and masks.
#pragma once

#include <cstdint>
#include <vector>

#include "gdi/dc.h"
#include "gdi/surface.h"

namespace qvp::gdi {

using ClipList = std::vector<RECT>;

// Ternary raster operations: bit (P << 2 | S << 1 | D) of the code gives the
// result bit for pattern P, source S and destination D.
inline uint8_t Rop3Code(DWORD rop) { return static_cast<uint8_t>((rop >> 16) & 0xFF); }
inline bool RopUsesSource(uint8_t code) { return (code & 0x33) != ((code >> 2) & 0x33); }
inline bool RopUsesPattern(uint8_t code) { return (code & 0x0F) != ((code >> 4) & 0x0F); }
inline bool RopUsesDest(uint8_t code) { return (code & 0x55) != ((code >> 1) & 0x55); }
// The ternary code of a binary mix mode (R2_*), which ignores the source.
uint8_t Rop2ToRop3(int rop2);
COLORREF ApplyRop3(uint8_t code, COLORREF p, COLORREF s, COLORREF d);

bool InClip(const ClipList& clip, int x, int y);
RECT ClipBox(const ClipList& clip);

// Where the P of a raster operation comes from: a brush, or one colour.
struct Pattern {
  enum class Type { kNone, kSolid, kTile } type = Type::kNone;
  COLORREF solid = 0;
  int w = 0;
  int h = 0;
  std::vector<COLORREF> pixels;  // w * h, row-major, aligned to surface (0,0)
  std::vector<uint8_t> drawn;    // 0: transparent (hatch background in TRANSPARENT mode)

  static Pattern Solid(COLORREF c) {
    Pattern p;
    p.type = Type::kSolid;
    p.solid = c;
    return p;
  }
  bool empty() const { return type == Type::kNone; }
  // False where the pattern leaves the pixel alone.
  bool At(int x, int y, COLORREF* out) const {
    if (type == Type::kSolid) {
      *out = solid;
      return true;
    }
    if (type == Type::kNone) return false;
    int px = ((x % w) + w) % w, py = ((y % h) + h) % h;
    size_t i = static_cast<size_t>(py) * static_cast<size_t>(w) + static_cast<size_t>(px);
    if (!drawn.empty() && !drawn[i]) return false;
    *out = pixels[i];
    return true;
  }
};

// The pattern of a brush as selected into `dc` (hatch background and
// monochrome patterns take the DC's colours and background mode).
Pattern BrushPattern(const DcObj& dc, const BrushObj* brush);

// A set of pixels inside a box (the box is kept inside the clip bounds).
struct Mask {
  RECT box{};
  std::vector<uint8_t> bits;
  explicit Mask(RECT b);
  bool empty() const { return bits.empty(); }
  void Set(int x, int y) {
    if (x >= box.left && x < box.right && y >= box.top && y < box.bottom)
      bits[static_cast<size_t>(y - box.top) * static_cast<size_t>(box.right - box.left) +
           static_cast<size_t>(x - box.left)] = 1;
  }
  bool Get(int x, int y) const {
    return x >= box.left && x < box.right && y >= box.top && y < box.bottom &&
           bits[static_cast<size_t>(y - box.top) * static_cast<size_t>(box.right - box.left) +
                static_cast<size_t>(x - box.left)] != 0;
  }
};

void FillRectPattern(Surface& s, const ClipList& clip, const RECT& r, const Pattern& pat, uint8_t code);
void FillMask(Surface& s, const ClipList& clip, const Mask& m, const Pattern& pat, uint8_t code);

// A pen as it draws: colour, width and dash style; gaps of a styled pen take
// the background colour when `gap_opaque`.
struct PenInk {
  bool null = false;
  COLORREF color = 0;
  int width = 1;
  int style = PS_SOLID;
  bool gap_opaque = false;
  COLORREF gap_color = 0;
};
PenInk CurrentPen(const DcObj& dc);

// Strokes the segments p[0]..p[n-1] (closed: back to p[0]). One-pixel pens
// leave out the last point of each segment, as LineTo does; wider pens draw
// round-capped strokes.
void StrokePath(Surface& s, const ClipList& clip, const std::vector<POINT>& pts, bool closed, const PenInk& pen,
                uint8_t code);

// Shapes in surface coordinates: pixels whose centres fall inside.
enum class ShapeKind { kRect, kEllipse, kRoundRect };
struct ShapeBox {
  ShapeKind kind = ShapeKind::kRect;
  double l = 0, t = 0, r = 0, b = 0;  // edges
  double ew = 0, eh = 0;              // round-rect corner ellipse
  bool Inside(double x, double y) const;
  ShapeBox Shrunk(double by) const;
};
// Adds the pixels inside `outer` and outside `inner` (when given) to the mask.
void AddShape(Mask& m, const ShapeBox& outer, const ShapeBox* inner);
// Scan-converts a polygon (alternate filling) into the mask.
void AddPolygon(Mask& m, const std::vector<POINT>& pts);

}  // namespace qvp::gdi
