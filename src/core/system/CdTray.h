// The CD tray command: one press asks the drive afresh and opens a tray that holds a
// readable disc, or closes it otherwise. The bar keeps no state of its own about the
// tray. The drive itself is behind CdDrive (the Linux drive in the platform, fakes in
// tests), so that the decision is the same for every drive.
#pragma once

#include <string>

namespace kex {

// What the drive says about its tray and disc.
enum class CdStatus {
    DiscOk, // a closed tray with a readable disc
    TrayOpen,
    NoDisc,   // a closed, empty tray
    NotReady, // the drive is still reading the disc
    NoInfo,   // the drive cannot tell
    Failed,   // the question itself failed
};

enum class CdTrayMove {
    None,            // no drive, or one that cannot be opened
    Eject,           // the drive's own eject
    UnmountAndEject, // through the system's disk service: a mounted disc
    CloseTray,
};

// The answer of a drive operation.
struct CdAnswer {
    enum Kind { Done, Busy, Failed } kind = Done;
    std::string error; // why it failed; empty when done
};

// One optical drive, opened for one command.
class CdDrive {
public:
    virtual ~CdDrive() = default;
    // Opens the drive without waiting for a disc; false when it cannot be opened.
    virtual bool Open() = 0;
    virtual CdStatus Status() = 0;
    // Whether a file system of the disc is mounted anywhere.
    virtual bool Mounted() = 0;
    // Busy: another holder (a mount, a player) keeps the drive from ejecting.
    virtual CdAnswer Eject() = 0;
    // Unmounts the disc and ejects it through the system's disk service, which asks
    // the user for authorisation where needed; the drive lets go of its own handle first.
    virtual CdAnswer UnmountAndEject() = 0;
    virtual CdAnswer CloseTray() = 0;
};

struct CdTrayOutcome {
    CdTrayMove action = CdTrayMove::None;
    std::string error; // empty when the action was carried out or none was due
};

// The action a press takes for a drive's status: a readable disc is ejected (through
// the disk service when it is mounted); every other answer, a failed question
// included, counts as not ready and closes the tray.
CdTrayMove CdTrayAction(CdStatus status, bool mounted);

// One press of the command on `drive` (null: the machine has no optical drive, and
// nothing is done). A drive that refuses its own eject as busy is ejected through the
// disk service.
CdTrayOutcome ToggleCdTray(CdDrive* drive);

} // namespace kex
