// Run-time class records and the registry that finds them by name.
#include <afx.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

namespace {

struct Registry {
  std::mutex lock;
  std::vector<CRuntimeClass*> classes;  // in order of registration
};

Registry& Classes() {
  static Registry* registry = new Registry;  // outlives the static destructors of every module
  return *registry;
}

}  // namespace

CObject* CRuntimeClass::CreateObject() const {
  if (m_pfnCreateObject == nullptr) return nullptr;
  try {
    return m_pfnCreateObject();
  } catch (CException* e) {
    e->Delete();
  } catch (const std::bad_alloc&) {
  }
  return nullptr;
}

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBaseClass) const {
  for (const CRuntimeClass* c = this; c != nullptr; c = c->m_pBaseClass) {
    if (c == pBaseClass) return TRUE;
  }
  return FALSE;
}

CRuntimeClass* CRuntimeClass::FromName(LPCSTR lpszClassName) {
  if (lpszClassName == nullptr) return nullptr;
  Registry& registry = Classes();
  std::lock_guard guard(registry.lock);
  auto found = std::find_if(
      registry.classes.rbegin(), registry.classes.rend(),
      [&](const CRuntimeClass* c) { return std::strcmp(c->m_lpszClassName, lpszClassName) == 0; });
  return found == registry.classes.rend() ? nullptr : *found;
}

AFX_CLASSINIT::AFX_CLASSINIT(CRuntimeClass* pNewClass) : m_pClass(pNewClass) {
  Registry& registry = Classes();
  std::lock_guard guard(registry.lock);
  registry.classes.push_back(pNewClass);
}

AFX_CLASSINIT::~AFX_CLASSINIT() {
  Registry& registry = Classes();
  std::lock_guard guard(registry.lock);
  auto found = std::find(registry.classes.rbegin(), registry.classes.rend(), m_pClass);
  if (found != registry.classes.rend()) registry.classes.erase(std::next(found).base());
}
