// The plug-in's two windows the host asks for: the main archive dialog from
// its menu command, the About dialog from its plug-in settings. Both run
// modally on the host's thread.
#pragma once

#include "base/win32.h"

// `owner`, the host's window the command was picked in, is disabled while
// the dialog runs and has it open over it; null for none.
void RunArchiveDialog(HWND owner);
void RunAboutDialog();
