// Running a piece of a test as an ordinary user.
//
// Root's own permission checks let every write through, so a test of what
// happens in a directory or file the user may not write runs its body in a
// child process that has become the user "nobody" (65534) when the test runs
// as root; otherwise the body runs directly.
#pragma once

// Returns body's result (0 to 254), or -1 when the child could not run it
// (no right to change the identity, or the child died).
int as_ordinary_user(int (*body)());
