// The program's exit statuses, for every layer that ends the process.
#pragma once

const int EXIT_LOG_UNAVAILABLE = 1; // "error.txt" could not be created
const int EXIT_FATAL_ERROR = 2;     // SDL video could not start
const int EXIT_MISSING_ASSET = 3;   // a texture bitmap is missing or broken
const int EXIT_DISPLAY_LOST = 4;    // the connection to the X display was lost
const int EXIT_ESCAPE = 200;        // the user pressed Escape
