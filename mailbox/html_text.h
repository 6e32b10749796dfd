// The words a reader sees in an HTML part: markup, scripts, styles and
// comments go, character references become their characters.
#pragma once

#include <string>
#include <string_view>

// `html` and the result in UTF-8. A tag between two words keeps them apart,
// unless it only styles text inside a word ("<b>Ca</b>fe").
std::string HtmlToText(std::string_view html);
