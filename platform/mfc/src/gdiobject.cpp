// CGdiObject: attaching GDI handles, and the GDI object handle map.
#include <afxwin.h>

#include "handlemap.h"

namespace {

using GdiObjectMap = platform::mfc::HandleMap<HGDIOBJ, CGdiObject>;

GdiObjectMap& Map() {
  thread_local GdiObjectMap map([](CGdiObject& temporary) { temporary.m_hObject = nullptr; });
  return map;
}

}  // namespace

IMPLEMENT_DYNCREATE(CGdiObject, CObject)

CGdiObject::CGdiObject() : m_hObject(nullptr) {}

CGdiObject::~CGdiObject() { DeleteObject(); }

CGdiObject* PASCAL CGdiObject::FromHandle(HGDIOBJ hObject) {
  if (hObject == nullptr) return nullptr;
  if (CGdiObject* known = Map().Lookup(hObject)) return known;
  std::unique_ptr<CGdiObject> wrapper;
  if (GetObjectType(hObject) == OBJ_PAL) {
    wrapper = std::make_unique<CPalette>();
  } else {
    wrapper = std::make_unique<CGdiObject>();
  }
  wrapper->m_hObject = hObject;
  return Map().AddTemporary(hObject, std::move(wrapper));
}

void PASCAL CGdiObject::DeleteTempMap() { Map().DeleteTemporaries(); }

BOOL CGdiObject::Attach(HGDIOBJ hObject) {
  if (hObject == nullptr || m_hObject != nullptr) return FALSE;
  m_hObject = hObject;
  Map().SetPermanent(hObject, this);
  return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
  HGDIOBJ hObject = m_hObject;
  if (hObject != nullptr) Map().RemovePermanent(hObject);
  m_hObject = nullptr;
  return hObject;
}

BOOL CGdiObject::DeleteObject() {
  if (m_hObject == nullptr) return FALSE;
  return ::DeleteObject(Detach());
}
