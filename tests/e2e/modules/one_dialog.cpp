// A dialog library with only one of its two functions, built once with each: the
// plug-in must refuse to load beside either.
#include <zirndlg.h>

#ifdef KEEP_About
int ZirnDlg_About(void) { return 1; }
#endif

#ifdef KEEP_ProfileSetup
int ZirnDlg_ProfileSetup(void) { return 1; }
#endif
