// CObject: the root of the framework's classes. It carries the run-time class
// query and the virtual operations every framework object has, in the framework's
// slot order: GetRuntimeClass, destructor, Serialize, AssertValid, Dump.
#pragma once

#include <mfc/runtimeclass.h>

// Storing objects and debug dumps are not part of this framework: both classes are
// only named so that the virtual operations keep their signatures.
class CArchive;
class CDumpContext;

class CObject {
 public:
  static CRuntimeClass classCObject;
  virtual CRuntimeClass* GetRuntimeClass() const;
  virtual ~CObject();

  virtual void Serialize(CArchive& ar);
  virtual void AssertValid() const;
  virtual void Dump(CDumpContext& dc) const;

  BOOL IsKindOf(const CRuntimeClass* pClass) const;
  BOOL IsSerializable() const;

  CObject(const CObject&) = delete;
  CObject& operator=(const CObject&) = delete;

 protected:
  CObject() = default;
};
