// The files a message names outside itself, as the host writes them:
// - a body line `Attachment Converted: "C:\Mail\Attach\report.pdf"` for an
//   attachment that arrived (older hosts write the path without quotes; the
//   keyword's letters may be in either case);
// - a body line `Embedded Content: image001.jpg: 00000001,4e5d6f7a` for an
//   inline picture, a file of the mail folder's "Embedded" folder;
// - the `X-Attachments:` header of a message the user sent or queued: the
//   files it carried, separated by ";".
// Any sender can write such lines, so a converted or embedded file is taken
// only when it lies inside a folder the host keeps those files in, and no
// name may climb out of its folder, name a device or a stream.
#pragma once

#include <string>
#include <vector>

// The folders attachment files may lie in.
struct AttachmentFolders {
    // The host's attachment folder, and the folders the user added.
    std::vector<std::string> attach;
    // The mail folder's "Embedded".
    std::string embedded;
};

// `dataDir` is the host's mail folder: its settings file "Eudora.ini" names
// the attachment folder (`AttachDir` under [Settings]), else it is "Attach"
// in the mail folder. `extraFolders` is our own setting, ";" between them.
// Without a mail folder only the whole paths among them count.
AttachmentFolders HostAttachmentFolders(const std::string& dataDir,
                                        const std::string& extraFolders);

struct NamedFiles {
    // Whole paths, each once, in the order the message names them.
    std::vector<std::string> paths;
    // Names refused: outside their folders, climbing out, a device, a stream.
    int refused = 0;
};

// The files `message` (its whole raw text, in the code page) names. `status`
// is the host's status code: only a sent or queued message's X-Attachments
// header is read.
NamedFiles FilesNamedBy(const std::string& message, int status, const AttachmentFolders& folders);
