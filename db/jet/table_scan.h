// Walks a table's rows in stored order: the pages of its usage map, each
// page's rows in turn, skipping deleted rows and following moved ones.
#pragma once

#include "db/jet/row_decoder.h"
#include "db/jet/usage_map.h"

#include <string>
#include <vector>

class TableScan {
public:
    // Throws JetError when the usage map cannot be read. `label` names the
    // table in the texts of errors.
    TableScan(const JetFile& file, const JetHeader& header, const TableDefinition& definition,
              std::string label);

    // The next row's values; false after the last row. Throws JetError
    // naming the page at fault, also when the rows found do not add up to
    // the count the definition keeps (a page of the table was lost).
    bool Next(std::vector<JetValue>& values);
    // The data page of the row last read.
    uint32_t page() const { return page_; }
    // The stored pages read so far, for progress.
    size_t PagesDone() const { return nextPage_; }
    size_t PageTotal() const { return pageList_.size(); }

private:
    bool LoadNextPage();
    bool ReadRow(std::vector<JetValue>& values);
    ByteSpan MovedRow(ByteSpan pointer);

    const TableDefinition& definition_;
    std::string label_;
    PageReader pages_;
    PageReader movedPages_;
    LongValueReader longValues_;
    RowDecoder decoder_;
    std::vector<uint32_t> pageList_;
    size_t nextPage_ = 0;
    uint32_t page_ = 0;
    size_t rowCountOnPage_ = 0;
    size_t nextRow_ = 0;
    uint64_t rowsRead_ = 0;
    bool pageLoaded_ = false;
    // The first page of the map that is no kind of page the format has:
    // where rows were lost, should the count come out short.
    uint32_t strangePage_ = 0;
};
