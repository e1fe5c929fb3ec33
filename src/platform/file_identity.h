#pragma once

// Gives the file open as `to` what makes the file open as `from` the same file to the people
// who use it: its group, its mode, its ACLs and every other extended attribute it carries (the
// caller sees to the owner). False when any of it cannot be carried over; `to` is then half
// dressed and must not take the other's place. Both must already have the same owner.
bool carryIdentity(int from, int to);
