#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace valdor::test {

// Where the made-up images put their PE signature.
inline constexpr std::size_t kPeAt = 0x80;

inline constexpr std::uint16_t kMachineI386 = 0x014C;
inline constexpr std::uint16_t kMachineAmd64 = 0x8664;
inline constexpr std::uint16_t kPlainImage = 0x0102;  // executable image, 32-bit words
inline constexpr std::uint16_t kAwareImage = kPlainImage | 0x0020;

inline void putWord(std::vector<unsigned char>& bytes, std::size_t at, std::uint16_t value) {
  bytes[at] = static_cast<unsigned char>(value & 0xFF);
  bytes[at + 1] = static_cast<unsigned char>(value >> 8);
}

// The start of an image as a linker writes it: the DOS header pointing at
// kPeAt, the PE signature and the COFF header of the given characteristics
// and machine, then the optional header's start.
inline std::vector<unsigned char> peImage(std::uint16_t characteristics, std::uint16_t machine = kMachineI386) {
  std::vector<unsigned char> bytes(0x200, 0);
  bytes[0] = 'M';
  bytes[1] = 'Z';
  putWord(bytes, 0x3C, kPeAt);
  bytes[kPeAt] = 'P';
  bytes[kPeAt + 1] = 'E';
  putWord(bytes, kPeAt + 4, machine);
  putWord(bytes, kPeAt + 6, 5);       // sections
  putWord(bytes, kPeAt + 20, 0xE0);   // optional header size
  putWord(bytes, kPeAt + 22, characteristics);
  putWord(bytes, kPeAt + 24, 0x010B);  // PE32
  return bytes;
}

inline std::string bytesText(const std::vector<unsigned char>& bytes) { return {bytes.begin(), bytes.end()}; }

}  // namespace valdor::test
