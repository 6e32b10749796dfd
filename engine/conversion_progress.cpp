#include "engine/conversion_progress.h"

namespace {
// Often enough for the bar to move smoothly and Stop to answer at once,
// seldom enough that the window's messages cost nothing beside the rows.
constexpr uint64_t kRowsBetweenReports = 64;
} // namespace

void ConversionProgress::BeginPhase(const std::string& verb) {
    ++phase_;
    done_ = 0;
    verb_ = verb;
    Show();
}

bool ConversionProgress::Step() {
    ++done_;
    if (done_ % kRowsBetweenReports != 0 && done_ != messages_) {
        return true;
    }
    Show();
    return !controls_.StopRequested();
}

void ConversionProgress::Show() {
    uint64_t half = messages_ == 0 ? 50 : done_ * 50 / messages_;
    int percent = static_cast<int>(phase_ * 50 + (half > 50 ? 50 : half));
    controls_.ShowProgress(percent, verb_ + " the archive: " + std::to_string(done_) + " of " +
                                        std::to_string(messages_) + " messages");
}
