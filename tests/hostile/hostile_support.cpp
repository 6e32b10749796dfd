#include "tests/hostile/hostile_support.h"

std::string PseudoRandomBytes(size_t size, unsigned seed) {
    std::string bytes;
    bytes.reserve(size);
    unsigned state = seed;
    while (bytes.size() < size) {
        state = state * 1103515245u + 12345u;
        bytes += static_cast<char>(state >> 16);
    }
    return bytes;
}

std::string GarbledSettings() {
    std::string binary;
    for (int byte = 1; byte <= 0xFF; ++byte) {
        if (byte != '\r' && byte != '\n' && byte != '[' && byte != '=') {
            binary += static_cast<char>(byte);
        }
    }
    return "\x01\x02 a line that is no setting\r\n"
           "=a value without a key\r\n" +
           binary +
           "\r\n"
           "[Filters\r\n"
           "[Filters]\r\n"
           "Status=yes please\r\n"
           "MatchStatus=99999999999999999999\r\n"
           "Priority=1\r\n"
           "MatchPriority=-7\r\n"
           "From-Filed=\xFF\xFE\r\n"
           "MatchFrom=" +
           std::string(10000, 'f') +
           "\r\n"
           "Subject=-1\r\n"
           "MatchSubject=\x80\x81\x8D\x8F\x90\x9D\t\x1B[31m\r\n"
           "Date=2147483648\r\n"
           "DateStart=32/13/99999\r\n"
           "DateEnd=\x01\x02\x03\r\n"
           "To-Field=0x10\r\n"
           "MatchTo=" +
           binary +
           "\r\n"
           "MatchAllFilters=NaN\r\n"
           "[Settings]\r\n"
           "Location=" +
           std::string(10000, 'L') +
           "\r\n"
           "DeleteArchived=-1\r\n"
           "DeleteRestored=1e9\r\n"
           "[Windows]\r\n"
           "Left=-2147483649\r\n"
           "Top=99999999999\r\n"
           "[Log]\r\n"
           "DisplayOnStartUp=\r\n"
           "DisplayAfterTasks=2\r\n";
}
