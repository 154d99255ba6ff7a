#include "core/bar/BarStore.h"

#include <algorithm>
#include <cstdio>

#include "core/config/Settings.h"
#include "core/pages/Grid.h"
#include "core/pages/Renumber.h"

namespace kex {

BarStore::BarStore(std::string fileName, PasswordTransactions passwords)
    : ini_(std::move(fileName)), passwords_(std::move(passwords))
{
}

void BarStore::ModifyRecords(const std::function<void(RecordStore&)>& change)
{
    const std::unique_ptr<PasswordTransaction> carrier = passwords_ ? passwords_() : nullptr;
    ini_.Modify([&](IniDocument& d) {
        RecordStore store(d, carrier.get());
        change(store);
        if (carrier)
            carrier->Prepare(d); // the last step: its commit is this rewrite
    });
    if (carrier)
        carrier->Commit();
}

// ------------------------------------------------------------------ settings

StartupSettings BarStore::ReadStartup(const StartupMachine& machine) const
{
    return ReadStartupSettings(ini_.Document(), machine, FileName());
}

void BarStore::NoteStart(const StartupSettings& started)
{
    // Most starts find the start noted already: then nothing is written, and the
    // file is not read and compared a second time for a change that changes nothing.
    const IniDocument& now = ini_.Document();
    if (ReadSetting(now, settings::Run) == "Yes" && !(started.firstStart && ReadButtonsPerPage(now, FileName()) == 0))
        return;
    ini_.Modify([&](IniDocument& d) {
        d.WriteString(settings::Run.section, settings::Run.key, "Yes");
        if (started.firstStart && ReadButtonsPerPage(d, FileName()) == 0)
            d.WriteInteger(settings::ButtonCount.section, settings::ButtonCount.key, started.buttonsPerPage);
    });
}

int BarStore::PageCount(std::string* notice) const { return ReadPageCount(ini_.Document(), FileName(), notice); }

void BarStore::SaveLocation(int top, int left, bool minimised)
{
    ini_.Modify([&](IniDocument& d) {
        d.WriteInteger(settings::Top.section, settings::Top.key, top);
        d.WriteInteger(settings::Left.section, settings::Left.key, left);
        d.WriteString(settings::WindowState.section, settings::WindowState.key, minimised ? "Min" : "Norm");
    });
}

void BarStore::SaveGaugeType(const std::string& gaugeType) { WriteSetting(ini_, settings::GaugeType, gaugeType); }

void BarStore::SaveOnTop(bool onTop) { WriteSetting(ini_, settings::OnTop, onTop ? "Yes" : "No"); }

void BarStore::SaveStaySmall(bool on) { WriteSetting(ini_, settings::StaySmall, on ? "Yes" : "No"); }

void BarStore::SaveLaunchChoice(bool shrink, bool hide)
{
    ini_.Modify([&](IniDocument& d) {
        d.WriteString(settings::Shrink.section, settings::Shrink.key, shrink ? "Yes" : "No");
        d.WriteString(settings::Hide.section, settings::Hide.key, hide ? "Yes" : "No");
    });
}

void BarStore::SaveGraphLock(bool locked, int left, int top)
{
    ini_.Modify([&](IniDocument& d) {
        d.WriteString(settings::LockedGraph.section, settings::LockedGraph.key, locked ? "Yes" : "No");
        d.WriteInteger(settings::ShrinkX.section, settings::ShrinkX.key, left);
        d.WriteInteger(settings::ShrinkY.section, settings::ShrinkY.key, top);
    });
}

void BarStore::SaveAnimateTray(bool on) { WriteSetting(ini_, settings::IconState, on ? "Yes" : "No"); }
void BarStore::SaveCheckExit(bool on) { WriteSetting(ini_, settings::CheckExit, on ? "Yes" : "No"); }

void BarStore::SaveShowHint(bool on) { WriteSetting(ini_, settings::ShowHint, on ? "Yes" : "No"); }

void BarStore::SaveWindowState(bool minimised)
{
    WriteSetting(ini_, settings::WindowState, minimised ? "Min" : "Norm");
}

std::array<int, 16> BarStore::CustomColors() const
{
    const IniDocument& doc = ini_.Document();
    std::array<int, 16> colours{};
    for (int i = 0; i < 16; ++i) {
        const std::string value = doc.ReadString(settings::ColorsSection, CustomColorKey(i), settings::ColorDefault);
        colours[std::size_t(i)] = ParseProfileInt("0x" + value, 0xFFFFFF);
    }
    return colours;
}

void BarStore::SaveTabColor(bool selected, int colour, const std::array<int, 16>& colours)
{
    ini_.Modify([&](IniDocument& d) {
        const Setting& s = selected ? settings::SelectedColor : settings::UnselectedColor;
        d.WriteInteger(s.section, s.key, colour);
        for (int i = 0; i < 16; ++i) {
            char value[16];
            std::snprintf(value, sizeof value, "%06x", unsigned(colours[std::size_t(i)]));
            d.WriteString(settings::ColorsSection, CustomColorKey(i), value);
        }
    });
}

// ------------------------------------------------------------------ records

ButtonRecord BarStore::Record(int n) const { return ReadButtonRecord(ini_.Document(), n); }

ClickedButton BarStore::Clicked(int n, bool shrinkOnLaunch) const
{
    const std::shared_ptr<const IniDocument> snapshot = ini_.Snapshot();
    const IniDocument& doc = *snapshot;
    ClickedButton clicked{ReadButtonRecord(doc, n), shrinkOnLaunch};
    clicked.record.Parameters = doc.Get(settings::ParametersSection, ButtonKey(n)).value_or("");
    if (const auto stored = doc.Get(settings::ShrinkSection, ButtonKey(n)))
        clicked.shrink = YesNo(*stored);
    return clicked;
}

BarContents BarStore::Contents(int last) const
{
    // Records, captions and layout from one read: a change written meanwhile shows as
    // a layout other than the one noted.
    const std::shared_ptr<const IniDocument> read = ini_.Snapshot();
    IniDocument doc = *read;
    RecordStore store(doc);
    store.BeginBatch(); // every record from one pass over the text
    const std::vector<int> stored = store.StoredNumbers();
    const int pages = ReadPageCount(doc, FileName());
    BarContents contents;
    contents.pages = pages;
    contents.records.reserve(std::size_t(std::max(0, last)));
    for (int n = 1; n <= last; ++n) {
        contents.records.push_back(store.Read(n));
        if (contents.records.back().Empty() && std::binary_search(stored.begin(), stored.end(), n))
            contents.strays.push_back(n);
    }
    for (int p = 1; p <= pages && p <= last; ++p)
        contents.captions.push_back(doc.ReadString(settings::TabsSection, PageTabKey(p), DefaultPageName(p)));
    store.DiscardBatch();
    contents.layout = LayoutOf(read);
    return contents;
}

PageLayout BarStore::Tidy(const std::vector<int>& strays, const std::vector<int>& iconDefaults,
                          const PageLayout& loaded)
{
    if (strays.empty() && iconDefaults.empty())
        return loaded;
    PageLayout shown = loaded;
    ini_.Modify([&](IniDocument& d) {
        shown = loaded;
        if (!(PageLayoutOf(d) == loaded))
            return; // written since the load: what was found there may be gone
        RecordStore store(d);
        for (int n : strays)
            store.Erase(n);
        for (int n : iconDefaults)
            d.WriteString(settings::IconsSection, ButtonKey(n), settings::IconDefault);
        shown = PageLayoutOf(d);
    });
    return shown;
}

void BarStore::SaveProgram(int n, const std::string& program)
{
    ModifyRecords([&](RecordStore& store) {
        IniDocument& d = store.Document();
        PasswordCarrier* passwords = store.Passwords();
        if (passwords && d.ReadString(settings::ProgramsSection, ButtonKey(n), "").empty())
            passwords->ErasePassword(n);
        d.WriteString(settings::ProgramsSection, ButtonKey(n), program);
    });
}

void BarStore::SaveParameters(int n, const std::string& parameters)
{
    ini_.Modify([&](IniDocument& d) {
        if (parameters.empty())
            d.EraseKey(settings::ParametersSection, ButtonKey(n));
        else
            d.WriteString(settings::ParametersSection, ButtonKey(n), parameters);
    });
}

void BarStore::SaveIcon(int n, const std::string& iconFile, int iconIndex)
{
    ini_.Modify([&](IniDocument& d) {
        d.WriteString(settings::IconsSection, ButtonKey(n), iconFile);
        if (iconIndex > 0)
            d.WriteInteger(settings::IconSelectionSection, ButtonKey(n), iconIndex);
        else
            d.EraseKey(settings::IconSelectionSection, ButtonKey(n));
    });
}

void BarStore::EraseRecord(int n)
{
    ModifyRecords([&](RecordStore& store) { store.Erase(n); });
}

void BarStore::PutRecord(int n, const ButtonRecord& record)
{
    ModifyRecords([&](RecordStore& store) {
        if (PasswordCarrier* passwords = store.Passwords())
            passwords->ErasePassword(n);
        store.WriteMove(n, record);
    });
}

void BarStore::ReturnRecord(int source, const ButtonRecord& record, int buttonsPerPage)
{
    ModifyRecords([&](RecordStore& store) {
        IniDocument& d = store.Document();
        // The pages the file gives the bar from now on (another instance may have
        // changed their count meanwhile).
        const int pages = ReadPageCount(d, FileName());
        int target = source;
        if (target <= 0 || target > pages * buttonsPerPage || !store.Read(target).Empty()) {
            // The first empty button; when every button is taken, the first free
            // number after them, and the bar grows to show its page.
            target = 1;
            while (!store.Read(target).Empty())
                ++target;
            if (target > pages * buttonsPerPage)
                d.WriteInteger(settings::PageCount.section, settings::PageCount.key,
                               PageOfButton(target, buttonsPerPage) + 1);
        }
        store.Erase(target); // keys left without a program are not mixed in
        store.WriteMove(target, record);
        d.WriteString(settings::Blank.section, settings::Blank.key, "No");
    });
}

// ------------------------------------------------------------------ pages

void BarStore::SavePageName(int page, const std::string& name)
{
    ini_.WriteString(settings::TabsSection, PageTabKey(page), name);
}

void BarStore::SavePageCount(int count) { WriteSetting(ini_, settings::PageCount, count); }

void BarStore::InsertPage(int s, int c, int buttonsPerPage, const std::string& name, const PageMoveBuffer* fill)
{
    ModifyRecords([&](RecordStore& store) { InsertPageRecords(store, s, c, buttonsPerPage, name, fill); });
}

PageMoveBuffer BarStore::DeletePage(int s, int c, int buttonsPerPage, bool forMove)
{
    PageMoveBuffer taken;
    ModifyRecords([&](RecordStore& store) { taken = DeletePageRecords(store, s, c, buttonsPerPage, forMove); });
    return taken;
}

void BarStore::RestorePage(const PageMoveBuffer& buffer, int buttonsPerPage)
{
    ModifyRecords([&](RecordStore& store) {
        kex::RestorePage(store, buffer, ReadPageCount(store.Document(), FileName()), buttonsPerPage);
    });
}

void BarStore::Backup() { CopyFileBytes(ini_.FileName(), BackupFileName(ini_.FileName())); }

const PageLayout& BarStore::Layout() const { return LayoutOf(ini_.Snapshot()); }

const PageLayout& BarStore::LayoutOf(std::shared_ptr<const IniDocument> doc) const
{
    // The file's layout is worked out again only when the file changed.
    if (doc != layoutOf_) {
        layout_ = PageLayoutOf(*doc);
        layoutOf_ = std::move(doc);
    }
    return layout_;
}

void BarStore::Renumber(int oldButtonsPerPage, int newButtonsPerPage, int tabs)
{
    ModifyRecords([&](RecordStore& store) {
        if (oldButtonsPerPage != newButtonsPerPage)
            ChangeButtonsPerPage(store.Document(), store.Passwords(), oldButtonsPerPage, newButtonsPerPage, tabs);
        else
            store.Document().EraseSection(settings::MruSection);
    });
}

// ------------------------------------------------------------------ button configuration

void BarStore::SaveButtonSetting(int n, ButtonSetting setting, const std::string& value)
{
    ini_.WriteString(RecordSections[std::size_t(setting)], ButtonKey(n), value);
}

bool BarStore::FillButton(int n, const DroppedButton& dropped)
{
    bool filled = false;
    ModifyRecords([&](RecordStore& store) {
        IniDocument& d = store.Document();
        const std::string key = ButtonKey(n);
        if (!d.ReadString(settings::ProgramsSection, key, "").empty())
            return;
        store.Erase(n); // keys and a password left without a program are not mixed in
        d.WriteString(settings::ProgramsSection, key, dropped.program);
        if (!dropped.parameters.empty())
            d.WriteString(settings::ParametersSection, key, dropped.parameters);
        if (!dropped.iconFile.empty()) {
            d.WriteString(settings::IconsSection, key, dropped.iconFile);
            d.WriteInteger(settings::IconSelectionSection, key, dropped.iconIndex);
        }
        filled = true;
    });
    return filled;
}

void BarStore::SaveClockSound(bool halfHour, bool on, const std::string& file)
{
    ini_.Modify([&](IniDocument& d) {
        const Setting& flag = halfHour ? settings::Sound2 : settings::Sound;
        const Setting& sound = halfHour ? settings::SoundFile2 : settings::SoundFile;
        d.WriteString(sound.section, sound.key, file);
        d.WriteString(flag.section, flag.key, on ? "Yes" : "No");
    });
}

void BarStore::SaveTwelveHour(bool twelveHour) { WriteSetting(ini_, settings::TwelveHour, twelveHour ? "Yes" : "No"); }

void BarStore::SaveClockDisplay(ClockDisplay display)
{
    WriteSetting(ini_, settings::Display,
                 display == ClockDisplay::Hour       ? "Hour"
                 : display == ClockDisplay::HalfHour ? "HalfHour"
                                                     : "No");
}

BarStore::ClockSoundFiles BarStore::ClockSounds() const
{
    const IniDocument& doc = ini_.Document();
    return {ReadSetting(doc, settings::SoundFile), ReadSetting(doc, settings::SoundFile2)};
}

// ------------------------------------------------------------------ first-start import

bool BarStore::HasButtons() const { return kex::HasButtons(ini_.Document()); }

void BarStore::SaveButtonsPerPage(int buttonsPerPage) { WriteSetting(ini_, settings::ButtonCount, buttonsPerPage); }

std::optional<ImportSummary> BarStore::ImportGroups(const std::vector<ProgramGroup>& groups, int buttonsPerPage)
{
    std::optional<ImportSummary> summary;
    ModifyRecords([&](RecordStore& store) {
        IniDocument& d = store.Document();
        d.WriteInteger(settings::ButtonCount.section, settings::ButtonCount.key, buttonsPerPage);
        if (!kex::HasButtons(d))
            summary = kex::ImportGroups(store, groups, buttonsPerPage, 1);
    });
    return summary;
}

} // namespace kex
