// A small mail folder for trying the plug-in against the test host: a few
// mailboxes, nested folders and messages of every kind the host's windows
// show differently, and the files some of them name outside themselves.
#pragma once

#include <string>

// The same files every time; the messages name their files by the folder's
// whole path. Creates `dataDir` and its Plugins folder when missing;
// StoreError when `dataDir` already holds mailboxes or folders of
// mailboxes, which it never touches.
void WriteSampleMailFolder(const std::string& dataDir);
