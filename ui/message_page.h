// The preview's page for one archived message: the page template with the
// row's values put in as they are, and the message body made to keep its
// line breaks in a page.
#pragma once

#include "ui/viewer_rows.h"

#include <string>

// The part of a stored message after its first blank line (all of it when
// there is none), with "<br>" after every line break unless it already
// carries "<br>" or "<BR>" tags of its own.
std::string PreviewBody(const std::string& message);

// `pageTemplate` with the row's sender, subject, recipients, date and
// priority, then `body`, in place of its placeholders.
std::string ComposeMessagePage(std::string pageTemplate, const ViewerRow& row,
                               const std::string& body);

// The same message as plain text, for a pane that cannot show pages: the
// header block's lines, a blank line, and the body without tags added.
std::string PlainMessageText(const ViewerRow& row, const std::string& message);
