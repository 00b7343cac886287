// The person at the screen: every modal question the system asks (message boxes,
// pop-up menus, file and print dialogs, dialog boxes) goes to one replaceable object.
// The default answers as nobody would: message boxes are written to stderr as
// "Caption: text" and answered OK; every other question is cancelled.
//
// Texts reach the person exactly as the system wrote them (code page 1252 bytes).
#pragma once

#include <platform/printer.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace platform {

class DialogView;

// One item of a pop-up menu, as AppendMenuA made it.
struct MenuItem {
  UINT flags = 0;    // MF_STRING or MF_SEPARATOR, with MF_GRAYED, MF_DISABLED, MF_CHECKED
  UINT id = 0;       // 0 for a separator
  std::string text;  // empty for a separator
};

// TrackPopupMenu's question.
struct MenuQuestion {
  std::vector<MenuItem> items;
  POINT point{};   // where the menu opens, in screen coordinates
  UINT flags = 0;  // TPM_*
  HWND owner = nullptr;
};

// A file dialog's question (GetSaveFileNameA, GetOpenFileNameA).
struct FileQuestion {
  bool save = false;
  std::string title;             // empty: the dialog's own ("Save As", "Open")
  std::string fileName;          // the name proposed in the dialog
  std::string defaultExtension;  // without its dot; empty when there is none
  // The filter list with each NUL that ends a part written as '|', so a list of
  // pairs ends in "||": "JPEG (*.JPG)|*.JPG||". Empty when there is no filter.
  std::string filter;
  std::string initialDirectory;
  DWORD flags = 0;  // OFN_*
};

// A print dialog's question (PrintDlgA).
struct PrintQuestion {
  // PD_* as the caller asked for the dialog. The kind of handle the dialog hands
  // back (PD_RETURNDC, PD_RETURNIC) is not the person's question and is left out.
  DWORD flags = 0;
  WORD copies = 1;  // the number of copies proposed
};

struct PrintAnswer {
  PrinterSetup printer;
  WORD copies = 1;
};

class Person {
 public:
  virtual ~Person();

  // A modal message box; returns the button pressed (IDOK, IDCANCEL, ...).
  virtual int MessageBox(const std::string& caption, const std::string& text, unsigned style);

  // A pop-up menu: the id of the item chosen, or 0 to close the menu without a
  // choice. A choice that is not an enabled string item counts as 0.
  virtual UINT ChooseMenuItem(const MenuQuestion& question);

  // A file dialog: the path chosen, or nothing to cancel.
  virtual std::optional<std::string> ChooseFile(const FileQuestion& question);

  // A print dialog: the printer and the number of copies, or nothing to cancel.
  virtual std::optional<PrintAnswer> ChoosePrinter(const PrintQuestion& question);

  // A modal dialog box: the person reads it and works its controls through the view
  // until it ends (dialogview.h). Returning while it is still open leaves it to be
  // closed as by its close box. Unlike the other questions, the default person
  // answers this one at the terminal (terminaldialog.h), on standard output and
  // standard input, where the end of the input closes the dialog.
  virtual void RunDialog(DialogView& dialog);
};

// The person asked now; never null.
Person& CurrentPerson();

// Installs a person for this process; nullptr restores the default one. Returns the
// previous one (nullptr when it was the default). The caller keeps ownership.
Person* SetPerson(Person* person);

}  // namespace platform
