// Another writer at the same archive, as a second host sharing it would be:
// its connection takes the file's write lock on a thread of its own for
// `turns` turns of `milliseconds`, with the short gap between them that a
// task leaves between its commit and its next row. It stops early when the
// holder goes.
#pragma once

#include "db/ado_database.h"
#include "base/unique_resource.h"
#include "base/win32.h"

#include <string>
#include <thread>

class HeldWriteLock {
public:
    // Returns once the lock is held.
    HeldWriteLock(const std::string& connectionString, DWORD milliseconds, int turns = 1)
        : held_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          release_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          thread_([this, connectionString, milliseconds, turns] {
              Hold(connectionString, milliseconds, turns);
          }) {
        ::WaitForSingleObject(held_.get(), 10000);
    }
    ~HeldWriteLock() {
        ::SetEvent(release_.get());
        thread_.join();
    }
    HeldWriteLock(const HeldWriteLock&) = delete;
    HeldWriteLock& operator=(const HeldWriteLock&) = delete;

private:
    void Hold(const std::string& connectionString, DWORD milliseconds, int turns) {
        try {
            CADODatabase other;
            other.Open(connectionString);
            for (int turn = 0; turn < turns; ++turn) {
                if (turn > 0) {
                    ::Sleep(40);
                }
                other.BeginTrans();
                other.Execute("CREATE TABLE HeldLock (x INTEGER)");
                ::SetEvent(held_.get());
                const bool released =
                    ::WaitForSingleObject(release_.get(), milliseconds) == WAIT_OBJECT_0;
                other.RollbackTrans();
                if (released) {
                    break;
                }
            }
        } catch (const CADOException&) {
            // Nothing held: the waiter's test finds no wait.
        }
        ::SetEvent(held_.get());
    }

    UniqueHandle held_;
    UniqueHandle release_;
    std::thread thread_;
};
