#include "ui/viewer_attachments.h"

#include "db/ado_exception.h"
#include "base/ansi_text.h"
#include "base/file_utils.h"
#include "ui/count_text.h"

namespace {

std::string Escaped(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

// "report.pdf (300,000 bytes, on disk)", in UTF-8.
std::string Described(const KeptFile& file) {
    return AnsiToUtf8(FileNameOf(file.path, true)) + " (" + GroupedDigits(file.size) + " bytes, " +
           (FileExists(file.path) ? "on disk" : "only in the archive") + ")";
}

// `name` in `folder`, or with " (2)", " (3)", ... before its extension when
// that is taken.
std::string FreePath(const std::string& folder, const std::string& name) {
    const std::string::size_type dot = name.rfind('.');
    const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    const std::string extension = stem.size() == name.size() ? "" : name.substr(stem.size());
    std::string path = folder + "\\" + name;
    for (int number = 2; FileExists(path) || IsDirectory(path); ++number) {
        path = folder + "\\" + stem + " (" + std::to_string(number) + ")" + extension;
    }
    return path;
}

} // namespace

std::vector<KeptFile> KeptFilesOf(CADODatabase& database, const std::string& table,
                                  const ViewerRow& row) {
    if (!row.rowid()) {
        return {};
    }
    try {
        return AttachmentStore(database).FilesOf(table, *row.rowid());
    } catch (const CADOException&) {
        // The message shows without its list.
        return {};
    }
}

std::string KeptFilesPage(const std::vector<KeptFile>& files) {
    if (files.empty()) {
        return std::string();
    }
    std::string page = "\r\n<hr>\r\n<div>Attachments:</div>\r\n";
    for (const KeptFile& file : files) {
        page += "<div>" + Escaped(Described(file)) + "</div>\r\n";
    }
    return page;
}

std::string KeptFilesText(const std::vector<KeptFile>& files) {
    if (files.empty()) {
        return std::string();
    }
    std::string text = "\r\n\r\nAttachments:";
    for (const KeptFile& file : files) {
        text += "\r\n" + Described(file);
    }
    return text;
}

int SaveKeptFiles(CADODatabase& database, const std::string& table,
                  const std::vector<const ViewerRow*>& rows, const std::string& folder,
                  std::string& errors) {
    AttachmentStore store(database);
    int saved = 0;
    for (const ViewerRow* row : rows) {
        for (const KeptFile& file : KeptFilesOf(database, table, *row)) {
            const std::string path = FreePath(folder, FileNameOf(file.path, true));
            std::string error;
            if (store.SaveCopy(file, path, error)) {
                ++saved;
            } else {
                errors += FileNameOf(file.path, true) + ": " + error + "\n";
            }
        }
    }
    return saved;
}
