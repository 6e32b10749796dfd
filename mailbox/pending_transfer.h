// Moving the restored messages out of "Pending" into their own mailbox.
#pragma once

#include <functional>
#include <string>

// Opens "Pending" in the host (which reads in the records written to its
// file) and moves every message in it, last first, into the mailbox whose
// file is `targetPath`, or into the mailbox named `fallbackName` when no
// mailbox has that file any more. Each message gets back the status its
// "X-Status:" header carries. `setProgress` follows the moves from 100 down
// and ends at 0. Gives the number of messages moved; a host error ends the
// moves, and what was moved stays moved.
int MovePendingMessages(const std::string& targetPath, const std::string& fallbackName,
                        const std::function<void(int)>& setProgress);
