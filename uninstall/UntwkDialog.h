// untwk's dialog: what the log names, Start and Cancel, and the progress of
// the removal as the deinstaller reports it.
#pragma once

#include <windows.h>

#include "uninstall/Deinstall.h"

// Shows the dialog for a prepared deinstall; Start runs the removal.
// DialogBoxParamW's result: 1000 after the walk, 2 on Cancel, -1 when the
// dialog could not be created.
INT_PTR RunUntwkDialog(HINSTANCE instance, TDeinstall& deinstall);
