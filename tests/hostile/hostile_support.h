// Hostile bytes the engine and window tests share.
#pragma once

#include <string>

// `size` bytes that look random and are the same on every run for `seed`.
std::string PseudoRandomBytes(size_t size, unsigned seed);

// A settings file as a damaged disk, a careless editor or an attacker may
// leave it: lines that are no settings, bytes of every value, sections cut
// short, numbers out of every range and values far longer than a line.
std::string GarbledSettings();
