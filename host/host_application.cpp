#include "host/host_application.h"

#include "host/host_error.h"
#include "base/message_box.h"
#include "base/system_error.h"

namespace {

enum ApplicationDispatchId : DISPID {
    kFolders = 3,
    kInBox = 6,
    kStatusText = 15,
    kFolderByName = 27,
    kFolderById = 28,
};

const wchar_t kHostProgId[] = L"Eudora.EuApplication.1";
const long kHostSelector = 1;

} // namespace

HostApplication HostApplication::Connect() {
    CLSID hostClass;
    HRESULT hr = ::CLSIDFromProgID(kHostProgId, &hostClass);
    ComPtr<IDispatch> host;
    if (SUCCEEDED(hr)) {
        hr = ::CoCreateInstance(hostClass, nullptr, CLSCTX_ALL, IID_IDispatch, host.putVoid());
    }
    if (SUCCEEDED(hr) && !host) {
        hr = E_NOINTERFACE;
    }
    if (FAILED(hr)) {
        throw HostConnectError(hr, SystemMessageText(static_cast<DWORD>(hr)));
    }
    return HostApplication(std::move(host));
}

HostFolderList HostApplication::Folders() const {
    return HostFolderList(host_.GetObject(kFolders));
}

HostFolder HostApplication::InBox() const {
    return HostFolder(host_.GetObject(kInBox));
}

void HostApplication::SetStatusText(const std::string& text) const {
    host_.Put(kStatusText, Variant(text));
}

HostFolder HostApplication::FolderByName(const std::string& name) const {
    const Variant text(name);
    const Variant selector(kHostSelector);
    return HostFolder(host_.CallForObject(kFolderByName, {&text, &selector}));
}

HostFolder HostApplication::FolderById(long id) const {
    const Variant number(id);
    const Variant selector(kHostSelector);
    return HostFolder(host_.CallForObject(kFolderById, {&number, &selector}));
}

void ShowHostConnectFailure(const HostConnectError& failure) {
    std::string text =
        "Failed to create object. Make sure the object is entered in the system registry.";
    const std::string reason = failure.what();
    ShowStandardErrorBox(reason.empty() ? text : text + "\n" + reason);
}
