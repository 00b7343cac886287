// The GDI handle table. Every GDI object (device context, palette) is reached
// through a handle that the table hands out; handles are never reused, so a stale,
// foreign or wrong-kind handle finds nothing and the call fails as on Win32.
//
// One recursive lock guards the table and everything the objects hold (including
// the screen's system palette): every GDI entry point takes it first.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

namespace platform::gdi {

enum class ObjectKind { DeviceContext, Palette };

class GdiObject {
 public:
  explicit GdiObject(ObjectKind kind) : m_kind(kind) {}
  virtual ~GdiObject();
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;

  ObjectKind Kind() const { return m_kind; }

 private:
  ObjectKind m_kind;
};

std::recursive_mutex& Lock();
using Guard = std::lock_guard<std::recursive_mutex>;

// Enters object and returns its handle; null when the table is full. A stock
// object is never counted as live and never deleted.
void* Insert(std::unique_ptr<GdiObject> object, bool stock = false);
GdiObject* Find(const void* handle, ObjectKind kind);
bool IsStock(const void* handle);
// Removes and destroys a non-stock object; false when there is none.
bool Erase(const void* handle);
// Calls visit for every object of that kind with its handle.
void ForEach(ObjectKind kind, const std::function<void(void* handle, GdiObject& object)>& visit);

// The typed lookup: T names its kind in T::kKind.
template <class T>
T* FindAs(const void* handle) {
  return static_cast<T*>(Find(handle, T::kKind));
}

}  // namespace platform::gdi
