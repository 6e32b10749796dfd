#include "mailbox/attachment_names.h"

#include "base/file_utils.h"
#include "base/win32.h"
#include "mailbox/header_value.h"

#include <algorithm>
#include <cctype>

namespace {

// Host status codes of the messages the user sent or queued: only theirs
// name files the user chose.
bool SentOrQueued(int status) {
    return status == 7 || status == 8 || status == 10;
}

bool StartsWithIgnoringCase(const std::string& text, size_t at, const char* prefix) {
    for (size_t i = 0; prefix[i] != '\0'; ++i, ++at) {
        if (at >= text.size() || std::tolower(static_cast<unsigned char>(text[at])) !=
                                     std::tolower(static_cast<unsigned char>(prefix[i]))) {
            return false;
        }
    }
    return true;
}

// The field's value with its folded lines joined (a line that begins with a
// blank continues the one before it).
std::string UnfoldedField(const std::string& headers, const char* field) {
    std::vector<std::string> lines;
    SplitAtText(headers, "\r\n", lines);
    std::string value;
    bool inField = false;
    for (const std::string& line : lines) {
        if (inField && !line.empty() && (line[0] == ' ' || line[0] == '\t')) {
            value += line;
            continue;
        }
        inField = StartsWithIgnoringCase(line, 0, field);
        if (inField) {
            value +=
                (value.empty() ? "" : ";") + line.substr(std::char_traits<char>::length(field));
        }
    }
    return value;
}

std::string Upper(std::string text) {
    if (!text.empty()) {
        ::CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
    }
    return text;
}

bool IsDeviceName(std::string part) {
    // "NUL.txt" and "nul " name the device as well.
    part = Upper(part.substr(0, part.find('.')));
    while (!part.empty() && part.back() == ' ') {
        part.pop_back();
    }
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* device : kDevices) {
        if (part == device) {
            return true;
        }
    }
    return part.size() == 4 && (part.compare(0, 3, "COM") == 0 || part.compare(0, 3, "LPT") == 0) &&
           part[3] >= '1' && part[3] <= '9';
}

// A whole path with a drive ("C:\...") or a share ("\\server\share\..."),
// whose every part is a plain name: none climbs out, names a device or a
// stream, or holds a character no file name may.
bool IsPlainWholePath(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    size_t rest = 0;
    if (path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
        path[2] == '\\') {
        rest = 3;
    } else if (path.size() >= 3 && path.compare(0, 2, "\\\\") == 0 && path[2] != '?' &&
               path[2] != '.') {
        rest = 2;
    } else {
        return false;
    }
    std::vector<std::string> parts;
    SplitText(path.substr(rest), '\\', parts);
    for (const std::string& part : parts) {
        if (part.empty() || part == "." || part == ".." || IsDeviceName(part)) {
            return false;
        }
        for (const char c : part) {
            if (static_cast<unsigned char>(c) < 0x20 ||
                std::string("<>:\"|?*").find(c) != std::string::npos) {
                return false;
            }
        }
    }
    return true;
}

bool IsInside(const std::string& path, const std::string& folder) {
    return !folder.empty() && path.size() > folder.size() + 1 && path[folder.size()] == '\\' &&
           SamePathIgnoringCase(path.substr(0, folder.size()), folder);
}

std::string Normalised(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// What follows the keyword on its line: a quoted path, or (the older form)
// the rest of the line.
std::string ConvertedPath(const std::string& value) {
    const std::string text = TrimWhiteSpace(value);
    if (!text.empty() && text.front() == '"') {
        const size_t close = text.find('"', 1);
        return text.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    }
    return text;
}

class Collector {
public:
    explicit Collector(NamedFiles& files) : files_(files) {}

    void Add(const std::string& path, const std::vector<std::string>& folders) {
        const std::string whole = Normalised(path);
        const bool inside = folders.empty() ||
                            std::any_of(folders.begin(), folders.end(),
                                        [&](const std::string& f) { return IsInside(whole, f); });
        if (!IsPlainWholePath(whole) || !inside) {
            ++files_.refused;
            return;
        }
        for (const std::string& known : files_.paths) {
            if (SamePathIgnoringCase(known, whole)) {
                return;
            }
        }
        files_.paths.push_back(whole);
    }

private:
    NamedFiles& files_;
};

std::string Folder(std::string folder, const std::string& dataDir) {
    folder = WithoutTrailingBackslashes(Normalised(TrimWhiteSpace(folder)));
    const bool whole =
        (folder.size() >= 2 && folder[1] == ':') || folder.compare(0, 2, "\\\\") == 0;
    if (!folder.empty() && !whole) {
        folder = dataDir + "\\" + folder;
    }
    return folder;
}

} // namespace

AttachmentFolders HostAttachmentFolders(const std::string& dataDir,
                                        const std::string& extraFolders) {
    const std::string mailFolder = WithoutTrailingBackslashes(dataDir);
    AttachmentFolders folders;
    if (!mailFolder.empty()) {
        char named[MAX_PATH] = {};
        ::GetPrivateProfileStringA("Settings", "AttachDir", "", named, MAX_PATH,
                                   (mailFolder + "\\Eudora.ini").c_str());
        const std::string attach = Folder(named, mailFolder);
        folders.attach.push_back(attach.empty() ? mailFolder + "\\Attach" : attach);
        folders.embedded = mailFolder + "\\Embedded";
    }
    std::vector<std::string> extra;
    SplitText(extraFolders, ';', extra);
    for (const std::string& folder : extra) {
        const std::string whole = Folder(folder, mailFolder);
        if (!whole.empty() && IsPlainWholePath(whole + "\\x")) {
            folders.attach.push_back(whole);
        }
    }
    return folders;
}

NamedFiles FilesNamedBy(const std::string& message, int status, const AttachmentFolders& folders) {
    NamedFiles files;
    Collector collector(files);
    const std::string headers = HeaderBlock(message);

    if (SentOrQueued(status)) {
        std::vector<std::string> names;
        SplitText(UnfoldedField(headers, "X-Attachments:"), ';', names);
        for (std::string name : names) {
            name = TrimWhiteSpace(name);
            if (name.size() >= 2 && name.front() == '"' && name.back() == '"') {
                name = name.substr(1, name.size() - 2);
            }
            if (!name.empty()) {
                collector.Add(name, {});
            }
        }
    }

    // The lines of the body, each from its start; only the few that name a
    // file are copied out of a message that may be megabytes long.
    static const char kConverted[] = "Attachment Converted:";
    static const char kEmbedded[] = "Embedded Content:";
    const std::vector<std::string> embedded{folders.embedded};
    for (size_t at = std::min(headers.size(), message.size()); at < message.size();) {
        size_t end = message.find('\n', at);
        if (end == std::string::npos) {
            end = message.size();
        }
        const size_t start = at;
        at = end + 1;
        const bool converted = StartsWithIgnoringCase(message, start, kConverted);
        if (!converted && !StartsWithIgnoringCase(message, start, kEmbedded)) {
            continue;
        }
        const size_t keyword = converted ? sizeof kConverted - 1 : sizeof kEmbedded - 1;
        std::string rest = message.substr(start + keyword, end - start - keyword);
        if (!rest.empty() && rest.back() == '\r') {
            rest.pop_back();
        }
        if (converted) {
            const std::string path = ConvertedPath(rest);
            if (!path.empty()) {
                collector.Add(path, folders.attach);
            }
        } else {
            const std::string name = TrimWhiteSpace(rest.substr(0, rest.find(':')));
            if (!name.empty()) {
                collector.Add(folders.embedded + "\\" + name, embedded);
            }
        }
    }
    return files;
}
