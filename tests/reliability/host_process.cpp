#include "tests/reliability/host_process.h"

#include "base/file_utils.h"
#include "base/unique_resource.h"
#include "testhost/automation_server.h"
#include "testhost/mailstore/mailbox_file.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

long long FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::vector<std::string> MailboxTexts(MailStore& store, const RunningHost& host,
                                      const std::string& mailbox) {
    std::vector<std::string> texts;
    const std::string path = host.MailboxPath(mailbox + ".mbx");
    if (FileExists(path)) {
        const MailboxFile& file = store.Mailbox(path);
        for (size_t i = 0; i < file.Count(); ++i) {
            texts.push_back(file.RawText(i));
        }
    }
    return texts;
}

void RemoveHostRegistration() {
    char classId[64] = {};
    LONG size = sizeof classId;
    const std::string progId = AutomationServer::kProgId;
    if (::RegQueryValueA(HKEY_CLASSES_ROOT, (progId + "\\CLSID").c_str(), classId, &size) ==
        ERROR_SUCCESS) {
        ::RegDeleteTreeA(HKEY_CLASSES_ROOT, ("CLSID\\" + std::string(classId)).c_str());
    }
    ::RegDeleteTreeA(HKEY_CLASSES_ROOT, progId.c_str());
}

void InstallPlugin(const RunningHost& host) {
    ::CreateDirectoryA(host.MailboxPath("Plugins").c_str(), nullptr);
    const std::string plugin = host.MailboxPath("Plugins\\stowlark.dll");
    EXPECT_TRUE(
        ::CopyFileA((ProgramDirectory() + "\\stowlark.dll").c_str(), plugin.c_str(), FALSE));
}

bool RunHostProgram(const RunningHost& host, const std::string& steps,
                    const std::function<bool()>& untilKill, unsigned seconds) {
    const std::string script = host.MailboxPath("steps.txt");
    WriteBytes(script, steps);
    std::string command = "\"" + ProgramDirectory() + "\\testhost.exe\" --data \"" +
                          host.dataDir() + "\" --plugin \"" +
                          host.MailboxPath("Plugins\\stowlark.dll") +
                          "\" --run-special 1 --exit --script \"" + script + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        ADD_FAILURE() << "the host did not start: " << ::GetLastError();
        return false;
    }
    UniqueHandle processHandle(process.hProcess);
    UniqueHandle thread(process.hThread);
    bool killed = false;
    const ULONGLONG end = ::GetTickCount64() + seconds * 1000ull;
    while (::WaitForSingleObject(processHandle.get(), 50) == WAIT_TIMEOUT) {
        if (untilKill && untilKill()) {
            ::TerminateProcess(processHandle.get(), 9);
            ::WaitForSingleObject(processHandle.get(), 10000);
            killed = true;
            break;
        }
        if (::GetTickCount64() > end) {
            ::TerminateProcess(processHandle.get(), 9);
            ADD_FAILURE() << "the host ran for more than " << seconds << " s";
            break;
        }
    }
    RemoveHostRegistration();
    return killed;
}
