// The host as its own program with the plug-in, playing a script of user
// steps in the plug-in's dialog, for tests that kill it midway.
#pragma once

#include "testhost/mail_store.h"
#include "testhost/program_directory.h"
#include "tests/host/host_fixture.h"

#include <functional>
#include <string>
#include <vector>

// Work archived with deletion, or its archive restored with deletion,
// through the plug-in's dialog.
constexpr const char kArchiveSteps[] = "wait-window \"Archive Messages\"\n"
                                       "check \"Delete Archived Messages\"\n"
                                       "tick mailboxes Work\n"
                                       "press Archive\n"
                                       "wait-task\n"
                                       "press Close\n";
constexpr const char kRestoreSteps[] = "wait-window \"Archive Messages\"\n"
                                       "check \"Delete Restored Messages\"\n"
                                       "tick archives Work\n"
                                       "press Restore\n"
                                       "wait-task\n"
                                       "press Close\n";

long long FileSize(const std::string& path);
// The messages of `mailbox` ("Work") of the mail folder as the host reads
// them, finishing what a killed writer left half done; none when it has no file.
std::vector<std::string> MailboxTexts(MailStore& store, const RunningHost& host,
                                      const std::string& mailbox);
// A killed host cannot take back its automation registration.
void RemoveHostRegistration();
// Puts the built plug-in into the mail folder's Plugins, as a user installs it.
void InstallPlugin(const RunningHost& host);

// Runs the host on `host`'s mail folder with `steps` as its script;
// `untilKill` is asked every 50 ms, and once it says so the host is killed.
// Gives whether the host was killed (rather than ending by itself within
// `seconds`).
bool RunHostProgram(const RunningHost& host, const std::string& steps,
                    const std::function<bool()>& untilKill, unsigned seconds);
