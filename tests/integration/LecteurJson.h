// A small JSON reader for the simulator's report. It is strict on purpose: a
// report that is not well-formed JSON, or a member a test asks for that is
// not there, throws, so a broken report can never pass for a good one.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class Json {
 public:
  enum class Sorte { Nul, Booleen, Nombre, Texte, Tableau, Objet };

  // Throws std::runtime_error, with the offset, on anything malformed.
  static Json Lire(std::string_view texte);

  Sorte LaSorte() const { return sorte_; }
  bool EstNul() const { return sorte_ == Sorte::Nul; }
  bool Booleen() const;
  double Nombre() const;
  // The number, which must be a whole one.
  std::int64_t Entier() const;
  const std::string& Texte() const;
  const std::vector<Json>& Elements() const;
  bool Contient(std::string_view nom) const;
  // The member `nom` of an object; throws when absent.
  const Json& operator[](std::string_view nom) const;

 private:
  friend class AnalyseurJson;
  void Exiger(Sorte sorte, const char* quoi) const;

  Sorte sorte_ = Sorte::Nul;
  bool booleen_ = false;
  double nombre_ = 0;
  std::string texte_;
  std::vector<Json> elements_;  // an array's elements, or an object's values
  std::vector<std::string> noms_;  // an object's names, in the order of elements_
};
