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
  gtk_menu_popup_at_pointer(GTK_MENU(menu), nullptr);
  if (gtk_widget_get_visible(menu)) run.loop.Run();
  gtk_widget_destroy(menu);
  return run.chosen;
}

}  // namespace platform::desktop
