// CTIFF: saving the ICC profile of tag 34675 as a file in the Windows directory.
//
// The profile is written to a temporary file, named by the engine, and moved to its
// final name. A profile the engine cannot name, or whose name leaves nothing to save
// it under, is not kept: the temporary file is removed and nothing is recorded, so
// the image is shown unmatched. The path is recorded in the module's table while it
// has room; matching uses the path this reader saved, which is entry 0 for the first
// image of a document and stays right for the later ones and for a full table.
//
// Views of other processes save through the same temporary file: the Windows
// directory's profile lock is taken before it is created and held until the
// conversion's matching session has begun (or the reader is done).
#include "tiff/Tiff.h"

#include "color/ColorEngine.h"
#include "viewer/ModuleState.h"
#include "viewer/ProfileName.h"

namespace {

constexpr const char* kTemporaryName = "ppp.icm";
constexpr UINT kExclusiveCreate = CFile::modeCreate | CFile::modeReadWrite | CFile::shareExclusive;

void RemoveQuietly(const CString& strPath) {
  try {
    CFile::Remove(strPath);
  } catch (CException* e) {
    e->Delete();
  }
}

}  // namespace

void CTIFF::SaveSourceProfile(const BYTE* pProfile, DWORD dwCount) {
  CString strTemporary = ProfilePathIn(g_strWindowsDir, kTemporaryName);
  CFile file;
  if (strTemporary.IsEmpty() || !m_lockProfile.Acquire() ||
      !file.Open(strTemporary, kExclusiveCreate)) {
    PluginMessageBox("Failed in OpenFile");
    return;
  }
  file.Write(pProfile, dwCount);
  file.Close();

  char szName[kProfileNameSize] = {};
  if (g_pColorEngine->m_pfnGetProfileName(strTemporary, szName) <= 0) {
    PluginMessageBox("Failed in GetProfileName");
    RemoveQuietly(strTemporary);
    return;
  }
  CString strFinal = ProfileFilePath(g_strWindowsDir, szName);
  if (strFinal.IsEmpty()) {
    RemoveQuietly(strTemporary);
    return;
  }

  // An older profile of the same name makes way for this one.
  CFile old;
  if (old.Open(strFinal, kExclusiveCreate)) {
    old.Close();
    DeleteFileA(strFinal);
  }
  CFile::Rename(strTemporary, strFinal);

  AppendProfilePath(strFinal);
  m_strSourceProfile = strFinal;
  g_bEmbeddedProfile = 1;
}
