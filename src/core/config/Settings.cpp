#include "core/config/Settings.h"

#include <algorithm>
#include <cctype>

namespace kex {

const std::vector<const Setting*>& Catalogue()
{
    using namespace settings;
    static const std::vector<const Setting*> all = {
        &Top,        &Left,      &OnTop,      &StaySmall, &Shrink,       &Hide,          &IconState,
        &LockedGraph, &ShrinkX,  &ShrinkY,    &ButtonCount, &CheckExit,  &ShowHint,      &User,
        &Run,        &PasswordCommit, &WindowState, &GaugeType, &TwelveHour, &Display,    &Sound,         &SoundFile,
        &Sound2,     &SoundFile2, &SelectedColor, &UnselectedColor, &PageCount, &Blank,  &MruCount,
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
    auto isPageName = [](const std::string& key) {
        const std::string_view prefix = PageTabPrefix;
        return key.size() >= prefix.size() &&
               std::equal(prefix.begin(), prefix.end(), key.begin(), [](char a, char b) {
                   return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
               });
    };
    for (std::string_view section : {TabsSection, ProgramsSection}) {
        layout.contents += '[';
        layout.contents += section;
        layout.contents += "]\n";
        for (const auto& [key, value] : doc.ReadSection(section)) {
            if (section == TabsSection && !isPageName(key))
                continue;
            layout.contents += key;
            layout.contents += '=';
            layout.contents += value;
            layout.contents += '\n';
        }
    }
    return layout;
}

int ReadSettingInt(const IniDocument& doc, const Setting& s) { return doc.ReadInteger(s.section, s.key, s.DefaultInt()); }
int ReadSettingInt(const IniDocument& doc, const Setting& s, int def) { return doc.ReadInteger(s.section, s.key, def); }
void WriteSetting(TNewIniFile& ini, const Setting& s, std::string_view value) { ini.WriteString(s.section, s.key, value); }
void WriteSetting(TNewIniFile& ini, const Setting& s, int value) { ini.WriteInteger(s.section, s.key, value); }

} // namespace kex
