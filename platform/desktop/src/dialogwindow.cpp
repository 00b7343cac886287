// Dialog boxes as dialogs of the toolkit built from what the DialogView shows: the
// caption as the title, group boxes and other texts as labels, each list box as a
// list, the push buttons as the dialog's buttons (the default one as its default).
// What the person does goes back through the view as the mouse and keys Windows knows:
// a click or an arrow key in a list, a double click, Enter, Escape, a button, the
// close box. After each the view is read again, so the list shows the selection the
// program keeps; the loop ends when the dialog has ended.
#include "questions.h"
#include "text.h"

#include <vector>

namespace platform::desktop {
namespace {

struct ShownList {
  int id;
  GtkTreeView* view;
  GtkListStore* store;
};

struct DialogRun {
  DialogView& dialog;
  ModalLoop loop;
  std::vector<ShownList> lists;
  bool updating = false;  // the lists are being filled from the view
};

void ShowSelection(const ShownList& list, int selection) {
  GtkTreeSelection* treeSelection = gtk_tree_view_get_selection(list.view);
  if (selection < 0) {
    gtk_tree_selection_unselect_all(treeSelection);
    return;
  }
  GtkTreePath* path = gtk_tree_path_new_from_indices(selection, -1);
  gtk_tree_view_set_cursor(list.view, path, nullptr, FALSE);
  gtk_tree_view_scroll_to_cell(list.view, path, nullptr, FALSE, 0, 0);
  gtk_tree_path_free(path);
}

void Fill(const ShownList& list, const DialogControl& control) {
  gtk_list_store_clear(list.store);
  for (const std::string& item : control.items)
    gtk_list_store_insert_with_values(list.store, nullptr, -1, 0, Utf8FromWindows(item).c_str(),
                                      -1);
  ShowSelection(list, control.selection);
}

// Reads the view again after an action; ends the loop once the dialog has ended.
void Update(DialogRun& run) {
  if (run.dialog.Ended()) {
    run.loop.Quit();
    return;
  }
  run.updating = true;
  for (const DialogControl& control : run.dialog.Controls()) {
    for (const ShownList& list : run.lists) {
      if (list.id == control.id) Fill(list, control);
    }
  }
  run.updating = false;
}

// The row the person clicked or moved to, or -1.
int CursorRow(GtkTreeView* view) {
  GtkTreePath* path = nullptr;
  gtk_tree_view_get_cursor(view, &path, nullptr);
  if (path == nullptr) return -1;
  const int row = gtk_tree_path_get_indices(path)[0];
  gtk_tree_path_free(path);
  return row;
}

const ShownList* ListOf(DialogRun& run, GtkTreeView* view) {
  for (const ShownList& list : run.lists) {
    if (list.view == view) return &list;
  }
  return nullptr;
}

GdkEventType CurrentEventType() {
  GdkEvent* event = gtk_get_current_event();
  const GdkEventType type = event != nullptr ? event->type : GDK_NOTHING;
  if (event != nullptr) gdk_event_free(event);
  return type;
}

void CursorChanged(GtkTreeView* view, DialogRun* run) {
  const ShownList* list = ListOf(*run, view);
  const int row = CursorRow(view);
  if (run->updating || list == nullptr || row < 0) return;
  run->dialog.ClickItem(list->id, row);
  Update(*run);
}

void RowActivated(GtkTreeView* view, GtkTreePath* path, GtkTreeViewColumn*, DialogRun* run) {
  const ShownList* list = ListOf(*run, view);
  if (list == nullptr) return;
  if (CurrentEventType() == GDK_2BUTTON_PRESS)
    run->dialog.DoubleClickItem(list->id, gtk_tree_path_get_indices(path)[0]);
  else
    run->dialog.PressKey(VK_RETURN, list->id);
  Update(*run);
}

void Responded(GtkDialog*, int response, DialogRun* run) {
  if (response >= 0)
    run->dialog.Click(response);
  else if (CurrentEventType() == GDK_KEY_PRESS)
    run->dialog.PressKey(VK_ESCAPE);
  else
    run->dialog.Close();
  Update(*run);
}

GtkWidget* NewList(const DialogControl& control, DialogRun& run) {
  GtkListStore* store = gtk_list_store_new(1, G_TYPE_STRING);
  GtkWidget* view = gtk_tree_view_new_with_model(GTK_TREE_MODEL(store));
  gtk_tree_view_set_headers_visible(GTK_TREE_VIEW(view), FALSE);
  gtk_tree_view_append_column(GTK_TREE_VIEW(view),
                              gtk_tree_view_column_new_with_attributes(
                                  "", gtk_cell_renderer_text_new(), "text", 0, nullptr));
  g_signal_connect(view, "cursor-changed", G_CALLBACK(CursorChanged), &run);
  g_signal_connect(view, "row-activated", G_CALLBACK(RowActivated), &run);
  run.lists.push_back({control.id, GTK_TREE_VIEW(view), store});
  GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_widget_set_size_request(scrolled, 320, 200);
  gtk_container_add(GTK_CONTAINER(scrolled), view);
  return scrolled;
}

GtkWidget* NewDialog(DialogRun& run) {
  GtkWidget* dialog = gtk_dialog_new();
  gtk_window_set_title(GTK_WINDOW(dialog), Utf8FromWindows(run.dialog.Caption()).c_str());
  gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
  GtkWidget* content = gtk_dialog_get_content_area(GTK_DIALOG(dialog));
  gtk_container_set_border_width(GTK_CONTAINER(content), 8);
  gtk_box_set_spacing(GTK_BOX(content), 6);
  using Kind = DialogControl::Kind;
  for (const DialogControl& control : run.dialog.Controls()) {
    GtkWidget* widget = nullptr;
    if (control.kind == Kind::kListBox) {
      widget = NewList(control, run);
    } else if (control.kind == Kind::kPushButton || control.kind == Kind::kDefaultButton) {
      gtk_dialog_add_button(GTK_DIALOG(dialog), MnemonicLabel(control.text).c_str(), control.id);
      if (control.kind == Kind::kDefaultButton)
        gtk_dialog_set_default_response(GTK_DIALOG(dialog), control.id);
    } else if (!control.text.empty()) {
      widget = gtk_label_new(Utf8FromWindows(control.text).c_str());
      gtk_widget_set_halign(widget, GTK_ALIGN_START);
    }
    if (widget != nullptr) gtk_box_pack_start(GTK_BOX(content), widget, TRUE, TRUE, 0);
  }
  g_signal_connect(dialog, "response", G_CALLBACK(Responded), &run);
  // After the dialog's own handler has answered the close box: the window stays until
  // the program's dialog has ended.
  g_signal_connect(dialog, "delete-event", G_CALLBACK(gtk_true), nullptr);
  return dialog;
}

}  // namespace

void RunDialogWindow(DialogView& view) {
  DialogRun run{view, {}, {}, false};
  GtkWidget* dialog = NewDialog(run);
  Update(run);
  gtk_widget_show_all(dialog);
  if (!view.Ended()) run.loop.Run();
  for (const ShownList& list : run.lists) g_object_unref(list.store);
  gtk_widget_destroy(dialog);
}

}  // namespace platform::desktop
