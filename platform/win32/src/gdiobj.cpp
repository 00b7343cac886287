// GDI objects: the handle table, DeleteObject, GetStockObject, GetObjectType.
//
// A handle is a serial number that only grows, so a deleted object's handle never
// comes back; its low bits tell the kind of object. The table holds at most 10000
// live objects, GDI's default quota per process, so a caller that leaks cannot take
// the machine's memory.
#include "gdiobj.h"

#include "dc.h"
#include "palette.h"
#include "systempalette.h"

#include <platform/testing.h>

#include <map>

namespace platform::gdi {
namespace {

constexpr std::size_t kMaxLiveObjects = 10000;
constexpr std::uintptr_t kFirstHandle = 0x10000;
constexpr std::uintptr_t kHandleStep = 8;

struct Entry {
  std::unique_ptr<GdiObject> object;
  bool stock = false;
};

constexpr std::size_t kKinds = 2;

// The low bits of a handle name the kind, so that each kind has a map of its own
// and visiting every context does not walk every palette.
std::size_t KindIndex(ObjectKind kind) { return kind == ObjectKind::DeviceContext ? 0 : 1; }

struct Table {
  std::recursive_mutex lock;
  std::map<std::uintptr_t, Entry> objects[kKinds];
  std::uintptr_t next = kFirstHandle;
  std::size_t live = 0;
};

Table& TheTable() {
  static Table* table = new Table;  // outlives static destructors of other modules
  return *table;
}

std::map<std::uintptr_t, Entry>* MapOf(Table& table, const void* handle) {
  std::uintptr_t tag = reinterpret_cast<std::uintptr_t>(handle) % kHandleStep;
  return tag >= 1 && tag <= kKinds ? &table.objects[tag - 1] : nullptr;
}

Entry* FindEntry(Table& table, const void* handle) {
  auto* objects = MapOf(table, handle);
  if (objects == nullptr) return nullptr;
  auto it = objects->find(reinterpret_cast<std::uintptr_t>(handle));
  return it == objects->end() ? nullptr : &it->second;
}

}  // namespace

GdiObject::~GdiObject() = default;

std::recursive_mutex& Lock() { return TheTable().lock; }

void* Insert(std::unique_ptr<GdiObject> object, bool stock) {
  Table& table = TheTable();
  Guard guard(table.lock);
  if (!stock && table.live >= kMaxLiveObjects) return nullptr;
  std::size_t kind = KindIndex(object->Kind());
  std::uintptr_t handle = table.next + kind + 1;
  table.next += kHandleStep;
  table.objects[kind].emplace(handle, Entry{std::move(object), stock});
  if (!stock) ++table.live;
  return reinterpret_cast<void*>(handle);
}

GdiObject* Find(const void* handle, ObjectKind kind) {
  Table& table = TheTable();
  Guard guard(table.lock);
  Entry* entry = FindEntry(table, handle);
  return entry != nullptr && entry->object->Kind() == kind ? entry->object.get() : nullptr;
}

bool IsStock(const void* handle) {
  Table& table = TheTable();
  Guard guard(table.lock);
  Entry* entry = FindEntry(table, handle);
  return entry != nullptr && entry->stock;
}

bool Erase(const void* handle) {
  Table& table = TheTable();
  Guard guard(table.lock);
  auto* objects = MapOf(table, handle);
  if (objects == nullptr) return false;
  auto it = objects->find(reinterpret_cast<std::uintptr_t>(handle));
  if (it == objects->end() || it->second.stock) return false;
  // Destroy outside the map: a destructor may look other objects up.
  std::unique_ptr<GdiObject> doomed = std::move(it->second.object);
  objects->erase(it);
  --table.live;
  doomed.reset();
  return true;
}

void ForEach(ObjectKind kind, const std::function<void(void* handle, GdiObject& object)>& visit) {
  Table& table = TheTable();
  Guard guard(table.lock);
  for (auto& [handle, entry] : table.objects[KindIndex(kind)]) {
    visit(reinterpret_cast<void*>(handle), *entry.object);
  }
}

}  // namespace platform::gdi

using namespace platform::gdi;

namespace {

bool SelectedAnywhere(const void* palette) {
  bool selected = false;
  ForEach(ObjectKind::DeviceContext, [&](void*, GdiObject& object) {
    if (static_cast<DeviceContext&>(object).palette == palette) selected = true;
  });
  return selected;
}

}  // namespace

extern "C" {

/***********************************************************************
 * DeleteObject
 * Deletes a palette. FALSE for a stale or foreign handle and, as GDI documents,
 * for a palette still selected into a device context. A stock object is not
 * deleted, and the call still succeeds. Device contexts go with DeleteDC.
 */
BOOL WINAPI DeleteObject(HGDIOBJ object) {
  Guard guard(Lock());
  if (IsStock(object)) return TRUE;
  if (Find(object, ObjectKind::Palette) == nullptr || SelectedAnywhere(object)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  ScreenPalette().Release(object);
  return Erase(object) ? TRUE : FALSE;
}

/***********************************************************************
 * GetStockObject
 * Only DEFAULT_PALETTE is modelled; any other index gives NULL.
 */
HGDIOBJ WINAPI GetStockObject(int index) {
  return index == DEFAULT_PALETTE ? DefaultPalette() : nullptr;
}

/***********************************************************************
 * GetObjectType
 * OBJ_PAL for palettes, OBJ_DC for window and printer contexts, OBJ_MEMDC for
 * surface contexts, 0 for anything else.
 */
DWORD WINAPI GetObjectType(HGDIOBJ object) {
  Guard guard(Lock());
  if (Find(object, ObjectKind::Palette) != nullptr) return OBJ_PAL;
  if (auto* dc = FindAs<DeviceContext>(object)) {
    return dc->kind == platform::DCKind::Surface ? OBJ_MEMDC : OBJ_DC;
  }
  SetLastError(ERROR_INVALID_HANDLE);
  return 0;
}

}  // extern "C"

namespace platform::testing {

std::size_t LiveGdiObjects() {
  platform::gdi::Table& table = platform::gdi::TheTable();
  Guard guard(table.lock);
  return table.live;
}

}  // namespace platform::testing
