#pragma once
// Conversions between the UTF-8 held in memory and the encodings of stored files.

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Windows-1252 to UTF-8. Every byte has a character (the five unassigned ones map to the C1
// controls of the same number), so this never fails.
std::string Cp1252ToUtf8(std::string_view bytes);

// UTF-8 to Windows-1252. Returns false when some character has no Windows-1252 byte; the output
// then holds '?' for it. Bytes that are not valid UTF-8 are taken as Windows-1252 bytes, so raw
// bytes survive a round trip.
bool Utf8ToCp1252(std::string_view utf8, std::string& out);

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace platform
