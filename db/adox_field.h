// A column of a CADOXTable, to set its provider properties; owns nothing.
#pragma once

#include <string>

class CADOXTable;

class CADOXField {
public:
    CADOXField(CADOXTable& table, const std::string& column) : table_(table), column_(column) {}

    // "Jet OLEDB:Allow Zero Length".
    bool AllowEmptyText(bool allow);
    // "Description".
    bool SetColumnDescription(const std::string& description);

private:
    CADOXTable& table_;
    std::string column_;
};
