#include "platform/AppMenu.h"

#include "core/launch/CommandLine.h"
#include "core/launch/DesktopEntry.h"

#define GMENU_I_KNOW_THIS_IS_UNSTABLE
#include <gio/gdesktopappinfo.h>
#include <gmenu-tree.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>

namespace kex {

namespace {

namespace fs = std::filesystem;

// Entries at the top of the menu, and entries of no known main category.
constexpr const char* kOtherGroup = "Other";
// Bounds for a menu or a directory tree that a user may have made arbitrarily deep.
constexpr int kMaxMenuDepth = 16;
constexpr int kMaxDirectoryDepth = 8;
constexpr std::uintmax_t kMaxEntryBytes = 1 << 20;

std::string Text(const char* s) { return s ? s : ""; }

// A string the caller frees, as text.
std::string Taken(gchar* s)
{
    std::string text = Text(s);
    g_free(s);
    return text;
}

std::string CommandLineOf(const std::string& exec)
{
    std::vector<std::string> argv = SplitExec(exec);
    // Without files, the file-forwarding list of a Flatpak export is empty: it goes.
    const std::size_t n = argv.size();
    if (n >= 2 && argv[n - 1] == "@@" && (argv[n - 2] == "@@" || argv[n - 2] == "@@u"))
        argv.resize(n - 2);
    return JoinCommandLine(argv);
}

ProgramItem ItemOf(GDesktopAppInfo* info)
{
    ProgramItem item;
    item.title = Text(g_app_info_get_name(G_APP_INFO(info)));
    item.commandLine = CommandLineOf(Taken(g_desktop_app_info_get_string(info, "Exec")));
    item.iconFile = Taken(g_desktop_app_info_get_string(info, "Icon"));
    item.terminal = g_desktop_app_info_get_boolean(info, "Terminal");
    return item;
}

// The items of one group, each desktop entry once.
struct GroupItems {
    std::vector<ProgramItem> items;
    std::set<std::string> ids;

    void Add(GMenuTreeEntry* entry)
    {
        GDesktopAppInfo* info = gmenu_tree_entry_get_app_info(entry);
        if (!info || !ids.insert(Text(gmenu_tree_entry_get_desktop_file_id(entry))).second)
            return;
        items.push_back(ItemOf(info));
    }
};

// Every entry of a directory and of the directories inside it, in menu order.
void CollectEntries(GMenuTreeDirectory* directory, GroupItems& group, int depth);

void CollectItem(GMenuTreeItemType type, GMenuTreeIter* it, GroupItems& group, int depth)
{
    switch (type) {
    case GMENU_TREE_ITEM_ENTRY: {
        GMenuTreeEntry* entry = gmenu_tree_iter_get_entry(it);
        group.Add(entry);
        gmenu_tree_item_unref(entry);
        break;
    }
    case GMENU_TREE_ITEM_DIRECTORY: {
        GMenuTreeDirectory* directory = gmenu_tree_iter_get_directory(it);
        CollectEntries(directory, group, depth + 1);
        gmenu_tree_item_unref(directory);
        break;
    }
    case GMENU_TREE_ITEM_ALIAS: {
        GMenuTreeAlias* alias = gmenu_tree_iter_get_alias(it);
        if (gmenu_tree_alias_get_aliased_item_type(alias) == GMENU_TREE_ITEM_ENTRY) {
            GMenuTreeEntry* entry = gmenu_tree_alias_get_aliased_entry(alias);
            group.Add(entry);
            gmenu_tree_item_unref(entry);
        } else if (gmenu_tree_alias_get_aliased_item_type(alias) == GMENU_TREE_ITEM_DIRECTORY) {
            GMenuTreeDirectory* directory = gmenu_tree_alias_get_aliased_directory(alias);
            CollectEntries(directory, group, depth + 1);
            gmenu_tree_item_unref(directory);
        }
        gmenu_tree_item_unref(alias);
        break;
    }
    default: // separators and headers
        break;
    }
}

void CollectEntries(GMenuTreeDirectory* directory, GroupItems& group, int depth)
{
    if (depth > kMaxMenuDepth || gmenu_tree_directory_get_is_nodisplay(directory))
        return;
    GMenuTreeIter* it = gmenu_tree_directory_iter(directory);
    for (GMenuTreeItemType type; (type = gmenu_tree_iter_next(it)) != GMENU_TREE_ITEM_INVALID;)
        CollectItem(type, it, group, depth);
    gmenu_tree_iter_unref(it);
}

// The groups of the application menu; nothing when it cannot be loaded.
std::optional<std::vector<ProgramGroup>> MenuGroups()
{
    GMenuTree* tree = gmenu_tree_new("applications.menu", GMENU_TREE_FLAGS_NONE);
    GError* error = nullptr;
    GMenuTreeDirectory* root = nullptr;
    if (gmenu_tree_load_sync(tree, &error))
        root = gmenu_tree_get_root_directory(tree);
    g_clear_error(&error);
    if (!root) {
        g_object_unref(tree);
        return std::nullopt;
    }
    std::vector<ProgramGroup> groups;
    GroupItems loose;
    GMenuTreeIter* it = gmenu_tree_directory_iter(root);
    for (GMenuTreeItemType type; (type = gmenu_tree_iter_next(it)) != GMENU_TREE_ITEM_INVALID;) {
        if (type != GMENU_TREE_ITEM_DIRECTORY) {
            CollectItem(type, it, loose, 1);
            continue;
        }
        GMenuTreeDirectory* directory = gmenu_tree_iter_get_directory(it);
        GroupItems group;
        CollectEntries(directory, group, 1);
        if (!gmenu_tree_directory_get_is_nodisplay(directory))
            groups.push_back({Text(gmenu_tree_directory_get_name(directory)), std::move(group.items)});
        gmenu_tree_item_unref(directory);
    }
    gmenu_tree_iter_unref(it);
    gmenu_tree_item_unref(root);
    g_object_unref(tree);

    if (!loose.items.empty()) {
        auto other =
            std::find_if(groups.begin(), groups.end(), [](const ProgramGroup& g) { return g.name == kOtherGroup; });
        if (other == groups.end())
            other = groups.insert(groups.end(), {kOtherGroup, {}});
        other->items.insert(other->items.end(), loose.items.begin(), loose.items.end());
    }
    return groups;
}

// The group of a desktop entry by its first main category.
const char* CategoryGroup(const char* categories)
{
    static const std::map<std::string, const char*> kGroups = {
        {"AudioVideo", "Multimedia"},   {"Audio", "Multimedia"},    {"Video", "Multimedia"},
        {"Development", "Development"}, {"Game", "Games"},          {"Graphics", "Graphics"},
        {"Network", "Internet"},        {"Office", "Office"},       {"Settings", "Settings"},
        {"System", "System"},           {"Utility", "Accessories"},
    };
    gchar** list = g_strsplit(categories ? categories : "", ";", -1);
    const char* group = kOtherGroup;
    for (gchar** c = list; *c; ++c)
        if (auto found = kGroups.find(*c); found != kGroups.end()) {
            group = found->second;
            break;
        }
    g_strfreev(list);
    return group;
}

// The visible desktop entries grouped by main category; nothing when no applications
// directory can be read.
std::optional<std::vector<ProgramGroup>> CategoryGroups()
{
    std::vector<std::string> roots = {Text(g_get_user_data_dir())};
    for (const char* const* d = g_get_system_data_dirs(); *d; ++d)
        roots.push_back(*d);

    bool readable = false;
    std::set<std::string> seen; // desktop-file ids: the first directory's entry hides the others
    std::map<std::string, std::vector<ProgramItem>> byGroup;
    for (const std::string& root : roots) {
        const fs::path applications = fs::path(root) / "applications";
        std::error_code ec;
        fs::recursive_directory_iterator walk(applications, fs::directory_options::skip_permission_denied, ec);
        if (ec)
            continue;
        readable = true;
        for (; walk != fs::recursive_directory_iterator() && !ec; walk.increment(ec)) {
            if (walk.depth() >= kMaxDirectoryDepth)
                walk.disable_recursion_pending();
            const fs::path& file = walk->path();
            // Regular files of a desktop entry's size only (never a FIFO that would block).
            std::error_code fileError;
            if (file.extension() != ".desktop" || !fs::is_regular_file(file, fileError)
                || fs::file_size(file, fileError) > kMaxEntryBytes || fileError)
                continue;
            std::string id = file.lexically_relative(applications).string();
            std::replace(id.begin(), id.end(), '/', '-');
            if (!seen.insert(id).second)
                continue;
            GDesktopAppInfo* info = g_desktop_app_info_new_from_filename(file.c_str());
            if (!info)
                continue; // unreadable, not an application, or its TryExec or Exec program missing
            if (!g_desktop_app_info_get_is_hidden(info) && g_app_info_should_show(G_APP_INFO(info)))
                byGroup[CategoryGroup(g_desktop_app_info_get_categories(info))].push_back(ItemOf(info));
            g_object_unref(info);
        }
    }
    if (!readable)
        return std::nullopt;

    std::vector<ProgramGroup> groups;
    for (auto& [name, items] : byGroup) {
        std::stable_sort(items.begin(), items.end(), [](const ProgramItem& a, const ProgramItem& b) {
            gchar* x = g_utf8_casefold(a.title.c_str(), -1);
            gchar* y = g_utf8_casefold(b.title.c_str(), -1);
            const bool before = g_utf8_collate(x, y) < 0;
            g_free(x);
            g_free(y);
            return before;
        });
        groups.push_back({name, std::move(items)});
    }
    return groups;
}

} // namespace

std::optional<std::vector<ProgramGroup>> AppMenuSource::ReadGroups()
{
    if (std::optional<std::vector<ProgramGroup>> groups = MenuGroups())
        return groups;
    return CategoryGroups();
}

std::vector<std::string> AppMenuSource::InTerminal(const std::vector<std::string>& argv)
{
    // As a dropped launcher or a document of a terminal program is stored: the
    // emulator's program resolved through PATH when it is found there.
    auto inPath = [](const std::string& name) { return Taken(g_find_program_in_path(name.c_str())); };
    const char* terminal = std::getenv("TERMINAL");
    return InTerminalResolved(argv, terminal ? terminal : "", inPath);
}

} // namespace kex
