#pragma once

// Gives the memory that freed blocks leave between live ones back to the system. The allocator
// keeps it otherwise: after a sort of a million rows, tens of megabytes stay resident that the
// program never uses again.
void returnFreedMemory();
