// The host application: the root of everything the plug-in reads or
// changes in the host.
#pragma once

#include "host/dispatch_ref.h"
#include "host/host_folder.h"

#include <string>

class HostApplication {
public:
    // A new connection to the running host; throws HostConnectError when
    // its automation server cannot be reached.
    static HostApplication Connect();

    // A count of 0 means the host has not finished starting.
    HostFolderList Folders() const;
    HostFolder InBox() const;
    void SetStatusText(const std::string& text) const;
    HostFolder FolderByName(const std::string& name) const;
    HostFolder FolderById(long id) const;

private:
    explicit HostApplication(ComPtr<IDispatch> object) : host_(std::move(object)) {}

    DispatchRef host_;
};

class HostConnectError;
// The standard error box of a failed connection.
void ShowHostConnectFailure(const HostConnectError& failure);
