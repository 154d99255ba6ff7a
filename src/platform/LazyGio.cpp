// GObject, GIO and the desktop's menu library, loaded at the first call of one of the
// functions the bar uses (opening a document, the first start's import); see
// LazyLibrary.h. GLib itself is always loaded (Qt's event loop runs on it).
#include "platform/LazyLibrary.h"

#define GMENU_I_KNOW_THIS_IS_UNSTABLE
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#include <gmenu-tree.h>

namespace {
constexpr const char* kGObject = "libgobject-2.0.so.0";
constexpr const char* kGio = "libgio-2.0.so.0";
constexpr const char* kMenu = "libgnome-menu-3.so.0";
} // namespace

// The instances these take come from the libraries, which are loaded by then.
KEX_LAZY_VOID(kGObject, g_object_unref, (gpointer object), (object))
KEX_LAZY(kGObject, GTypeInstance*, g_type_check_instance_cast, (GTypeInstance * instance, GType type), (instance, type),
         instance)
KEX_LAZY(kGObject, gboolean, g_type_check_instance_is_a, (GTypeInstance * instance, GType type), (instance, type),
         FALSE)

KEX_LAZY(kGio, GAppInfo*, g_app_info_get_default_for_type, (const char* type, gboolean uris), (type, uris), nullptr)
KEX_LAZY(kGio, const char*, g_app_info_get_executable, (GAppInfo * info), (info), nullptr)
KEX_LAZY(kGio, const char*, g_app_info_get_name, (GAppInfo * info), (info), nullptr)
KEX_LAZY(kGio, GType, g_app_info_get_type, (void), (), GType(0))
KEX_LAZY(kGio, gboolean, g_app_info_should_show, (GAppInfo * info), (info), FALSE)
KEX_LAZY(kGio, gchar*, g_content_type_guess, (const gchar* file, const guchar* data, gsize size, gboolean* uncertain),
         (file, data, size, uncertain), nullptr)
KEX_LAZY(kGio, const char*, g_desktop_app_info_get_filename, (GDesktopAppInfo * info), (info), nullptr)
KEX_LAZY(kGio, GType, g_desktop_app_info_get_type, (void), (), GType(0))
KEX_LAZY(kGio, gboolean, g_desktop_app_info_get_boolean, (GDesktopAppInfo * info, const char* key), (info, key), FALSE)
KEX_LAZY(kGio, const char*, g_desktop_app_info_get_categories, (GDesktopAppInfo * info), (info), nullptr)
KEX_LAZY(kGio, gboolean, g_desktop_app_info_get_is_hidden, (GDesktopAppInfo * info), (info), FALSE)
KEX_LAZY(kGio, char*, g_desktop_app_info_get_string, (GDesktopAppInfo * info, const char* key), (info, key), nullptr)
KEX_LAZY(kGio, GDesktopAppInfo*, g_desktop_app_info_new_from_filename, (const char* file), (file), nullptr)

// Without the menu library no tree is made, so the rest is never reached with one.
KEX_LAZY(kMenu, GMenuTree*, gmenu_tree_new, (const char* name, GMenuTreeFlags flags), (name, flags), nullptr)
KEX_LAZY(kMenu, gboolean, gmenu_tree_load_sync, (GMenuTree * tree, GError** error), (tree, error), FALSE)
KEX_LAZY(kMenu, GMenuTreeDirectory*, gmenu_tree_get_root_directory, (GMenuTree * tree), (tree), nullptr)
KEX_LAZY(kMenu, GMenuTreeIter*, gmenu_tree_directory_iter, (GMenuTreeDirectory * d), (d), nullptr)
KEX_LAZY(kMenu, const char*, gmenu_tree_directory_get_name, (GMenuTreeDirectory * d), (d), nullptr)
KEX_LAZY(kMenu, gboolean, gmenu_tree_directory_get_is_nodisplay, (GMenuTreeDirectory * d), (d), FALSE)
KEX_LAZY(kMenu, GMenuTreeItemType, gmenu_tree_iter_next, (GMenuTreeIter * it), (it), GMENU_TREE_ITEM_INVALID)
KEX_LAZY_VOID(kMenu, gmenu_tree_iter_unref, (GMenuTreeIter * it), (it))
KEX_LAZY(kMenu, GMenuTreeDirectory*, gmenu_tree_iter_get_directory, (GMenuTreeIter * it), (it), nullptr)
KEX_LAZY(kMenu, GMenuTreeEntry*, gmenu_tree_iter_get_entry, (GMenuTreeIter * it), (it), nullptr)
KEX_LAZY(kMenu, GMenuTreeAlias*, gmenu_tree_iter_get_alias, (GMenuTreeIter * it), (it), nullptr)
KEX_LAZY_VOID(kMenu, gmenu_tree_item_unref, (gpointer item), (item))
KEX_LAZY(kMenu, GMenuTreeItemType, gmenu_tree_alias_get_aliased_item_type, (GMenuTreeAlias * a), (a),
         GMENU_TREE_ITEM_INVALID)
KEX_LAZY(kMenu, GMenuTreeDirectory*, gmenu_tree_alias_get_aliased_directory, (GMenuTreeAlias * a), (a), nullptr)
KEX_LAZY(kMenu, GMenuTreeEntry*, gmenu_tree_alias_get_aliased_entry, (GMenuTreeAlias * a), (a), nullptr)
KEX_LAZY(kMenu, GDesktopAppInfo*, gmenu_tree_entry_get_app_info, (GMenuTreeEntry * e), (e), nullptr)
KEX_LAZY(kMenu, const char*, gmenu_tree_entry_get_desktop_file_id, (GMenuTreeEntry * e), (e), nullptr)
