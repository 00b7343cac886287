#include <afx.h>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstring>

namespace {

class CShape : public CObject {
  DECLARE_DYNAMIC(CShape)
};
IMPLEMENT_DYNAMIC(CShape, CObject)

class CCircle : public CShape {
  DECLARE_SERIAL(CCircle)

 public:
  int m_nRadius = 5;
};
IMPLEMENT_SERIAL(CCircle, CShape, 0)

class CSquare : public CShape {
  DECLARE_DYNCREATE(CSquare)
};
IMPLEMENT_DYNCREATE(CSquare, CShape)

// Factories that fail: with a heap exception, with the framework's static one.
class CFailsWithFileError : public CObject {
  DECLARE_DYNCREATE(CFailsWithFileError)

 public:
  CFailsWithFileError() { AfxThrowFileException(CFileException::generic); }
};
IMPLEMENT_DYNCREATE(CFailsWithFileError, CObject)

class CFailsWithoutMemory : public CObject {
  DECLARE_DYNCREATE(CFailsWithoutMemory)

 public:
  CFailsWithoutMemory() { AfxThrowMemoryException(); }
};
IMPLEMENT_DYNCREATE(CFailsWithoutMemory, CObject)

TEST(RuntimeClassTest, RecordsDescribeTheirClasses) {
  const CRuntimeClass* circle = RUNTIME_CLASS(CCircle);
  EXPECT_STREQ(circle->m_lpszClassName, "CCircle");
  EXPECT_EQ(circle->m_nObjectSize, static_cast<int>(sizeof(CCircle)));
  EXPECT_EQ(circle->m_wSchema, 0u);
  EXPECT_EQ(circle->m_pBaseClass, RUNTIME_CLASS(CShape));
  EXPECT_EQ(RUNTIME_CLASS(CShape)->m_pBaseClass, RUNTIME_CLASS(CObject));
  EXPECT_EQ(RUNTIME_CLASS(CObject)->m_pBaseClass, nullptr);
  EXPECT_EQ(RUNTIME_CLASS(CShape)->m_wSchema, 0xFFFFu);
  EXPECT_EQ(RUNTIME_CLASS(CShape)->m_pfnCreateObject, nullptr);
}

TEST(RuntimeClassTest, FoundByNameAndCreated) {
  CRuntimeClass* circleClass = CRuntimeClass::FromName("CCircle");
  ASSERT_EQ(circleClass, RUNTIME_CLASS(CCircle));
  CObject* object = circleClass->CreateObject();
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->GetRuntimeClass(), RUNTIME_CLASS(CCircle));
  EXPECT_EQ(static_cast<CCircle*>(object)->m_nRadius, 5);
  EXPECT_TRUE(object->IsSerializable());
  delete object;

  EXPECT_EQ(CRuntimeClass::FromName("CObject"), RUNTIME_CLASS(CObject));
  EXPECT_EQ(CRuntimeClass::FromName("CFileException"), RUNTIME_CLASS(CFileException));
  EXPECT_EQ(CRuntimeClass::FromName("CNoSuchClass"), nullptr);
  EXPECT_EQ(CRuntimeClass::FromName("ccircle"), nullptr);
  EXPECT_EQ(CRuntimeClass::FromName(nullptr), nullptr);
  EXPECT_EQ(CRuntimeClass::FromName("CShape")->CreateObject(), nullptr);  // not creatable
}

TEST(RuntimeClassTest, IsKindOfFollowsTheBaseClasses) {
  CSquare square;
  const CObject& object = square;
  EXPECT_TRUE(object.IsKindOf(RUNTIME_CLASS(CSquare)));
  EXPECT_TRUE(object.IsKindOf(RUNTIME_CLASS(CShape)));
  EXPECT_TRUE(object.IsKindOf(RUNTIME_CLASS(CObject)));
  EXPECT_FALSE(object.IsKindOf(RUNTIME_CLASS(CCircle)));
  EXPECT_FALSE(object.IsKindOf(RUNTIME_CLASS(CException)));
  EXPECT_FALSE(object.IsSerializable());
  EXPECT_TRUE(RUNTIME_CLASS(CFileException)->IsDerivedFrom(RUNTIME_CLASS(CException)));
  EXPECT_FALSE(RUNTIME_CLASS(CException)->IsDerivedFrom(RUNTIME_CLASS(CFileException)));
}

TEST(RuntimeClassTest, FailingFactoriesGiveNullAndNoLeak) {
  EXPECT_EQ(RUNTIME_CLASS(CFailsWithFileError)->CreateObject(), nullptr);
  EXPECT_EQ(RUNTIME_CLASS(CFailsWithoutMemory)->CreateObject(), nullptr);
}

TEST(RuntimeClassTest, AModuleRegistersItsClassesWhileLoaded) {
  EXPECT_EQ(CRuntimeClass::FromName("CProbeThing"), nullptr);
  void* module = dlopen(APP_PROBE_MODULE, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(module, nullptr) << dlerror();
  CRuntimeClass* thing = CRuntimeClass::FromName("CProbeThing");
  ASSERT_NE(thing, nullptr);
  CObject* object = thing->CreateObject();
  ASSERT_NE(object, nullptr);
  EXPECT_TRUE(object->IsKindOf(thing));
  delete object;
  dlclose(module);
  EXPECT_EQ(CRuntimeClass::FromName("CProbeThing"), nullptr);
}

}  // namespace
