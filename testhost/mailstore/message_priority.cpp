#include "testhost/mailstore/message_priority.h"

int32_t PriorityOfHeader(const std::optional<std::string>& value) {
    if (!value || value->empty()) {
        return 0;
    }
    const char first = (*value)[0];
    return first >= '1' && first <= '5' ? first - '0' : 0;
}

std::string PriorityText(int32_t priority) {
    static const char* const texts[] = {"Highest", "High", "Normal", "Low", "Lowest"};
    return priority >= 1 && priority <= 5 ? texts[priority - 1] : std::string();
}
