// An index to be added with a table: a name and its columns.
#pragma once

#include <string>
#include <vector>

class CADOXIndex {
public:
    bool Define(const std::string& name);
    bool AppendColumn(const std::string& column);

    const std::string& Name() const { return name_; }
    const std::vector<std::string>& Columns() const { return columns_; }

private:
    std::string name_;
    std::vector<std::string> columns_;
};
