#include "core/import/ProgramImport.h"

#include <algorithm>
#include <stdexcept>

#include "core/bar/BarStore.h"
#include "core/config/Settings.h"
#include "core/launch/CommandLine.h"
#include "core/pages/Grid.h"
#include "core/pages/PageShift.h"

namespace kex {

namespace {

// Group names in the order of a sorted list that ignores letter case (ASCII letters;
// the bytes of other characters in their order).
bool NameBefore(const ProgramGroup& a, const ProgramGroup& b)
{
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : int(c); };
    return std::lexicographical_compare(a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
                                        [&](char x, char y) { return lower(x) < lower(y); });
}

// The first page of a group takes its items below 30, the second below 60, the third
// below 90 (item numbers from 1).
constexpr int kItemBounds[] = {30, 60, 90};

ButtonRecord RecordOf(const ProgramItem& item)
{
    ButtonRecord record;
    record.Program = item.commandLine;
    record.Description = item.title;
    // An icon that is the command itself, or none, leaves the icon to the program.
    const std::string icon = ShortPathOf(item.iconFile);
    if (!icon.empty() && icon != item.commandLine) {
        record.IconFile = icon;
        record.IconIndex = item.iconIndex;
    }
    return record;
}

// Fills the pages of one group from page p on; answers the group's last page.
int ImportGroup(RecordStore& store, const ProgramGroup& group, int b, int p, ImportSummary& summary)
{
    const int count = int(std::min<std::size_t>(group.items.size(), kItemBounds[2]));
    auto hasCommand = [&](int j) { return j <= count && !group.items[std::size_t(j - 1)].commandLine.empty(); };
    RenamePage(store.Document(), p, group.name);
    int j = 1, s = 1;
    for (const int bound : kItemBounds) {
        if (bound != kItemBounds[0]) {
            // The next page only when this one is full, the next item has a command and
            // the bar can have one more page.
            if (s <= b || !hasCommand(j) || p >= kMaxPageCount)
                break;
            RenamePage(store.Document(), ++p, group.name);
            s = 1;
        }
        for (; s <= b && j < bound && j <= count; ++j) {
            if (!hasCommand(j))
                continue;
            const int n = (p - 1) * b + s++;
            store.Erase(n); // nothing left on the button mixes in
            store.Write(n, RecordOf(group.items[std::size_t(j - 1)]));
            ++summary.buttons;
        }
    }
    return p;
}

} // namespace

std::optional<std::vector<ProgramGroup>> ReadImportGroups(GroupSource& source)
{
    std::optional<std::vector<ProgramGroup>> groups = source.ReadGroups();
    if (groups)
        for (ProgramGroup& group : *groups)
            for (ProgramItem& item : group.items)
                if (item.terminal && !item.commandLine.empty())
                    item.commandLine = JoinCommandLine(source.InTerminal(SplitCommandLine(item.commandLine)));
    return groups;
}

ImportSummary ImportGroups(RecordStore& store, std::vector<ProgramGroup> groups, int buttonsPerPage, int firstPage)
{
    if (buttonsPerPage < 1 || firstPage < 1)
        throw std::invalid_argument("No page to import into");
    std::stable_sort(groups.begin(), groups.end(), NameBefore);
    ImportSummary summary;
    RecordBatch batch(store);
    int p = firstPage;
    std::size_t g = 0;
    for (; g < groups.size() && p <= kMaxPageCount; ++g)
        p = ImportGroup(store, groups[g], buttonsPerPage, p, summary) + 1;
    summary.groupsLeftOut = int(groups.size() - g);
    if (p > firstPage) {
        summary.firstPage = firstPage;
        summary.lastPage = p - 1;
        store.Document().WriteInteger(settings::PageCount.section, settings::PageCount.key, summary.lastPage);
    }
    batch.Commit();
    return summary;
}

bool HasButtons(const IniDocument& doc)
{
    for (const auto& [key, program] : doc.ReadSection(settings::ProgramsSection))
        if (!program.empty() && NumberFromName(key) > 0)
            return true;
    return false;
}

int LastUsedPage(RecordStore& store, int buttonsPerPage)
{
    const int highest = store.HighestStored();
    const int pages = ReadPageCount(store.Document(), {});
    return std::max(pages, highest == 0 ? 0 : PageOfButton(highest, buttonsPerPage) + 1);
}

FirstStartImport ImportOnFirstStart(BarStore& store, int buttonsPerPage, GroupSource& source,
                                    const ImportPrompts& prompts)
{
    FirstStartImport result;
    // A bar that has buttons (prepared by an administrator, or whose first start ended
    // before its place was stored) keeps them: nothing is asked.
    if (store.HasButtons())
        return result;
    store.SaveButtonsPerPage(buttonsPerPage);
    result.outcome = ImportOutcome::Declined;
    if (!prompts.askYes || !prompts.askYes())
        return result;

    struct Busy {
        const std::function<void(bool)>& show;
        explicit Busy(const std::function<void(bool)>& s) : show(s)
        {
            if (show)
                show(true);
        }
        ~Busy()
        {
            if (show)
                show(false);
        }
    } busy(prompts.busy);
    const std::optional<std::vector<ProgramGroup>> groups = ReadImportGroups(source);
    if (!groups) {
        result.outcome = ImportOutcome::NoAccess;
        result.message = kNoProgramGroups;
        return result;
    }
    const std::optional<ImportSummary> summary = store.ImportGroups(*groups, buttonsPerPage);
    // Another bar on the file filled it meanwhile: its buttons stay.
    result.outcome = summary ? ImportOutcome::Imported : ImportOutcome::NotAsked;
    result.summary = summary.value_or(ImportSummary());
    return result;
}

} // namespace kex
