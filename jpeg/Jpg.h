// CJPG: the plug-in's JPEG reader. It decodes a file into a CDIB with JpegToDib,
// finds the source profile that the file carries in "JFXX" APP1 or APP2 segments,
// installs it in the Windows directory under the engine's name for it, and matches
// the pixels to the monitor profile.
//
// The marker scan reads the file itself, byte by byte through CFile, independently
// of the JPEG library. It treats the file as hostile: it ends at the first premature
// end of file (after one message), writes nothing for a chunk whose first chunk it has
// not seen, lets no name from the file leave the Windows directory, and catches every
// file exception; a profile is recorded only once its file is in place.
#pragma once

#include <afx.h>
#include <windows.h>

#include "viewer/ProfileLock.h"

class CDIB;

class CJPG : public CObject {
  DECLARE_SERIAL(CJPG)

 public:
  CJPG();
  ~CJPG() override;

  // Decodes the file into pDIB as 24-bit pixels (one-component files are widened to
  // grey BGR), then, when the engine is bound, installs the embedded profile and
  // matches. FALSE when nothing was decoded; pDIB is then unchanged.
  BOOL ConvertToDIB(const char* pszPath, CDIB* pDIB);

  // The marker scan; its results are g_strProfilePaths[0], g_nProfilePaths and
  // g_bEmbeddedProfile.
  void FindSourceProfile(const char* pszPath);

  // Fills pDIB->m_hMatchedBits with the pixels matched from the source profile to
  // the monitor profile, or shows why not.
  void MatchToMonitor(CDIB* pDIB);

  // Segment readers of the scan; TRUE: go on scanning.
  BOOL CheckJFXX();
  BOOL ReadApp1ProfileChunk();
  BOOL ReadApp2ProfileChunk();

  // Readers on m_fileJPG. After the first premature end of file (reported once)
  // every read yields 0.
  int ReadByte();
  WORD ReadWord();
  DWORD ReadLong();
  int NextMarker();
  void SkipSegment();

  HGLOBAL m_hImage;
  int m_nWidth;
  int m_nHeight;
  int m_nBitCount;
  WORD m_wSegLength;
  char m_szIdent[5];
  BYTE m_byExtension;
  CString m_strTempProfile;
  BYTE m_abChunkHeader[12];
  UINT m_nChunk;
  UINT m_nChunks;
  LONG m_lChunkData;
  CFile m_fileJPG;
  CFile m_fileProfile;
  BOOL m_bEndOfFile;           // the scan has met the end of the file
  CProfileLock m_lockProfile;  // from the temporary file to the session's begin

 private:
  BOOL ReadBlock(void* pBuffer, UINT nCount);
  BOOL OpenTempProfile();
  BOOL CopyChunk(ULONGLONG nBytes, BOOL bWrite);
  BOOL StoreChunk(ULONGLONG nBytes);
  BOOL InstallProfile();
  BOOL WidenGreyImage();
};
