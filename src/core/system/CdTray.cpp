#include "core/system/CdTray.h"

namespace kex {

TCdTrayAction CdTrayAction(TCdStatus status, bool mounted)
{
    if (status != TCdStatus::DiscOk)
        return TCdTrayAction::CloseTray;
    return mounted ? TCdTrayAction::UnmountAndEject : TCdTrayAction::Eject;
}

TCdTrayOutcome ToggleCdTray(TCdDrive* drive)
{
    TCdTrayOutcome outcome;
    if (!drive || !drive->Open())
        return outcome;
    const TCdStatus status = drive->Status();
    outcome.action = CdTrayAction(status, status == TCdStatus::DiscOk && drive->Mounted());
    TCdAnswer answer;
    switch (outcome.action) {
    case TCdTrayAction::None: return outcome;
    case TCdTrayAction::Eject:
        answer = drive->Eject();
        if (answer.kind == TCdAnswer::Busy) {
            // Mounted after all (between the look and the eject), or held by a player.
            outcome.action = TCdTrayAction::UnmountAndEject;
            answer = drive->UnmountAndEject();
        }
        break;
    case TCdTrayAction::UnmountAndEject: answer = drive->UnmountAndEject(); break;
    case TCdTrayAction::CloseTray: answer = drive->CloseTray(); break;
    }
    if (answer.kind != TCdAnswer::Done)
        outcome.error = !answer.error.empty()            ? answer.error
                        : answer.kind == TCdAnswer::Busy ? "the drive is in use"
                                                         : "the drive did not answer";
    return outcome;
}

} // namespace kex
