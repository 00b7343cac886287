// Pop-up menus: CreatePopupMenu, AppendMenuA, DestroyMenu, IsMenu, GetMenuItemCount,
// GetMenuItemID, TrackPopupMenu.
//
// A menu is its list of items behind a handle from a table that never reuses
// handles, so a stale or foreign HMENU fails with ERROR_INVALID_MENU_HANDLE. There
// is no menu window: TrackPopupMenu hands the items to the person at the screen and
// acts on the answer. It copies the items first, so neither the person nor the
// owner's WM_COMMAND handler can pull the list from under it.
#include <platform/person.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

// Bounds that keep a runaway caller from taking the process's memory.
constexpr std::size_t kMaxItems = 4096;
constexpr std::size_t kMaxText = 4096;

struct Menu {
  std::vector<platform::MenuItem> items;
};

class MenuTable {
 public:
  static MenuTable& Get() {
    static MenuTable table;
    return table;
  }

  HMENU Insert() {
    if (m_nextHandle == 0) return nullptr;  // every handle has been used once
    HMENU handle = reinterpret_cast<HMENU>(m_nextHandle);
    m_nextHandle += 4;
    m_menus.emplace(handle, std::make_unique<Menu>());
    return handle;
  }

  // The menu behind a handle; null (with ERROR_INVALID_MENU_HANDLE) for any other.
  Menu* Find(HMENU handle) {
    auto it = m_menus.find(handle);
    if (it == m_menus.end()) {
      SetLastError(ERROR_INVALID_MENU_HANDLE);
      return nullptr;
    }
    return it->second.get();
  }

  bool Erase(HMENU handle) { return m_menus.erase(handle) != 0; }

 private:
  MenuTable() = default;

  // Menu handles live in their own range, clear of window and GDI handles, so a
  // handle of another kind cast to HMENU is not found either.
  std::uintptr_t m_nextHandle = 0x40000000;
  std::unordered_map<HMENU, std::unique_ptr<Menu>> m_menus;
};

bool g_tracking = false;

// Marks a menu as open for as long as the person is choosing.
class TrackingScope {
 public:
  TrackingScope() { g_tracking = true; }
  ~TrackingScope() { g_tracking = false; }
  TrackingScope(const TrackingScope&) = delete;
  TrackingScope& operator=(const TrackingScope&) = delete;
};

bool Choosable(const platform::MenuItem& item) {
  return (item.flags & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED)) == 0;
}

// The id the person chose when it names an item that can be chosen; else 0.
UINT ValidChoice(const std::vector<platform::MenuItem>& items, UINT choice) {
  if (choice == 0) return 0;
  for (const platform::MenuItem& item : items) {
    if (item.id == choice && Choosable(item)) return choice;
  }
  return 0;
}

}  // namespace

extern "C" {

/***********************************************************************
 * CreatePopupMenu
 * A new, empty menu. NULL when the handle range is used up.
 */
HMENU WINAPI CreatePopupMenu(void) {
  HMENU menu = MenuTable::Get().Insert();
  if (menu == nullptr) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return menu;
}

/***********************************************************************
 * AppendMenuA
 * Adds a string item or a separator at the end. FALSE for a stale menu
 * (ERROR_INVALID_MENU_HANDLE), for kinds of item that are not provided, for a
 * string item without text (ERROR_INVALID_PARAMETER), or when the menu is full
 * (ERROR_NOT_ENOUGH_MEMORY). Texts longer than 4096 bytes are cut there.
 */
BOOL WINAPI AppendMenuA(HMENU menu, UINT flags, UINT_PTR id, LPCSTR text) {
  Menu* target = MenuTable::Get().Find(menu);
  if (target == nullptr) return FALSE;
  if ((flags & (MF_POPUP | MF_BITMAP | MF_OWNERDRAW)) != 0 ||
      ((flags & MF_SEPARATOR) == 0 && text == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (target->items.size() >= kMaxItems) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  platform::MenuItem item;
  item.flags = flags & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED | MF_CHECKED);
  if ((flags & MF_SEPARATOR) == 0) {
    item.id = static_cast<UINT>(id);
    item.text.assign(text, strnlen(text, kMaxText));
  }
  target->items.push_back(std::move(item));
  return TRUE;
}

/***********************************************************************
 * DestroyMenu
 * FALSE for a stale menu (ERROR_INVALID_MENU_HANDLE).
 */
BOOL WINAPI DestroyMenu(HMENU menu) {
  if (!MenuTable::Get().Erase(menu)) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return FALSE;
  }
  return TRUE;
}

/***********************************************************************
 * IsMenu
 * TRUE while the handle names a menu.
 */
BOOL WINAPI IsMenu(HMENU menu) { return MenuTable::Get().Find(menu) != nullptr ? TRUE : FALSE; }

/***********************************************************************
 * GetMenuItemCount
 * -1 for a stale menu.
 */
int WINAPI GetMenuItemCount(HMENU menu) {
  Menu* target = MenuTable::Get().Find(menu);
  return target != nullptr ? static_cast<int>(target->items.size()) : -1;
}

/***********************************************************************
 * GetMenuItemID
 * The command id at pos, 0 for a separator; (UINT)-1 for a stale menu or a
 * position outside the menu.
 */
UINT WINAPI GetMenuItemID(HMENU menu, int pos) {
  Menu* target = MenuTable::Get().Find(menu);
  if (target == nullptr || pos < 0 || static_cast<std::size_t>(pos) >= target->items.size()) {
    return static_cast<UINT>(-1);
  }
  return target->items[static_cast<std::size_t>(pos)].id;
}

/***********************************************************************
 * TrackPopupMenu
 * Asks the person to choose from the menu. A choice that is not an enabled string
 * item of the menu counts as no choice. With TPM_RETURNCMD the result is the id
 * (0: none); otherwise WM_COMMAND goes to owner after the menu has closed, and the
 * result says whether an item was chosen (0 with ERROR_SUCCESS for none).
 * FALSE for a stale menu or owner, or while another menu is being tracked
 * (ERROR_POPUP_ALREADY_ACTIVE), as Windows allows one pop-up menu at a time.
 */
BOOL WINAPI TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner,
                           const RECT* excludeRect) {
  Menu* target = MenuTable::Get().Find(menu);
  if (target == nullptr) return FALSE;
  if (!IsWindow(owner)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (g_tracking) {
    SetLastError(ERROR_POPUP_ALREADY_ACTIVE);
    return FALSE;
  }
  platform::MenuQuestion question;
  question.items = target->items;
  question.point = POINT{x, y};
  question.flags = flags;
  question.owner = owner;

  UINT choice = 0;
  {
    TrackingScope open;
    choice = ValidChoice(question.items, platform::CurrentPerson().ChooseMenuItem(question));
  }

  SetLastError(ERROR_SUCCESS);
  if ((flags & TPM_RETURNCMD) != 0) return static_cast<BOOL>(choice);
  if (choice == 0) return FALSE;
  SendMessageA(owner, WM_COMMAND, MAKEWPARAM(choice, 0), 0);
  return TRUE;
}

}  // extern "C"
