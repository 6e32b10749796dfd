// An archive row as the full-text index takes it: decoded through mailbox/.
#pragma once

#include "db/archive_text_reader.h"
#include "db/message_index.h"
#include "mailbox/indexed_text.h"

// Keeps its scratch texts and the charsets met from row to row.
class IndexDocuments {
public:
    const IndexDocument& Of(const ArchivedRowTexts& row);

private:
    IndexedTextReader reader_;
    IndexedText text_;
    IndexDocument document_;
};
