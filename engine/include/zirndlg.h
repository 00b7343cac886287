/* ZIRNDLG.dll: the colour engine's dialogs. On Windows the plug-in links these by
 * ordinal (12: About, 11: profile setup); ELF has no ordinals, so they are linked by
 * these names. */
#ifndef ZIRNDLG_H
#define ZIRNDLG_H

#define ZIRNDLG_API __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

/* Ordinal 12. Shows the engine's name and version and the current monitor profile in a
 * message box captioned "About ZIRN". Returns IDOK. */
ZIRNDLG_API int ZirnDlg_About(void);

/* Ordinal 11. Shows the current monitor profile and the display profiles the engine
 * offers in a message box captioned "ZIRN Profile Setup". Returns the button pressed. */
ZIRNDLG_API int ZirnDlg_ProfileSetup(void);

#ifdef __cplusplus
}
#endif

#endif /* ZIRNDLG_H */
