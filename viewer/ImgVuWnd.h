// The plug-in's window: the browser's child window subclassed for one instance. It
// paints the instance's document, repaints for palette changes, scrolls a picture
// larger than the client area and offers the context menu's commands.
#pragma once

#include <afxwin.h>
#include <windows.h>

struct PluginInstance;
class CImgVuDoc;

// The context menu's commands.
constexpr UINT ID_VIEW_IMAGE = 1000;
constexpr UINT ID_SAVE_AS = 1002;
constexpr UINT ID_PRINT_IMAGE = 1003;
constexpr UINT ID_ABOUT = 1004;

class CImgVuWnd : public CWnd {
 public:
  CImgVuWnd();
  // Clears the module's current window when it is this one.
  ~CImgVuWnd() override;

  // The print command: asks for a printer and prints the document's bitmap.
  void OnPrint();

  PluginInstance* m_pInstance;  // set right after subclassing
  int m_nHScrollPos;            // picture column at the client area's left edge
  int m_nHScrollMax;
  int m_nVScrollPos;  // picture row at the client area's top edge
  int m_nVScrollMax;
  SCROLLINFO m_scrollInfo;  // sets a bar's thumb: size and SIF_POS only

 protected:
  afx_msg void OnPaint();
  afx_msg void OnPaletteChanged(CWnd* pFocusWnd);
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  // The context menu; its commands arrive as WM_COMMAND.
  afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnViewImage();
  afx_msg void OnSaveAs();
  afx_msg void OnAbout();
  afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
  afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);

  DECLARE_MESSAGE_MAP()

 private:
  // The instance's document; null before the window is linked to its record.
  CImgVuDoc* Document() const;
  // Moves the bar's thumb to nPos through m_scrollInfo.
  void SetThumb(int nBar, int nPos);
};
