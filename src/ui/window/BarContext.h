// What every subsystem of the bar is given when it is made: the store, the platform,
// the dialogs, the help file and the guard its handlers run through.
#pragma once

#include <functional>
#include <set>
#include <string>

namespace kex {

class BarStore;
class TDialogs;
class TPlatform;

// The guard every handler of the bar runs through.
class BarGuard {
public:
    explicit BarGuard(TDialogs& dialogs) : dialogs_(dialogs) {}
    // Runs a handler; an error that escapes it is shown in an error box and the bar
    // goes on.
    void Guarded(const std::function<void()>& handler);
    // A write the bar makes on its own (the start-up pass, a load, storing its place):
    // when it fails (a read-only configuration, an AppDir that cannot be written) the
    // error is shown once, not at every try, and the bar goes on, read-only.
    void WriteReportedOnce(const std::function<void()>& write);
    // A notice about the configuration (a stored count out of range), shown once per
    // text.
    void NotifyOnce(const std::string& text);

private:
    TDialogs& dialogs_;
    std::string writeError_;        // the last error of the bar's own writes shown
    std::set<std::string> notified_; // the notices shown
};

// The screen cursor (a TCursorCode); it only shows what the bar is doing (a pending
// move is a value of the page bar, not a cursor).
class BarCursor {
public:
    BarCursor() = default;
    BarCursor(const BarCursor&) = delete;
    BarCursor& operator=(const BarCursor&) = delete;
    ~BarCursor();
    int Shape() const { return shape_; }
    void Show(int cursor);

private:
    int shape_ = 0; // crDefault
};

struct BarContext {
    BarStore& store;
    TPlatform& platform;
    TDialogs& dialogs;
    BarGuard& guard;
    BarCursor& cursor;
    std::string appDir;

    // The help file: in AppDir, else beside the program, else in the data directory.
    std::string HelpFile() const;
};

} // namespace kex
