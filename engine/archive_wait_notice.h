// A task whose archive another host is writing into waits its turn there,
// for up to a few seconds at a time. Meanwhile the host's status line says
// so instead of standing still at the last message.
#pragma once

class CADODatabase;

class ArchiveWaitNotice {
public:
    // Listens to `database`, which must outlive the notice, until it goes.
    explicit ArchiveWaitNotice(CADODatabase& database);
    ~ArchiveWaitNotice();
    ArchiveWaitNotice(const ArchiveWaitNotice&) = delete;
    ArchiveWaitNotice& operator=(const ArchiveWaitNotice&) = delete;

private:
    CADODatabase& database_;
};
