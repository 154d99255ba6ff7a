// kexbar-config FILE import-menu [--yes] [--append]: the first start's import, for an
// administrator preparing a user's bar. It asks the bar's question on the terminal
// unless --yes answers it, reads the desktop's program groups, and fills the pages in
// one locked rewrite with "ButtonCount", the ".BAK" copy of an existing file made in
// the same rewrite. A configuration with buttons is refused unless --append puts the
// imported pages after its last page (and after any record kept beyond it). Declining
// or a desktop whose groups cannot be read changes nothing.
#include <filesystem>
#include <iostream>
#include <stdexcept>

#include "core/config/ConfigTool.h"
#include "core/config/Settings.h"
#include "core/import/ProgramImport.h"
#include "core/pages/PageCommands.h"
#include "core/pages/PageShift.h"

namespace kex {

namespace {

GroupSourceOpener& Opener()
{
    static GroupSourceOpener opener;
    return opener;
}

// The question on the terminal; "y" or "yes" in any letter case is Yes.
bool AskedYes(std::ostream& out)
{
    out << kImportQuestion << "\nYes/No? " << std::flush;
    std::string answer;
    std::getline(std::cin, answer);
    for (char& c : answer)
        c = char(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    return answer == "y" || answer == "yes";
}

void RefuseFilled(const IniDocument& doc, bool append, const std::string& file)
{
    if (!append && HasButtons(doc))
        throw CommandRefusal(file + " has buttons already; --append adds the imported pages after its last page");
}

} // namespace

void SetConfigGroupSource(GroupSourceOpener opener) { Opener() = std::move(opener); }

ConfigCommand ImportMenuCommand()
{
    return {"import-menu", "[--yes] [--append]", 0, 2,
            [](TNewIniFile& ini, const std::vector<std::string>& a, std::ostream& out, std::ostream& err) {
                bool yes = false, append = false;
                for (const std::string& option : a) {
                    if (option == "--yes")
                        yes = true;
                    else if (option == "--append")
                        append = true;
                    else
                        throw std::invalid_argument("Not an option of import-menu: " + option);
                }
                try {
                    RefuseFilled(ini.Document(), append, ini.FileName());
                } catch (const CommandRefusal& r) {
                    err << r.what() << "\n";
                    return kConfigUsage;
                }
                std::unique_ptr<GroupSource> source = Opener() ? Opener()() : nullptr;
                if (!source)
                    throw std::runtime_error("No program groups can be read here");
                if (!yes && !AskedYes(out))
                    return kConfigOk;
                const std::optional<std::vector<ProgramGroup>> groups = ReadImportGroups(*source);
                if (!groups) {
                    err << kNoProgramGroups << "\n";
                    return kConfigRefused;
                }

                ImportSummary summary;
                PageChange change;
                change.backup = std::filesystem::exists(ini.FileName());
                change.check = [&](const IniDocument& d) { RefuseFilled(d, append, ini.FileName()); };
                change.change = [&](IniDocument& d, PasswordCarrier* passwords) {
                    const int stored = ReadButtonsPerPage(d, {});
                    const int buttonsPerPage = stored == 0 ? 16 : stored;
                    d.WriteInteger(settings::ButtonCount.section, settings::ButtonCount.key, buttonsPerPage);
                    RecordStore store(d, passwords);
                    const int first = append ? LastUsedPage(store, buttonsPerPage) + 1 : 1;
                    if (first > kMaxPageCount)
                        throw CommandRefusal("The bar has " + std::to_string(first - 1)
                                             + " pages, as many as it can have");
                    summary = ImportGroups(store, *groups, buttonsPerPage, first);
                    return "pages\t" + std::to_string(ReadPageCount(d, {})) + "\nbuttons\t"
                           + std::to_string(summary.buttons) + "\n";
                };
                const int rc = RunChange(ini, out, err, change);
                if (rc == kConfigOk && summary.groupsLeftOut > 0)
                    err << summary.groupsLeftOut << " groups were left out: a bar has at most " << kMaxPageCount
                        << " pages\n";
                return rc;
            }};
}

} // namespace kex
