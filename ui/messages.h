// Messages of the progress and message windows that the font repair uses.
#pragma once

// Writes text and a newline to standard output, where the windowed program
// shows it to nobody.
void error_ok(const char* text);

// Closes the message window of a finished step; there is none yet.
void closemsg();
