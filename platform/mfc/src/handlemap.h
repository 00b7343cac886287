// The framework's handle maps: which wrapper object stands for a Windows handle.
//
// A permanent entry is an object the program attached; a temporary one is a wrapper
// FromHandle made for a handle nobody attached. Temporaries do not own their handle:
// they are forgotten (their handle cleared) and deleted when the map is cleared at
// idle time, and when the thread that owns the map ends. Maps are per thread, as
// the framework's are.
#pragma once

#include <memory>
#include <unordered_map>
#include <vector>

namespace platform::mfc {

template <class Handle, class Object>
class HandleMap {
 public:
  using Forget = void (*)(Object&);
  explicit HandleMap(Forget forget) : m_forget(forget) {}
  ~HandleMap() { DeleteTemporaries(); }
  HandleMap(const HandleMap&) = delete;
  HandleMap& operator=(const HandleMap&) = delete;

  void SetPermanent(Handle handle, Object* object) { m_permanent[handle] = object; }
  void RemovePermanent(Handle handle) { m_permanent.erase(handle); }

  // The permanent object, else the temporary one, else null.
  Object* Lookup(Handle handle) const {
    if (auto it = m_permanent.find(handle); it != m_permanent.end()) return it->second;
    if (auto it = m_temporary.find(handle); it != m_temporary.end()) return it->second.get();
    return nullptr;
  }

  // The permanent object only, or null.
  Object* LookupPermanent(Handle handle) const {
    auto it = m_permanent.find(handle);
    return it != m_permanent.end() ? it->second : nullptr;
  }

  Object* AddTemporary(Handle handle, std::unique_ptr<Object> object) {
    return (m_temporary[handle] = std::move(object)).get();
  }

  void DeleteTemporaries() {
    auto temporary = std::move(m_temporary);
    m_temporary.clear();
    for (auto& [handle, object] : temporary) m_forget(*object);
  }

 private:
  Forget m_forget;
  std::unordered_map<Handle, Object*> m_permanent;
  std::unordered_map<Handle, std::unique_ptr<Object>> m_temporary;
};

}  // namespace platform::mfc
