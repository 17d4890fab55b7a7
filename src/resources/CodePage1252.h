#pragma once

namespace kr39 {

// Windows-1252, the code page of the data files. Bytes 0x00-0x7F and 0xA0-0xFF are the code
// points of the same number; 0x80-0x9F follow the code page's own table. The five bytes it leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the C1 controls of the same number, so every
// byte has a character and every byte comes back unchanged.
char32_t Cp1252ToUnicode(unsigned char byte);

// The byte for a code point, or -1 where the code page has none.
int UnicodeToCp1252(char32_t cp);

} // namespace kr39
