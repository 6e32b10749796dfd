// The two schema rowsets the program reads: tables (adSchemaTables) and
// columns (adSchemaColumns), with the column names OLE DB gives them.
#pragma once

#include "db/row_source.h"

#include <memory>

class DbConnection;

// TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, TABLE_TYPE ("TABLE" or "VIEW"), DESCRIPTION.
std::unique_ptr<RowSource> TablesRowset(DbConnection& connection);

// TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, COLUMN_NAME, ORDINAL_POSITION (from 1),
// IS_NULLABLE, DATA_TYPE (ADO type), DESCRIPTION (null when the column has none).
std::unique_ptr<RowSource> ColumnsRowset(DbConnection& connection);
