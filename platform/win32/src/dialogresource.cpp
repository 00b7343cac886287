// The process's table of dialog templates, newest registration first.
#include <platform/dialogresource.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace platform {
namespace {

using Entry = std::pair<int, const DialogTemplate*>;

std::vector<Entry>& Table() {
  static auto* table = new std::vector<Entry>;  // outlives static destructors of other modules
  return *table;
}

}  // namespace

DialogResource::DialogResource(int id, const DialogTemplate& dialogTemplate)
    : m_id(id), m_template(&dialogTemplate) {
  Table().insert(Table().begin(), Entry{id, m_template});
}

DialogResource::~DialogResource() {
  std::vector<Entry>& table = Table();
  auto it = std::find(table.begin(), table.end(), Entry{m_id, m_template});
  if (it != table.end()) table.erase(it);
}

const DialogTemplate* FindDialogResource(int id) {
  for (const Entry& entry : Table()) {
    if (entry.first == id) return entry.second;
  }
  return nullptr;
}

}  // namespace platform
