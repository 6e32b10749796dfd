#include "db/moved_mailboxes.h"

#include "db/mailbox_table_name.h"
#include "db/sql_text.h"
#include "base/file_utils.h"

#include <map>
#include <optional>

namespace {

std::vector<std::string> PathParts(const std::string& path) {
    std::vector<std::string> parts;
    SplitText(path, '\\', parts);
    while (!parts.empty() && parts.back().empty()) {
        parts.pop_back();
    }
    return parts;
}

// The mailbox's path below the mail folder, or all of it when it lies
// elsewhere.
std::vector<std::string> RelativeParts(const std::string& path,
                                       const std::vector<std::string>& dataDir) {
    std::vector<std::string> parts = PathParts(path);
    size_t same = 0;
    while (same < dataDir.size() && same < parts.size() &&
           SamePathIgnoringCase(parts[same], dataDir[same])) {
        ++same;
    }
    if (same == dataDir.size() && same < parts.size()) {
        parts.erase(parts.begin(), parts.begin() + static_cast<std::ptrdiff_t>(same));
    }
    return parts;
}

bool EndsWithParts(const std::vector<std::string>& path, const std::vector<std::string>& tail) {
    if (tail.empty() || tail.size() > path.size()) {
        return false;
    }
    const size_t offset = path.size() - tail.size();
    for (size_t i = 0; i < tail.size(); ++i) {
        if (!SamePathIgnoringCase(path[offset + i], tail[i])) {
            return false;
        }
    }
    return true;
}

struct Claim {
    size_t mailbox;
    size_t strength; // names below the mail folder that agree; 0 for the name alone
    bool tied;       // another table claims the mailbox as strongly
};

// The one mailbox the moved table belongs to, or none.
std::optional<Claim> BestMailbox(const std::string& table, const std::string& recordedPath,
                                 const std::vector<CurrentMailbox>& mailboxes,
                                 const std::vector<std::string>& dataDir) {
    const std::vector<std::string> recorded = PathParts(recordedPath);
    std::optional<Claim> best;
    for (size_t i = 0; i < mailboxes.size(); ++i) {
        // "Work.fol\Old.mbx" below the new mail folder, where the old path
        // ended the same way.
        const std::vector<std::string> relative = RelativeParts(mailboxes[i].path, dataDir);
        if (EndsWithParts(recorded, relative) && (!best || relative.size() > best->strength)) {
            best = Claim{i, relative.size(), false};
        }
    }
    if (best) {
        return best;
    }
    // Its file has another name now: the mailbox's name is all there is.
    const std::string name = MailboxNameFromTableName(table);
    for (size_t i = 0; i < mailboxes.size(); ++i) {
        if (SameName(TableNameFromMailboxName(mailboxes[i].name), table) ||
            SamePathIgnoringCase(mailboxes[i].name, name)) {
            if (best) {
                return std::nullopt;
            }
            best = Claim{i, 0, false};
        }
    }
    return best;
}

} // namespace

void NoteMovedMailboxes(ArchiveTableList& archives, const std::vector<CurrentMailbox>& mailboxes,
                        const std::string& dataDir) {
    const std::vector<std::string> dataDirParts = PathParts(dataDir);
    std::vector<bool> ownsTable(mailboxes.size(), false);
    for (size_t i = 0; i < mailboxes.size(); ++i) {
        for (const auto& [table, path] : archives.mailboxPaths) {
            ownsTable[i] = ownsTable[i] || SamePathIgnoringCase(path, mailboxes[i].path);
        }
    }
    // By mailbox: the table that claims it most strongly.
    std::map<size_t, std::pair<std::string, Claim>> claims;
    for (const std::string& table : archives.tables) {
        const auto recorded = archives.mailboxPaths.find(table);
        if (recorded == archives.mailboxPaths.end() || recorded->second.empty() ||
            FileExists(recorded->second)) {
            continue;
        }
        const std::optional<Claim> claim =
            BestMailbox(table, recorded->second, mailboxes, dataDirParts);
        if (!claim || ownsTable[claim->mailbox]) {
            continue;
        }
        auto [held, added] = claims.try_emplace(claim->mailbox, table, *claim);
        if (!added) {
            Claim& other = held->second.second;
            if (claim->strength > other.strength) {
                held->second = {table, *claim};
            } else if (claim->strength == other.strength) {
                other.tied = true;
            }
        }
    }
    archives.movedTo.clear();
    for (const auto& [mailbox, claim] : claims) {
        if (!claim.second.tied) {
            archives.movedTo[claim.first] = mailboxes[mailbox].path;
        }
    }
}
