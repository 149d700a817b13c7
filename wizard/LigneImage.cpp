#include "wizard/LigneImage.h"

#include "link/Classek02.h"

namespace {

// The value of the two hex digits at text[position] and text[position + 1].
std::int32_t Paire(const char* texte, std::int32_t position) {
  return CK02::HexaVersOctet(static_cast<unsigned char>(texte[position]),
                             static_cast<unsigned char>(texte[position + 1]));
}

}  // namespace

LigneImage::LigneImage(const char* texte)
    : Texte(texte),
      NbMots(Paire(texte, 1) / 2),
      AdresseMot((Paire(texte, 3) * 256 + Paire(texte, 5)) / 2),
      TypeEnregistrement(Paire(texte, 7)) {}

std::int32_t LigneImage::Mot(std::int32_t i) const {
  return Paire(Texte, 11 + 4 * i) * 256 + Paire(Texte, 9 + 4 * i);
}

std::int32_t LigneImage::OctetEeprom(std::int32_t i) const { return Paire(Texte, 9 + 4 * i); }

Destination LigneImage::LaDestination() const {
  if (TypeEnregistrement == TypeFinFichier) return Destination::FinImage;
  // The extended address is not applied to later rows: they keep their 16-bit addresses.
  if (TypeEnregistrement == TypeAdresseEtendue) return Destination::Rien;
  if (DansFenetreProgramme(AdresseMot)) return Destination::Programme;
  if (DansFenetreEeprom(AdresseMot)) return Destination::Eeprom;
  return Destination::Rien;
}

std::int32_t RemplirLignes(TableLignes& Lignes, const char (*image)[LargeurLigneImage]) {
  std::size_t k = 0;
  while (k < Lignes.size() && image[k][0] != '\0') {
    Lignes[k] = image[k];
    ++k;
  }
  return static_cast<std::int32_t>(k);
}

std::int32_t RemplirLignes(TableLignes& Lignes) { return RemplirLignes(Lignes, ImageMicrologiciel); }
