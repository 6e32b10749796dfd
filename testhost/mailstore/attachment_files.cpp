#include "testhost/mailstore/attachment_files.h"

#include "base/file_utils.h"
#include "base/win32.h"

#include <cctype>

namespace {

bool StartsWithIgnoringCase(const std::string& line, const std::string& keyword) {
    if (line.size() < keyword.size()) {
        return false;
    }
    for (size_t i = 0; i < keyword.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(line[i])) != keyword[i]) {
            return false;
        }
    }
    return true;
}

// The lines after the blank line that ends the header, without line ends.
std::vector<std::string> BodyLines(const std::string& message) {
    std::vector<std::string> lines;
    bool inBody = false;
    size_t start = 0;
    while (start < message.size()) {
        size_t end = message.find('\n', start);
        if (end == std::string::npos) {
            end = message.size();
        }
        std::string line = message.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (inBody) {
            lines.push_back(std::move(line));
        } else if (line.empty()) {
            inBody = true;
        }
    }
    return lines;
}

bool IsDeviceName(const std::string& name) {
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') {
        stem.pop_back();
    }
    for (char& c : stem) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL" || stem == "CONIN$" ||
        stem == "CONOUT$") {
        return true;
    }
    return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
           stem[3] >= '1' && stem[3] <= '9';
}

// A name the file system takes as one file of the folder it is put in.
bool IsPlainFileName(const std::string& name) {
    if (name.empty() || name.find_first_not_of(". ") == std::string::npos) {
        return false;
    }
    for (unsigned char c : name) {
        if (c < 0x20 ||
            std::string("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string::npos) {
            return false;
        }
    }
    return !IsDeviceName(name);
}

bool IsWholePath(const std::string& path) {
    return (path.size() > 2 && std::isalpha(static_cast<unsigned char>(path[0])) &&
            path[1] == ':' && path[2] == '\\') ||
           path.compare(0, 2, "\\\\") == 0;
}

std::string FullPath(const std::string& path) {
    char full[MAX_PATH * 2];
    const DWORD length = ::GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    return length > 0 && length < sizeof full ? WithoutTrailingBackslashes(full) : std::string();
}

// The file an "Attachment Converted:" line names, when it lies right inside
// the attachment folder.
std::string ConvertedFile(const std::string& value, const std::string& attachFolder) {
    std::string path = TrimWhiteSpace(value);
    if (!path.empty() && path.front() == '"') {
        const size_t close = path.find('"', 1);
        if (close == std::string::npos) {
            return std::string();
        }
        path = path.substr(1, close - 1);
    }
    for (char& c : path) {
        c = c == '/' ? '\\' : c;
    }
    const size_t slash = path.find_last_of('\\');
    if (!IsWholePath(path) || slash == std::string::npos) {
        return std::string();
    }
    const std::string name = path.substr(slash + 1);
    std::vector<std::string> steps;
    SplitText(path.substr(0, slash), '\\', steps);
    for (const std::string& step : steps) {
        if (step == "." || step == "..") {
            return std::string();
        }
    }
    const std::string folder = FullPath(path.substr(0, slash));
    if (!IsPlainFileName(name) || folder.empty() ||
        !SamePathIgnoringCase(folder, FullPath(attachFolder))) {
        return std::string();
    }
    return attachFolder + "\\" + name;
}

bool IsHexNumber(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
}

// The file an "Embedded Content:" line names: "name: number,number".
std::string EmbeddedFile(const std::string& value, const std::string& embeddedFolder) {
    const size_t colon = value.find_last_of(':');
    if (colon == std::string::npos) {
        return std::string();
    }
    const std::string numbers = TrimWhiteSpace(value.substr(colon + 1));
    const size_t comma = numbers.find(',');
    const std::string name = TrimWhiteSpace(value.substr(0, colon));
    if (comma == std::string::npos || !IsHexNumber(numbers.substr(0, comma)) ||
        !IsHexNumber(numbers.substr(comma + 1)) || !IsPlainFileName(name)) {
        return std::string();
    }
    return embeddedFolder + "\\" + name;
}

} // namespace

std::string HostAttachFolder(const std::string& dataDir) {
    char value[MAX_PATH * 2] = "";
    ::GetPrivateProfileStringA("Settings", "AttachDir", "", value, sizeof value,
                               (dataDir + "\\Eudora.ini").c_str());
    const std::string folder = WithoutTrailingBackslashes(TrimWhiteSpace(value));
    if (folder.empty()) {
        return dataDir + "\\" + kAttachFolderName;
    }
    return IsWholePath(folder) ? folder : dataDir + "\\" + folder;
}

std::string HostEmbeddedFolder(const std::string& dataDir) {
    return dataDir + "\\" + kEmbeddedFolderName;
}

std::vector<std::string> KeptFilesNamedBy(const std::string& message,
                                          const std::string& attachFolder,
                                          const std::string& embeddedFolder) {
    static const std::string kConverted = "attachment converted:";
    static const std::string kEmbedded = "embedded content:";
    std::vector<std::string> files;
    for (const std::string& line : BodyLines(message)) {
        std::string file;
        if (StartsWithIgnoringCase(line, kConverted)) {
            file = ConvertedFile(line.substr(kConverted.size()), attachFolder);
        } else if (StartsWithIgnoringCase(line, kEmbedded)) {
            file = EmbeddedFile(line.substr(kEmbedded.size()), embeddedFolder);
        }
        bool named = file.empty();
        for (const std::string& earlier : files) {
            named = named || SamePathIgnoringCase(earlier, file);
        }
        if (!named) {
            files.push_back(file);
        }
    }
    return files;
}
