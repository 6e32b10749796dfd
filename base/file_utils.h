// Paths and files as the rest of the plug-in shares them: 8-bit ANSI paths
// with backslashes, failures told by the result, nothing thrown.
#pragma once

#include <string>
#include <vector>

bool FileExists(const std::string& path);
bool IsDirectory(const std::string& path);
std::string DirectoryOf(const std::string& path);
std::string FileNameOf(const std::string& path, bool keepExtension);
std::string SanitizeFileName(const std::string& text);

// directory\name.extension; with `unique`, digits are appended to the name
// until no such file exists. The file is created unless `leaveUncreated`.
// Empty on failure.
std::string MakeFilePath(const std::string& directory, const std::string& name,
                         const std::string& extension, bool unique, bool leaveUncreated);

bool CreateEmptyFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& text);
// The content up to its first zero byte; shows the standard error box and
// gives empty text when the file cannot be opened.
std::string ReadWholeFile(const std::string& path);
// Appends text and a line end; every "\n" reaches the file as CR LF.
bool AppendLine(const std::string& path, const std::string& text);
std::string TempDirectory();

// Paths name one file whatever the case of their letters; compared letter
// by letter ("Straße" and "STRASSE" are two files, as the file system has it).
bool SamePathIgnoringCase(const std::string& a, const std::string& b);

int SplitText(const std::string& text, char separator, std::vector<std::string>& parts);
std::string FirstSlashWord(const std::string& text);
std::string TrimWhiteSpace(const std::string& text);
std::string WithoutTrailingBackslashes(std::string path);
// Every occurrence of `from` in `text` replaced by `to`, left to right; the
// inserted text is not searched again.
void ReplaceAll(std::string& text, const std::string& from, const std::string& to);
