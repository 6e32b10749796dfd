// Every resource number of the plug-in, named for what it is. Shared by the
// resource script and the code, so it holds only #defines.
#pragma once

// Icons
#define IDI_MENU_ENTRY 232
#define IDI_PLUGIN 234

// Cursors
#define IDC_SPLITTER_DRAG 264

// Page texts of the message preview (resource type "BIN")
#define IDR_PLACEHOLDER_PAGE 259
#define IDR_MESSAGE_TEMPLATE 260
#define RT_PAGE_TEXT "BIN"
