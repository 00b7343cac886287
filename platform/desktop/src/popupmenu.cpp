// Pop-up menus as menus at the pointer. The menu is modal: a nested loop runs until
// it closes, chosen or not. A disabled item cannot be chosen, so 0 comes back for it
// as for a menu closed without a choice.
#include "questions.h"
#include "text.h"

namespace platform::desktop {
namespace {

struct MenuRun {
  ModalLoop loop;
  UINT chosen = 0;
};

GtkWidget* ItemOf(const MenuItem& item, MenuRun& run) {
  if ((item.flags & MF_SEPARATOR) != 0) return gtk_separator_menu_item_new();
  const std::string label = MnemonicLabel(item.text);
  GtkWidget* widget = (item.flags & MF_CHECKED) != 0
                          ? gtk_check_menu_item_new_with_mnemonic(label.c_str())
                          : gtk_menu_item_new_with_mnemonic(label.c_str());
  if ((item.flags & MF_CHECKED) != 0)
    gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(widget), TRUE);
  gtk_widget_set_sensitive(widget, (item.flags & (MF_GRAYED | MF_DISABLED)) == 0);
  g_object_set_data(G_OBJECT(widget), "id", GUINT_TO_POINTER(item.id));
  g_signal_connect(widget, "activate", G_CALLBACK(+[](GtkWidget* widget, MenuRun* run) {
                     run->chosen = GPOINTER_TO_UINT(g_object_get_data(G_OBJECT(widget), "id"));
                   }),
                   &run);
  return widget;
}

// At the pointer: for a click, where the click was; for a menu the program asks for on
// its own (no event is being handled), where the pointer is now.
void Popup(GtkMenu* menu) {
  if (GdkEvent* event = gtk_get_current_event()) {
    gtk_menu_popup_at_pointer(menu, event);
    gdk_event_free(event);
    return;
  }
  GdkDevice* pointer =
      gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default()));
  GdkScreen* screen = nullptr;
  GdkRectangle at{0, 0, 1, 1};
  gdk_device_get_position(pointer, &screen, &at.x, &at.y);
  gtk_menu_popup_at_rect(menu, gdk_screen_get_root_window(screen), &at, GDK_GRAVITY_NORTH_WEST,
                         GDK_GRAVITY_NORTH_WEST, nullptr);
}

}  // namespace

UINT RunPopupMenu(const MenuQuestion& question) {
  MenuRun run;
  GtkWidget* menu = gtk_menu_new();
  for (const MenuItem& item : question.items)
    gtk_menu_shell_append(GTK_MENU_SHELL(menu), ItemOf(item, run));
  gtk_widget_show_all(menu);
  // The menu closes before its chosen item is activated: quit once both are done.
  g_signal_connect(menu, "deactivate", G_CALLBACK(+[](GtkWidget*, MenuRun* run) {
                     g_idle_add(
                         +[](gpointer data) {
                           static_cast<MenuRun*>(data)->loop.Quit();
                           return G_SOURCE_REMOVE;
                         },
                         run);
                   }),
                   &run);
  Popup(GTK_MENU(menu));
  if (gtk_widget_get_visible(menu)) run.loop.Run();
  gtk_widget_destroy(menu);
  return run.chosen;
}

}  // namespace platform::desktop
