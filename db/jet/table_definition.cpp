#include "db/jet/table_definition.h"

#include "db/jet/data_page.h"
#include "db/jet/jet_text.h"

#include <algorithm>
#include <set>

namespace {

constexpr uint8_t kFixedColumnFlag = 0x01;
constexpr size_t kPageHeader = 8;
// Far more than 255 columns and their indexes need; a longer chain is damage.
constexpr size_t kMostDefinitionPages = 256;

// The definition's bytes as one block: the first page whole, then each
// continuation page without its header.
std::vector<uint8_t> JoinDefinitionPages(PageReader& pages, uint32_t first) {
    std::vector<uint8_t> joined;
    std::set<uint32_t> seen;
    uint32_t page = first;
    while (page != 0) {
        if (seen.size() == kMostDefinitionPages) {
            throw JetError("the definition runs over more pages than a table can have");
        }
        if (!seen.insert(page).second) {
            throw JetError("the definition's pages form a loop at " + PageText(page));
        }
        ByteSpan bytes = pages.Load(page);
        if (bytes.U8(0) != jet_page::kTableDefinition) {
            throw JetError(PageText(page) + " is not a table definition page");
        }
        size_t from = joined.empty() ? 0 : kPageHeader;
        joined.insert(joined.end(), bytes.data() + from, bytes.data() + bytes.size());
        page = bytes.U32(4);
    }
    return joined;
}

} // namespace

TableDefinition ReadTableDefinition(PageReader& pages, uint32_t page) {
    const JetFormat& format = pages.format();
    std::vector<uint8_t> joined = JoinDefinitionPages(pages, page);
    try {
        ByteSpan block(joined.data(), joined.size());
        TableDefinition definition;
        definition.page = page;
        definition.rowCount = block.U32(format.rowTotalAt);
        definition.varColumnCount = block.U16(format.varColumnCountAt);
        definition.usageMap = block.U32(format.usageMapAt);
        size_t columnCount = block.U16(format.columnCountAt);
        size_t realIndexes = block.U32(format.realIndexCountAt);
        if (realIndexes > block.size() / format.indexEntrySize) {
            throw JetError("its index count does not fit the definition");
        }
        size_t at = format.indexEntriesAt + realIndexes * format.indexEntrySize;
        ByteSpan entries = block.Sub(at, columnCount * format.columnEntrySize);
        for (size_t i = 0; i < columnCount; ++i) {
            ByteSpan entry = entries.Sub(i * format.columnEntrySize, format.columnEntrySize);
            JetColumn column;
            column.type = entry.U8(0);
            column.number = entry.U16(format.columnNumberAt);
            column.varIndex = entry.U16(format.columnVarIndexAt);
            column.fixed = (entry.U8(format.columnFlagsAt) & kFixedColumnFlag) != 0;
            column.fixedOffset = entry.U16(format.columnFixedOffsetAt);
            column.length = entry.U16(format.columnLengthAt);
            definition.columns.push_back(column);
        }
        at += columnCount * format.columnEntrySize;
        for (JetColumn& column : definition.columns) {
            size_t length = format.jet4 ? block.U16(at) : block.U8(at);
            at += format.jet4 ? 2 : 1;
            column.name = DecodeJetText(block.Sub(at, length), pages.header());
            at += length;
        }
        std::stable_sort(
            definition.columns.begin(), definition.columns.end(),
            [](const JetColumn& a, const JetColumn& b) { return a.number < b.number; });
        return definition;
    } catch (const JetError& error) {
        throw JetError("the table definition on " + PageText(page) + " is damaged (" +
                       error.what() + ")");
    }
}
