#include "db/adox_index.h"

bool CADOXIndex::Define(const std::string& name) {
    if (name.empty()) {
        return false;
    }
    name_ = name;
    return true;
}

bool CADOXIndex::AppendColumn(const std::string& column) {
    if (column.empty()) {
        return false;
    }
    columns_.push_back(column);
    return true;
}
