// The "LISTBOX" class: a single-selection list of strings, sorted with LBS_SORT.
//
// The entries live in a state object made at WM_NCCREATE and freed at WM_NCDESTROY,
// its address in the window's extra bytes. Every entry is one fixed-height row; the
// rows shown start at the top index, which LB_SETCURSEL, the keys and the scroll bar
// move so the selection stays in view. There is no text drawing: the list paints
// its background and the selected row as a bar in the window-text colour.
#include "controlclasses.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace platform::user {
namespace {

constexpr int kStateOffset = 0;
constexpr int kItemHeight = 13;  // a line of the 8-point system font
constexpr std::size_t kMaxItems = 32767;

struct ListBoxState {
  std::vector<std::string> items;
  int selection = -1;
  int top = 0;
  // Made with WS_VSCROLL: the window system takes the bit away while the bar is hidden.
  bool scrollBar = false;
};

ListBoxState* StateOf(HWND hwnd) {
  return reinterpret_cast<ListBoxState*>(GetWindowLongA(hwnd, kStateOffset));
}

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)); }

int Count(const ListBoxState& state) { return static_cast<int>(state.items.size()); }

bool Valid(const ListBoxState& state, WPARAM index) { return index < state.items.size(); }

// Case-insensitive order, as the sorted list keeps its entries.
bool SortsBefore(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) <
           std::tolower(static_cast<unsigned char>(y));
  });
}

// Whole rows that fit in the client area; at least one.
int RowsShown(HWND hwnd) {
  RECT client;
  GetClientRect(hwnd, &client);
  return std::max(1, static_cast<int>(client.bottom / kItemHeight));
}

int MaxTop(HWND hwnd, const ListBoxState& state) {
  return std::max(0, Count(state) - RowsShown(hwnd));
}

void SyncScrollBar(HWND hwnd, const ListBoxState& state) {
  if (!state.scrollBar) return;
  SCROLLINFO info{sizeof(SCROLLINFO),
                  SIF_RANGE | SIF_PAGE | SIF_POS,
                  0,
                  std::max(0, Count(state) - 1),
                  static_cast<UINT>(RowsShown(hwnd)),
                  state.top,
                  0};
  SetScrollInfo(hwnd, SB_VERT, &info, TRUE);
}

void SetTop(HWND hwnd, ListBoxState& state, int top) {
  state.top = std::clamp(top, 0, MaxTop(hwnd, state));
  SyncScrollBar(hwnd, state);
  InvalidateRect(hwnd, nullptr, TRUE);
}

void ShowSelection(HWND hwnd, ListBoxState& state) {
  int top = state.top;
  if (state.selection >= 0) {
    if (state.selection < top) top = state.selection;
    if (state.selection >= top + RowsShown(hwnd)) top = state.selection - RowsShown(hwnd) + 1;
  }
  SetTop(hwnd, state, top);
}

// A change of selection made by the person (a click, a key).
void SelectByPerson(HWND hwnd, ListBoxState& state, int index) {
  if (index == state.selection) return;
  state.selection = index;
  ShowSelection(hwnd, state);
  if ((StyleOf(hwnd) & LBS_NOTIFY) != 0) NotifyParent(hwnd, LBN_SELCHANGE);
}

int ItemAt(HWND hwnd, const ListBoxState& state, LPARAM lParam) {
  RECT client;
  GetClientRect(hwnd, &client);
  POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  if (!PtInRect(&client, point)) return -1;
  int index = state.top + static_cast<int>(point.y / kItemHeight);
  return index < Count(state) ? index : -1;
}

LRESULT AddString(HWND hwnd, ListBoxState& state, LPARAM lParam) {
  if (lParam == 0) return LB_ERR;
  if (state.items.size() >= kMaxItems) return LB_ERRSPACE;
  int index;
  try {
    std::string text(reinterpret_cast<const char*>(lParam));
    auto at = state.items.end();
    if ((StyleOf(hwnd) & LBS_SORT) != 0) {
      at = std::upper_bound(state.items.begin(), state.items.end(), text, SortsBefore);
    }
    index = static_cast<int>(at - state.items.begin());
    state.items.insert(at, std::move(text));
  } catch (const std::bad_alloc&) {
    return LB_ERRSPACE;
  }
  if (state.selection >= index) ++state.selection;  // the same entry stays selected
  SyncScrollBar(hwnd, state);
  InvalidateRect(hwnd, nullptr, TRUE);
  return index;
}

LRESULT GetText(const ListBoxState& state, WPARAM index, LPARAM buffer) {
  if (!Valid(state, index) || buffer == 0) return LB_ERR;
  const std::string& text = state.items[index];
  std::memcpy(reinterpret_cast<char*>(buffer), text.c_str(), text.size() + 1);
  return static_cast<LRESULT>(text.size());
}

LRESULT GetItemRect(HWND hwnd, const ListBoxState& state, WPARAM index, LPARAM lParam) {
  if (!Valid(state, index) || lParam == 0) return LB_ERR;
  RECT client;
  GetClientRect(hwnd, &client);
  const int y = (static_cast<int>(index) - state.top) * kItemHeight;
  *reinterpret_cast<RECT*>(lParam) = RECT{0, y, client.right, y + kItemHeight};
  return LB_OKAY;
}

void Paint(HWND hwnd, const ListBoxState& state) {
  PAINTSTRUCT ps;
  HDC hdc = BeginPaint(hwnd, &ps);
  if (hdc == nullptr) return;
  RECT row;
  if (state.selection >= 0 && GetItemRect(hwnd, state, static_cast<WPARAM>(state.selection),
                                          reinterpret_cast<LPARAM>(&row)) == LB_OKAY) {
    FillRect(hdc, &row,
             reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(COLOR_WINDOWTEXT + 1)));
  }
  EndPaint(hwnd, &ps);
}

void KeyDown(HWND hwnd, ListBoxState& state, WPARAM key) {
  if (state.items.empty()) return;
  const int last = Count(state) - 1;
  const int page = RowsShown(hwnd);
  const int from = state.selection;
  int to;
  switch (key) {
    case VK_UP:
      to = from < 0 ? 0 : from - 1;
      break;
    case VK_DOWN:
      to = from + 1;
      break;
    case VK_PRIOR:
      to = from - page;
      break;
    case VK_NEXT:
      to = from + page;
      break;
    case VK_HOME:
      to = 0;
      break;
    case VK_END:
      to = last;
      break;
    default:
      return;
  }
  SelectByPerson(hwnd, state, std::clamp(to, 0, last));
}

void VScroll(HWND hwnd, ListBoxState& state, WPARAM wParam) {
  const int page = RowsShown(hwnd);
  int top = state.top;
  switch (LOWORD(wParam)) {
    case SB_LINEUP:
      --top;
      break;
    case SB_LINEDOWN:
      ++top;
      break;
    case SB_PAGEUP:
      top -= page;
      break;
    case SB_PAGEDOWN:
      top += page;
      break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
      top = HIWORD(wParam);
      break;
    case SB_TOP:
      top = 0;
      break;
    case SB_BOTTOM:
      top = Count(state);
      break;
    default:
      return;
  }
  SetTop(hwnd, state, top);
}

LRESULT Handle(HWND hwnd, ListBoxState& state, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case LB_ADDSTRING:
      return AddString(hwnd, state, lParam);
    case LB_RESETCONTENT:
      state = ListBoxState{{}, -1, 0, state.scrollBar};
      SetTop(hwnd, state, 0);
      return LB_OKAY;
    case LB_SETCURSEL: {
      const int index = static_cast<int>(wParam);
      if (index != -1 && !Valid(state, wParam)) return LB_ERR;
      state.selection = index;
      ShowSelection(hwnd, state);
      return index;  // -1 (LB_ERR) when the selection was removed
    }
    case LB_GETCURSEL:
      return state.selection;
    case LB_GETTEXT:
      return GetText(state, wParam, lParam);
    case LB_GETTEXTLEN:
      return Valid(state, wParam) ? static_cast<LRESULT>(state.items[wParam].size()) : LB_ERR;
    case LB_GETCOUNT:
      return Count(state);
    case LB_GETTOPINDEX:
      return state.top;
    case LB_SETTOPINDEX:
      if (!Valid(state, wParam)) return LB_ERR;
      SetTop(hwnd, state, static_cast<int>(wParam));
      return LB_OKAY;
    case LB_GETITEMRECT:
      return GetItemRect(hwnd, state, wParam, lParam);
    case LB_GETITEMHEIGHT:
      return kItemHeight;
    case WM_LBUTTONDOWN: {
      const int index = ItemAt(hwnd, state, lParam);
      if (index >= 0) SelectByPerson(hwnd, state, index);
      return 0;
    }
    case WM_LBUTTONDBLCLK:
      // The press before it selected; the double click only tells the parent.
      if ((StyleOf(hwnd) & LBS_NOTIFY) != 0) NotifyParent(hwnd, LBN_DBLCLK);
      return 0;
    case WM_PAINT:
      Paint(hwnd, state);
      return 0;
    case WM_KEYDOWN:
      KeyDown(hwnd, state, wParam);
      return 0;
    case WM_VSCROLL:
      VScroll(hwnd, state, wParam);
      return 0;
    case WM_SIZE:
      SetTop(hwnd, state, state.top);
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

}  // namespace

LRESULT CALLBACK ListBoxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* state = new (std::nothrow) ListBoxState;
    if (state == nullptr) return FALSE;
    state->scrollBar = (reinterpret_cast<const CREATESTRUCTA*>(lParam)->style & WS_VSCROLL) != 0;
    SetWindowLongA(hwnd, kStateOffset, reinterpret_cast<LONG_PTR>(state));
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }
  if (message == WM_NCDESTROY) {
    delete StateOf(hwnd);
    SetWindowLongA(hwnd, kStateOffset, 0);
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }
  ListBoxState* state = StateOf(hwnd);
  if (state == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
  return Handle(hwnd, *state, message, wParam, lParam);
}

}  // namespace platform::user
