// The product's version, in the two forms the version resource needs.
#pragma once

#define STOWLARK_VERSION_NUMBERS 1, 0, 0, 0
#define STOWLARK_VERSION_TEXT "1, 0, 0, 0"
