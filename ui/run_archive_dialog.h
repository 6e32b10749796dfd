// The plug-in's two windows the host asks for: the main archive dialog from
// its menu command, the About dialog from its plug-in settings. Both run
// modally on the host's thread with no parent window.
#pragma once

void RunArchiveDialog();
void RunAboutDialog();
