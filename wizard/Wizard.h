// The installation wizard: dialog resource 1 with its six pages.
#pragma once

#include <windows.h>

// Registers the link class, creates the pages, runs the dialog modally and
// frees the pages (reporting a dialog that cannot be created).
void RunWizard(HINSTANCE instance);
