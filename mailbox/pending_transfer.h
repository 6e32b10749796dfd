// Moving the restored messages out of "Pending" into their own mailbox.
#pragma once

#include <functional>
#include <string>
#include <vector>

// Opens "Pending", the mailbox whose file is `stagingPath`, in the host
// (which reads in the records written to its file) and moves every message
// in it, last first, into the mailbox whose file is `targetPath`, or into the mailbox named
// `fallbackName` when no mailbox has that file any more. `setProgress` follows the moves from 100
// down and ends at 0. Gives the number of messages moved; a host error ends
// the moves, and what was moved stays moved.
//
// Each message gets back its status: from `stagedStatuses` (in the order the
// records were written) when "Pending" holds exactly that many messages,
// which it does when it was empty before they were written; otherwise from
// the "X-Status:" line that opens each record.
//
// `onMoved` hears of each message as soon as it is in its mailbox, with its
// number in "Pending" (from 1), but only while the numbers are the places
// the records were written to, as with the statuses.
int MovePendingMessages(const std::string& stagingPath, const std::string& targetPath,
                        const std::string& fallbackName,
                        const std::function<void(int)>& setProgress,
                        const std::vector<int>& stagedStatuses = {},
                        const std::function<void(long)>& onMoved = {});
