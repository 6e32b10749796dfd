// The plug-in's command: the main archive dialog, run modally on the host's
// thread with no parent window.
#pragma once

void RunArchiveDialog();
