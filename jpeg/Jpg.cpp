// CJPG: decoding into the CDIB, and the marker scan that installs the profile carried
// in "JFXX" segments.
//
// The profile's chunks are joined in "jjj.icm" in the Windows directory. When the
// last chunk is in, the engine names the profile, and the file is moved to that name
// (cut by the shared naming rule, so the name cannot leave the directory) and
// recorded as the source profile. Nothing is recorded before the file is in place: a
// file exception on the way is caught here and reported, and the image is shown
// unmatched. Views of other processes use the same temporary file, so the Windows
// directory's profile lock is held from creating it until the matching session has
// begun (or the conversion ends).
#include "jpeg/Jpg.h"

#include "bitmap/Dib.h"
#include "color/ColorEngine.h"
#include "jpeg/JpegToDib.h"
#include "viewer/ModuleState.h"
#include "viewer/ProfileName.h"

#include <algorithm>
#include <cstring>

IMPLEMENT_SERIAL(CJPG, CObject, 0)

namespace {

constexpr const char* kTempProfileName = "jjj.icm";
constexpr UINT kExclusiveCreate = CFile::modeCreate | CFile::modeReadWrite | CFile::shareExclusive;
constexpr UINT kCopyBlock = 512;

// The framework's exceptions during the scan: the file they name, when they name one.
void ReportFileFailure(CException* e) {
  CString strText = "Failed in accessing file";
  auto* pFileError = dynamic_cast<CFileException*>(e);
  if (pFileError != nullptr && !pFileError->m_strFileName.IsEmpty())
    strText += " " + pFileError->m_strFileName;
  PluginMessageBox(strText);
}

}  // namespace

CJPG::CJPG()
    : m_hImage(nullptr),
      m_nWidth(0),
      m_nHeight(0),
      m_nBitCount(0),
      m_wSegLength(0),
      m_szIdent(),
      m_byExtension(0),
      m_abChunkHeader(),
      m_nChunk(0),
      m_nChunks(0),
      m_lChunkData(0),
      m_bEndOfFile(FALSE) {}

CJPG::~CJPG() = default;

BOOL CJPG::ConvertToDIB(const char* pszPath, CDIB* pDIB) {
  int nComponents = 0;
  m_hImage = JpegToDib(pszPath, &m_nHeight, &m_nWidth, &nComponents);
  if (m_hImage == nullptr) return FALSE;
  m_nBitCount = 24;
  // Create keeps the DIB as it was when it fails, and so does a failed widening.
  if ((nComponents == 1 && !WidenGreyImage()) || !pDIB->Create(m_nWidth, m_nHeight)) {
    GlobalFree(m_hImage);
    m_hImage = nullptr;
    return FALSE;
  }
  pDIB->SetBitCount(24);
  GlobalFree(pDIB->m_hBits);
  pDIB->m_hBits = m_hImage;

  if (g_bEngineReady) {
    // The lock the scan takes for the temporary file is let go of by the end.
    CProfileLockScope lockScope(&m_lockProfile);
    FindSourceProfile(pszPath);
    if (g_bEmbeddedProfile) MatchToMonitor(pDIB);
  }
  return TRUE;
}

// One-component files come from JpegToDib as one grey byte a pixel. The DIB is
// declared 24 bits deep and matched three bytes a pixel, so the grey is widened to
// blue, green, red here; the new rows' pad bytes are 0. A block of another size is refused.
BOOL CJPG::WidenGreyImage() {
  ULONGLONG nGreyRow = DIBRowBytes(8, m_nWidth);
  ULONGLONG nRow = DIBRowBytes(24, m_nWidth);
  ULONGLONG nRows = m_nHeight > 0 ? static_cast<ULONGLONG>(m_nHeight) : 0;
  if (GlobalSize(m_hImage) != nGreyRow * nRows) return FALSE;

  HGLOBAL hWide = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, nRow * nRows);
  if (hWide == nullptr) return FALSE;
  const auto* pGrey = static_cast<const BYTE*>(GlobalLock(m_hImage));
  auto* pWide = static_cast<BYTE*>(GlobalLock(hWide));
  for (ULONGLONG y = 0; y < nRows; ++y) {
    const BYTE* pFrom = pGrey + y * nGreyRow;
    BYTE* pTo = pWide + y * nRow;
    for (int x = 0; x < m_nWidth; ++x, pTo += 3) pTo[0] = pTo[1] = pTo[2] = pFrom[x];
  }
  GlobalUnlock(hWide);
  GlobalUnlock(m_hImage);
  GlobalFree(m_hImage);
  m_hImage = hWide;
  return TRUE;
}

void CJPG::FindSourceProfile(const char* pszPath) {
  CFileException fileError;
  m_bEndOfFile = FALSE;
  if (!m_fileJPG.Open(pszPath, CFile::modeRead | CFile::shareDenyWrite, &fileError)) return;

  try {
    BOOL bGoOn = TRUE;
    while (bGoOn) {
      int nCode = NextMarker();
      if (m_bEndOfFile) break;
      switch (nCode) {
        case 0xD8:  // SOI
        case 0xE0:  // APP0: not skipped by its length; the next 0xFF is looked for
          break;
        case 0xE1:
          bGoOn = CheckJFXX() && ReadApp1ProfileChunk();
          break;
        case 0xE2:
          bGoOn = CheckJFXX() && ReadApp2ProfileChunk();
          break;
        case 0xD9:  // EOI
        case 0xDA:  // SOS
        case 0xFE:  // COM
          bGoOn = FALSE;
          break;
        default:
          SkipSegment();
          break;
      }
      if (m_bEndOfFile) break;
    }
  } catch (CException* e) {
    m_fileProfile.Abort();
    ReportFileFailure(e);
    e->Delete();
  }
}

BOOL CJPG::CheckJFXX() {
  m_wSegLength = ReadWord();
  std::memset(m_szIdent, 0, sizeof m_szIdent);
  if (!ReadBlock(m_szIdent, sizeof m_szIdent) || !ReadBlock(&m_byExtension, 1)) return FALSE;
  // Compared as a terminated string: the fifth byte must be the terminator.
  return m_szIdent[4] == '\0' && _stricmp(m_szIdent, "JFXX") == 0;
}

BOOL CJPG::ReadApp1ProfileChunk() {
  if (!ReadBlock(m_abChunkHeader, 4)) return FALSE;
  m_nChunk = ReadLong();
  m_nChunks = ReadLong();
  if (m_bEndOfFile || m_nChunk > m_nChunks) return FALSE;

  LONGLONG nBytes = 0;
  if (m_nChunk == 1) {
    ReadLong();
    ReadLong();
    m_lChunkData = static_cast<LONG>(ReadLong());
    if (m_bEndOfFile) return FALSE;
    nBytes = static_cast<LONGLONG>(m_wSegLength) - 32;
    if (!OpenTempProfile()) return FALSE;
  } else {
    nBytes = static_cast<LONGLONG>(m_wSegLength) - 20;
  }
  return StoreChunk(nBytes > 0 ? static_cast<ULONGLONG>(nBytes) : 0);
}

BOOL CJPG::ReadApp2ProfileChunk() {
  if (!ReadBlock(m_abChunkHeader, 12)) return FALSE;
  m_nChunk = static_cast<UINT>(ReadByte());
  m_nChunks = static_cast<UINT>(ReadByte());
  if (m_bEndOfFile || m_nChunk > m_nChunks) return FALSE;
  m_lChunkData = static_cast<LONG>(ReadLong());
  if (m_bEndOfFile) return FALSE;
  if (m_nChunk == 1 && !OpenTempProfile()) return FALSE;
  // The byte count is signed: a negative one copies nothing, and a count past the end
  // of the file ends the scan there.
  return StoreChunk(m_lChunkData > 0 ? static_cast<ULONGLONG>(m_lChunkData) : 0);
}

BOOL CJPG::OpenTempProfile() {
  m_strTempProfile = ProfilePathIn(g_strWindowsDir, kTempProfileName);
  if (m_strTempProfile.IsEmpty() || !m_lockProfile.Acquire() ||
      !m_fileProfile.Open(m_strTempProfile, kExclusiveCreate)) {
    PluginMessageBox("Failed in openning file");
    return FALSE;
  }
  return TRUE;
}

// A chunk whose chunk 1 has not been seen has no file to go to: its bytes are passed
// over and the scan goes on.
BOOL CJPG::StoreChunk(ULONGLONG nBytes) {
  BOOL bOpen = m_fileProfile.m_hFile != CFile::hFileNull;
  if (!CopyChunk(nBytes, bOpen)) return FALSE;
  if (bOpen && m_nChunk == m_nChunks) return InstallProfile();
  return TRUE;
}

BOOL CJPG::CopyChunk(ULONGLONG nBytes, BOOL bWrite) {
  BYTE abBuffer[kCopyBlock];
  while (nBytes > 0) {
    UINT nBlock = static_cast<UINT>(std::min<ULONGLONG>(nBytes, kCopyBlock));
    if (!ReadBlock(abBuffer, nBlock)) return FALSE;
    if (bWrite) m_fileProfile.Write(abBuffer, nBlock);
    nBytes -= nBlock;
  }
  return TRUE;
}

BOOL CJPG::InstallProfile() {
  m_fileProfile.Close();
  char szName[kProfileNameSize] = {};
  if (g_pColorEngine->m_pfnGetProfileName(m_strTempProfile, szName) <= 0) {
    PluginMessageBox("Fail in GetProfileName");
    return FALSE;
  }
  // A name with nothing left of it, or one too long for a path, is not installed.
  CString strProfile = ProfileFilePath(g_strWindowsDir, szName);
  if (strProfile.IsEmpty()) return FALSE;

  // A profile named like the temporary file is already in place. Otherwise an older
  // profile of the same name makes way for this one.
  if (strProfile != m_strTempProfile) {
    CFile fileOld;
    if (fileOld.Open(strProfile, kExclusiveCreate)) {
      fileOld.Close();
      DeleteFileA(strProfile);
    }
    CFile::Rename(m_strTempProfile, strProfile);
  }

  SetSourceProfilePath(strProfile);
  g_bEmbeddedProfile = 1;
  return TRUE;
}

// Every read of the scan comes here; the first short one is reported, and from then
// on nothing more is read.
BOOL CJPG::ReadBlock(void* pBuffer, UINT nCount) {
  if (!m_bEndOfFile && m_fileJPG.Read(pBuffer, nCount) == nCount) return TRUE;
  if (!m_bEndOfFile) {
    m_bEndOfFile = TRUE;
    PluginMessageBox("1:Premature EOF in JPEG file");
  }
  return FALSE;
}

int CJPG::ReadByte() {
  BYTE byValue = 0;
  return ReadBlock(&byValue, 1) ? byValue : 0;
}

WORD CJPG::ReadWord() {
  int nHigh = ReadByte();
  int nLow = ReadByte();
  return static_cast<WORD>(nHigh * 256 + nLow);
}

DWORD CJPG::ReadLong() {
  DWORD dwHigh = ReadWord();
  DWORD dwLow = ReadWord();
  return (dwHigh << 16) | dwLow;
}

int CJPG::NextMarker() {
  int nByte = ReadByte();
  while (!m_bEndOfFile && nByte != 0xFF) nByte = ReadByte();
  while (!m_bEndOfFile && nByte == 0xFF) nByte = ReadByte();
  return nByte;
}

void CJPG::SkipSegment() {
  WORD wLength = ReadWord();
  if (m_bEndOfFile) return;
  if (wLength < 2) {
    PluginMessageBox("Erroneous JPEG marker length");
    return;
  }
  CopyChunk(wLength - 2u, FALSE);
}
