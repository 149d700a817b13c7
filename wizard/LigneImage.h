// One row of the firmware image as the sequencer sends it, decoded straight
// from the slot's text at the tick that sends it, and the address windows that
// say where the row's data goes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "wizard/ImageMicrologiciel.h"

inline constexpr std::int32_t TypeDonnees = 0x00;
inline constexpr std::int32_t TypeFinFichier = 0x01;
inline constexpr std::int32_t TypeAdresseEtendue = 0x04;

// Word addresses. Words 0 to 47 hold the boot loader's own entry code and are
// never written; 8192 to 8447 are the configuration and identification words,
// which the boot loader cannot program; from 8448 up, one word per EEPROM byte.
inline constexpr std::int32_t PremierMotProgramme = 48;
inline constexpr std::int32_t FinMemoireProgramme = 8192;  // first word past program memory
inline constexpr std::int32_t DebutFenetreEeprom = 8448;
inline constexpr std::int32_t TailleEeprom = 256;  // the EEPROM write carries a one-byte address

constexpr bool DansFenetreProgramme(std::int32_t adresseMot) {
  return adresseMot >= PremierMotProgramme && adresseMot < FinMemoireProgramme;
}
constexpr bool DansFenetreEeprom(std::int32_t adresseMot) {
  return adresseMot >= DebutFenetreEeprom;
}
// The EEPROM address of byte i of a row that starts at word adresseMot.
constexpr std::int32_t AdresseEeprom(std::int32_t adresseMot, std::int32_t i) {
  return adresseMot - DebutFenetreEeprom + i;
}

// What the sequencer does with a row, in the order it tests for it.
enum class Destination { FinImage, Rien, Programme, Eeprom };

// A decoded row. It keeps a pointer to the slot, never a copy: the image is
// constant for the whole run. Digits are converted by CK02::HexaVersOctet and
// nothing is checked, so a row must come from a table the build has verified.
struct LigneImage {
  explicit LigneImage(const char* texte);

  std::int32_t Mot(std::int32_t i) const;          // word i, low byte first in the text
  std::int32_t OctetEeprom(std::int32_t i) const;  // low byte of word i
  Destination LaDestination() const;

  const char* Texte;
  std::int32_t NbMots;              // byte count halved: an odd last byte is dropped
  std::int32_t AdresseMot;          // byte address halved
  std::int32_t TypeEnregistrement;
};

// The row table of the main window: entry k refers to slot k of the image.
inline constexpr std::size_t NbLignesMax = 2000;
using TableLignes = std::array<const char*, NbLignesMax>;

// Refers Lignes[k] to slot k of image for each slot before the terminating
// one and returns their count. It never goes past NbLignesMax entries, even
// on an image with no terminating slot in reach.
std::int32_t RemplirLignes(TableLignes& Lignes, const char (*image)[LargeurLigneImage]);
// The same on the image built into the program.
std::int32_t RemplirLignes(TableLignes& Lignes);
