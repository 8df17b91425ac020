#pragma once
// Byte helpers of the instrument model. The model keeps its own encoder on purpose: if it
// shared the program's, a fault in that code would be mirrored here and stay hidden.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lm11sim {

using Bytes = std::vector<uint8_t>;

/// CRC-16/ARC, bitwise (the program uses a table; two methods make a shared slip unlikely).
uint16_t Crc16(std::span<const uint8_t> bytes);
void PutU16(uint8_t* p, uint16_t v);
void PutU32(uint8_t* p, uint32_t v);
uint16_t GetU16(const uint8_t* p);
/// "01 FE 2C" (upper case, one blank between bytes).
std::string Hex(std::span<const uint8_t> bytes);
/// UTF-8 to Windows-1251; characters without a code become '?'.
std::string Utf8ToCp1251(std::string_view utf8);

} // namespace lm11sim
