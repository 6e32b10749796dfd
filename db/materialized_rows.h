// Rows held whole in memory: the result of an arbitrary query and the
// schema rowsets, which are small. Tables are walked by TableCursor instead.
#pragma once

#include "db/row_source.h"

#include <memory>
#include <string>
#include <vector>

class DbConnection;

class MaterializedRows : public RowSource {
public:
    // Column names in ANSI.
    MaterializedRows(std::vector<std::string> columns, std::vector<std::vector<FieldValue>> rows);

    // Runs one query (UTF-8) and keeps everything it gives.
    static std::unique_ptr<MaterializedRows> FromQuery(DbConnection& connection,
                                                       const std::string& sqlUtf8);

    long Count() const override { return static_cast<long>(rows_.size()); }
    bool AtEnd() const override { return !attached_ || position_ >= rows_.size(); }
    void MoveFirst() override { position_ = 0; }
    void MoveNext() override;
    FieldValue Read(const std::string& field) override;
    void Detach() override { attached_ = false; }
    bool Attached() const override { return attached_; }

private:
    std::vector<std::string> columns_;
    std::vector<std::vector<FieldValue>> rows_;
    size_t position_ = 0;
    bool attached_ = true;
};

// The errors every row source raises alike.
[[noreturn]] void ThrowNoCurrentRecord();
[[noreturn]] void ThrowNoSuchField(const std::string& field);
