#include "engine/archive_run.h"

#include "host/host_error.h"
#include "base/window_utils.h"

// The ids whose own rows were read back from the file, as long as the file
// at its path still holds them: one moved or replaced since lets nothing go.
const std::deque<long>& ArchiveRun::VerifiedIds() {
    bool there = false;
    try {
        there = candidates_->StillThere();
    } catch (const CADOException& failure) {
        unverifiedReason_ = failure.GetErrorMessage();
        if (!lastingFailure_) {
            lastingFailure_ = failure.GetErrorMessage();
        }
    }
    if (!there) {
        candidates_->GiveUpChecked();
    }
    unverified_ += candidates_->unverified();
    return candidates_->verified();
}

size_t ArchiveRun::MoveToTrash(const std::string& name, const HostMessageList& messages) {
    if (candidates_->empty()) {
        unverified_ += candidates_->unverified();
        return 0;
    }
    if (!trash_) {
        keptForNoTrash_ += static_cast<int>(candidates_->verified().size());
        unverified_ += candidates_->unverified();
        return 0;
    }
    const std::deque<long>& ids = VerifiedIds();
    controls_.EnableStop(false);
    const size_t count = ids.size();
    size_t moved = 0;
    for (size_t k = 0; k < count; ++k) {
        try {
            messages.ItemById(ids[k]).Move(*trash_);
            ++moved;
        } catch (const HostError&) {
            ++moveFailures_; // that message stays where it is
            continue;
        }
        Delay(10);
        controls_.SetProgress(90 + static_cast<int>(k * 100 / count) / 10);
        ShowStatus("Transferring messages from " + name + "... ");
    }
    try {
        messages.UpdateList();
    } catch (const HostError&) {
    }
    controls_.EnableStop(true);
    return moved;
}

void ArchiveRun::ShowStatus(const std::string& text) {
    try {
        host_.SetStatusText(text);
    } catch (const HostError&) {
    }
}
