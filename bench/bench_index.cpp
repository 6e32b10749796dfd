// The full-text index at the scale of years of mail: an archive of a million
// messages of about 2 KB in twenty tables (real headers; some bodies
// quoted-printable, some base64) indexed from nothing, a two-word query,
// and the catch-up after rows were added behind the index's back. Each
// figure is printed with its target.
//
//     STOWLARK_WINEPREFIX=/tmp/stowlark-bench-wine-index/prefix
//         scripts/wine-run.sh build/bin/bench_index.exe [MESSAGES [FOLDER]]
//     (one command line)
//
// It needs about 3 GB of free space for a million messages; the archive and
// its index are removed at the end unless a folder is given.
#include "bench/bench_support.h"
#include "db/archive_schema.h"
#include "db/db_connection.h"
#include "db/index_schema.h"
#include "db/sqlite_statement.h"
#include "engine/archive_index.h"
#include "mailbox/transfer_decoding.h"
#include "base/file_utils.h"
#include "base/win32.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kTables = 20;
constexpr size_t kMessageBytes = 2000;
constexpr int kAddedBehind = 10000;

// Words of made-up syllables, drawn with the skew of real text: a few very
// common, most rare.
class Vocabulary {
public:
    Vocabulary() {
        static const char* const kSyllables[] = {"ka", "lo", "mi", "ne",  "su",  "ta", "ri",
                                                 "po", "de", "ga", "ve",  "chi", "ru", "bo",
                                                 "an", "el", "or", "ist", "ung", "er"};
        for (int i = 0; i < 6000; ++i) {
            std::string word;
            for (int n = i + 7, parts = 2 + i % 3; parts > 0; --parts, n /= 20) {
                word += kSyllables[n % 20];
            }
            words_.push_back(word + (i % 7 == 0 ? "s" : ""));
        }
    }
    // Zipf-like: the rank's square of a uniform draw.
    const std::string& Draw(unsigned& seed) const {
        seed = seed * 1103515245u + 12345u;
        const double u = ((seed >> 8) & 0xFFFF) / 65536.0;
        return words_[static_cast<size_t>(u * u * u * static_cast<double>(words_.size()))];
    }
    const std::string& At(size_t rank) const { return words_[rank]; }

private:
    std::vector<std::string> words_;
};

std::string Paragraph(const Vocabulary& words, unsigned& seed, size_t bytes) {
    std::string text;
    int inLine = 0;
    while (text.size() < bytes) {
        text += words.Draw(seed);
        text += ++inLine % 12 == 0 ? "\r\n" : " ";
    }
    return text;
}

std::string QuotedPrintable(const std::string& text) {
    std::string encoded;
    size_t line = 0;
    for (const char c : text) {
        if (c == '\r' || c == '\n') {
            encoded += c;
            line = 0;
            continue;
        }
        if (line >= 72) {
            encoded += "=\r\n";
            line = 0;
        }
        if (c == 'e' && line % 9 == 0) {
            encoded += "=65";
            line += 3;
        } else {
            encoded += c;
            ++line;
        }
    }
    return encoded;
}

std::string Base64Lines(const std::string& text) {
    const std::string encoded = EncodeBase64(text);
    std::string lines;
    for (size_t at = 0; at < encoded.size(); at += 76) {
        lines += encoded.substr(at, 76) + "\r\n";
    }
    return lines;
}

struct Message {
    std::string from, to, subject, date, text;
};

Message MakeMessage(const Vocabulary& words, int row) {
    unsigned seed = static_cast<unsigned>(row) * 2654435761u + 1;
    Message message;
    message.from =
        words.Draw(seed) + " " + words.Draw(seed) + " <" + words.Draw(seed) + "@example.com>";
    message.to = "reader@example.org";
    message.subject = "Re: " + words.Draw(seed) + " " + words.Draw(seed) + " " + words.Draw(seed);
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    // Twelve years of mail, at any minute.
    const unsigned when = seed * 2246822519u + static_cast<unsigned>(row);
    message.date = "Mon, " + std::to_string(when % 28 + 1) + " " + kMonths[(when >> 5) % 12] + " " +
                   std::to_string(1998 + (when >> 9) % 12) + " " +
                   std::to_string((when >> 13) % 24) + ":" +
                   std::to_string(10 + (when >> 18) % 50) + ":00 +0100";
    std::string headers = "Return-Path: <" + words.Draw(seed) +
                          "@example.com>\r\nReceived: from mail.example.com by mx.example.org "
                          "with SMTP id " +
                          std::to_string(row) + "\r\nMessage-ID: <" + std::to_string(row) +
                          ".example@example.com>\r\nDate: " + message.date +
                          "\r\nFrom: " + message.from + "\r\nTo: " + message.to +
                          "\r\nSubject: " + message.subject + "\r\nMIME-Version: 1.0\r\n";
    const std::string body = Paragraph(words, seed, kMessageBytes - 500);
    if (row % 4 == 1) {
        message.text = headers +
                       "Content-Type: text/plain; charset=iso-8859-1\r\n"
                       "Content-Transfer-Encoding: quoted-printable\r\n\r\n" +
                       QuotedPrintable(body);
    } else if (row % 8 == 2) {
        message.text = headers +
                       "Content-Type: text/plain; charset=utf-8\r\n"
                       "Content-Transfer-Encoding: base64\r\n\r\n" +
                       Base64Lines(body.substr(0, body.size() * 3 / 4));
    } else {
        message.text = headers + "Content-Type: text/plain; charset=us-ascii\r\n\r\n" + body;
    }
    return message;
}

// Rows straight through the engine, in large transactions; the bytes of
// message text written.
double Fill(const std::string& path, const Vocabulary& words, int firstRow, int rows) {
    DbConnection connection;
    connection.Open(ArchiveConnectionString(path));
    double bytes = 0;
    connection.BeginTrans();
    std::vector<Statement> inserts;
    for (int table = 0; table < kTables; ++table) {
        inserts.emplace_back(connection.Handle(),
                             "INSERT INTO Mailbox_Box" + std::to_string(table) +
                                 " (id, S, P, \"From\", Date, Size, Subject, \"To\", message) "
                                 "VALUES(?, 1, 'Normal', ?, ?, ?, ?, ?, ?)");
    }
    for (int row = firstRow; row < firstRow + rows; ++row) {
        const Message message = MakeMessage(words, row);
        Statement& insert = inserts[static_cast<size_t>(row % kTables)];
        insert.BindInteger(1, row + 1);
        insert.BindText(2, message.from);
        insert.BindText(3, message.date);
        insert.BindInteger(4, static_cast<long long>(message.text.size() / 1000));
        insert.BindText(5, message.subject);
        insert.BindText(6, message.to);
        insert.BindText(7, message.text);
        insert.Run();
        bytes += static_cast<double>(message.text.size());
        if ((row - firstRow) % 50000 == 49999) {
            connection.CommitTrans();
            connection.BeginTrans();
        }
    }
    connection.CommitTrans();
    return bytes;
}

double FileMegabytes(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return (static_cast<double>(data.nFileSizeHigh) * 4294967296.0 + data.nFileSizeLow) / 1048576.0;
}

void Verdict(const char* what, double value, const char* unit, double target, bool atMost) {
    const bool met = atMost ? value <= target : value >= target;
    std::printf("  %-52s %9.1f %-5s (target %s %.0f: %s)\n", what, value, unit,
                atMost ? "<=" : ">=", target, met ? "met" : "MISSED");
}

} // namespace

int main(int argc, char** argv) {
    const int messages = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const std::string folder =
        argc > 2 ? std::string(argv[2]) : TempDirectory() + "\\stowlark-bench-index";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    const std::string path = folder + "\\archive.mdb";
    ::DeleteFileA(path.c_str());
    ::DeleteFileA(IndexPathFor(path).c_str());
    const std::string connection = ArchiveConnectionString(path);
    CreateArchiveDatabase(connection);
    for (int table = 0; table < kTables; ++table) {
        const std::string name = "Mailbox_Box" + std::to_string(table);
        CreateMailboxTable(connection, name, "C:\\Eudora\\Box" + std::to_string(table) + ".mbx");
    }
    const Vocabulary words;
    Stopwatch filling;
    const double textBytes = Fill(path, words, 0, messages);
    const double textMegabytes = textBytes / 1048576.0;
    std::printf("bench_index: %d messages, %.0f MB of message text, archive %.0f MB, made in "
                "%.0f s\n",
                messages, textMegabytes, FileMegabytes(path), filling.Seconds());

    {
        // The index holds the files open while it lives.
        ArchiveIndex index(path);
        const double before = PrivateMegabytes();
        double peak = 0;
        Stopwatch building;
        {
            PrivatePeak sampler;
            int slices = 0;
            IndexProgress progress;
            do {
                progress = index.CatchUp(200);
                if (++slices % 200 == 0) {
                    std::printf("    %s\n", progress.statusText.c_str());
                    std::fflush(stdout);
                }
            } while (!progress.done);
            peak = sampler.Megabytes();
        }
        const double buildSeconds = building.Seconds();
        std::printf("Building the index from nothing: %.1f s\n", buildSeconds);
        Verdict("message text indexed", textMegabytes / buildSeconds, "MB/s", 20, false);
        Verdict("index file against the message text",
                100 * FileMegabytes(IndexPathFor(path)) / textMegabytes, "%", 40, true);
        Verdict("private memory growth while building", peak - before, "MB", 32, true);

        // Words of middling frequency, as a person would look for.
        const std::string query = words.At(40) + " " + words.At(300);
        for (int run = 1; run <= 3; ++run) {
            Stopwatch first;
            const size_t found = index.Find(query, 100).size();
            const double firstMs = first.Milliseconds();
            Stopwatch counting;
            const long long count = index.Count(query);
            const double countMs = counting.Milliseconds();
            std::printf("Query \"%s\", run %d: %zu shown, %lld in all\n", query.c_str(), run, found,
                        count);
            Verdict("first 100 results", firstMs, "ms", 100, true);
            Verdict("full count", countMs, "ms", 1000, true);
        }

        Fill(path, words, messages, kAddedBehind);
        Stopwatch catchingUp;
        const bool behind = !index.IsCurrent();
        IndexProgress progress;
        do {
            progress = index.CatchUp(200);
        } while (!progress.done);
        std::printf("Catch-up after %d rows added behind the index (%s):\n", kAddedBehind,
                    behind ? "seen behind" : "NOT SEEN BEHIND");
        Verdict("catch-up", catchingUp.Milliseconds(), "ms", 2000, true);
        std::printf("  %lld messages found for \"%s\" now\n", index.Count(query), query.c_str());
    }
    if (argc <= 2) {
        ::DeleteFileA(path.c_str());
        ::DeleteFileA(IndexPathFor(path).c_str());
        ::DeleteFileA((IndexPathFor(path) + "-journal").c_str());
        ::RemoveDirectoryA(folder.c_str());
    }
    return 0;
}
