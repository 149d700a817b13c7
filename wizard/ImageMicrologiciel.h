// The firmware image the wizard installs: one fixed-width slot per Intel HEX
// record, in file order, each the record's text padded with NULs; an all-NUL
// slot ends the table. The build generates the definition from
// resources/zt-firmware-1.2.hex with tools/zt-hex2rows, which refuses any
// record the device could not take, so the rows need no checks at run time.
#pragma once

#include <cstddef>

// 54 characters of record text at most (21 data bytes) and room for a NUL.
inline constexpr std::size_t LargeurLigneImage = 55;
inline constexpr std::size_t LongueurMaxEnregistrement = LargeurLigneImage - 1;

extern const char ImageMicrologiciel[][LargeurLigneImage];
