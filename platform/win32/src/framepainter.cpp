// The non-client painter. A bar is drawn as on the classic desktop: an arrow
// button at each end, a trough of alternating white and light grey pixels between
// them, and a raised thumb, where framegeometry.h places them.
#include "framepainter.h"

#include "framegeometry.h"

#include <algorithm>
#include <cstdint>

namespace platform::user {
namespace {

enum class Arrow { Up, Down, Left, Right };

class Painter {
 public:
  Painter(Surface& surface, POINT origin, const RECT& clip)
      : m_surface(surface),
        m_origin(origin),
        m_clip(Intersect(clip, RECT{0, 0, surface.Width(), surface.Height()})) {}

  // Rectangles and points are in window coordinates.
  void Fill(const RECT& r, COLORREF colour) {
    m_surface.Fill(Intersect(Offset(r, m_origin.x, m_origin.y), m_clip), SurfaceColour(colour));
  }

  void Plot(int x, int y, COLORREF colour) {
    long long sx = static_cast<long long>(x) + m_origin.x;
    long long sy = static_cast<long long>(y) + m_origin.y;
    if (sx < m_clip.left || sx >= m_clip.right || sy < m_clip.top || sy >= m_clip.bottom) return;
    m_surface.Row(static_cast<int>(sy))[sx] = SurfaceColour(colour);
  }

  void Trough(const RECT& r) {
    RECT area = Intersect(Offset(r, m_origin.x, m_origin.y), m_clip);
    const std::uint32_t light = SurfaceColour(GetSysColor(COLOR_BTNHIGHLIGHT));
    const std::uint32_t face = SurfaceColour(GetSysColor(COLOR_SCROLLBAR));
    for (LONG y = area.top; y < area.bottom; ++y) {
      std::uint32_t* row = m_surface.Row(y);
      for (LONG x = area.left; x < area.right; ++x) row[x] = ((x + y) & 1) ? face : light;
    }
  }

  // A raised button: light outer and white inner edge at the top and left, black
  // outer and grey inner edge at the bottom and right.
  void Button(const RECT& r) {
    Fill(r, GetSysColor(COLOR_BTNFACE));
    const LONG w = r.right - r.left;
    const LONG h = r.bottom - r.top;
    if (w < 2 || h < 2) return;
    Fill({r.left, r.top, r.right, r.top + 1}, GetSysColor(COLOR_3DLIGHT));
    Fill({r.left, r.top, r.left + 1, r.bottom}, GetSysColor(COLOR_3DLIGHT));
    Fill({r.left + 1, r.top + 1, r.right - 1, r.top + 2}, GetSysColor(COLOR_BTNHIGHLIGHT));
    Fill({r.left + 1, r.top + 1, r.left + 2, r.bottom - 1}, GetSysColor(COLOR_BTNHIGHLIGHT));
    Fill({r.left + 1, r.bottom - 2, r.right - 1, r.bottom - 1}, GetSysColor(COLOR_BTNSHADOW));
    Fill({r.right - 2, r.top + 1, r.right - 1, r.bottom - 1}, GetSysColor(COLOR_BTNSHADOW));
    Fill({r.left, r.bottom - 1, r.right, r.bottom}, GetSysColor(COLOR_3DDKSHADOW));
    Fill({r.right - 1, r.top, r.right, r.bottom}, GetSysColor(COLOR_3DDKSHADOW));
  }

  // A black triangle of four rows (1, 3, 5, 7 pixels) centred in r.
  void ArrowButton(const RECT& r, Arrow arrow) {
    Button(r);
    const int cx = (r.left + r.right) / 2;
    const int cy = (r.top + r.bottom) / 2;
    const COLORREF ink = GetSysColor(COLOR_BTNTEXT);
    for (int i = 0; i < 4; ++i) {
      for (int j = -i; j <= i; ++j) {
        switch (arrow) {
          case Arrow::Up:
            Plot(cx + j, cy - 2 + i, ink);
            break;
          case Arrow::Down:
            Plot(cx + j, cy + 1 - i, ink);
            break;
          case Arrow::Left:
            Plot(cx - 2 + i, cy + j, ink);
            break;
          case Arrow::Right:
            Plot(cx + 1 - i, cy + j, ink);
            break;
        }
      }
    }
  }

 private:
  Surface& m_surface;
  POINT m_origin;
  RECT m_clip;
};

// r: the bar's rectangle in window coordinates.
void PaintBar(Painter& painter, const RECT& r, const ScrollBar& bar, bool vertical) {
  if (IsEmpty(r)) return;
  const int length = vertical ? r.bottom - r.top : r.right - r.left;
  const int arrow = ArrowLength(length);
  // A rectangle from `from` to `to` along the bar, across its whole thickness.
  auto along = [&](int from, int to) {
    return vertical ? RECT{r.left, r.top + from, r.right, r.top + to}
                    : RECT{r.left + from, r.top, r.left + to, r.bottom};
  };
  painter.Trough(along(arrow, length - arrow));
  painter.ArrowButton(along(0, arrow), vertical ? Arrow::Up : Arrow::Left);
  painter.ArrowButton(along(length - arrow, length), vertical ? Arrow::Down : Arrow::Right);
  Thumb thumb = ThumbOf(bar, length);
  if (thumb.length > 0) painter.Button(along(thumb.start, thumb.start + thumb.length));
}

}  // namespace

std::uint32_t SurfaceColour(COLORREF colour) {
  return (static_cast<std::uint32_t>(GetRValue(colour)) << 16) |
         (static_cast<std::uint32_t>(GetGValue(colour)) << 8) | GetBValue(colour);
}

void PaintFrame(const Window& window, Surface& surface, POINT origin, const RECT& clip) {
  Painter painter(surface, origin, clip);
  const int w = window.Width();
  const int h = window.Height();
  if (window.border) {
    const COLORREF frame = GetSysColor(COLOR_WINDOWFRAME);
    painter.Fill({0, 0, w, 1}, frame);
    painter.Fill({0, h - 1, w, h}, frame);
    painter.Fill({0, 0, 1, h}, frame);
    painter.Fill({w - 1, 0, w, h}, frame);
  }
  PaintBar(painter, BarRect(window, SB_VERT), window.bars[SB_VERT], true);
  PaintBar(painter, BarRect(window, SB_HORZ), window.bars[SB_HORZ], false);
  painter.Fill(CornerRect(window), GetSysColor(COLOR_BTNFACE));
}

}  // namespace platform::user
