#include "db/connection_string.h"

#include "base/file_utils.h"
#include "base/win32.h"

std::string ConnectionStringValue(const std::string& connectionString, const std::string& key) {
    std::string found;
    std::string::size_type start = 0;
    while (start <= connectionString.size()) {
        std::string::size_type end = connectionString.find(';', start);
        if (end == std::string::npos) {
            end = connectionString.size();
        }
        const std::string pair = connectionString.substr(start, end - start);
        const std::string::size_type equals = pair.find('=');
        if (equals != std::string::npos &&
            ::lstrcmpiA(TrimWhiteSpace(pair.substr(0, equals)).c_str(), key.c_str()) == 0) {
            found = TrimWhiteSpace(pair.substr(equals + 1));
            if (found.size() >= 2 && (found.front() == '"' || found.front() == '\'') &&
                found.back() == found.front()) {
                found = found.substr(1, found.size() - 2);
            }
        }
        start = end + 1;
    }
    return found;
}
