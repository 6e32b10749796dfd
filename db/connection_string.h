// Reading "key=value;key=value" connection strings the way ADO does.
#pragma once

#include <string>

// The value of `key` (compared ignoring case, blanks around keys and values
// trimmed, one pair of enclosing quotes removed); empty when absent.
std::string ConnectionStringValue(const std::string& connectionString, const std::string& key);
