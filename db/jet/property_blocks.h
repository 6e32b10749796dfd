// The properties Access keeps for a table and its columns (Description,
// Allow Zero Length, ...) in the catalog's LvProp value.
#pragma once

#include "db/jet/jet_header.h"
#include "db/jet/jet_value.h"

#include <map>
#include <string>

// Property name to value, for one object.
using JetProperties = std::map<std::wstring, JetValue>;

struct JetPropertySet {
    JetProperties table;
    // By column name.
    std::map<std::wstring, JetProperties> columns;
};

// Throws JetError when the blocks do not fit the value.
JetPropertySet ReadPropertyBlocks(const std::string& stored, const JetHeader& header);
