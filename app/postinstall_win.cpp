// The run items with the real program starter and version code.
#include "app/postinstall.h"
#include "archive/winutil.h"
#include "shell/envquery.h"

int DoRunItems() {
    static const RunItemHooks system = {ExecuteProgram, FindWinVersion};
    return DoRunItems(system);
}
