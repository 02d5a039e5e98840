// The one export of qzlabout.dll, as the installed design-time package calls it.
#pragma once

#include <windows.h>

// Delphi's default register convention: the one argument arrives in EAX.
// The 64-bit build has only one convention.
#if defined(__i386__)
#define QZ_DELPHI_REGISTER __attribute__((regparm(1)))
#else
#define QZ_DELPHI_REGISTER
#endif

extern "C" QZ_DELPHI_REGISTER void Execute(HWND owner);
