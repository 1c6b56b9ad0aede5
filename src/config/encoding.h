#pragma once

#include <string>
#include <string_view>

// The game's files are Windows-1252, but the platform's profile functions also
// read files saved as UTF-16 ("Unicode" in Notepad) and keep them so on writes.
namespace valdor::config {

enum class TextEncoding {
  Ansi,         // Windows-1252 bytes, no byte-order mark the platform knows
  Utf16Le,      // FF FE, then little-endian UTF-16: read and written
  Utf16Be,      // FE FF: read like the platform, never written
  Unsupported,  // UTF-32 either way: reads see nothing, never written
};

// From the byte-order mark at the start of the file.
TextEncoding textEncodingOf(std::string_view bytes);

// The character a Windows-1252 byte stands for (the five unused bytes stand
// for the C1 controls of the same number, as on the platform).
char32_t cp1252ToUnicode(unsigned char byte);

// The byte for a character, or -1 where Windows-1252 has none.
int unicodeToCp1252(char32_t character);

// How characters without a Windows-1252 byte come out of decodeProfileText().
enum class Unmapped {
  Nearest,  // the platform's nearest match or '?', as values read
  Nul,      // a zero byte, which no name asked for contains
};

// The file's text in the game's code page, one byte per UTF-16 code unit so
// offsets map back to the file. ANSI files come back as they are, UTF-32
// files as nothing.
std::string decodeProfileText(std::string_view bytes, Unmapped unmapped = Unmapped::Nearest);

// Where a byte offset of the decoded text sits in the file.
std::size_t fileOffsetOf(TextEncoding encoding, std::size_t textOffset);

// Windows-1252 text as the file stores it (no byte-order mark).
std::string encodeProfileText(TextEncoding encoding, std::string_view text);

}  // namespace valdor::config
