// CGdiObject: the framework's wrapper of one GDI object handle (here: palettes).
//
// Attach makes the object the permanent wrapper of its handle, which FromHandle
// then returns; for a handle nobody attached, FromHandle makes a temporary wrapper
// (a CPalette for a palette) that does not own the handle and lives until
// DeleteTempMap, which the framework calls at idle time. The destructor deletes
// the attached GDI object.
#pragma once

#include <windows.h>

#include <mfc/object.h>

class CGdiObject : public CObject {
  DECLARE_DYNCREATE(CGdiObject)

 public:
  CGdiObject();
  virtual ~CGdiObject();

  HGDIOBJ m_hObject;
  operator HGDIOBJ() const { return m_hObject; }
  HGDIOBJ GetSafeHandle() const { return m_hObject; }

  // Null for a null handle.
  static CGdiObject* PASCAL FromHandle(HGDIOBJ hObject);
  static void PASCAL DeleteTempMap();

  // FALSE for a null handle or when an object is already attached.
  BOOL Attach(HGDIOBJ hObject);
  HGDIOBJ Detach();
  // Detaches and deletes the GDI object; FALSE when none is attached or GDI refuses
  // (a palette still selected into a device context).
  BOOL DeleteObject();
};
