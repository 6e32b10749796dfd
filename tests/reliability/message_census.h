// Where each message of a mailbox has gone after a task, whatever went wrong
// during it: a message is kept when it is still in its mailbox, in the
// archive, or on its way back in "Pending"; one in "Trash" counts only when
// its row was committed first.
#pragma once

#include <string>
#include <vector>

struct MessageCensus {
    std::vector<std::string> mailbox;
    std::vector<std::string> trash;
    std::vector<std::string> pending;
    std::vector<std::string> archived;
};

// The originals (counted with their repeats) found nowhere.
std::vector<std::string> LostMessages(const std::vector<std::string>& originals,
                                      const MessageCensus& census);
// Messages in Trash, beyond those that were there before, that the archive
// does not hold.
std::vector<std::string> TrashedWithoutRow(const std::vector<std::string>& trashBefore,
                                           const MessageCensus& census);
// The originals that `texts` does not hold as often as `originals` does
// (once, for a message the mailbox held once), each with the number of
// copies it holds, and the texts that are none of the originals.
std::vector<std::string> NotExactlyOnce(const std::vector<std::string>& originals,
                                        const std::vector<std::string>& texts);
// A short name for a message in a failure's text.
std::string Describe(const std::string& message);
