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
    : QObject(parent), mruList_(this), guard_(guard), buttons_(buttons)
{
    using enum TMruOptionsType;
    mruList_.setObjectName("MruList1");
    mruList_.SetMaxSaveCount(kBarRecentSaveCount);
    mruList_.SetMaxShowCount(kShownEntries);
    mruList_.SetIniSection(std::string(settings::MruSection));
    mruList_.SetAnchor(anchor);
    mruList_.SetOptions({mrTopSelected, mrAutoSave, mrAutoLoad});
    mruList_.SetStyle(TMruStyle::msNormal);
    mruList_.SetPosition(TMruPosition::mpAfter);
    connect(&mruList_, &TMruList::OnMruClick, this,
            [this](TMruList*, const std::string& item) { MruList1MruClick(item); });
}

void RecentList::Open(const std::string& iniFile)
{
    guard_.WriteReportedOnce([&] {
        mruList_.SetIniFile(iniFile);
        if (mruList_.Configuring())
            mruList_.Loaded();
    });
}

void RecentList::ButtonLaunched(int, const QString& entry)
{
    mruList_.Unmark(lastEntry_);
    lastEntry_ = entry.toStdString();
    ++launches_;
    guard_.WriteReportedOnce([&] { mruList_.Add(lastEntry_); });
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
    mruList_.Clear();
    lastEntry_.clear();
    ++rebuilds_;
}

void RecentList::Replace(const std::string& oldEntry, const std::string& newEntry)
{
    guard_.WriteReportedOnce([&] { mruList_.Replace(oldEntry, newEntry); });
}

void RecentList::MruList1MruClick(const std::string& item)
{
    mruList_.Unmark(lastEntry_);
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
        guard_.WriteReportedOnce([&] { mruList_.Add(item); });
    } else if (mruList_.IndexOf(item) != mruList_.IndexOf(lastEntry_)) {
        // The launch put the button's entry with its label of now on top; the chosen
        // one, made under an older label, gives way to it.
        Replace(item, lastEntry_);
    }
}

} // namespace kex
