// Ways the program ends from outside, besides Escape.
#pragma once

// Makes a stop request from outside end the process at once (on Linux SIGINT,
// SIGTERM and SIGHUP, by the signal's default action; on Windows Ctrl+C,
// Ctrl+Break and closing the console, with the status Windows gives a console
// program stopped that way), and a lost connection to the X display end it
// with EXIT_DISPLAY_LOST and one line on standard error, without touching that
// connection again. The window's close button is not a stop request: it stays
// ignored. Call first in main, before SDL starts.
void endOnStopRequests();
