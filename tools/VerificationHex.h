// Checks of the firmware HEX file, made at build time: the wizard decodes the
// rows with no check at all (a wrong digit or byte count goes to the device as
// decoded), so every rule the device relies on is enforced here instead.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hex {

// The first row the device could not take: its line (from 1) and why.
struct Refus {
  std::size_t ligne;
  std::string raison;
};

// The file's record texts in order, or the refusal that stopped the check.
struct Verification {
  std::vector<std::string> enregistrements;
  std::optional<Refus> refus;
};

// Most records the wizard's row table holds, end-of-file record included.
inline constexpr std::size_t NbEnregistrementsMax = 2000;

// One record's text (no line end): the reason it is refused, or nothing.
std::optional<std::string> VerifierEnregistrement(std::string_view texte);

// A whole file: every record, then the end-of-file record last and the count.
Verification VerifierFichier(std::string_view contenu);

// The C++ source defining ImageMicrologiciel from verified records.
std::string SourceImage(const std::vector<std::string>& enregistrements, std::string_view origine);

}  // namespace hex
