// The files the host keeps outside a message: an attachment that arrived is
// saved in the attachment folder and named by a body line
//   Attachment Converted: "C:\Mail\Attach\report.pdf"
// (older hosts leave out the quotes; the keyword's letters may be in either
// case), and an inline picture is saved in the mail folder's "Embedded" and
// named by a body line
//   Embedded Content: image001.jpg: 00000001,4e5d6f7a
// A sender can write such lines too, so only names of files that lie right
// inside their folder are given: none that climbs out with "..", names a
// device or a stream, or lies elsewhere.
#pragma once

#include <string>
#include <vector>

constexpr const char* kAttachFolderName = "Attach";
constexpr const char* kEmbeddedFolderName = "Embedded";

// The folder "Eudora.ini" in the mail folder names with AttachDir under
// [Settings] (relative to the mail folder when it is no whole path), else
// "Attach" in the mail folder.
std::string HostAttachFolder(const std::string& dataDir);
std::string HostEmbeddedFolder(const std::string& dataDir);

// The whole paths of the files inside `attachFolder` and `embeddedFolder`
// that the message (its raw text) names, each once, in the message's order.
std::vector<std::string> KeptFilesNamedBy(const std::string& message,
                                          const std::string& attachFolder,
                                          const std::string& embeddedFolder);
