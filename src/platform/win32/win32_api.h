#pragma once

// <windows.h> as the Win32 host includes it. Include this instead of <windows.h> in any file
// that also sees the core's headers: the API's MessageBox macro would otherwise rename
// tw::MessageBox in that file alone, and the file would no longer link against the core.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef STRICT
#define STRICT
#endif

#include <windows.h>

#undef MessageBox

// The host passes handles and procedures through 32-bit fields (the shell's records, the
// window's user-data slot): it is a 32-bit program.
static_assert(sizeof(void*) == 4, "the Win32 host is built for 32-bit Windows");
