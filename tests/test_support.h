// Helpers the test programs share: scratch folders and captured message boxes.
#pragma once

#include "base/message_box.h"
#include "base/stowlark_app.h"

#include <string>
#include <utility>
#include <vector>

// A fresh folder under the temporary directory, removed with everything in
// it when the test ends.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

void RemoveTree(const std::string& path);
// Every byte value from 1 to 255, once each: what an 8-bit message may hold.
std::string EveryByteButZero();
// `count` lines made from `format` with the numbers 0 to count - 1.
std::string NumberedLines(const char* format, int count);
std::string ReadBytes(const std::string& path);
// A path of the Linux side (a fixture folder the build names) as this
// process reaches it: through drive Z:.
std::string WinePath(const std::string& unixPath);
void WriteBytes(const std::string& path, const std::string& bytes);

struct CapturedMessageBox {
    std::string text;
    std::string caption;
    unsigned type;
};

// While alive, message boxes are recorded instead of shown; each answers IDOK.
// While alive, the plug-in's pauses are tallied and return at once: the
// tasks run without the waits they leave a real host.
class UnsleptPauses {
public:
    UnsleptPauses() : previous_(App().SetDelaySink([](int) { return 0; })) {}
    ~UnsleptPauses() { App().SetDelaySink(std::move(previous_)); }
    UnsleptPauses(const UnsleptPauses&) = delete;
    UnsleptPauses& operator=(const UnsleptPauses&) = delete;

private:
    DelaySink previous_;
};

class MessageBoxCapture {
public:
    MessageBoxCapture();
    ~MessageBoxCapture();
    MessageBoxCapture(const MessageBoxCapture&) = delete;
    MessageBoxCapture& operator=(const MessageBoxCapture&) = delete;

    const std::vector<CapturedMessageBox>& boxes() const { return boxes_; }

private:
    std::vector<CapturedMessageBox> boxes_;
    MessageBoxSink previous_;
};

struct CapturedLaunch {
    ShellLaunch kind;
    std::string target;
};

// While alive, documents and programs handed to the system are recorded
// instead of started; each request succeeds.
class ShellLaunchCapture {
public:
    ShellLaunchCapture();
    ~ShellLaunchCapture();
    ShellLaunchCapture(const ShellLaunchCapture&) = delete;
    ShellLaunchCapture& operator=(const ShellLaunchCapture&) = delete;

    const std::vector<CapturedLaunch>& launches() const { return launches_; }
    void clear() { launches_.clear(); }

private:
    std::vector<CapturedLaunch> launches_;
    ShellLaunchSink previous_;
};

// Restores the module context when the test ends, so tests that call the
// entry points directly do not leak their host into each other.
class ContextGuard {
public:
    ContextGuard() : saved_(App().Context()) {}
    ~ContextGuard() {
        // What the module's one-time start-up steps filled in stays.
        PluginContext& context = App().Context();
        saved_.archiveClosedMessage = context.archiveClosedMessage;
        saved_.splitterCursor = context.splitterCursor;
        context = saved_;
    }
    ContextGuard(const ContextGuard&) = delete;
    ContextGuard& operator=(const ContextGuard&) = delete;

private:
    PluginContext saved_;
};
