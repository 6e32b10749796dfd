// The host's mailboxes and folders, and lists of them.
#pragma once

#include "host/dispatch_ref.h"
#include "host/host_message.h"

#include <string>

class HostFolderList;

// A mailbox (holds messages) or a folder (holds folders).
class HostFolder {
public:
    explicit HostFolder(ComPtr<IDispatch> object) : host_(std::move(object)) {}

    long IsMailbox() const;
    long SkipFlag() const;
    HostFolderList Folders() const;
    std::string Path() const;
    long Id() const;
    HostMessageList Messages() const;
    std::string Name() const;
    // May end in a backslash.
    std::string Directory() const;
    void Open() const;

    IDispatch* object() const noexcept { return host_.get(); }

private:
    DispatchRef host_;
};

// The top-level folders or the children of one folder; items count from 1.
class HostFolderList {
public:
    explicit HostFolderList(ComPtr<IDispatch> object) : host_(std::move(object)) {}

    HostFolder Item(long index) const;
    long Count() const;
    // A new empty mailbox in this list; fetch it afterwards by name.
    void Add(const std::string& name) const;

private:
    DispatchRef host_;
};
