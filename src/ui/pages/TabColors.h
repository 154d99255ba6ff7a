#pragma once

#include <QColor>

namespace kex {

class BarStore;
class TDialogs;
class TTabSet;

// The tab strip's two colours: as stored, changed through the colour dialog (with its
// custom colours, stored in the same rewrite), and red on the selected tab while its
// page name is edited.
class TabColors {
public:
    TabColors(BarStore& store, TDialogs& dialogs, TTabSet& tabs) : store_(store), dialogs_(dialogs), tabs_(tabs) {}

    // The colours as stored (colour values).
    void Set(int selected, int unselected);
    // "Selected Tab Color" / "Unselected Tab Color": the colour dialog on the tab's colour.
    void Change(bool selected);
    // The selected tab red while its name is edited, its own colour otherwise.
    void ShowRenaming(bool renaming);
    int Selected() const { return selected_; }
    int Unselected() const { return unselected_; }

private:
    BarStore& store_;
    TDialogs& dialogs_;
    TTabSet& tabs_;
    int selected_ = 12632256, unselected_ = 8421376;
};

} // namespace kex
