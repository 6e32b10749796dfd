// The locale's sort keys of a column's texts, one per row: comparing two
// keys is a byte compare, where comparing the texts is a locale call, and a
// sort makes millions of comparisons.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Kept end to end in blocks of a megabyte: a million rows would otherwise
// hold a million small blocks while they sort, or one buffer that doubles
// (holding its old and new room at once) as it grows.
class SortKeys {
public:
    explicit SortKeys(size_t rows) : where_(rows) {}

    // The key of `utf8`, letters ignoring case, ordered as the user's locale
    // compares them.
    void Add(size_t row, std::string_view utf8);
    int Compare(int a, int b) const { return Key(a).compare(Key(b)); }

private:
    static constexpr size_t kBlockBytes = 1 << 20;

    struct Place {
        uint32_t block = 0;
        uint32_t at = 0;
        uint32_t length = 0;
    };

    std::string& BlockWithRoom(size_t room);
    std::string_view Key(int row) const;

    std::vector<std::string> blocks_;
    std::vector<Place> where_;
    std::wstring wide_;
};
