#include "testhost/mailstore/sample_files.h"

#include "testhost/mailstore/store_error.h"

#include "base/unique_resource.h"

#include <algorithm>
#include <vector>

namespace {

// Two tiny pictures of one colour each, different so that no two of the
// sample's files have the same bytes.
const char kTeamPicture[] = "GIF89a\x01\x00\x01\x00\x80\x00\x00\x33\x66\x99\x00\x00\x00"
                            ",\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;";
const char kChartPicture[] = "GIF89a\x01\x00\x01\x00\x80\x00\x00\x99\xCC\x33\x00\x00\x00"
                             ",\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;";

struct SampleFile {
    const char* path; // in the mail folder
    std::string bytes;
};

std::vector<SampleFile> SmallFiles() {
    return {
        {"Attach\\Q4 figures.xls", "Quarter\tRevenue\tCosts\r\nQ1\t1200\t950\r\nQ2\t1340\t990\r\n"
                                   "Q3\t1280\t1010\r\nQ4\t1510\t1105\r\n"},
        {"Attach\\build.log", "[02:00:01] step 1 of 5: fetch ... ok\r\n"
                              "[02:03:12] step 2 of 5: configure ... ok\r\n"
                              "[02:09:47] step 3 of 5: compile ... FAILED (exit code 2)\r\n"},
        {"Attach\\claim form.html", "<html><body><p>Enter your bank details to claim your "
                                    "prize.</p></body></html>\r\n"},
        {"Attach\\menu.pdf", "%PDF-1.4\r\n% Lunch menu: soup, salad, cr\xE8me br\xFBl\xE9\x65\r\n"
                             "%%EOF\r\n"},
        {"Embedded\\image001.gif", std::string(kTeamPicture, sizeof kTeamPicture - 1)},
        {"Embedded\\chart001.gif", std::string(kChartPicture, sizeof kChartPicture - 1)},
        {"Documents\\directions.txt", "Take the 12 bus to the market; the caf\xE9 is on the "
                                      "corner.\r\n"},
    };
}

class NewFile {
public:
    explicit NewFile(std::string path)
        : path_(std::move(path)), file_(::CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr,
                                                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)) {
        if (!file_) {
            ThrowSystemError("Cannot create", path_, ::GetLastError());
        }
    }

    void Write(const char* bytes, size_t count) {
        DWORD written = 0;
        if (!::WriteFile(file_.get(), bytes, static_cast<DWORD>(count), &written, nullptr) ||
            written != count) {
            ThrowSystemError("Cannot write", path_, ::GetLastError());
        }
    }

private:
    std::string path_;
    UniqueFile file_;
};

void CreateFolder(const std::string& path) {
    if (!::CreateDirectoryA(path.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
        ThrowSystemError("Cannot create the folder", path, ::GetLastError());
    }
}

// A fixed xorshift sequence: bytes that do not compress, the same each time.
void WriteLargeFile(const std::string& path) {
    const size_t kChunk = 1 << 20;
    std::vector<char> chunk(kChunk);
    uint32_t state = 0x5EED1234u;
    NewFile file(path);
    for (uint64_t done = 0; done < kLargeSampleFileSize; done += kChunk) {
        for (size_t i = 0; i < kChunk; i += 4) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            for (size_t b = 0; b < 4; ++b) {
                chunk[i + b] = static_cast<char>(state >> (8 * b));
            }
        }
        file.Write(chunk.data(),
                   static_cast<size_t>(std::min<uint64_t>(kChunk, kLargeSampleFileSize - done)));
    }
}

} // namespace

void WriteSampleFilesBeside(const std::string& mailFolder) {
    for (const char* folder : {"Attach", "Embedded", "Documents"}) {
        CreateFolder(mailFolder + "\\" + folder);
    }
    for (const SampleFile& sample : SmallFiles()) {
        NewFile(mailFolder + "\\" + sample.path).Write(sample.bytes.data(), sample.bytes.size());
    }
    WriteLargeFile(mailFolder + "\\" + kLargeSampleFile);
}
