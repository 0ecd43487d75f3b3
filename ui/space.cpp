#include "ui/space.h"

#include "app/globals.h"
#include "platform/platform.h"

static uint32_t AddSaturated(uint32_t a, uint32_t b) {
    return b > UINT32_MAX - a ? UINT32_MAX : a + b;
}

SpaceAccount AccountSpace(const Package* packages, int count, char destDrive, char winDrive,
                          uint32_t destFree, uint32_t winFree) {
    SpaceAccount account{0, 0, false, false};
    for (int i = 0; i < count; ++i) {
        const Package& p = packages[i];
        if (!p.bSelected) continue;
        uint32_t& total = p.bSystemDir ? account.winTotal : account.destTotal;
        total = AddSaturated(total, uint32_t(p.lSize));
    }
    if (winDrive == destDrive) {
        account.destTotal = AddSaturated(account.destTotal, account.winTotal);
        account.winTotal = 0;
    }
    account.fits = destFree >= account.destTotal && winFree >= account.winTotal;
    account.okEnabled = account.fits && destDrive != NO_DRIVE;
    return account;
}

uint32_t spaceAvailable(char drive) {
    uint64_t bytes;
    if (drive == NO_DRIVE || !PfGetDiskFree(drive, &bytes)) return 0;
    return bytes > UINT32_MAX ? UINT32_MAX : uint32_t(bytes);
}
