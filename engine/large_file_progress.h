// The status line's word on a large attachment on its way into or out of the
// archive: "Keeping report.zip: 45%", in steps of 5%. Small files go by
// without one.
#pragma once

#include "db/attachment_store.h"

#include <functional>
#include <string>

using StatusText = std::function<void(const std::string&)>;

// `doing` is "Keeping" or "Writing back"; `status` may be empty.
FileProgress LargeFileProgress(const std::string& doing, const std::string& path,
                               const StatusText& status);
