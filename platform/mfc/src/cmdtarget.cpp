// CCmdTarget: the end of every message-map chain, and the lookups along a chain.
#include <mfc/cmdtarget.h>

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

namespace {

// Calls visit on every entry of the chain, from the derived class's map to the root,
// until it returns true; returns that entry, or null.
template <class Visit>
const AFX_MSGMAP_ENTRY* Search(const AFX_MSGMAP* map, Visit visit) {
  for (; map != nullptr; map = map->pfnGetBaseMap != nullptr ? map->pfnGetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->nMessage != 0; ++entry) {
      if (visit(*entry)) return entry;
    }
  }
  return nullptr;
}

}  // namespace

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
  static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, AfxSig_msg, nullptr}};
  static const AFX_MSGMAP map = {nullptr, &entries[0]};
  return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT nMessage) const {
  return Search(GetMessageMap(), [&](const AFX_MSGMAP_ENTRY& entry) {
    return entry.nSig == AfxSig_msg && entry.nMessage == nMessage;
  });
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode) {
  const AFX_MSGMAP_ENTRY* entry = Search(GetMessageMap(), [&](const AFX_MSGMAP_ENTRY& e) {
    return e.nSig == AfxSig_cmd && e.nCode == static_cast<UINT>(nCode) && nID >= e.nID &&
           nID <= e.nLastID;
  });
  if (entry == nullptr) return FALSE;
  entry->pfn(this, 0, 0);
  return TRUE;
}
