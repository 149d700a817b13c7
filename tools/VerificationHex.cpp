#include "tools/VerificationHex.h"

#include <cstdint>
#include <cstdio>

#include "wizard/LigneImage.h"

namespace hex {
namespace {

using Octets = std::vector<std::uint8_t>;

std::string Hexa(unsigned valeur, int chiffres) {
  char tampon[16];
  std::snprintf(tampon, sizeof tampon, "0x%0*X", chiffres, valeur);
  return tampon;
}

std::string Caractere(char c) {
  const auto code = static_cast<unsigned char>(c);
  if (code >= 0x20 && code < 0x7F) return std::string("'") + c + "'";
  return Hexa(code, 2);
}

// The device converts digits by two subtractions only, which gives a wrong
// value for anything but 0-9 and A-F; so only those are let through.
int Chiffre(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> VerifierChiffres(std::string_view texte) {
  for (std::size_t i = 1; i < texte.size(); ++i) {
    if (Chiffre(texte[i]) >= 0) continue;
    const bool minuscule = texte[i] >= 'a' && texte[i] <= 'f';
    return std::string(minuscule ? "lowercase hex digit " : "not a hex digit: ") +
           Caractere(texte[i]) + " at column " + std::to_string(i + 1);
  }
  return std::nullopt;
}

// The text's form, then its bytes into octets.
std::optional<std::string> LireOctets(std::string_view texte, Octets& octets) {
  if (texte.empty()) return "empty line";
  if (texte[0] != ':') return "record does not start with ':'";
  if (texte.size() > LongueurMaxEnregistrement) {
    return "record is " + std::to_string(texte.size()) + " characters long, a slot holds " +
           std::to_string(LongueurMaxEnregistrement);
  }
  if (auto raison = VerifierChiffres(texte)) return raison;
  if (texte.size() % 2 == 0) return "odd number of hex digits";
  if (texte.size() < 11) return "record too short for byte count, address, type and checksum";
  for (std::size_t i = 1; i < texte.size(); i += 2) {
    octets.push_back(static_cast<std::uint8_t>(16 * Chiffre(texte[i]) + Chiffre(texte[i + 1])));
  }
  return std::nullopt;
}

// The decoder trusts the byte count to say how far into the slot it reads.
std::optional<std::string> VerifierStructure(const Octets& o) {
  const std::size_t nbDonnees = o.size() - 5;
  if (o[0] != nbDonnees) {
    return "byte count " + std::to_string(o[0]) + " disagrees with the record's " +
           std::to_string(nbDonnees) + " data bytes";
  }
  unsigned somme = 0;
  for (std::size_t i = 0; i + 1 < o.size(); ++i) somme += o[i];
  const unsigned attendu = (256 - somme % 256) % 256;
  if (o.back() != attendu) return "bad checksum " + Hexa(o.back(), 2) + ", expected " + Hexa(attendu, 2);
  if (o[3] != TypeDonnees && o[3] != TypeFinFichier) {
    return "record type " + Hexa(o[3], 2) + " not accepted: only data (00) and end of file (01)";
  }
  if (o[3] == TypeFinFichier && o[0] != 0) return "end-of-file record carries data";
  return std::nullopt;
}

std::uint8_t OctetHaut(const Octets& o, std::int32_t i) { return o[4 + 2 * static_cast<std::size_t>(i) + 1]; }

std::optional<std::string> VerifierProgramme(const Octets& o, std::int32_t premier, std::int32_t nbMots) {
  const std::int32_t dernier = premier + nbMots - 1;
  if (dernier >= FinMemoireProgramme) {
    return "data runs to word " + std::to_string(dernier) + ", past the last program word " +
           std::to_string(FinMemoireProgramme - 1);
  }
  for (std::int32_t i = 0; i < nbMots; ++i) {
    const unsigned mot = OctetHaut(o, i) * 256u + o[4 + 2 * static_cast<std::size_t>(i)];
    if (mot > 0x3FFF) {
      return "word " + Hexa(mot, 4) + " at word " + std::to_string(premier + i) + " does not fit in 14 bits";
    }
  }
  return std::nullopt;
}

// The device keeps the low byte of each word and drops the high one.
std::optional<std::string> VerifierEeprom(const Octets& o, std::int32_t premier, std::int32_t nbMots) {
  const std::int32_t dernier = AdresseEeprom(premier, nbMots - 1);
  if (dernier >= TailleEeprom) {
    return "EEPROM address " + std::to_string(dernier) + " above " + std::to_string(TailleEeprom - 1);
  }
  for (std::int32_t i = 0; i < nbMots; ++i) {
    if (OctetHaut(o, i) != 0) {
      return "EEPROM byte at address " + std::to_string(AdresseEeprom(premier, i)) +
             " has a high byte " + Hexa(OctetHaut(o, i), 2) + " the device would drop";
    }
  }
  return std::nullopt;
}

// The device writes whole words and only inside its windows.
std::optional<std::string> VerifierDonnees(const Octets& o) {
  const unsigned adresse = o[1] * 256u + o[2];
  if (adresse % 2 != 0) return "odd address " + Hexa(adresse, 4) + ": the device writes whole words";
  if (o[0] % 2 != 0) return "odd byte count " + std::to_string(o[0]) + ": the device would drop the last byte";
  const auto premier = static_cast<std::int32_t>(adresse / 2);
  const std::int32_t nbMots = o[0] / 2;
  if (nbMots == 0) return std::nullopt;
  if (DansFenetreProgramme(premier)) return VerifierProgramme(o, premier, nbMots);
  if (DansFenetreEeprom(premier)) return VerifierEeprom(o, premier, nbMots);
  if (premier < PremierMotProgramme) {
    return "data at word " + std::to_string(premier) + ": the device never writes words 0 to " +
           std::to_string(PremierMotProgramme - 1);
  }
  return "data at word " + std::to_string(premier) + ": words " + std::to_string(FinMemoireProgramme) +
         " to " + std::to_string(DebutFenetreEeprom - 1) + " cannot be written";
}

// Cuts the next line off contenu, without its line end (LF or CR LF).
std::string_view LigneSuivante(std::string_view& contenu) {
  const std::size_t fin = contenu.find('\n');
  std::string_view ligne = contenu.substr(0, fin);
  contenu.remove_prefix(fin == std::string_view::npos ? contenu.size() : fin + 1);
  if (!ligne.empty() && ligne.back() == '\r') ligne.remove_suffix(1);
  return ligne;
}

bool EstFinFichier(std::string_view texte) { return texte.substr(7, 2) == "01"; }

}  // namespace

std::optional<std::string> VerifierEnregistrement(std::string_view texte) {
  Octets octets;
  if (auto raison = LireOctets(texte, octets)) return raison;
  if (auto raison = VerifierStructure(octets)) return raison;
  if (octets[3] == TypeDonnees) return VerifierDonnees(octets);
  return std::nullopt;
}

Verification VerifierFichier(std::string_view contenu) {
  Verification v;
  std::size_t ligne = 0;
  bool finVue = false;
  auto refuser = [&v, &ligne](std::string raison) {
    v.enregistrements.clear();
    v.refus = Refus{ligne, std::move(raison)};
    return v;
  };
  if (contenu.empty()) {
    ligne = 1;
    return refuser("empty file");
  }
  while (!contenu.empty()) {
    ++ligne;
    const std::string_view texte = LigneSuivante(contenu);
    if (finVue) return refuser("record after the end-of-file record");
    if (auto raison = VerifierEnregistrement(texte)) return refuser(*raison);
    if (v.enregistrements.size() == NbEnregistrementsMax) {
      return refuser("more than " + std::to_string(NbEnregistrementsMax) + " records");
    }
    v.enregistrements.emplace_back(texte);
    finVue = EstFinFichier(texte);
  }
  if (!finVue) return refuser("no end-of-file record");
  return v;
}

std::string SourceImage(const std::vector<std::string>& enregistrements, std::string_view origine) {
  std::string source = "// Generated by zt-hex2rows from " + std::string(origine) +
                       ". Change the HEX file, not this one.\n"
                       "#include \"wizard/ImageMicrologiciel.h\"\n\n"
                       "const char ImageMicrologiciel[][LargeurLigneImage] = {\n";
  for (const std::string& texte : enregistrements) source += "    \"" + texte + "\",\n";
  source += "    \"\",  // the terminating slot\n};\n";
  return source;
}

}  // namespace hex
