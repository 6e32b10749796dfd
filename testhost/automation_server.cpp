#include "testhost/automation_server.h"

#include "base/system_error.h"

#include <objbase.h>

#include <new>

namespace {

// The host's own class id; clients find it through the identifier.
const CLSID kHostClassId = {
    0x6a1e3c52, 0x7b0d, 0x4f1a, {0x9c, 0x33, 0x5e, 0x2d, 0x8b, 0x7a, 0x41, 0x01}};
const char kHostClassIdText[] = "{6A1E3C52-7B0D-4F1A-9C33-5E2D8B7A4101}";
const char kHostDescription[] = "Eudora Application";

class ApplicationFactory : public ComObject<IClassFactory, IID_IClassFactory> {
public:
    explicit ApplicationFactory(SessionRef session) : session_(std::move(session)) {}

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (!object) {
            return E_POINTER;
        }
        *object = nullptr;
        if (outer) {
            return CLASS_E_NOAGGREGATION;
        }
        try {
            ComPtr<IDispatch> application = DispatchObject::Make<ApplicationObject>(session_);
            return application->QueryInterface(iid, object);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    SessionRef session_;
};

bool WriteKey(const std::string& key, const char* name, const std::string& value) {
    HKEY handle = nullptr;
    if (::RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_WRITE, nullptr, &handle, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const LONG result =
        ::RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                         static_cast<DWORD>(value.size() + 1));
    ::RegCloseKey(handle);
    return result == ERROR_SUCCESS;
}

// Under Wine the identifier is looked up in HKEY_CLASSES_ROOT's machine
// half only, so it goes there rather than into the user's classes.
bool WriteRegistration() {
    const std::string classKey = std::string("CLSID\\") + kHostClassIdText;
    return WriteKey(AutomationServer::kProgId, nullptr, kHostDescription) &&
           WriteKey(std::string(AutomationServer::kProgId) + "\\CLSID", nullptr,
                    kHostClassIdText) &&
           WriteKey(classKey, nullptr, kHostDescription) &&
           WriteKey(classKey + "\\ProgID", nullptr, AutomationServer::kProgId);
}

// The class the identifier named before this host took it over, if any.
std::string ReadRegisteredClass() {
    char value[64] = "";
    LONG size = sizeof value;
    const std::string key = std::string(AutomationServer::kProgId) + "\\CLSID";
    if (::RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), value, &size) != ERROR_SUCCESS) {
        return std::string();
    }
    return value;
}

// A real host installed on the machine gets its identifier back.
void RemoveRegistration(const std::string& previousClass) {
    if (!previousClass.empty() && previousClass != kHostClassIdText) {
        WriteKey(std::string(AutomationServer::kProgId) + "\\CLSID", nullptr, previousClass);
    } else {
        ::RegDeleteTreeA(HKEY_CLASSES_ROOT, AutomationServer::kProgId);
    }
    ::RegDeleteTreeA(HKEY_CLASSES_ROOT, (std::string("CLSID\\") + kHostClassIdText).c_str());
}

} // namespace

AutomationServer::AutomationServer(SessionRef session)
    : factory_(ApplicationFactory::Make<ApplicationFactory>(std::move(session))) {
    const HRESULT hr = ::CoRegisterClassObject(kHostClassId, factory_.get(), CLSCTX_LOCAL_SERVER,
                                               REGCLS_MULTIPLEUSE, &cookie_);
    if (FAILED(hr)) {
        cookie_ = 0;
        failure_ = "The application object could not be registered: " +
                   SystemMessageText(static_cast<DWORD>(hr));
        return;
    }
    previousClass_ = ReadRegisteredClass();
    keysWritten_ = WriteRegistration();
    if (!keysWritten_) {
        failure_ = std::string("The identifier ") + kProgId + " could not be registered.";
    }
}

AutomationServer::~AutomationServer() {
    if (keysWritten_) {
        RemoveRegistration(previousClass_);
    }
    if (cookie_) {
        ::CoRevokeClassObject(cookie_);
    }
}
