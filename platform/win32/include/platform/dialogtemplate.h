// A dialog template: what a resource script's DIALOG statement holds, as a record.
//
// Positions and sizes are in dialog units (a quarter of the font's average character
// width across, an eighth of its height down); a control's position is relative to
// the dialog's client area. Styles are the bits the resource compiler writes, so a
// control's style includes WS_CHILD and WS_VISIBLE.
#pragma once

#include <windef.h>

#include <string>
#include <vector>

namespace platform {

struct DialogItemTemplate {
  int id;                 // -1 for controls nobody addresses (group boxes, labels)
  std::string className;  // "BUTTON", "LISTBOX", ...
  DWORD style;
  short x;
  short y;
  short cx;
  short cy;
  std::string text;
};

struct DialogTemplate {
  DWORD style;
  short x;
  short y;
  short cx;  // the client area
  short cy;
  std::string caption;
  std::string fontName;
  WORD pointSize;
  std::vector<DialogItemTemplate> items;  // creation order, which is also tab order
};

}  // namespace platform
