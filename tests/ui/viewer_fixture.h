// The archive viewer on an archive the archive task made, with known rows:
// what the viewer's tests share.
#pragma once

#include "tests/ui/ui_fixture.h"
#include "ui/archive_viewer.h"
#include "ui/window_ops.h"

#include <memory>
#include <string>
#include <vector>

extern const char* const kPlaceholderPage;

// The page the preview writes for a message with these headers and body.
std::string MessagePage(const std::string& from, const std::string& subject, const std::string& to,
                        const std::string& date, const std::string& priority,
                        const std::string& body);

struct StoredRow {
    const char* from;
    const char* subject;
    const char* to;
    const char* date;
    int size;
    int status;
    const char* message;
};

// What the rows hold once the test has set them; the task stored the rest.
extern const StoredRow kRows[4];

class ArchiveViewerTest : public DialogTest {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite() { made_.reset(); }

    ArchiveViewerTest();

    // A viewer on its own, as the main dialog would open it.
    CArchiveViewer& OpenViewer();
    void CloseViewer();

    std::vector<std::string> Column(int column) const;
    int HeaderImage(int column) const;
    void ClickHeader(int column) const;
    void Select(std::initializer_list<int> rows) const;
    std::string Page() const { return ReadBytes(viewer->previewPath()); }

    static std::unique_ptr<TempFolder> made_;
    static std::string table_;
    std::unique_ptr<CArchiveViewer> viewer;
};
