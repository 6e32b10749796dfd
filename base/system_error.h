#pragma once

#include "base/win32.h"

#include <string>

// The platform's own text for an error code or HRESULT, without the line
// end the platform appends; empty when it has none.
std::string SystemMessageText(DWORD error);
