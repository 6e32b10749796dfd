// One Jet archive table into the archive file, and the check that the file
// then holds exactly what the Jet table holds.
#pragma once

#include "db/db_connection.h"
#include "db/jet/jet_database.h"
#include "engine/conversion_progress.h"

#include <string>
#include <vector>

// Every row in stored order, nulls and repeated ids as they are, into the
// table `tableAnsi` already made in `archive`. False when stopped. Throws
// JetError (the Jet file) or DbError (the archive file). A row whose message
// is far shorter than its Size says is copied as it reads, and a line naming
// it added to `doubtfulRows`.
bool CopyJetTable(const JetDatabase& jet, const JetTable& table, DbConnection& archive,
                  const std::string& tableAnsi, ConversionProgress& progress,
                  std::vector<std::string>& doubtfulRows);
// Throws JetError naming the table and row that differ, or when the row
// counts differ. False when stopped.
bool CompareJetTable(const JetDatabase& jet, const JetTable& table, DbConnection& archive,
                     const std::string& tableAnsi, ConversionProgress& progress);
