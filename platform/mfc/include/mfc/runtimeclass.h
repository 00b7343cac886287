// Run-time class records: the name, size, schema, factory and base class of each
// class that declares itself DYNAMIC, DYNCREATE or SERIAL.
//
// Every record is entered in a process-wide registry while the module that holds it
// is loaded, so a class can be found by its name (FromName) and created from the
// record (CreateObject). A module that is unloaded takes its records out again.
#pragma once

#include <windef.h>

class CObject;

struct CRuntimeClass {
  LPCSTR m_lpszClassName;
  int m_nObjectSize;
  UINT m_wSchema;                   // 0xFFFF: not serialisable
  CObject* (*m_pfnCreateObject)();  // null: not dynamically creatable
  CRuntimeClass* m_pBaseClass;

  // A new object of this class, or null when the class has no factory or the
  // factory failed.
  CObject* CreateObject() const;
  BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;

  // The registered record of that name (the most recently registered one when two
  // loaded modules register the same name); null when there is none.
  static CRuntimeClass* FromName(LPCSTR lpszClassName);
};

// Enters a record in the registry for as long as this object lives; the macros
// below define one per class at namespace scope.
struct AFX_CLASSINIT {
  explicit AFX_CLASSINIT(CRuntimeClass* pNewClass);
  ~AFX_CLASSINIT();
  AFX_CLASSINIT(const AFX_CLASSINIT&) = delete;
  AFX_CLASSINIT& operator=(const AFX_CLASSINIT&) = delete;

 private:
  CRuntimeClass* m_pClass;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

// The declaration the macro makes overrides without saying so, which suits classes
// written either way: clang is told not to count it when it checks that a class
// marks its overrides consistently.
#if defined(__clang__)
#define AFX_OVERRIDE_UNMARKED_BEGIN \
  _Pragma("clang diagnostic push")  \
      _Pragma("clang diagnostic ignored \"-Winconsistent-missing-override\"")
#define AFX_OVERRIDE_UNMARKED_END _Pragma("clang diagnostic pop")
#else
#define AFX_OVERRIDE_UNMARKED_BEGIN
#define AFX_OVERRIDE_UNMARKED_END
#endif

#define DECLARE_DYNAMIC(class_name)               \
 public:                                          \
  static CRuntimeClass class##class_name;         \
  AFX_OVERRIDE_UNMARKED_BEGIN                     \
  virtual CRuntimeClass* GetRuntimeClass() const; \
  AFX_OVERRIDE_UNMARKED_END

#define DECLARE_DYNCREATE(class_name) \
  DECLARE_DYNAMIC(class_name)         \
  static CObject* CreateObject();

// CArchive is opaque here (objects are never stored), so a serial class differs
// from a dynamically creatable one only by its schema.
#define DECLARE_SERIAL(class_name) DECLARE_DYNCREATE(class_name)

#define IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, wSchema, pfnNew)                     \
  CRuntimeClass class_name::class##class_name = {#class_name, sizeof(class class_name), wSchema, \
                                                 pfnNew, RUNTIME_CLASS(base_class_name)};        \
  static AFX_CLASSINIT _init_##class_name(RUNTIME_CLASS(class_name));                            \
  CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
  IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)         \
  CObject* class_name::CreateObject() { return new class_name; } \
  IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, class_name::CreateObject)

#define IMPLEMENT_SERIAL(class_name, base_class_name, wSchema)   \
  CObject* class_name::CreateObject() { return new class_name; } \
  IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, wSchema, class_name::CreateObject)
