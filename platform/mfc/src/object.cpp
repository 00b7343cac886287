// CObject: the root record and the queries every framework object answers.
#include <afx.h>

CRuntimeClass CObject::classCObject = {"CObject", sizeof(CObject), 0xFFFF, nullptr, nullptr};
static AFX_CLASSINIT _init_CObject(&CObject::classCObject);

CRuntimeClass* CObject::GetRuntimeClass() const { return RUNTIME_CLASS(CObject); }

CObject::~CObject() = default;

// Nothing is stored or loaded: objects are never archived here.
void CObject::Serialize(CArchive& ar) {}

// Release behaviour: the framework checks nothing outside its debug build.
void CObject::AssertValid() const {}

void CObject::Dump(CDumpContext& dc) const {}

BOOL CObject::IsKindOf(const CRuntimeClass* pClass) const {
  return GetRuntimeClass()->IsDerivedFrom(pClass);
}

BOOL CObject::IsSerializable() const { return GetRuntimeClass()->m_wSchema != 0xFFFF; }
