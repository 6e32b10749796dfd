// The settings file: every read and write goes straight to the INI file, so
// a value one window writes is what the next window reads.
#pragma once

#include <string>

// The longest text a setting gives back; longer stored values are cut.
constexpr int kMaxSettingTextLength = 254;

std::string ReadText(const std::string& section, const std::string& key,
                     const std::string& defaultText, const std::string& file);
// A key that is present but empty reads as 0; the default applies only to a
// missing key.
int ReadInt(const std::string& section, const std::string& key, int defaultValue,
            const std::string& file);
void WriteText(const std::string& section, const std::string& key, const std::string& value,
               const std::string& file);
void WriteInt(const std::string& section, const std::string& key, int value,
              const std::string& file);
