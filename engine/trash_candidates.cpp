#include "engine/trash_candidates.h"

#include "db/ado_exception.h"

int TrashCandidates::Check(bool committed) {
    std::vector<bool> stored, storedBefore;
    try {
        stored = StoredRows(connectionString_, table_, written_);
        storedBefore = StoredRows(connectionString_, table_, found_);
    } catch (const CADOException&) {
        unverified_ += static_cast<int>(written_.size() + found_.size());
        written_.clear();
        found_.clear();
        throw;
    }
    int missing = 0;
    std::deque<WrittenRow> found;
    const auto keep = [&](const std::deque<WrittenRow>& rows, const std::vector<bool>& on,
                          bool counted) {
        for (size_t i = 0; i < rows.size(); ++i) {
            if (on[i]) {
                verified_.push_back(rows[i].id);
                found.push_back(rows[i]);
            } else {
                ++unverified_;
                missing += counted ? 1 : 0;
            }
        }
    };
    keep(written_, stored, committed);
    keep(found_, storedBefore, false);
    written_.clear();
    found_.clear();
    if (!found.empty()) {
        lastFound_ = std::move(found);
    }
    return missing;
}

bool TrashCandidates::StillThere() {
    for (const bool on : StoredRows(connectionString_, table_, lastFound_)) {
        if (!on) {
            return false;
        }
    }
    return true;
}

void TrashCandidates::GiveUpChecked() {
    unverified_ += static_cast<int>(verified_.size());
    verified_.clear();
}
