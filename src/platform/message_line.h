// A message box told on the console: what Linux always does with one, and the
// other platforms once the command-line tools ask for it.
#pragma once

// "CAPTION: TEXT" on standard error, ending in one line end whether or not the
// text has its own.
void printMessageLine(const char* caption, const char* text);
