// The column types of the format and which of them the reader turns into values.
#pragma once

#include <cstdint>
#include <string>

namespace jet_type {
constexpr uint8_t kBoolean = 0x01;
constexpr uint8_t kByte = 0x02;
constexpr uint8_t kInteger = 0x03;
constexpr uint8_t kLong = 0x04;
constexpr uint8_t kCurrency = 0x05;
constexpr uint8_t kSingle = 0x06;
constexpr uint8_t kDouble = 0x07;
constexpr uint8_t kDateTime = 0x08;
constexpr uint8_t kBinary = 0x09;
constexpr uint8_t kText = 0x0A;
constexpr uint8_t kOle = 0x0B;
constexpr uint8_t kMemo = 0x0C;
} // namespace jet_type

// Whether values of the type are read (all others read as Unsupported).
bool JetTypeIsRead(uint8_t type);
// The width of a fixed column of the type; 0 for variable or unknown types.
size_t JetFixedWidth(uint8_t type);
std::string JetTypeName(uint8_t type);
