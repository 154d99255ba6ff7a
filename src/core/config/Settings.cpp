#include "core/config/Settings.h"

#include <algorithm>

namespace kex {

const std::vector<const Setting*>& Catalogue()
{
    using namespace settings;
    static const std::vector<const Setting*> all = {
        &Top,         &Left,           &OnTop,       &StaySmall,     &Shrink,          &Hide,      &IconState,
        &LockedGraph, &ShrinkX,        &ShrinkY,     &ButtonCount,   &CheckExit,       &ShowHint,  &User,
        &Run,         &PasswordCommit, &WindowState, &GaugeType,     &TwelveHour,      &Display,   &Sound,
        &SoundFile,   &Sound2,         &SoundFile2,  &SelectedColor, &UnselectedColor, &PageCount, &Blank,
        &MruCount,
    };
    return all;
}

std::string PageTabKey(int page) { return std::string(settings::PageTabPrefix) + std::to_string(page); }
std::string DefaultPageName(int page) { return "Page" + std::to_string(page); }
std::string CustomColorKey(int i) { return std::string(settings::ColorPrefix) + char('A' + i); }

std::string ReadSetting(const IniDocument& doc, const Setting& s) { return doc.ReadString(s.section, s.key, s.def); }
std::string ReadSetting(const IniDocument& doc, const Setting& s, std::string_view def)
{
    return doc.ReadString(s.section, s.key, def);
}
PageLayout PageLayoutOf(const IniDocument& doc)
{
    PageLayout layout;
    using namespace settings;
    layout.pageCount = doc.Get(PageCount.section, PageCount.key).value_or("");
    layout.buttonCount = doc.Get(ButtonCount.section, ButtonCount.key).value_or("");
    // The page names (not the tab colours kept beside them) and the programs.
    auto isPageName = [](std::string_view key) {
        return key.size() >= PageTabPrefix.size() && SameName(key.substr(0, PageTabPrefix.size()), PageTabPrefix);
    };
    for (std::string_view section : {TabsSection, ProgramsSection}) {
        layout.contents += '[';
        layout.contents += section;
        layout.contents += "]\n";
        doc.ForEachKey(section, [&](std::string_view key, std::string_view value) {
            if (section == TabsSection && !isPageName(key))
                return;
            layout.contents += key;
            layout.contents += '=';
            layout.contents += value;
            layout.contents += '\n';
        });
    }
    return layout;
}

namespace {
// The keys of a section as the profile reads them, with their whole values.
std::vector<std::pair<std::string_view, std::string_view>> KeysOf(const IniDocument& doc, std::string_view section)
{
    std::vector<std::pair<std::string_view, std::string_view>> keys;
    doc.ForEachKey(section, [&](std::string_view key, std::string_view value) { keys.emplace_back(key, value); });
    return keys;
}
} // namespace

bool ButtonsDiffer(const IniDocument& before, const IniDocument& after)
{
    if (!(PageLayoutOf(before) == PageLayoutOf(after)))
        return true;
    return std::any_of(RecordSections.begin(), RecordSections.end(),
                       [&](std::string_view section) { return KeysOf(before, section) != KeysOf(after, section); });
}

int ReadSettingInt(const IniDocument& doc, const Setting& s)
{
    return doc.ReadInteger(s.section, s.key, s.DefaultInt());
}
int ReadSettingInt(const IniDocument& doc, const Setting& s, int def) { return doc.ReadInteger(s.section, s.key, def); }
void WriteSetting(TNewIniFile& ini, const Setting& s, std::string_view value)
{
    ini.WriteString(s.section, s.key, value);
}
void WriteSetting(TNewIniFile& ini, const Setting& s, int value) { ini.WriteInteger(s.section, s.key, value); }

} // namespace kex
