// RecentList: the bar's recently launched list (MruList1), shown below the separator
// of the tray and run menu. Every launch from a button puts the button's entry on top;
// a chosen entry launches its button again; moves, removals and new descriptions
// rename or drop entries. The list lives in the "MRU" section of the configuration
// file and is written at every change.
#pragma once

#include <QObject>

#include <functional>
#include <string>

#include "ui/recent/MruList.h"

class QAction;

namespace kex {

class RecentList : public QObject {
    Q_OBJECT
public:
    // What the list needs of the bar.
    struct Hooks {
        // Whether button n stands on one of the bar's pages and has a program.
        std::function<bool(int n)> launchable;
        // Launches button n again as a click on it would, the launch coming from the list.
        std::function<void(int n)> launch;
        // Runs a change of the list: a refused write of the file is reported (the list
        // in memory has changed all the same) and the bar goes on.
        std::function<void(const std::function<void()>&)> write;
    };

    // anchor: the menu item the entries follow (the separator Pop5Bar).
    RecentList(QAction* anchor, Hooks hooks, QObject* parent = nullptr);

    // Points the list at the configuration file; the first call ends the list's
    // configuring and loads it, a new file is read.
    void Open(const std::string& iniFile);

    // A launch from a button, with the button's entry (its description, else its
    // program's name, then "  |" and its number): the previous launch's entry is
    // unmarked, this one goes on top.
    void ButtonLaunched(const std::string& entry);
    // A button's entry follows its record: a new description, a move (the entry with
    // the new number), a removal (no new entry). The renamed entry goes on top.
    void Replace(const std::string& oldEntry, const std::string& newEntry);
    // The page rebuild erased the list's section (the button numbers changed): the
    // list in memory goes too.
    void PagesRebuilt();

    const TMruList& List() const { return MruList1; }

private:
    void MruList1MruClick(const std::string& item);

    TMruList MruList1;
    Hooks hooks_;
    std::string lastEntry_; // the entry of the latest launch
    int launches_ = 0;      // launches from buttons so far
    int rebuilds_ = 0;      // page rebuilds so far
};

} // namespace kex
