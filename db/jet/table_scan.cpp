#include "db/jet/table_scan.h"

#include "db/jet/data_page.h"

TableScan::TableScan(const JetFile& file, const JetHeader& header,
                     const TableDefinition& definition, std::string label)
    : definition_(definition), label_(std::move(label)), pages_(file, header),
      movedPages_(file, header), longValues_(file, header),
      decoder_(definition, header, longValues_) {
    try {
        pageList_ = ReadUsageMap(pages_, definition.usageMap);
    } catch (const JetError& error) {
        throw JetError("The rows of " + label_ + " cannot be read: " + error.what() + ".");
    }
}

bool TableScan::LoadNextPage() {
    while (nextPage_ < pageList_.size()) {
        page_ = pageList_[nextPage_++];
        ByteSpan bytes = pages_.Load(page_);
        // A table's map also lists pages it holds for other uses (its long
        // values among them); only its data pages hold rows.
        if (bytes.U8(0) != jet_page::kData || bytes.U32(4) != definition_.page) {
            bool known = bytes.U8(1) == 0x01 && bytes.U8(0) >= jet_page::kData &&
                         bytes.U8(0) <= jet_page::kUsageMap;
            if (!known && strangePage_ == 0) {
                strangePage_ = page_;
            }
            continue;
        }
        rowCountOnPage_ = DataPage(bytes, pages_.format()).RowCount();
        nextRow_ = 0;
        return true;
    }
    return false;
}

ByteSpan TableScan::MovedRow(ByteSpan pointer) {
    RowPointer where = RowPointer::From(pointer.U32(0));
    ByteSpan bytes = movedPages_.Load(where.page);
    DataPage target(bytes, movedPages_.format());
    if (target.owner() != definition_.page) {
        throw JetError("a moved row points to " + PageText(where.page) +
                       ", which belongs to another table");
    }
    RowSlot slot = target.Slot(where.row);
    return target.Bytes(slot);
}

bool TableScan::Next(std::vector<JetValue>& values) {
    bool more;
    try {
        more = ReadRow(values);
    } catch (const JetError& error) {
        throw JetError("The rows of " + label_ + " cannot be read: " + PageText(page_) + ": " +
                       error.what() + ".");
    }
    if (!more && rowsRead_ != definition_.rowCount) {
        throw JetError("The rows of " + label_ + " cannot be read: the table holds " +
                       std::to_string(definition_.rowCount) + " rows, but " +
                       std::to_string(rowsRead_) + " were found in its pages" +
                       (strangePage_ ? "; " + PageText(strangePage_) + " is damaged." : "."));
    }
    return more;
}

bool TableScan::ReadRow(std::vector<JetValue>& values) {
    for (;;) {
        if (!pageLoaded_ || nextRow_ >= rowCountOnPage_) {
            pageLoaded_ = LoadNextPage();
            if (!pageLoaded_) {
                return false;
            }
            continue;
        }
        ByteSpan bytes = pages_.Load(page_);
        DataPage dataPage(bytes, pages_.format());
        RowSlot slot = dataPage.Slot(nextRow_++);
        if (slot.deleted) {
            continue;
        }
        ByteSpan row = dataPage.Bytes(slot);
        if (slot.moved) {
            row = MovedRow(row);
        }
        decoder_.Decode(row, values);
        ++rowsRead_;
        return true;
    }
}
