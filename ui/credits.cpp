#include "ui/credits.h"

#include "platform/strutil.h"
#include "resources/resource.h"
#include "ui/dialogmath.h"

bool CreditText(char* dst, size_t size, const char* block, size_t blockSize, int first, int count) {
    if (size == 0) return false;
    dst[0] = '\0';
    bool fit = true;
    for (int i = first; i < first + count; ++i) {
        char line[CREDITS_LINE_SIZE + 1] = "";
        size_t start = size_t(i) * CREDITS_LINE_SIZE, n = 0;
        while (n < CREDITS_LINE_SIZE && start + n < blockSize && block[start + n]) {
            line[n] = block[start + n];
            ++n;
        }
        line[n] = '\0';
        char shown[2 * CREDITS_LINE_SIZE + 1];
        fit = DoubleAmpersands(shown, sizeof shown, line) && fit;
        if (i > first) fit = BufAppend(dst, size, "\n") && fit;
        fit = BufAppend(dst, size, shown) && fit;
    }
    return fit;
}
