// CDIB: the plug-in's one in-memory image, a device-independent bitmap.
//
// One 1064-byte block holds the 40-byte header and room for a full 256-entry colour
// table whatever the bit count; the pixels live in movable global memory, decoded
// pixels in m_hBits and, once an image has been colour-matched, the matched copy in
// m_hMatchedBits. Both pixel blocks are described by the same header.
//
// Every operation that hands a pixel block to GDI or to the quantizer first checks
// that the block holds the whole pixel array the header describes: the readers
// replace the blocks directly, and nothing may read past one.
#pragma once

#include <afx.h>
#include <afxwin.h>
#include <windows.h>

class CColorMapSource;

// The display mode of an instance embedded in a page (NP_EMBED): it shows one image,
// the matched one when there is one; every other mode shows both side by side.
constexpr int kEmbeddedMode = 1;

// The header block: BITMAPINFOHEADER plus 256 RGBQUADs.
constexpr size_t kDibInfoBytes = sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD);

class CDIB : public CObject {
  DECLARE_SERIAL(CDIB)

 public:
  CDIB();
  ~CDIB() override;
  void Serialize(CArchive& ar) override;

  virtual BOOL Create(int nWidth, int nHeight);
  virtual BOOL Read(CFile* pFile);
  // nMode: the NPAPI mode of the instance drawing (NP_EMBED: the matched image alone).
  virtual void Draw(CDC* pDC, int x, int y, int nMode);
  virtual void Print(CDC* pDC);
  virtual int Width();
  virtual int Height();
  virtual LPBITMAPINFOHEADER InvertHeight();
  virtual int SetBitCount(WORD wBits);
  virtual int BitCount();
  virtual BOOL Quantize();
  virtual BOOL QuantizeMatched();
  virtual BOOL MakePalette(const CColorMapSource* pColorSource);

  int NumColors();

  CPalette* m_pPalette;        // built by MakePalette; owned
  HGLOBAL m_hMatchedBits;      // colour-matched pixels, or NULL; owned
  LPBITMAPINFOHEADER m_pInfo;  // kDibInfoBytes from malloc; owned
  HGLOBAL m_hBits;             // decoded pixels; owned
  LONG m_nRowBytes;            // row size of the last BMP read

 private:
  BOOL HoldsImage(HGLOBAL hBlock);
  BOOL QuantizeBlock(HGLOBAL& hBlock);
  void DrawBlock(CDC* pDC, HGLOBAL hBlock, int xDest, int yDest);
};

// TRUE for a 40-byte Windows header, FALSE for a 12-byte OS/2 core header.
BOOL IsWin30DIB(const void* lpDIB);

// Colour-table entries of a Windows or OS/2 header: biClrUsed when a Windows header
// sets it, else 2, 16 or 256 for 1, 4 or 8 bits and 0 for any other bit count.
DWORD DIBNumColors(const void* lpDIB);

// Bytes of the colour table of a packed DIB: 4 a colour after a Windows header, 3
// after an OS/2 one.
DWORD PaletteSize(const void* lpDIB);

// The pixels of a packed DIB: after the header and its colour table.
LPBYTE FindDIBBits(void* lpDIB);

// Bytes of one pixel row, padded to 4 bytes, computed in 64 bits.
ULONGLONG DIBRowBytes(WORD wBitCount, LONG lWidth);

// A LOGPALETTE (from malloc) of the bitmap's NumColors entries: entry i comes from
// the colour map of pColorSource while the map has an entry i (and is also written
// into the bitmap's colour table), with peFlags PC_RESERVED; otherwise from the
// bitmap's colour table, with peFlags 0. NULL when the bitmap has no colour table or
// the memory cannot be had. The caller frees it.
LPLOGPALETTE CreateDIBLogPalette(CDIB* pDIB, const CColorMapSource* pColorSource);
