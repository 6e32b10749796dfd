#include "engine/index_documents.h"

#include "mailbox/date_key.h"
#include "base/ansi_text.h"

const IndexDocument& IndexDocuments::Of(const ArchivedRowTexts& row) {
    reader_.Read(row.from, row.to, row.subject, row.message, text_);
    document_.place = row.place;
    document_.rowId = row.id;
    document_.size = row.size;
    document_.dateText = row.date;
    document_.dateKey = MessageDateKey(Utf8ToAnsi(row.date));
    document_.sender.swap(text_.sender);
    document_.recipients.swap(text_.recipients);
    document_.subject.swap(text_.subject);
    document_.body.swap(text_.body);
    return document_;
}
