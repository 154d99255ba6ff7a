// The CD tray command over a fake drive: what one press does for each state of the
// drive, and what it reports.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/system/CdTray.h"

namespace kex {
namespace {

// A drive that answers as told and writes down what it was asked, in order.
struct FakeDrive : CdDrive {
    bool opens = true;
    CdStatus status = CdStatus::DiscOk;
    bool mounted = false;
    CdAnswer eject, unmountAndEject, closeTray;
    std::string trace;

    bool Open() override { return Note("open", opens); }
    CdStatus Status() override { return Note("status", status); }
    bool Mounted() override { return Note("mounted", mounted); }
    CdAnswer Eject() override { return Note("eject", eject); }
    CdAnswer UnmountAndEject() override { return Note("unmount+eject", unmountAndEject); }
    CdAnswer CloseTray() override { return Note("close", closeTray); }

    template <typename T> T Note(const char* what, T answer)
    {
        trace += (trace.empty() ? "" : " ") + std::string(what);
        return answer;
    }
};

TEST(CdTray, OnePressAsksTheDriveAfreshAndActsOnWhatItSays)
{
    const CdStatus ok = CdStatus::DiscOk, open = CdStatus::TrayOpen;
    const CdAnswer done{}, busy{CdAnswer::Busy, "Device or resource busy"},
        failed{CdAnswer::Failed, "Input/output error"}, refused{CdAnswer::Failed, "Not authorized"};
    auto drive = [](CdStatus status, bool mounted = false, CdAnswer eject = {}, CdAnswer unmount = {},
                    CdAnswer close = {}, bool opens = true) {
        FakeDrive d;
        d.opens = opens;
        d.status = status;
        d.mounted = mounted;
        d.eject = eject;
        d.unmountAndEject = unmount;
        d.closeTray = close;
        return std::optional<FakeDrive>(d);
    };
    const std::string ejected = "open status mounted eject", unmounted = "open status mounted unmount+eject",
                      closed = "open status close";
    using A = CdTrayMove;
    struct Row {
        const char* name;
        std::optional<FakeDrive> drive;
        CdTrayMove action;
        std::string trace, error;
    } rows[] = {
        {"no drive", std::nullopt, A::None, "", ""},
        {"drive that cannot be opened", drive(ok, false, done, done, done, false), A::None, "open", ""},
        {"closed tray, readable disc", drive(ok), A::Eject, ejected, ""},
        {"mounted disc", drive(ok, true), A::UnmountAndEject, unmounted, ""},
        {"mounted between the look and the eject", drive(ok, false, busy), A::UnmountAndEject,
         ejected + " unmount+eject", ""},
        {"unmount refused", drive(ok, true, done, refused), A::UnmountAndEject, unmounted, "Not authorized"},
        {"eject fails", drive(ok, false, failed), A::Eject, ejected, "Input/output error"},
        {"open tray", drive(open), A::CloseTray, closed, ""},
        {"open tray, disc still listed as mounted", drive(open, true), A::CloseTray, closed, ""},
        {"closed, empty tray", drive(CdStatus::NoDisc), A::CloseTray, closed, ""},
        {"disc still being read", drive(CdStatus::NotReady), A::CloseTray, closed, ""},
        {"drive that cannot tell", drive(CdStatus::NoInfo), A::CloseTray, closed, ""},
        {"status question fails", drive(CdStatus::Failed), A::CloseTray, closed, ""},
        {"close fails without a word", drive(open, false, done, done, {CdAnswer::Failed, ""}), A::CloseTray, closed,
         "the drive did not answer"},
    };
    for (Row& r : rows) {
        SCOPED_TRACE(r.name);
        const CdTrayOutcome outcome = ToggleCdTray(r.drive ? &*r.drive : nullptr);
        EXPECT_EQ(outcome.action, r.action);
        EXPECT_EQ(r.drive ? r.drive->trace : "", r.trace);
        EXPECT_EQ(outcome.error, r.error);
    }
}

} // namespace
} // namespace kex
