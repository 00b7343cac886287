// CDIB: creation, BMP reading, drawing, printing, quantizing and palettes.
//
// Sizes that come from a file or a header are computed in 64 bits and checked
// before anything is allocated or read. Operations that fail keep the object as it
// was: new blocks are made first and swapped in only once everything has worked.
#include "bitmap/Dib.h"

#include "bitmap/ColorMap.h"
#include "bitmap/Quantize.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <utility>

IMPLEMENT_SERIAL(CDIB, CObject, 0)

namespace {

constexpr WORD kBmpType = 0x4D42;  // "BM"
constexpr int kPrintPixelsPerInch = 65;
constexpr DWORD kMaxColors = 256;

// Owners of the blocks an operation makes, until it hands them over.
struct FreeHeader {
  void operator()(LPBITMAPINFOHEADER p) const { std::free(p); }
};
using CInfoBlock = std::unique_ptr<BITMAPINFOHEADER, FreeHeader>;

struct FreeGlobal {
  using pointer = HGLOBAL;
  void operator()(HGLOBAL h) const { GlobalFree(h); }
};
using CGlobalBlock = std::unique_ptr<void, FreeGlobal>;

// The quantizer's result: a locked block known by its address.
struct FreeLockedDIB {
  void operator()(LPBITMAPINFOHEADER p) const {
    HGLOBAL h = GlobalHandle(p);
    GlobalUnlock(h);
    GlobalFree(h);
  }
};
using CPackedDIB = std::unique_ptr<BITMAPINFOHEADER, FreeLockedDIB>;

// A zero-filled header block, so that colour-table entries no file filled are black.
CInfoBlock NewInfoBlock() {
  return CInfoBlock(static_cast<LPBITMAPINFOHEADER>(std::calloc(1, kDibInfoBytes)));
}

LPRGBQUAD ColorTable(LPBITMAPINFOHEADER lpbi) {
  return reinterpret_cast<LPRGBQUAD>(reinterpret_cast<LPBYTE>(lpbi) + sizeof(BITMAPINFOHEADER));
}

ULONGLONG AbsHeight(LONG lHeight) {
  return lHeight < 0 ? static_cast<ULONGLONG>(-static_cast<LONGLONG>(lHeight)) : lHeight;
}

// The 8-bit reduction of the packed 24-bit DIB in packed, which is freed here; NULL
// after "Fail in QuantizeDIB", without calling the quantizer when bReadable is false.
CPackedDIB Reduce(CGlobalBlock packed, bool bReadable) {
  LPBITMAPINFOHEADER lpResult = nullptr;
  if (bReadable) {
    lpResult = QuantizeDIB(static_cast<LPBITMAPINFOHEADER>(GlobalLock(packed.get())),
                           QUANT_METHOD_MEDIAN_CUT, QUANT_DITHER_ORDERED, nullptr);
    GlobalUnlock(packed.get());
  }
  packed.reset();
  CPackedDIB result(lpResult);
  if (result == nullptr) AfxMessageBox("Fail in QuantizeDIB", MB_OK, 0);
  return result;
}

// Bytes of the pixel array the header describes. A row is below 2^33 bytes and the
// height at most 2^31 rows, so the product cannot overflow.
ULONGLONG ImageBytes(const BITMAPINFOHEADER& bi) {
  return DIBRowBytes(bi.biBitCount, bi.biWidth) * AbsHeight(bi.biHeight);
}

// Device pixels for an image length printed at kPrintPixelsPerInch. The product is
// exact in 64 bits and one division rounds it, so whole quotients stay whole.
int ScaleToDevice(ULONGLONG nPixels, int nDeviceDpi) {
  double dLength = std::trunc(static_cast<double>(static_cast<LONGLONG>(nPixels) * nDeviceDpi) /
                              kPrintPixelsPerInch);
  if (dLength >= static_cast<double>(std::numeric_limits<int>::max()))
    return std::numeric_limits<int>::max();
  if (dLength <= static_cast<double>(std::numeric_limits<int>::min()))
    return std::numeric_limits<int>::min();
  return static_cast<int>(dLength);
}

// A packed DIB without colour table: the header, then the whole pixel block. NULL
// when memory is short.
HGLOBAL PackDIB(const BITMAPINFOHEADER& bi, HGLOBAL hBits) {
  size_t nBits = hBits != nullptr ? GlobalSize(hBits) : 0;
  HGLOBAL hPacked = GlobalAlloc(GMEM_MOVEABLE, nBits + sizeof(BITMAPINFOHEADER));
  if (hPacked == nullptr) return nullptr;
  auto* lpPacked = static_cast<LPBYTE>(GlobalLock(hPacked));
  std::memcpy(lpPacked, &bi, sizeof bi);
  if (nBits != 0) {
    std::memcpy(lpPacked + sizeof bi, GlobalLock(hBits), nBits);
    GlobalUnlock(hBits);
  }
  GlobalUnlock(hPacked);
  return hPacked;
}

BOOL ReadExactly(CFile* pFile, void* lpBuf, ULONGLONG nCount) {
  if (nCount > std::numeric_limits<UINT>::max()) return FALSE;
  return pFile->Read(lpBuf, static_cast<UINT>(nCount)) == nCount;
}

// The headers of a BMP file; an OS/2 core header is widened to 40 bytes.
struct BmpHeaders {
  BITMAPFILEHEADER bmf;
  BITMAPINFOHEADER bi;
  BOOL bCore;
};

BOOL ReadBmpHeaders(CFile* pFile, BmpHeaders& headers) {
  if (!ReadExactly(pFile, &headers.bmf, sizeof(BITMAPFILEHEADER))) return FALSE;
  if (headers.bmf.bfType != kBmpType) return FALSE;
  // A small OS/2 file may end before 40 bytes; its core header needs only 12.
  BYTE header[sizeof(BITMAPINFOHEADER)] = {};
  UINT nGot = pFile->Read(header, sizeof header);
  DWORD dwSize = 0;
  if (nGot >= sizeof dwSize) std::memcpy(&dwSize, header, sizeof dwSize);
  if (dwSize == sizeof(BITMAPINFOHEADER) && nGot == sizeof(BITMAPINFOHEADER)) {
    std::memcpy(&headers.bi, header, sizeof(BITMAPINFOHEADER));
    headers.bCore = FALSE;
    return TRUE;
  }
  if (dwSize != sizeof(BITMAPCOREHEADER) || nGot < sizeof(BITMAPCOREHEADER)) return FALSE;
  BITMAPCOREHEADER bc;
  std::memcpy(&bc, header, sizeof bc);
  headers.bi = BITMAPINFOHEADER{};
  headers.bi.biSize = sizeof(BITMAPINFOHEADER);
  headers.bi.biWidth = bc.bcWidth;
  headers.bi.biHeight = bc.bcHeight;
  headers.bi.biPlanes = bc.bcPlanes;
  headers.bi.biBitCount = bc.bcBitCount;
  headers.bCore = TRUE;
  return TRUE;
}

ULONGLONG HeaderBytes(const BmpHeaders& headers) {
  return headers.bCore ? sizeof(BITMAPCOREHEADER) : sizeof(BITMAPINFOHEADER);
}

// Whether the image can be held: a bit count, compression and colour count that GDI
// and the header block take, a pixel array inside the pixel bytes the file header
// declares, those bytes inside the file, and a colour table that ends before them.
BOOL IsAcceptableBmp(const BmpHeaders& headers, ULONGLONG nFileBytes) {
  const BITMAPFILEHEADER& bmf = headers.bmf;
  const BITMAPINFOHEADER& bi = headers.bi;
  WORD wBits = bi.biBitCount;
  if (wBits != 1 && wBits != 4 && wBits != 8 && wBits != 24) return FALSE;
  if (bi.biCompression != BI_RGB || bi.biClrUsed > kMaxColors) return FALSE;
  if (bi.biWidth <= 0 || bi.biHeight == 0) return FALSE;
  if (DIBRowBytes(wBits, bi.biWidth) > static_cast<ULONGLONG>(std::numeric_limits<LONG>::max()))
    return FALSE;
  if (bmf.bfOffBits > bmf.bfSize) return FALSE;
  ULONGLONG nPixelBytes = ULONGLONG{bmf.bfSize} - bmf.bfOffBits;
  if (nPixelBytes < ImageBytes(bi) || ULONGLONG{bmf.bfSize} > nFileBytes) return FALSE;
  ULONGLONG nEntryBytes = headers.bCore ? sizeof(RGBTRIPLE) : sizeof(RGBQUAD);
  ULONGLONG nTableEnd =
      sizeof(BITMAPFILEHEADER) + HeaderBytes(headers) + DIBNumColors(&bi) * nEntryBytes;
  return nTableEnd <= bmf.bfOffBits;
}

BOOL ReadColorTable(CFile* pFile, const BmpHeaders& headers, LPBITMAPINFOHEADER pInfo) {
  DWORD nColors = DIBNumColors(pInfo);
  LPRGBQUAD pTable = ColorTable(pInfo);
  if (!headers.bCore) return ReadExactly(pFile, pTable, ULONGLONG{nColors} * sizeof(RGBQUAD));
  for (DWORD i = 0; i < nColors; ++i) {
    RGBTRIPLE rgbt;
    if (!ReadExactly(pFile, &rgbt, sizeof rgbt)) return FALSE;
    pTable[i] = RGBQUAD{rgbt.rgbtBlue, rgbt.rgbtGreen, rgbt.rgbtRed, 0};
  }
  return TRUE;
}

BOOL ReadPixels(CFile* pFile, ULONGLONG nStart, const BITMAPFILEHEADER& bmf, CGlobalBlock& bits) {
  ULONGLONG nPixelBytes = ULONGLONG{bmf.bfSize} - bmf.bfOffBits;
  bits.reset(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, nPixelBytes));
  if (bits == nullptr) return FALSE;
  pFile->Seek(static_cast<LONGLONG>(nStart + bmf.bfOffBits), CFile::begin);
  LPVOID lpBits = GlobalLock(bits.get());
  if (lpBits == nullptr) return FALSE;
  BOOL bRead = ReadExactly(pFile, lpBits, nPixelBytes);
  GlobalUnlock(bits.get());
  return bRead;
}

// Reads the BMP at the file's position into the new blocks.
BOOL ReadBmp(CFile* pFile, CInfoBlock& info, CGlobalBlock& bits) {
  ULONGLONG nStart = pFile->GetPosition();
  ULONGLONG nLength = pFile->GetLength();
  BmpHeaders headers;
  if (!ReadBmpHeaders(pFile, headers)) return FALSE;
  if (!IsAcceptableBmp(headers, nLength > nStart ? nLength - nStart : 0)) return FALSE;
  if (info == nullptr) return FALSE;
  *info.get() = headers.bi;
  pFile->Seek(static_cast<LONGLONG>(nStart + sizeof(BITMAPFILEHEADER) + HeaderBytes(headers)),
              CFile::begin);
  if (!ReadColorTable(pFile, headers, info.get())) return FALSE;
  return ReadPixels(pFile, nStart, headers.bmf, bits);
}

}  // namespace

BOOL IsWin30DIB(const void* lpDIB) {
  DWORD dwSize;
  std::memcpy(&dwSize, lpDIB, sizeof dwSize);
  return dwSize != sizeof(BITMAPCOREHEADER);
}

DWORD DIBNumColors(const void* lpDIB) {
  WORD wBitCount;
  if (IsWin30DIB(lpDIB)) {
    const auto* lpbi = static_cast<const BITMAPINFOHEADER*>(lpDIB);
    if (lpbi->biClrUsed != 0) return lpbi->biClrUsed;
    wBitCount = lpbi->biBitCount;
  } else {
    wBitCount = static_cast<const BITMAPCOREHEADER*>(lpDIB)->bcBitCount;
  }
  switch (wBitCount) {
    case 1:
      return 2;
    case 4:
      return 16;
    case 8:
      return 256;
    default:
      return 0;
  }
}

DWORD PaletteSize(const void* lpDIB) {
  return DIBNumColors(lpDIB) * (IsWin30DIB(lpDIB) ? sizeof(RGBQUAD) : sizeof(RGBTRIPLE));
}

LPBYTE FindDIBBits(void* lpDIB) {
  DWORD dwSize;
  std::memcpy(&dwSize, lpDIB, sizeof dwSize);
  return static_cast<LPBYTE>(lpDIB) + dwSize + PaletteSize(lpDIB);
}

ULONGLONG DIBRowBytes(WORD wBitCount, LONG lWidth) {
  if (lWidth <= 0) return 0;
  return (ULONGLONG{wBitCount} * static_cast<ULONGLONG>(lWidth) + 31) / 32 * 4;
}

LPLOGPALETTE CreateDIBLogPalette(CDIB* pDIB, const CColorMapSource* pColorSource) {
  DWORD nColors = DIBNumColors(pDIB->m_pInfo);
  if (nColors == 0 || nColors > kMaxColors) return nullptr;
  auto* lpPal = static_cast<LPLOGPALETTE>(
      std::malloc(offsetof(LOGPALETTE, palPalEntry) + nColors * sizeof(PALETTEENTRY)));
  if (lpPal == nullptr) return nullptr;
  lpPal->palVersion = 0x300;
  lpPal->palNumEntries = static_cast<WORD>(nColors);
  LPPALETTEENTRY pEntries = lpPal->palPalEntry;
  LPRGBQUAD pTable = ColorTable(pDIB->m_pInfo);

  // The map may be absent or shorter than the table: the table fills in the rest.
  DWORD nMapped = 0;
  if (pColorSource != nullptr && pColorSource->m_pColorMap != nullptr &&
      pColorSource->m_nColorMapEntries > 0) {
    nMapped = static_cast<DWORD>(pColorSource->m_nColorMapEntries);
  }
  const ColorMapEntry* pMap = pColorSource != nullptr ? pColorSource->m_pColorMap : nullptr;
  for (DWORD i = 0; i < nColors; ++i) {
    if (i < nMapped) {
      pTable[i].rgbRed = static_cast<BYTE>(pMap[i].red * 255u / 65535u);
      pTable[i].rgbGreen = static_cast<BYTE>(pMap[i].green * 255u / 65535u);
      pTable[i].rgbBlue = static_cast<BYTE>(pMap[i].blue * 255u / 65535u);
      pEntries[i] =
          PALETTEENTRY{pTable[i].rgbRed, pTable[i].rgbGreen, pTable[i].rgbBlue, PC_RESERVED};
    } else {
      pEntries[i] = PALETTEENTRY{pTable[i].rgbRed, pTable[i].rgbGreen, pTable[i].rgbBlue, 0};
    }
  }
  return lpPal;
}

CDIB::CDIB()
    : m_pPalette(nullptr),
      m_hMatchedBits(nullptr),
      m_pInfo(nullptr),
      m_hBits(nullptr),
      m_nRowBytes(0) {
  // A CDIB without its blocks could not answer a single query.
  if (!Create(16, 16)) AfxThrowMemoryException();
}

CDIB::~CDIB() {
  std::free(m_pInfo);
  if (m_hBits != nullptr) GlobalFree(m_hBits);
  if (m_hMatchedBits != nullptr) GlobalFree(m_hMatchedBits);
  delete m_pPalette;
}

void CDIB::Serialize(CArchive&) {}

// An 8-bit image of zero pixels with a grey colour table. FALSE, with the previous
// image kept, for a negative size or when memory is short.
BOOL CDIB::Create(int nWidth, int nHeight) {
  if (nWidth < 0 || nHeight < 0) return FALSE;
  CInfoBlock info = NewInfoBlock();
  if (info == nullptr) return FALSE;
  CGlobalBlock bits(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, DIBRowBytes(8, nWidth) * nHeight));
  if (bits == nullptr) return FALSE;

  LPBITMAPINFOHEADER lpbi = info.get();
  lpbi->biSize = sizeof(BITMAPINFOHEADER);
  lpbi->biWidth = nWidth;
  lpbi->biHeight = nHeight;
  lpbi->biPlanes = 1;
  lpbi->biBitCount = 8;
  lpbi->biCompression = BI_RGB;
  LPRGBQUAD pTable = ColorTable(lpbi);
  for (int i = 0; i < 256; ++i) {
    BYTE grey = static_cast<BYTE>(i);
    pTable[i] = RGBQUAD{grey, grey, grey, 0};
  }

  std::free(m_pInfo);
  if (m_hBits != nullptr) GlobalFree(m_hBits);
  m_pInfo = info.release();
  m_hBits = bits.release();
  return TRUE;
}

// A BMP file from the file's current position. FALSE, with the previous image kept,
// for anything this object cannot hold or the file does not deliver.
BOOL CDIB::Read(CFile* pFile) {
  CInfoBlock info = NewInfoBlock();
  CGlobalBlock bits;
  try {
    if (!ReadBmp(pFile, info, bits)) return FALSE;
  } catch (CException* e) {
    e->Delete();
    return FALSE;
  }
  std::free(m_pInfo);
  if (m_hBits != nullptr) GlobalFree(m_hBits);
  m_pInfo = info.release();
  m_hBits = bits.release();
  m_nRowBytes = static_cast<LONG>(DIBRowBytes(m_pInfo->biBitCount, m_pInfo->biWidth));
  return TRUE;
}

// TRUE when the block holds every pixel the header describes, with a colour table
// the header block has room for.
BOOL CDIB::HoldsImage(HGLOBAL hBlock) {
  if (hBlock == nullptr || DIBNumColors(m_pInfo) > kMaxColors) return FALSE;
  return GlobalSize(hBlock) >= ImageBytes(*m_pInfo);
}

void CDIB::DrawBlock(CDC* pDC, HGLOBAL hBlock, int xDest, int yDest) {
  if (!HoldsImage(hBlock)) return;
  LPVOID lpBits = GlobalLock(hBlock);
  if (lpBits == nullptr) return;
  int w = Width();
  int h = Height();
  // Where GDI starts counting source rows differs between bottom-up and top-down
  // bitmaps (and, for top-down ones, between GDI's fast and general paths). A source
  // that spans the whole image is the same rectangle under each rule, so the scroll
  // offsets move the destination instead and GDI clips it to the window.
  StretchDIBits(pDC->m_hDC, xDest, yDest, w, h, 0, 0, w, h, lpBits,
                reinterpret_cast<LPBITMAPINFO>(m_pInfo), DIB_RGB_COLORS, SRCCOPY);
  GlobalUnlock(hBlock);
}

// The image at scroll offset (x, y) with its top-left corner at the window origin:
// the matched pixels alone when embedded, else one picture twice as wide, the decoded
// image and then the matched one, of which the window shows columns x onwards.
void CDIB::Draw(CDC* pDC, int x, int y, int nMode) {
  if (nMode == kEmbeddedMode) {
    DrawBlock(pDC, m_hMatchedBits != nullptr ? m_hMatchedBits : m_hBits, -x, -y);
    return;
  }
  DrawBlock(pDC, m_hBits, -x, -y);
  if (m_hMatchedBits != nullptr) DrawBlock(pDC, m_hMatchedBits, Width() - x, -y);
}

// The image centred on the page at kPrintPixelsPerInch.
void CDIB::Print(CDC* pDC) {
  if (m_pPalette != nullptr) {
    pDC->SelectPalette(m_pPalette, TRUE);
    pDC->RealizePalette();
  }
  pDC->SetMapMode(MM_TEXT);
  int nPageWidth = pDC->GetDeviceCaps(HORZRES);
  int nPageHeight = pDC->GetDeviceCaps(VERTRES);
  ULONGLONG nWidth = m_pInfo->biWidth > 0 ? static_cast<ULONGLONG>(m_pInfo->biWidth) : 0;
  ULONGLONG nHeight = AbsHeight(m_pInfo->biHeight);
  int nDestWidth = ScaleToDevice(nWidth, pDC->GetDeviceCaps(LOGPIXELSX));
  int nDestHeight = ScaleToDevice(nHeight, pDC->GetDeviceCaps(LOGPIXELSY));
  int xDest = static_cast<int>((LONGLONG{nPageWidth} - nDestWidth) / 2);
  int yDest = static_cast<int>((LONGLONG{nPageHeight} - nDestHeight) / 2);

  HGLOBAL hBlock = m_hMatchedBits != nullptr ? m_hMatchedBits : m_hBits;
  if (!HoldsImage(hBlock)) return;
  LPVOID lpBits = GlobalLock(hBlock);
  if (lpBits == nullptr) return;
  pDC->SetStretchBltMode(COLORONCOLOR);
  int nLines = StretchDIBits(pDC->m_hDC, xDest, yDest, nDestWidth, nDestHeight, 0, 0,
                             static_cast<int>(nWidth), static_cast<int>(nHeight), lpBits,
                             reinterpret_cast<LPBITMAPINFO>(m_pInfo), DIB_RGB_COLORS, SRCCOPY);
  GlobalUnlock(hBlock);
  if (nLines == GDI_ERROR) AfxMessageBox("GDI ERROR", MB_OK, 0);
}

int CDIB::Width() { return m_pInfo->biWidth; }

int CDIB::Height() { return static_cast<int>(AbsHeight(m_pInfo->biHeight)); }

LPBITMAPINFOHEADER CDIB::InvertHeight() {
  m_pInfo->biHeight = -m_pInfo->biHeight;
  return m_pInfo;
}

int CDIB::SetBitCount(WORD wBits) {
  m_pInfo->biBitCount = wBits;
  m_pInfo->biClrUsed = 0;
  m_pInfo->biClrImportant = 0;
  return 0;
}

int CDIB::BitCount() { return m_pInfo->biBitCount; }

int CDIB::NumColors() { return static_cast<int>(DIBNumColors(m_pInfo)); }

// Replaces the 24-bit pixels of hBlock by 8-bit ones and the colour table by theirs.
// On failure the object is unchanged: the header is rewritten only once the new
// pixel block exists.
BOOL CDIB::QuantizeBlock(HGLOBAL& hBlock) {
  CGlobalBlock packed(PackDIB(*m_pInfo, hBlock));
  if (packed == nullptr) {
    AfxMessageBox("Memory Allocation Failed for hDIB24.", MB_OK, 0);
    return FALSE;
  }
  // The quantizer reads every row the header describes.
  CPackedDIB result = Reduce(std::move(packed), HoldsImage(hBlock));
  if (result == nullptr) return FALSE;

  ULONGLONG nBytes8 = ImageBytes(*result.get());
  CGlobalBlock bits8(GlobalAlloc(GMEM_MOVEABLE, nBytes8));
  if (bits8 == nullptr) {
    AfxMessageBox("Memory Allocation Failed for hDIB8.", MB_OK, 0);
    return FALSE;
  }
  std::memcpy(GlobalLock(bits8.get()), FindDIBBits(result.get()), nBytes8);
  GlobalUnlock(bits8.get());
  std::memcpy(m_pInfo, result.get(), kDibInfoBytes);
  if (hBlock != nullptr) GlobalFree(hBlock);
  hBlock = bits8.release();
  return TRUE;
}

BOOL CDIB::Quantize() { return QuantizeBlock(m_hBits); }

// Both blocks share one header and one colour table, so the table is made for the
// decoded and the matched pixels together: the decoded rows (8-bit after Quantize,
// read through their table, or still 24-bit) and then the matched rows form one
// 24-bit picture of twice the height, reduced at once and cut in two again. On
// failure the object is unchanged.
BOOL CDIB::QuantizeMatched() {
  const BITMAPINFOHEADER bi = *m_pInfo;
  const ULONGLONG nHeight = AbsHeight(bi.biHeight);
  const ULONGLONG nRow24 = DIBRowBytes(24, bi.biWidth);
  const ULONGLONG nRowDecoded = DIBRowBytes(bi.biBitCount, bi.biWidth);
  BITMAPINFOHEADER biBoth = bi;
  biBoth.biBitCount = 24;
  biBoth.biClrUsed = 0;
  biBoth.biClrImportant = 0;
  biBoth.biHeight =
      bi.biHeight < 0 ? -static_cast<LONG>(2 * nHeight) : static_cast<LONG>(2 * nHeight);
  bool bUsable = (bi.biBitCount == 8 || bi.biBitCount == 24) && bi.biWidth > 0 &&
                 nHeight <= std::numeric_limits<LONG>::max() / 2 && m_hBits != nullptr &&
                 m_hMatchedBits != nullptr && GlobalSize(m_hBits) >= nRowDecoded * nHeight &&
                 GlobalSize(m_hMatchedBits) >= nRow24 * nHeight;

  if (!bUsable) {
    AfxMessageBox("Fail in QuantizeDIB", MB_OK, 0);
    return FALSE;
  }
  CGlobalBlock packed(GlobalAlloc(GMEM_MOVEABLE, sizeof(BITMAPINFOHEADER) + nRow24 * 2 * nHeight));
  if (packed == nullptr) {
    AfxMessageBox("Memory Allocation Failed for hDIB24.", MB_OK, 0);
    return FALSE;
  }
  auto* lpPacked = static_cast<LPBYTE>(GlobalLock(packed.get()));
  std::memcpy(lpPacked, &biBoth, sizeof biBoth);
  LPBYTE lpRows = lpPacked + sizeof biBoth;
  const auto* lpDecoded = static_cast<const BYTE*>(GlobalLock(m_hBits));
  const RGBQUAD* pTable = ColorTable(m_pInfo);
  for (ULONGLONG r = 0; r < nHeight; ++r) {
    const BYTE* pSource = lpDecoded + r * nRowDecoded;
    LPBYTE pDest = lpRows + r * nRow24;
    if (bi.biBitCount == 24) {
      std::memcpy(pDest, pSource, nRow24);
      continue;
    }
    for (LONG x = 0; x < bi.biWidth; ++x, pDest += 3) {
      const RGBQUAD& q = pTable[pSource[x]];
      pDest[0] = q.rgbBlue;
      pDest[1] = q.rgbGreen;
      pDest[2] = q.rgbRed;
    }
  }
  GlobalUnlock(m_hBits);
  std::memcpy(lpRows + nRow24 * nHeight, GlobalLock(m_hMatchedBits), nRow24 * nHeight);
  GlobalUnlock(m_hMatchedBits);
  GlobalUnlock(packed.get());
  CPackedDIB result = Reduce(std::move(packed), true);
  if (result == nullptr) return FALSE;

  const ULONGLONG nHalf = DIBRowBytes(8, bi.biWidth) * nHeight;
  CGlobalBlock decoded8(GlobalAlloc(GMEM_MOVEABLE, nHalf));
  CGlobalBlock matched8(GlobalAlloc(GMEM_MOVEABLE, nHalf));
  if (decoded8 == nullptr || matched8 == nullptr) {
    AfxMessageBox("Memory Allocation Failed for hDIB8.", MB_OK, 0);
    return FALSE;
  }
  LPBYTE lpBits8 = FindDIBBits(result.get());
  std::memcpy(GlobalLock(decoded8.get()), lpBits8, nHalf);
  GlobalUnlock(decoded8.get());
  std::memcpy(GlobalLock(matched8.get()), lpBits8 + nHalf, nHalf);
  GlobalUnlock(matched8.get());
  std::memcpy(m_pInfo, result.get(), kDibInfoBytes);
  m_pInfo->biHeight = bi.biHeight;
  GlobalFree(m_hBits);
  GlobalFree(m_hMatchedBits);
  m_hBits = decoded8.release();
  m_hMatchedBits = matched8.release();
  return TRUE;
}

BOOL CDIB::MakePalette(const CColorMapSource* pColorSource) {
  LPLOGPALETTE lpPal = CreateDIBLogPalette(this, pColorSource);
  if (lpPal == nullptr) return FALSE;
  delete m_pPalette;
  m_pPalette = new CPalette;
  BOOL bAttached = m_pPalette->Attach(::CreatePalette(lpPal));
  std::free(lpPal);
  return bAttached;
}
