// The person's view of a modal dialog, and the modal loop that hands it to them.
#include <platform/dialogview.h>
#include <platform/person.h>

#include "controlclasses.h"
#include "windowmanager.h"

#include <algorithm>

namespace platform {
namespace {

std::string TextOf(HWND hwnd) {
  const int length = GetWindowTextLengthA(hwnd);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(hwnd, text.data(), length + 1)));
  return text;
}

DialogControl::Kind KindOf(HWND hwnd) {
  using Kind = DialogControl::Kind;
  if (user::IsOfClass(hwnd, user::kListBoxClassName)) return Kind::kListBox;
  if (!user::IsOfClass(hwnd, user::kButtonClassName)) return Kind::kOther;
  switch (GetWindowLongA(hwnd, GWL_STYLE) & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
      return Kind::kPushButton;
    case BS_DEFPUSHBUTTON:
      return Kind::kDefaultButton;
    case BS_GROUPBOX:
      return Kind::kGroupBox;
    default:
      return Kind::kOther;
  }
}

std::vector<std::string> Entries(HWND list) {
  std::vector<std::string> items;
  const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    std::string text(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, '\0');
    if (length >= 0) {
      SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    }
    text.resize(std::char_traits<char>::length(text.c_str()));
    items.push_back(std::move(text));
  }
  return items;
}

// The left button pressed and released at the point, twice for a double click, with
// the messages Windows sends for it.
void Press(HWND hwnd, POINT at, bool twice) {
  const LPARAM where = MAKELPARAM(at.x, at.y);
  SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, where);
  SendMessageA(hwnd, WM_LBUTTONUP, 0, where);
  if (!twice) return;
  SendMessageA(hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, where);
  SendMessageA(hwnd, WM_LBUTTONUP, 0, where);
}

}  // namespace

DialogView::DialogView(HWND dialog) : m_hDialog(dialog) {}

bool DialogView::Ended() const { return !IsWindow(m_hDialog) || user::DialogEnded(m_hDialog); }

std::string DialogView::Caption() const { return TextOf(m_hDialog); }

std::vector<DialogControl> DialogView::Controls() const {
  std::vector<DialogControl> controls;
  const user::Window* dialog = user::WindowManager::Get().Find(m_hDialog);
  if (dialog == nullptr) return controls;
  for (HWND hwnd : std::vector<HWND>(dialog->children)) {
    if (!IsWindow(hwnd)) continue;
    DialogControl control{hwnd, GetDlgCtrlID(hwnd), KindOf(hwnd), TextOf(hwnd), {}, -1};
    if (control.kind == DialogControl::Kind::kListBox) {
      control.items = Entries(hwnd);
      control.selection = static_cast<int>(SendMessageA(hwnd, LB_GETCURSEL, 0, 0));
    }
    controls.push_back(std::move(control));
  }
  return controls;
}

bool DialogView::Click(int buttonId) {
  HWND button = ControlOfClass(buttonId, user::kButtonClassName);
  if (button == nullptr || KindOf(button) == DialogControl::Kind::kGroupBox) return false;
  SendMessageA(button, BM_CLICK, 0, 0);
  return true;
}

bool DialogView::ClickItem(int listId, int index) { return ClickEntry(listId, index, false); }

bool DialogView::DoubleClickItem(int listId, int index) { return ClickEntry(listId, index, true); }

bool DialogView::PressKey(UINT virtualKey, int controlId) {
  HWND target = controlId == 0 ? m_hDialog : Control(controlId);
  if (target == nullptr || !IsWindow(m_hDialog)) return false;
  MSG msg{target, WM_KEYDOWN, virtualKey, 0, 0, POINT{}};
  IsDialogMessageA(m_hDialog, &msg);
  return true;
}

void DialogView::Close() {
  if (IsWindow(m_hDialog)) SendMessageA(m_hDialog, WM_CLOSE, 0, 0);
}

HWND DialogView::Control(int id) const {
  return IsWindow(m_hDialog) ? GetDlgItem(m_hDialog, id) : nullptr;
}

HWND DialogView::ControlOfClass(int id, const char* className) const {
  HWND hwnd = Control(id);
  return hwnd != nullptr && user::IsOfClass(hwnd, className) ? hwnd : nullptr;
}

bool DialogView::ClickEntry(int listId, int index, bool twice) {
  HWND list = ControlOfClass(listId, user::kListBoxClassName);
  if (list == nullptr || index < 0 || index >= SendMessageA(list, LB_GETCOUNT, 0, 0)) return false;
  const auto entry = static_cast<WPARAM>(index);
  RECT client;
  RECT item;
  GetClientRect(list, &client);
  if (SendMessageA(list, LB_GETITEMRECT, entry, reinterpret_cast<LPARAM>(&item)) == LB_ERR) {
    return false;
  }
  if (item.top < 0 || item.bottom > client.bottom) {
    SendMessageA(list, LB_SETTOPINDEX, entry, 0);
    SendMessageA(list, LB_GETITEMRECT, entry, reinterpret_cast<LPARAM>(&item));
  }
  Press(list,
        POINT{(item.left + item.right) / 2, (item.top + std::min(item.bottom, client.bottom)) / 2},
        twice);
  return true;
}

INT_PTR RunModalDialog(HWND dialog) {
  if (!user::IsOfClass(dialog, user::kDialogClassName)) return -1;
  if (!user::DialogEnded(dialog)) {
    DialogView view(dialog);
    CurrentPerson().RunDialog(view);
  }
  if (IsWindow(dialog) && !user::DialogEnded(dialog)) SendMessageA(dialog, WM_CLOSE, 0, 0);
  if (IsWindow(dialog) && !user::DialogEnded(dialog)) EndDialog(dialog, IDCANCEL);
  return IsWindow(dialog) ? user::DialogResult(dialog) : -1;
}

}  // namespace platform
