// Owners of the engine's two kinds of handle.
#pragma once

#include "base/unique_resource.h"

#include <sqlite3.h>

// close_v2 defers the close until the last statement is finalised, so the
// order in which owners go away never matters.
using UniqueSqlite = UniqueResource<NullHandleTraits<sqlite3*, ::sqlite3_close_v2>>;
using UniqueStatement = UniqueResource<NullHandleTraits<sqlite3_stmt*, ::sqlite3_finalize>>;
