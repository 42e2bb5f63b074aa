// The program's entry point and its process-wide state.
#pragma once

// Quiet mode: set once from the command line, read by the console output.
extern bool g_fQuiet;

int KorlixMain(int argc, char* argv[]);
