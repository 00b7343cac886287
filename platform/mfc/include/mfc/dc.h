// CDC: the framework's device context.
//
// m_hDC receives the drawing, m_hAttribDC answers queries (GetDeviceCaps); Attach
// sets both. Attach makes the object the permanent wrapper of its handle; FromHandle
// makes a temporary wrapper, which does not own the context, for a handle nobody
// attached (it lives until DeleteTempMap, called at idle time). The destructor
// deletes an attached context. Window contexts (CClientDC, CPaintDC, CWindowDC)
// derive from this class with the window system.
#pragma once

#include <windows.h>

#include <mfc/object.h>
#include <mfc/palette.h>

class CDC : public CObject {
  DECLARE_DYNCREATE(CDC)

 public:
  CDC();
  virtual ~CDC();

  HDC m_hDC;
  HDC m_hAttribDC;
  operator HDC() const { return m_hDC; }
  HDC GetSafeHdc() const { return m_hDC; }

  // Null for a null handle.
  static CDC* PASCAL FromHandle(HDC hDC);
  static void PASCAL DeleteTempMap();

  // FALSE for a null handle or when a context is already attached.
  BOOL Attach(HDC hDC);
  HDC Detach();
  BOOL DeleteDC();

  int GetDeviceCaps(int nIndex) const;

  // The previously selected palette (a temporary wrapper unless it was attached);
  // null when either is missing, including a null pPalette.
  CPalette* SelectPalette(CPalette* pPalette, BOOL bForceBackground);
  UINT RealizePalette();

  // Set on both contexts when they differ; the result is the attribute context's.
  int SetMapMode(int nMapMode);
  int GetMapMode() const;
  int SetStretchBltMode(int nStretchMode);
  int GetStretchBltMode() const;

  int StartDoc(LPCTSTR lpszDocName);
  int StartDoc(LPDOCINFO lpDocInfo);
  int StartPage();
  int EndPage();
  int EndDoc();
  int AbortDoc();
};
