// The commands of letterbot-assets. Each takes the arguments after its name and
// returns the process exit status.
#pragma once

int bitmapCommand(int argc, char** argv);
int modelCommand(int argc, char** argv);
int checkCommand(int argc, char** argv);
