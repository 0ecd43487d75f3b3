#include "ui/messages.h"

#include <cstdio>

void error_ok(const char* text) {
    fputs(text, stdout);
    fputc('\n', stdout);
}

void closemsg() {}
