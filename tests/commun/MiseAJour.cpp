#include "tests/commun/MiseAJour.h"

#include "wizard/LigneImage.h"

namespace {

std::int32_t Verifier(CK02& liaison) {
  std::int32_t versionChargeur = 0;
  std::uint32_t serie = 0;
  std::int32_t majeure = 0;
  std::int32_t mineure = 0;
  const std::function<std::int32_t()> etapes[] = {
      [&] { return liaison.Connecter(1); },
      [&] { return liaison.VerifierModele(); },
      [&] { return liaison.LireVersionChargeur(versionChargeur); },
      [&] { return liaison.LireNumeroSerie(serie); },
      [&] { return liaison.LireVersion(majeure, mineure); },
      [&] { return liaison.Deverrouiller(); },
      [&] { return liaison.DemarrerProgrammation(); }};
  for (const auto& etape : etapes)
    if (etape() != 0) return liaison.DerniereErreur();
  return 0;
}

std::int32_t EcrireLigne(CK02& liaison, const LigneImage& ligne, std::int32_t& motsEcrits,
                         const ApresMot& apresMot) {
  for (std::int32_t i = 0; i < ligne.NbMots; ++i) {
    if (ligne.LaDestination() == Destination::Eeprom) {
      if (liaison.EcrireOctetEeprom(AdresseEeprom(ligne.AdresseMot, i), ligne.OctetEeprom(i)) != 0)
        return liaison.DerniereErreur();
      continue;
    }
    if (liaison.EcrireMotProgramme(static_cast<std::uint32_t>(ligne.AdresseMot + i),
                                   static_cast<std::uint32_t>(ligne.Mot(i))) != 0)
      return liaison.DerniereErreur();
    ++motsEcrits;
    if (apresMot) apresMot(motsEcrits);
  }
  return 0;
}

}  // namespace

std::map<std::uint32_t, std::uint16_t> MotsDeLImage() {
  TableLignes lignes{};
  std::map<std::uint32_t, std::uint16_t> mots;
  const std::int32_t n = RemplirLignes(lignes);
  for (std::int32_t k = 0; k < n; ++k) {
    const LigneImage ligne(lignes[static_cast<std::size_t>(k)]);
    if (ligne.LaDestination() != Destination::Programme) continue;
    for (std::int32_t i = 0; i < ligne.NbMots; ++i)
      mots[static_cast<std::uint32_t>(ligne.AdresseMot + i)] =
          static_cast<std::uint16_t>(ligne.Mot(i));
  }
  return mots;
}

std::int32_t MettreAJour(CK02& liaison, const ApresMot& apresMot) {
  if (const std::int32_t code = Verifier(liaison)) return code;
  TableLignes lignes{};
  const std::int32_t n = RemplirLignes(lignes);
  std::int32_t motsEcrits = 0;
  for (std::int32_t k = 0; k < n; ++k) {
    const LigneImage ligne(lignes[static_cast<std::size_t>(k)]);
    const Destination destination = ligne.LaDestination();
    if (destination == Destination::FinImage) return liaison.EcrireVersion(1, 2);
    if (destination == Destination::Rien) continue;
    if (const std::int32_t code = EcrireLigne(liaison, ligne, motsEcrits, apresMot)) return code;
  }
  return -1;  // no end-of-file row: the image is incomplete
}
