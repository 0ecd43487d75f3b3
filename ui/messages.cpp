#include "ui/messages.h"

#include "platform/platform.h"

void error_ok(const char* text) { PfPrintLine(text); }

void closemsg() {}
