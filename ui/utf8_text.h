// The viewer keeps its rows' texts in UTF-8, which holds every script at the
// size of ASCII for most mail; the platform's calls that compare, sort and
// show them take UTF-16, and these widen a text where it lies.
#pragma once

#include "base/win32.h"

#include <string>
#include <string_view>

// Into `wide`, whose room is used again from text to text.
void WidenInto(std::string_view utf8, std::wstring& wide);

// Negative, zero or positive, letters compared ignoring case as the user's
// locale orders them.
int CompareUtf8IgnoringCase(std::string_view a, std::string_view b);

// Whether `utf8` begins with `prefix`, ignoring case as the comparison does.
bool BeginsIgnoringCase(std::string_view utf8, const std::wstring& prefix);

// The text of a wide-character control, in UTF-8.
std::string WindowTextUtf8(HWND window);
