// The browser's functions for the plug-in.
#include "host/BrowserFunctions.h"

#include "host/Json.h"
#include "host/RefusingBrowserTable.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace nphost {
namespace {

BrowserFunctions* g_active = nullptr;

// A status line longer than this is cut: the plug-in's text is not trusted to end.
constexpr std::size_t kMaxStatus = 4096;

const char* UserAgent(NPP) { return BrowserFunctions::kUserAgent; }

}  // namespace

BrowserFunctions::BrowserFunctions(MessageLog& log, Instances instances, unsigned long failNthAlloc)
    : m_log(log), m_instances(std::move(instances)), m_allocsUntilFailure(failNthAlloc) {
  m_table = RefusingBrowserTable();
  m_table.status = Status;
  m_table.uagent = UserAgent;
  m_table.memalloc = MemAlloc;
  m_table.memfree = MemFree;
  m_table.invalidaterect = InvalidateRect;
  m_table.invalidateregion = InvalidateRegion;
  m_table.forceredraw = ForceRedraw;
  g_active = this;
}

BrowserFunctions::~BrowserFunctions() {
  for (void* block : m_live) std::free(block);
  if (g_active == this) g_active = nullptr;
}

BrowserFunctions* BrowserFunctions::Active() { return g_active; }

void BrowserFunctions::Free(void* block) {
  if (block == nullptr) return;
  if (m_live.erase(block) == 0) {
    std::fprintf(stderr, "nphost: NPN_MemFree of a block NPN_MemAlloc did not give: ignored\n");
    return;
  }
  std::free(block);
}

void* BrowserFunctions::MemAlloc(uint32_t size) {
  BrowserFunctions* self = Active();
  if (self == nullptr) return nullptr;
  if (self->m_allocsUntilFailure != 0 && --self->m_allocsUntilFailure == 0) return nullptr;
  void* block = std::malloc(size != 0 ? size : 1);
  if (block != nullptr) self->m_live.insert(block);
  return block;
}

void BrowserFunctions::MemFree(void* block) {
  if (BrowserFunctions* self = Active()) self->Free(block);
}

void BrowserFunctions::Status(NPP instance, const char* message) {
  BrowserFunctions* self = Active();
  if (self == nullptr || message == nullptr) return;
  JsonObject line;
  line.Add("status", JsonSystemText(std::string(message, strnlen(message, kMaxStatus))));
  const int number = self->m_instances.numberOf(instance);
  if (number != 0) line.Add("instance", number);
  self->m_log.Write(line.Text());
}

void BrowserFunctions::InvalidateRect(NPP instance, NPRect* rect) {
  BrowserFunctions* self = Active();
  if (self == nullptr) return;
  HWND window = self->m_instances.windowOf(instance);
  if (window == nullptr) return;
  if (rect == nullptr) {
    ::InvalidateRect(window, nullptr, TRUE);
    return;
  }
  const RECT area{rect->left, rect->top, rect->right, rect->bottom};
  ::InvalidateRect(window, &area, TRUE);
}

void BrowserFunctions::InvalidateRegion(NPP instance, void* region) {
  BrowserFunctions* self = Active();
  if (self == nullptr) return;
  // There are no region objects: the whole window is invalidated.
  HWND window = self->m_instances.windowOf(instance);
  if (window != nullptr) ::InvalidateRect(window, nullptr, TRUE);
}

void BrowserFunctions::ForceRedraw(NPP instance) {
  BrowserFunctions* self = Active();
  if (self == nullptr) return;
  HWND window = self->m_instances.windowOf(instance);
  if (window != nullptr) ::UpdateWindow(window);
}

}  // namespace nphost
