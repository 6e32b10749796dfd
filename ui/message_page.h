// The preview's page for one archived message: the page template with the
// row's values put in as they are, and the message body made to keep its
// line breaks in a page. Texts are UTF-8 until the page is written.
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

// The page's bytes as the browser reads a page without a charset of its own:
// in the code page, with each character the code page lacks written as a
// numeric character reference ("&#937;"), so that a page of any script shows
// whole and an ordinary page is written as it always was.
std::string PageBytes(const std::string& utf8Page);
