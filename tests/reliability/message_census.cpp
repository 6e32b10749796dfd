#include "tests/reliability/message_census.h"

#include <map>

namespace {

using Counts = std::map<std::string, int>;

void Add(Counts& counts, const std::vector<std::string>& texts) {
    for (const std::string& text : texts) {
        ++counts[text];
    }
}

bool Take(Counts& counts, const std::string& text) {
    auto found = counts.find(text);
    if (found == counts.end() || found->second == 0) {
        return false;
    }
    --found->second;
    return true;
}

} // namespace

std::vector<std::string> LostMessages(const std::vector<std::string>& originals,
                                      const MessageCensus& census) {
    Counts kept;
    Add(kept, census.mailbox);
    Add(kept, census.archived);
    Add(kept, census.pending);
    std::vector<std::string> lost;
    for (const std::string& original : originals) {
        if (!Take(kept, original)) {
            lost.push_back(Describe(original));
        }
    }
    return lost;
}

std::vector<std::string> TrashedWithoutRow(const std::vector<std::string>& trashBefore,
                                           const MessageCensus& census) {
    Counts before;
    Add(before, trashBefore);
    Counts archived;
    Add(archived, census.archived);
    std::vector<std::string> unbacked;
    for (const std::string& message : census.trash) {
        if (!Take(before, message) && !Take(archived, message)) {
            unbacked.push_back(Describe(message));
        }
    }
    return unbacked;
}

std::vector<std::string> NotExactlyOnce(const std::vector<std::string>& originals,
                                        const std::vector<std::string>& texts) {
    Counts held;
    Add(held, texts);
    // A message the mailbox held twice is wanted twice.
    Counts wanted;
    Add(wanted, originals);
    std::vector<std::string> wrong;
    for (const auto& [original, times] : wanted) {
        const auto found = held.find(original);
        const int copies = found == held.end() ? 0 : found->second;
        if (copies != times) {
            wrong.push_back(Describe(original) + " x" + std::to_string(copies) +
                            (times == 1 ? "" : " of " + std::to_string(times)));
        }
        held.erase(original);
    }
    for (const auto& [text, copies] : held) {
        wrong.push_back("stranger " + Describe(text) + " x" + std::to_string(copies));
    }
    return wrong;
}

std::string Describe(const std::string& message) {
    const size_t subject = message.find("Subject: ");
    const std::string name =
        subject == std::string::npos
            ? message.substr(0, 40)
            : message.substr(subject, message.find('\r', subject) - subject).substr(0, 60);
    return name + " (" + std::to_string(message.size()) + " bytes)";
}
