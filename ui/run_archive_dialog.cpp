#include "ui/run_archive_dialog.h"

// The main dialog arrives with the user interface; until then the command
// ends as soon as the host has been read.
void RunArchiveDialog() {}
