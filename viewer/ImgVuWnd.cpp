// The plug-in window: painting through the document, palette changes, scrolling.
//
// The window only keeps the scroll offsets; the document's Show sets their maxima
// from the picture and the client area and draws. Scrolling moves the pixels already
// on the screen and repaints at once, so each step costs one redraw.
#include "viewer/ImgVuWnd.h"

#include <algorithm>
#include <new>

#include "plugin/PluginInstance.h"
#include "viewer/ImgVuDoc.h"
#include "viewer/ModuleState.h"

namespace {

constexpr int kLineStep = 5;
constexpr int kPageStep = 50;

// The offset a scroll code asks for: a step from the current one or the released
// thumb, kept within 0..nMax. Every other code (thumb tracking, top, bottom, end of
// scroll) keeps the current offset.
int RequestedOffset(UINT nSBCode, UINT nPos, int nCurrent, int nMax) {
  long long llRequested;
  switch (nSBCode) {
    case SB_LINELEFT:
      llRequested = static_cast<long long>(nCurrent) - kLineStep;
      break;
    case SB_LINERIGHT:
      llRequested = static_cast<long long>(nCurrent) + kLineStep;
      break;
    case SB_PAGELEFT:
      llRequested = static_cast<long long>(nCurrent) - kPageStep;
      break;
    case SB_PAGERIGHT:
      llRequested = static_cast<long long>(nCurrent) + kPageStep;
      break;
    case SB_THUMBPOSITION:
      llRequested = nPos;
      break;
    default:
      return nCurrent;
  }
  return static_cast<int>(std::clamp<long long>(llRequested, 0, std::max(nMax, 0)));
}

}  // namespace

BEGIN_MESSAGE_MAP(CImgVuWnd, CWnd)
  ON_WM_PAINT()
  ON_WM_PALETTECHANGED()
  ON_WM_LBUTTONDOWN()
  ON_WM_RBUTTONDOWN()
  ON_COMMAND(ID_VIEW_IMAGE, OnViewImage)
  ON_COMMAND(ID_SAVE_AS, OnSaveAs)
  ON_COMMAND(ID_PRINT_IMAGE, OnPrint)
  ON_COMMAND(ID_ABOUT, OnAbout)
  ON_WM_HSCROLL()
  ON_WM_VSCROLL()
END_MESSAGE_MAP()

CImgVuWnd::CImgVuWnd()
    : m_pInstance(nullptr),
      m_nHScrollPos(0),
      m_nHScrollMax(0),
      m_nVScrollPos(0),
      m_nVScrollMax(0),
      m_scrollInfo{} {}

CImgVuWnd::~CImgVuWnd() {
  // The next load's Show must not draw into a deleted window.
  if (g_pCurrentWnd == this) g_pCurrentWnd = nullptr;
}

CImgVuDoc* CImgVuWnd::Document() const {
  return m_pInstance != nullptr ? m_pInstance->document : nullptr;
}

void CImgVuWnd::OnPaint() {
  CPaintDC dc(this);
  CImgVuDoc* pDoc = Document();
  if (pDoc == nullptr) return;
  CRect rcBefore;
  GetClientRect(&rcBefore);
  try {
    pDoc->Show(this);
  } catch (CException* e) {
    e->Delete();
  } catch (const std::bad_alloc&) {
    // Nothing drawn; the next paint tries again.
  }
  Default();
  // Bars that Show showed or hid resized the client area under this paint, and the
  // browser's procedure may have erased what it uncovered: paint once more at the
  // size the area has now.
  CRect rcAfter;
  GetClientRect(&rcAfter);
  if (rcAfter != rcBefore) InvalidateRect(nullptr, FALSE);
}

void CImgVuWnd::OnPaletteChanged(CWnd* pFocusWnd) {
  if (pFocusWnd == this) return;
  if (CImgVuDoc* pDoc = Document()) pDoc->RepaintForPalette(this);
}

// The click is consumed: the browser's window does not see it.
void CImgVuWnd::OnLButtonDown(UINT, CPoint) {}

void CImgVuWnd::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar*) {
  int nNew = RequestedOffset(nSBCode, nPos, m_nHScrollPos, m_nHScrollMax);
  if (nNew == m_nHScrollPos) return;
  int nOld = m_nHScrollPos;
  m_nHScrollPos = nNew;
  ScrollWindowEx(nOld - nNew, 0, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE);
  UpdateWindow();
  SetThumb(SB_HORZ, nNew);
}

void CImgVuWnd::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar*) {
  int nNew = RequestedOffset(nSBCode, nPos, m_nVScrollPos, m_nVScrollMax);
  if (nNew == m_nVScrollPos) return;
  int nOld = m_nVScrollPos;
  m_nVScrollPos = nNew;
  ScrollWindowEx(0, nOld - nNew, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE | SW_ERASE);
  UpdateWindow();
  SetThumb(SB_VERT, nNew);
}

void CImgVuWnd::SetThumb(int nBar, int nPos) {
  m_scrollInfo.cbSize = sizeof(SCROLLINFO);
  m_scrollInfo.fMask = SIF_POS;
  m_scrollInfo.nPos = nPos;
  SetScrollInfo(nBar, &m_scrollInfo, TRUE);
}
