// Plays the user in front of a plug-in command that opens windows: once they
// have been up a while, takes a picture of each and closes them the way a
// user would (the "&Close" button where there is one, else the caption's
// close request), so an unattended run of the host ends.
#pragma once

#include "base/win32.h"
#include "testhost/thread_timer.h"

#include <set>
#include <string>
#include <vector>

class PluginWindowUser {
public:
    // `pictureDir` empty: no pictures. Starts watching at once.
    PluginWindowUser(HWND hostWindow, DWORD afterMilliseconds, std::string pictureDir);
    PluginWindowUser(const PluginWindowUser&) = delete;
    PluginWindowUser& operator=(const PluginWindowUser&) = delete;

    // "picture of <caption> in <file>" and "closed <caption>", in order.
    const std::vector<std::string>& transcript() const { return transcript_; }

private:
    void ActOnWindows();

    HWND hostWindow_;
    std::string pictureDir_;
    std::set<std::string> pictured_;
    std::vector<std::string> transcript_;
    ThreadTimer timer_;
};
