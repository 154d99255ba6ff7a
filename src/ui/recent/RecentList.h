// RecentList: the bar's recently launched list (MruList1), shown below the separator
// of the tray and run menu. Every launch from a button puts the button's entry on top;
// a chosen entry launches its button again; moves, removals and new descriptions
// rename or drop entries. The list lives in the "MRU" section of the configuration
// file and is written at every change.
#pragma once

#include <QObject>

#include <functional>
#include <string>

#include "ui/pages/PageHooks.h"
#include "ui/recent/MruList.h"

class QAction;

namespace kex {
class BarGuard;
}

namespace kex {

class RecentList : public QObject {
    Q_OBJECT
public:
    // guard: a change of the list whose write is refused is reported once (the list in
    // memory has changed all the same) and the bar goes on; buttons: whether an
    // entry's button may launch; anchor: the menu item the entries follow (the
    // separator Pop5Bar).
    RecentList(BarGuard& guard, const LaunchableButtons& buttons, QAction* anchor, QObject* parent = nullptr);

    // Points the list at the configuration file; the first call ends the list's
    // configuring and loads it, a new file is read.
    void Open(const std::string& iniFile);

    // What the launcher and the page bar tell it, in the shape of their signals. An
    // entry is a button's description (else its program's name), "  |" and its number.
    // A launch from button n: the previous launch's entry is unmarked, this one goes
    // on top.
    void ButtonLaunched(int n, const QString& entry);
    // A button's entry follows its record: a move gives it the new number, a new
    // description its new label, both on top; a removal drops it.
    void ButtonMoved(int from, int to, const QString& oldEntry, const QString& newEntry);
    void DescriptionChanged(int n, const QString& oldEntry, const QString& newEntry);
    void ButtonRemoved(int n, const QString& entry);
    // The page rebuild erased the list's section (the button numbers changed): the
    // list in memory goes too.
    void PagesRebuilt();

    // Takes the file's list when another bar changed it, so that whoever asks whether
    // the menu has entries before showing it gets the answer of the file.
    void RefreshFromFile() { mruList_.RefreshFromFile(); }

    const TMruList& List() const { return mruList_; }

Q_SIGNALS:
    // A chosen entry launches button n again as a click on it would.
    void LaunchRequested(int n);

private:
    void MruList1MruClick(const std::string& item);
    void Replace(const std::string& oldEntry, const std::string& newEntry);

    TMruList mruList_;
    BarGuard& guard_;
    const LaunchableButtons& buttons_;
    std::string lastEntry_; // the entry of the latest launch
    int launches_ = 0;      // launches from buttons so far
    int rebuilds_ = 0;      // page rebuilds so far
};

} // namespace kex
