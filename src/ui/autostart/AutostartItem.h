// The "&Modify Kexbar Menu" item that has the desktop session start this bar: its
// check mark says whether the session's autostart entry is there, choosing it writes
// or removes the entry.
#pragma once

#include <QObject>

#include <string>
#include <vector>

class QAction;
class QMenu;

namespace kex {

struct BarContext;

class AutostartItem : public QObject {
    Q_OBJECT
public:
    // item: the menu item (shown from now on); menu: a menu holding it, before whose
    // opening the check mark is taken from the file again; args: the bar's own
    // arguments (its suffix and mode), which the entry starts it with.
    AutostartItem(BarContext& context, QAction& item, QMenu& menu, std::vector<std::string> args, QObject* parent);

    // $XDG_CONFIG_HOME/autostart/kexbar.desktop as the environment names it now.
    static std::string FileName();

private:
    void Refresh();
    void Choose(bool on);

    BarContext& context_;
    QAction& item_;
    std::vector<std::string> args_;
};

} // namespace kex
