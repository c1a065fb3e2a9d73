#include "platform/ui/GtkDialogs.h"

#include <algorithm>
#include <memory>

#include <gtk/gtk.h>

#include "platform/ui/DialogPaths.h"

namespace platform::ui {

namespace {

constexpr char kFilter[] = "Todos los archivos (*.*)";
// The picker's list: its width in pixels, and the width of a column whose texts are all short.
constexpr gint kListWidth = 860;
constexpr gint kShortColumnWidth = 110;
constexpr glong kShortColumnChars = 12;

// A top-level dialog, destroyed when it goes out of scope.
struct WidgetDestroyer {
    void operator()(GtkWidget* widget) const { gtk_widget_destroy(widget); }
};
using DialogPtr = std::unique_ptr<GtkWidget, WidgetDestroyer>;

// A string GLib allocated.
struct GFreer {
    void operator()(gchar* text) const { g_free(text); }
};
using GText = std::unique_ptr<gchar, GFreer>;

// GTK shows only valid UTF-8; anything else becomes replacement characters.
std::string validText(const std::string& text) {
    GText valid(g_utf8_make_valid(text.c_str(), static_cast<gssize>(text.size())));
    return std::string(valid.get());
}

// Titles a dialog and keeps it centred above other windows: the program asking is often a
// script host with no window of its own to be the dialog's parent.
void present(GtkWidget* dialog, const std::string& title) {
    gtk_window_set_title(GTK_WINDOW(dialog), validText(title).c_str());
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
    gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
}

DialogPtr newDialog(const std::string& title) {
    GtkWidget* dialog = gtk_dialog_new();
    present(dialog, title);
    gtk_container_set_border_width(GTK_CONTAINER(dialog), 8);
    return DialogPtr(dialog);
}

GtkWidget* contentArea(const DialogPtr& dialog) {
    GtkWidget* area = gtk_dialog_get_content_area(GTK_DIALOG(dialog.get()));
    gtk_box_set_spacing(GTK_BOX(area), 6);
    return area;
}

GtkWidget* addCancelAndAccept(const DialogPtr& dialog) {
    gtk_dialog_add_button(GTK_DIALOG(dialog.get()), "_Cancelar", GTK_RESPONSE_CANCEL);
    GtkWidget* accept =
        gtk_dialog_add_button(GTK_DIALOG(dialog.get()), "_Aceptar", GTK_RESPONSE_ACCEPT);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog.get()), GTK_RESPONSE_ACCEPT);
    return accept;
}

GtkWidget* wrappedLabel(const std::string& text) {
    GtkWidget* label = gtk_label_new(validText(text).c_str());
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk_label_set_max_width_chars(GTK_LABEL(label), 70);
    gtk_label_set_xalign(GTK_LABEL(label), 0.0F);
    gtk_label_set_selectable(GTK_LABEL(label), FALSE);
    return label;
}

void updateAcceptSensitivity(GtkTreeSelection* selection, gpointer accept) {
    gtk_widget_set_sensitive(GTK_WIDGET(accept),
                             gtk_tree_selection_count_selected_rows(selection) > 0);
}

void acceptOnActivation(GtkTreeView* view, GtkTreePath*, GtkTreeViewColumn*, gpointer dialog) {
    if (gtk_tree_selection_count_selected_rows(gtk_tree_view_get_selection(view)) > 0) {
        gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    }
}

} // namespace

std::optional<std::string> GtkDialogs::chooseFile(const std::string& title, bool save,
                                                  const std::string& suggested) {
    for (;;) {
        DialogPtr dialog(gtk_file_chooser_dialog_new(
            validText(title).c_str(), nullptr,
            save ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN, "_Cancelar",
            GTK_RESPONSE_CANCEL, save ? "_Guardar" : "_Abrir", GTK_RESPONSE_ACCEPT, nullptr));
        present(dialog.get(), title);
        GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog.get());
        gtk_dialog_set_default_response(GTK_DIALOG(dialog.get()), GTK_RESPONSE_ACCEPT);
        gtk_file_chooser_set_local_only(chooser, TRUE);
        GtkFileFilter* all = gtk_file_filter_new();
        gtk_file_filter_set_name(all, kFilter);
        gtk_file_filter_add_pattern(all, "*");
        gtk_file_chooser_add_filter(chooser, all);
        if (save && !suggested.empty()) {
            GText folder(g_path_get_dirname(suggested.c_str()));
            GText base(g_path_get_basename(suggested.c_str()));
            if (g_path_is_absolute(suggested.c_str())) {
                gtk_file_chooser_set_current_folder(chooser, folder.get());
            }
            gtk_file_chooser_set_current_name(chooser, base.get());
        }
        if (gtk_dialog_run(GTK_DIALOG(dialog.get())) != GTK_RESPONSE_ACCEPT) {
            return std::nullopt;
        }
        GText chosen(gtk_file_chooser_get_filename(chooser));
        if (!chosen) {
            return std::nullopt;
        }
        std::string path(chosen.get());
        dialog.reset();
        if (!save) {
            if (auto existing = DialogPaths::existingFile(path)) {
                return existing;
            }
            inform(title, path + ": el fichero no existe.");
            continue;
        }
        auto savable = DialogPaths::savablePath(path);
        if (!savable) {
            inform(title, path + ": la carpeta no existe.");
            continue;
        }
        if (DialogPaths::exists(*savable) &&
            !confirm("Reemplazar", *savable + " ya existe. ¿Desea reemplazarlo?")) {
            continue;
        }
        return savable;
    }
}

std::optional<std::vector<size_t>>
GtkDialogs::pickRows(const std::string& title, const std::vector<std::string>& headers,
                     const std::vector<std::vector<std::string>>& cells, bool multi) {
    if (cells.empty() || headers.empty()) {
        return std::nullopt;
    }
    const auto columns = static_cast<gint>(headers.size());
    std::vector<GType> types(headers.size(), G_TYPE_STRING);
    GtkListStore* store = gtk_list_store_newv(columns, types.data());
    for (const std::vector<std::string>& row : cells) {
        GtkTreeIter iter;
        gtk_list_store_append(store, &iter);
        for (gint column = 0; column < columns; ++column) {
            const auto index = static_cast<size_t>(column);
            std::string text = index < row.size() ? validText(row[index]) : std::string();
            gtk_list_store_set(store, &iter, column, text.c_str(), -1);
        }
    }

    DialogPtr dialog = newDialog(title);
    gtk_window_set_default_size(GTK_WINDOW(dialog.get()), kListWidth + 40, 320);
    GtkWidget* view = gtk_tree_view_new_with_model(GTK_TREE_MODEL(store));
    g_object_unref(store);
    // Short columns (dates) get what they need and the others share the rest, so that long
    // names are cut with an ellipsis rather than pushing the dates out of sight; the whole
    // first column shows as a tooltip.
    std::vector<bool> shortColumn(headers.size(), true);
    for (const std::vector<std::string>& row : cells) {
        for (size_t index = 0; index < row.size() && index < headers.size(); ++index) {
            if (g_utf8_strlen(row[index].c_str(), -1) > kShortColumnChars) {
                shortColumn[index] = false;
            }
        }
    }
    const auto shortCount =
        static_cast<gint>(std::count(shortColumn.begin(), shortColumn.end(), true));
    const gint wideWidth =
        shortCount == columns
            ? kListWidth / columns
            : std::max(kShortColumnWidth,
                       (kListWidth - shortCount * kShortColumnWidth) / (columns - shortCount));
    for (gint column = 0; column < columns; ++column) {
        GtkCellRenderer* renderer = gtk_cell_renderer_text_new();
        g_object_set(renderer, "ellipsize", PANGO_ELLIPSIZE_END, nullptr);
        GtkTreeViewColumn* shown = gtk_tree_view_column_new_with_attributes(
            validText(headers[static_cast<size_t>(column)]).c_str(), renderer, "text", column,
            nullptr);
        gtk_tree_view_column_set_sizing(shown, GTK_TREE_VIEW_COLUMN_FIXED);
        gtk_tree_view_column_set_fixed_width(shown, shortColumn[static_cast<size_t>(column)] &&
                                                            shortCount != columns
                                                        ? kShortColumnWidth
                                                        : wideWidth);
        gtk_tree_view_column_set_resizable(shown, TRUE);
        gtk_tree_view_append_column(GTK_TREE_VIEW(view), shown);
    }
    gtk_tree_view_set_tooltip_column(GTK_TREE_VIEW(view), 0);
    GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_AUTOMATIC,
                                   GTK_POLICY_AUTOMATIC);
    gtk_widget_set_vexpand(scroller, TRUE);
    gtk_container_add(GTK_CONTAINER(scroller), view);
    GtkWidget* area = contentArea(dialog);
    gtk_box_pack_start(GTK_BOX(area),
                       wrappedLabel(multi ? "Seleccione uno o varios certificados:"
                                          : "Seleccione un certificado:"),
                       FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(area), scroller, TRUE, TRUE, 0);
    GtkWidget* accept = addCancelAndAccept(dialog);

    GtkTreeSelection* selection = gtk_tree_view_get_selection(GTK_TREE_VIEW(view));
    gtk_tree_selection_set_mode(selection, multi ? GTK_SELECTION_MULTIPLE : GTK_SELECTION_BROWSE);
    g_signal_connect(selection, "changed", G_CALLBACK(updateAcceptSensitivity), accept);
    g_signal_connect(view, "row-activated", G_CALLBACK(acceptOnActivation), dialog.get());
    GtkTreePath* first = gtk_tree_path_new_first();
    gtk_tree_view_set_cursor(GTK_TREE_VIEW(view), first, nullptr, FALSE);
    gtk_tree_selection_select_path(selection, first);
    gtk_tree_path_free(first);
    updateAcceptSensitivity(selection, accept);

    gtk_widget_show_all(dialog.get());
    gtk_widget_grab_focus(view);
    if (gtk_dialog_run(GTK_DIALOG(dialog.get())) != GTK_RESPONSE_ACCEPT) {
        return std::nullopt;
    }
    std::vector<size_t> chosen;
    GList* paths = gtk_tree_selection_get_selected_rows(selection, nullptr);
    for (GList* item = paths; item != nullptr; item = item->next) {
        gint depth = 0;
        const gint* indices =
            gtk_tree_path_get_indices_with_depth(static_cast<GtkTreePath*>(item->data), &depth);
        if (depth == 1 && indices[0] >= 0 && static_cast<size_t>(indices[0]) < cells.size()) {
            chosen.push_back(static_cast<size_t>(indices[0]));
        }
    }
    g_list_free_full(paths, reinterpret_cast<GDestroyNotify>(gtk_tree_path_free));
    if (chosen.empty()) {
        return std::nullopt;
    }
    std::sort(chosen.begin(), chosen.end());
    if (!multi) {
        chosen.resize(1);
    }
    return chosen;
}

void GtkDialogs::showText(const std::string& title, const std::string& text) {
    DialogPtr dialog = newDialog(title);
    gtk_window_set_default_size(GTK_WINDOW(dialog.get()), 640, 420);
    GtkWidget* view = gtk_text_view_new();
    gtk_text_view_set_editable(GTK_TEXT_VIEW(view), FALSE);
    gtk_text_view_set_monospace(GTK_TEXT_VIEW(view), TRUE);
    gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(view), GTK_WRAP_WORD_CHAR);
    gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(view)), validText(text).c_str(),
                             -1);
    GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_widget_set_vexpand(scroller, TRUE);
    gtk_container_add(GTK_CONTAINER(scroller), view);
    gtk_box_pack_start(GTK_BOX(contentArea(dialog)), scroller, TRUE, TRUE, 0);
    GtkWidget* accept =
        gtk_dialog_add_button(GTK_DIALOG(dialog.get()), "_Aceptar", GTK_RESPONSE_ACCEPT);
    gtk_widget_show_all(dialog.get());
    gtk_widget_grab_focus(accept);
    gtk_dialog_run(GTK_DIALOG(dialog.get()));
}

std::optional<std::vector<std::string>>
GtkDialogs::askFields(const std::string& title, const std::string& prompt,
                      const std::vector<std::string>& labels, const std::vector<bool>& hidden) {
    DialogPtr dialog = newDialog(title);
    GtkWidget* area = contentArea(dialog);
    if (!prompt.empty()) {
        gtk_box_pack_start(GTK_BOX(area), wrappedLabel(prompt), FALSE, FALSE, 0);
    }
    GtkWidget* grid = gtk_grid_new();
    gtk_grid_set_row_spacing(GTK_GRID(grid), 6);
    gtk_grid_set_column_spacing(GTK_GRID(grid), 6);
    std::vector<GtkWidget*> entries;
    for (size_t i = 0; i < labels.size(); ++i) {
        GtkWidget* label = gtk_label_new(labels[i].c_str());
        gtk_label_set_xalign(GTK_LABEL(label), 1.0F);
        GtkWidget* entry = gtk_entry_new();
        gtk_entry_set_activates_default(GTK_ENTRY(entry), TRUE);
        gtk_widget_set_hexpand(entry, TRUE);
        if (i < hidden.size() && hidden[i]) {
            gtk_entry_set_visibility(GTK_ENTRY(entry), FALSE);
            gtk_entry_set_input_purpose(GTK_ENTRY(entry), GTK_INPUT_PURPOSE_PASSWORD);
        }
        gtk_grid_attach(GTK_GRID(grid), label, 0, static_cast<gint>(i), 1, 1);
        gtk_grid_attach(GTK_GRID(grid), entry, 1, static_cast<gint>(i), 1, 1);
        entries.push_back(entry);
    }
    gtk_box_pack_start(GTK_BOX(area), grid, FALSE, FALSE, 0);
    addCancelAndAccept(dialog);
    gtk_widget_show_all(dialog.get());
    if (!entries.empty()) {
        gtk_widget_grab_focus(entries.front());
    }
    if (gtk_dialog_run(GTK_DIALOG(dialog.get())) != GTK_RESPONSE_ACCEPT) {
        return std::nullopt;
    }
    std::vector<std::string> typed;
    for (GtkWidget* entry : entries) {
        typed.emplace_back(gtk_entry_get_text(GTK_ENTRY(entry)));
    }
    return typed;
}

void GtkDialogs::inform(const std::string& title, const std::string& text) {
    DialogPtr dialog(gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_INFO,
                                            GTK_BUTTONS_NONE, "%s", validText(text).c_str()));
    present(dialog.get(), title);
    GtkWidget* accept =
        gtk_dialog_add_button(GTK_DIALOG(dialog.get()), "_Aceptar", GTK_RESPONSE_ACCEPT);
    gtk_widget_grab_focus(accept);
    gtk_dialog_run(GTK_DIALOG(dialog.get()));
}

bool GtkDialogs::confirm(const std::string& title, const std::string& question) {
    DialogPtr dialog(gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_QUESTION,
                                            GTK_BUTTONS_NONE, "%s", validText(question).c_str()));
    present(dialog.get(), title);
    GtkWidget* no = gtk_dialog_add_button(GTK_DIALOG(dialog.get()), "_No", GTK_RESPONSE_NO);
    gtk_dialog_add_button(GTK_DIALOG(dialog.get()), "_Sí", GTK_RESPONSE_YES);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog.get()), GTK_RESPONSE_NO);
    gtk_widget_grab_focus(no);
    return gtk_dialog_run(GTK_DIALOG(dialog.get())) == GTK_RESPONSE_YES;
}

} // namespace platform::ui
