#pragma once

// `bytemarsh --check ...`: the size check and its outputs with no window and no display. Runs
// the whole program for these arguments and answers its exit status: 0 when every row was
// sized, 1 when anything failed, 2 for a wrong command line; 141 when standard output was
// closed and nothing else was asked for.
int RunCheckMode(int argc, char** argv);
