#include "core/system/CdTray.h"

namespace kex {

CdTrayMove CdTrayAction(CdStatus status, bool mounted)
{
    if (status != CdStatus::DiscOk)
        return CdTrayMove::CloseTray;
    return mounted ? CdTrayMove::UnmountAndEject : CdTrayMove::Eject;
}

CdTrayOutcome ToggleCdTray(CdDrive* drive)
{
    CdTrayOutcome outcome;
    if (!drive || !drive->Open())
        return outcome;
    const CdStatus status = drive->Status();
    outcome.action = CdTrayAction(status, status == CdStatus::DiscOk && drive->Mounted());
    CdAnswer answer;
    switch (outcome.action) {
    case CdTrayMove::None: return outcome;
    case CdTrayMove::Eject:
        answer = drive->Eject();
        if (answer.kind == CdAnswer::Busy) {
            // Mounted after all (between the look and the eject), or held by a player.
            outcome.action = CdTrayMove::UnmountAndEject;
            answer = drive->UnmountAndEject();
        }
        break;
    case CdTrayMove::UnmountAndEject: answer = drive->UnmountAndEject(); break;
    case CdTrayMove::CloseTray: answer = drive->CloseTray(); break;
    }
    if (answer.kind != CdAnswer::Done)
        outcome.error = !answer.error.empty()           ? answer.error
                        : answer.kind == CdAnswer::Busy ? "the drive is in use"
                                                        : "the drive did not answer";
    return outcome;
}

} // namespace kex
