// State shared by every instance of one loaded plug-in module. All of it is zero,
// null or empty when the module is loaded; the viewer document resets most of it.
#pragma once

#include <afx.h>
#include <windows.h>

class CImgVuWnd;
class CColorEngine;

constexpr int kMaxProfilePaths = 10;

extern CImgVuWnd* g_pCurrentWnd;      // window of the most recent Open
extern CColorEngine* g_pColorEngine;  // the colour engine binding
extern int g_bEngineReady;            // 1 when the engine and all its entry points bound
extern int g_bEmbeddedProfile;        // 1 once the current image's profile was saved
extern CString g_strProfilePaths[kMaxProfilePaths];  // saved source profiles; [0] is matched
extern int g_nProfilePaths;                          // entries of g_strProfilePaths in use
extern CString g_strWindowsDir;  // the Windows directory, ending in one backslash

// Records a saved profile after those already recorded. A full table keeps what it
// has and refuses the new path: entry 0 is the one matched, and nothing may be written
// past the table. Returns TRUE when the path was recorded.
BOOL AppendProfilePath(const CString& strPath);

// Records the one source profile of a JPEG image: entry 0, count 1.
void SetSourceProfilePath(const CString& strPath);

// The engine binding is one object per module shared by every document: the first
// document's construction creates and loads it (setting g_bEngineReady), later ones
// use it too, and it is released when the last document that may still match is
// gone. A document that is let go of keeps its use (RetainColorEngine).
void AcquireColorEngine();
void ReleaseColorEngine();
void RetainColorEngine();
int ColorEngineUsers();

// Every message the plug-in shows: no owner, caption "Plug-in", OK only unless the
// style adds an icon.
int PluginMessageBox(const char* pszText, UINT nStyle = MB_OK);
