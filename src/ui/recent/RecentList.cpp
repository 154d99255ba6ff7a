// The bar's recently launched list: MruList1 configured as the bar has it, fed by
// launches and button changes, and a chosen entry launched again.
#include "ui/recent/RecentList.h"

#include "ui/window/BarContext.h"

#include <QAction>

#include "core/config/Settings.h"
#include "core/launch/CommandLine.h"

namespace kex {

namespace {
constexpr int kShownEntries = 15;
} // namespace

RecentList::RecentList(BarGuard& guard, const LaunchableButtons& buttons, QAction* anchor, QObject* parent)
    : QObject(parent), MruList1(this), guard_(guard), buttons_(buttons)
{
    using enum TMruOptionsType;
    MruList1.setObjectName("MruList1");
    MruList1.SetMaxSaveCount(kBarRecentSaveCount);
    MruList1.SetMaxShowCount(kShownEntries);
    MruList1.SetIniSection(std::string(settings::MruSection));
    MruList1.SetAnchor(anchor);
    MruList1.SetOptions({mrTopSelected, mrAutoSave, mrAutoLoad});
    MruList1.SetStyle(TMruStyle::msNormal);
    MruList1.SetPosition(TMruPosition::mpAfter);
    connect(&MruList1, &TMruList::OnMruClick, this,
            [this](TMruList*, const std::string& item) { MruList1MruClick(item); });
}

void RecentList::Open(const std::string& iniFile)
{
    guard_.WriteReportedOnce([&] {
        MruList1.SetIniFile(iniFile);
        if (MruList1.Configuring())
            MruList1.Loaded();
    });
}

void RecentList::ButtonLaunched(int, const QString& entry)
{
    MruList1.Unmark(lastEntry_);
    lastEntry_ = entry.toStdString();
    ++launches_;
    guard_.WriteReportedOnce([&] { MruList1.Add(lastEntry_); });
}

void RecentList::ButtonMoved(int, int, const QString& oldEntry, const QString& newEntry)
{
    Replace(oldEntry.toStdString(), newEntry.toStdString());
}

void RecentList::DescriptionChanged(int, const QString& oldEntry, const QString& newEntry)
{
    Replace(oldEntry.toStdString(), newEntry.toStdString());
}

void RecentList::ButtonRemoved(int, const QString& entry) { Replace(entry.toStdString(), ""); }

void RecentList::PagesRebuilt()
{
    MruList1.Clear();
    lastEntry_.clear();
    ++rebuilds_;
}

void RecentList::Replace(const std::string& oldEntry, const std::string& newEntry)
{
    guard_.WriteReportedOnce([&] { MruList1.Replace(oldEntry, newEntry); });
}

void RecentList::MruList1MruClick(const std::string& item)
{
    MruList1.Unmark(lastEntry_);
    // An entry whose button is gone (emptied, or beyond the last page) is dropped: a
    // click would browse for a program to put there, which the entry never asked for.
    const int n = NumberFromRecentEntry(item);
    if (n <= 0 || !buttons_.Launchable(n)) {
        Replace(item, "");
        return;
    }
    const int launchesBefore = launches_, rebuildsBefore = rebuilds_;
    Q_EMIT LaunchRequested(n);
    if (rebuilds_ != rebuildsBefore) {
        // The click found the pages changed and rebuilt the bar: the entry's number
        // may name another button now.
        return;
    }
    if (launches_ == launchesBefore) {
        // Nothing started (a password asked for, the files to open not chosen): the
        // chosen entry still moves to the top.
        guard_.WriteReportedOnce([&] { MruList1.Add(item); });
    } else if (MruList1.IndexOf(item) != MruList1.IndexOf(lastEntry_)) {
        // The launch put the button's entry with its label of now on top; the chosen
        // one, made under an older label, gives way to it.
        Replace(item, lastEntry_);
    }
}

} // namespace kex
