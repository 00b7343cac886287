// CCmdTarget: the root of the classes that have a message map. It holds the empty
// map that ends every chain and routes commands (WM_COMMAND) to map entries.
#pragma once

#include <mfc/msgmap.h>
#include <mfc/object.h>

class CCmdTarget : public CObject {
  DECLARE_DYNAMIC(CCmdTarget)

 public:
  CCmdTarget() = default;

  // Runs the handler of command nID with notification code nCode (CN_COMMAND for
  // menus and buttons); FALSE when no map in the chain has one.
  virtual BOOL OnCmdMsg(UINT nID, int nCode);

 protected:
  static const AFX_MSGMAP* GetThisMessageMap();
  virtual const AFX_MSGMAP* GetMessageMap() const;

  // The first entry for the window message, from this class's map towards the root.
  const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT nMessage) const;
};
