// comdlg32: the common file and print dialogs.
//
// There are no dialog windows: each dialog is a question to the person at the screen
// (platform/person.h), and the answer fills the record as the dialog would. Hook
// procedures and templates are not called or used; printers are described by the
// device context the dialog returns, never by DEVMODE or DEVNAMES blocks (hDevMode
// and hDevNames are neither read nor written).
#pragma once

#include "windef.h"

extern "C" {

typedef UINT_PTR(CALLBACK* LPOFNHOOKPROC)(HWND, UINT, WPARAM, LPARAM);
typedef UINT_PTR(CALLBACK* LPPRINTHOOKPROC)(HWND, UINT, WPARAM, LPARAM);
typedef UINT_PTR(CALLBACK* LPSETUPHOOKPROC)(HWND, UINT, WPARAM, LPARAM);

// ---------------------------------------------------------------------------------
// File dialogs

#define OFN_READONLY 0x00000001
#define OFN_OVERWRITEPROMPT 0x00000002
#define OFN_HIDEREADONLY 0x00000004
#define OFN_NOCHANGEDIR 0x00000008
#define OFN_SHOWHELP 0x00000010
#define OFN_ENABLEHOOK 0x00000020
#define OFN_ENABLETEMPLATE 0x00000040
#define OFN_ENABLETEMPLATEHANDLE 0x00000080
#define OFN_NOVALIDATE 0x00000100
#define OFN_ALLOWMULTISELECT 0x00000200
#define OFN_EXTENSIONDIFFERENT 0x00000400
#define OFN_PATHMUSTEXIST 0x00000800
#define OFN_FILEMUSTEXIST 0x00001000
#define OFN_CREATEPROMPT 0x00002000
#define OFN_SHAREAWARE 0x00004000
#define OFN_NOREADONLYRETURN 0x00008000
#define OFN_NOTESTFILECREATE 0x00010000
#define OFN_EXPLORER 0x00080000
#define OFN_NODEREFERENCELINKS 0x00100000
#define OFN_LONGNAMES 0x00200000

typedef struct tagOFNA {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  LPCSTR lpstrFilter;  // pairs of NUL-terminated strings, ended by an empty one
  LPSTR lpstrCustomFilter;
  DWORD nMaxCustFilter;
  DWORD nFilterIndex;
  LPSTR lpstrFile;  // in: the proposed name; out: the path chosen
  DWORD nMaxFile;
  LPSTR lpstrFileTitle;  // out: the file name without its directory
  DWORD nMaxFileTitle;
  LPCSTR lpstrInitialDir;
  LPCSTR lpstrTitle;
  DWORD Flags;
  WORD nFileOffset;     // out: where the file name starts in lpstrFile
  WORD nFileExtension;  // out: where its extension starts (see GetSaveFileNameA)
  LPCSTR lpstrDefExt;
  LPARAM lCustData;
  LPOFNHOOKPROC lpfnHook;
  LPCSTR lpTemplateName;
} OPENFILENAMEA, *LPOPENFILENAMEA;
typedef OPENFILENAMEA OPENFILENAME;
typedef LPOPENFILENAMEA LPOPENFILENAME;

// The save dialog. TRUE when the person chose a path, which then fills lpstrFile;
// FALSE when the person cancelled (CommDlgExtendedError 0) or the dialog failed
// (CommDlgExtendedError says why). A name typed without an extension gets
// lpstrDefExt. OFN_OVERWRITEPROMPT asks the person before an existing file is
// chosen, OFN_PATHMUSTEXIST refuses a missing directory (both as message boxes,
// then the dialog counts as cancelled). OFN_ALLOWMULTISELECT still gives one file.
BOOL WINAPI GetSaveFileNameA(LPOPENFILENAMEA ofn);
// The open dialog, likewise; OFN_FILEMUSTEXIST refuses a missing file.
BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA ofn);

// ---------------------------------------------------------------------------------
// Print dialog

#define PD_ALLPAGES 0x00000000
#define PD_SELECTION 0x00000001
#define PD_PAGENUMS 0x00000002
#define PD_NOSELECTION 0x00000004
#define PD_NOPAGENUMS 0x00000008
#define PD_COLLATE 0x00000010
#define PD_PRINTTOFILE 0x00000020
#define PD_PRINTSETUP 0x00000040
#define PD_NOWARNING 0x00000080
#define PD_RETURNDC 0x00000100
#define PD_RETURNIC 0x00000200
#define PD_RETURNDEFAULT 0x00000400
#define PD_SHOWHELP 0x00000800
#define PD_ENABLEPRINTHOOK 0x00001000
#define PD_ENABLESETUPHOOK 0x00002000
#define PD_ENABLEPRINTTEMPLATE 0x00004000
#define PD_ENABLESETUPTEMPLATE 0x00008000
#define PD_ENABLEPRINTTEMPLATEHANDLE 0x00010000
#define PD_ENABLESETUPTEMPLATEHANDLE 0x00020000
#define PD_USEDEVMODECOPIES 0x00040000
#define PD_USEDEVMODECOPIESANDCOLLATE 0x00040000
#define PD_DISABLEPRINTTOFILE 0x00080000
#define PD_HIDEPRINTTOFILE 0x00100000
#define PD_NONETWORKBUTTON 0x00200000

typedef struct tagPDA {
  DWORD lStructSize;
  HWND hwndOwner;
  HGLOBAL hDevMode;
  HGLOBAL hDevNames;
  HDC hDC;  // out: the printer, with PD_RETURNDC or PD_RETURNIC
  DWORD Flags;
  WORD nFromPage;
  WORD nToPage;
  WORD nMinPage;
  WORD nMaxPage;
  WORD nCopies;  // in: proposed; out: chosen
  HINSTANCE hInstance;
  LPARAM lCustData;
  LPPRINTHOOKPROC lpfnPrintHook;
  LPSETUPHOOKPROC lpfnSetupHook;
  LPCSTR lpPrintTemplateName;
  LPCSTR lpSetupTemplateName;
  HGLOBAL hPrintTemplate;
  HGLOBAL hSetupTemplate;
} PRINTDLGA, *LPPRINTDLGA;
typedef PRINTDLGA PRINTDLG;
typedef LPPRINTDLGA LPPRINTDLG;

// The print dialog. TRUE when the person chose a printer: nCopies is the number
// of copies, and with PD_RETURNDC (or PD_RETURNIC: a printer context answers the
// same queries) hDC is a new printer device context (platform/printer.h) that the
// caller deletes with DeleteDC. FALSE when the person cancelled
// (CommDlgExtendedError 0) or the dialog failed. There is no default printer to
// return without asking: PD_RETURNDEFAULT fails with PDERR_NODEFAULTPRN.
BOOL WINAPI PrintDlgA(LPPRINTDLGA pd);

// ---------------------------------------------------------------------------------
// Errors

#define CDERR_DIALOGFAILURE 0xFFFF
#define CDERR_STRUCTSIZE 0x0001
#define CDERR_INITIALIZATION 0x0002
#define PDERR_NODEFAULTPRN 0x1008
#define PDERR_CREATEICFAILURE 0x100A
#define FNERR_INVALIDFILENAME 0x3002
#define FNERR_BUFFERTOOSMALL 0x3003

// Why the calling thread's last dialog returned FALSE; 0 when it was cancelled
// (or succeeded).
DWORD WINAPI CommDlgExtendedError(void);

}  // extern "C"
