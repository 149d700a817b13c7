#include "tests/integration/LecteurJson.h"

#include <charconv>
#include <cmath>

namespace {

[[noreturn]] void Erreur(const std::string& quoi, std::size_t position) {
  throw std::runtime_error("JSON: " + quoi + " at offset " + std::to_string(position));
}

}  // namespace

// Recursive descent over the text; depth is bounded by the report's shape.
class AnalyseurJson {
 public:
  explicit AnalyseurJson(std::string_view texte) : t_(texte) {}

  Json Document() {
    Json valeur = Valeur();
    Blancs();
    if (i_ != t_.size()) Erreur("text after the value", i_);
    return valeur;
  }

 private:
  void Blancs() {
    while (i_ < t_.size() && (t_[i_] == ' ' || t_[i_] == '\n' || t_[i_] == '\r' || t_[i_] == '\t'))
      ++i_;
  }
  char Voir() {
    Blancs();
    if (i_ >= t_.size()) Erreur("unexpected end", i_);
    return t_[i_];
  }
  void Attendre(char c) {
    if (Voir() != c) Erreur(std::string("expected '") + c + "'", i_);
    ++i_;
  }
  bool Mot(std::string_view mot) {
    if (t_.substr(i_, mot.size()) != mot) return false;
    i_ += mot.size();
    return true;
  }

  Json Valeur() {
    Json v;
    const char c = Voir();
    if (c == '{') return Objet();
    if (c == '[') return Tableau();
    if (c == '"') {
      v.sorte_ = Json::Sorte::Texte;
      v.texte_ = Chaine();
    } else if (Mot("true")) {
      v.sorte_ = Json::Sorte::Booleen;
      v.booleen_ = true;
    } else if (Mot("false")) {
      v.sorte_ = Json::Sorte::Booleen;
    } else if (Mot("null")) {
      v.sorte_ = Json::Sorte::Nul;
    } else {
      v.sorte_ = Json::Sorte::Nombre;
      v.nombre_ = Nombre();
    }
    return v;
  }

  Json Objet() {
    Json v;
    v.sorte_ = Json::Sorte::Objet;
    Attendre('{');
    if (Voir() == '}') return ++i_, v;
    for (;;) {
      if (Voir() != '"') Erreur("expected a member name", i_);
      v.noms_.push_back(Chaine());
      Attendre(':');
      v.elements_.push_back(Valeur());
      if (Voir() == '}') return ++i_, v;
      Attendre(',');
    }
  }

  Json Tableau() {
    Json v;
    v.sorte_ = Json::Sorte::Tableau;
    Attendre('[');
    if (Voir() == ']') return ++i_, v;
    for (;;) {
      v.elements_.push_back(Valeur());
      if (Voir() == ']') return ++i_, v;
      Attendre(',');
    }
  }

  // The report escapes only quotes, backslashes, \n, \t and \u00XX.
  std::string Chaine() {
    std::string s;
    ++i_;  // the opening quote
    while (i_ < t_.size() && t_[i_] != '"') {
      const char c = t_[i_++];
      if (static_cast<unsigned char>(c) < 0x20) Erreur("control character in a string", i_ - 1);
      if (c != '\\') {
        s += c;
        continue;
      }
      if (i_ >= t_.size()) break;
      s += Echappement(t_[i_++]);
    }
    if (i_ >= t_.size()) Erreur("unterminated string", i_);
    ++i_;
    return s;
  }

  char Echappement(char c) {
    switch (c) {
      case '"': case '\\': case '/': return c;
      case 'n': return '\n';
      case 't': return '\t';
      case 'r': return '\r';
      case 'b': return '\b';
      case 'f': return '\f';
      case 'u': {
        unsigned code = 0;
        const auto [fin, ec] = std::from_chars(t_.data() + i_, t_.data() + std::min(i_ + 4, t_.size()), code, 16);
        if (ec != std::errc{} || fin != t_.data() + i_ + 4 || code > 0xFF)
          Erreur("\\u escape beyond Latin-1", i_);
        i_ += 4;
        return static_cast<char>(code);
      }
      default:
        Erreur("bad escape", i_ - 1);
    }
  }

  double Nombre() {
    const std::size_t debut = i_;
    while (i_ < t_.size() && std::string_view("+-0123456789.eE").find(t_[i_]) != std::string_view::npos)
      ++i_;
    double valeur = 0;
    const auto [fin, ec] = std::from_chars(t_.data() + debut, t_.data() + i_, valeur);
    if (debut == i_ || ec != std::errc{} || fin != t_.data() + i_) Erreur("bad value", debut);
    return valeur;
  }

  std::string_view t_;
  std::size_t i_ = 0;
};

Json Json::Lire(std::string_view texte) { return AnalyseurJson(texte).Document(); }

void Json::Exiger(Sorte sorte, const char* quoi) const {
  if (sorte_ != sorte) throw std::runtime_error(std::string("JSON: the value is not ") + quoi);
}

bool Json::Booleen() const {
  Exiger(Sorte::Booleen, "a boolean");
  return booleen_;
}

double Json::Nombre() const {
  Exiger(Sorte::Nombre, "a number");
  return nombre_;
}

std::int64_t Json::Entier() const {
  const double n = Nombre();
  if (std::floor(n) != n || std::fabs(n) > 9.0e15)
    throw std::runtime_error("JSON: " + std::to_string(n) + " is not a whole number");
  return static_cast<std::int64_t>(n);
}

const std::string& Json::Texte() const {
  Exiger(Sorte::Texte, "a string");
  return texte_;
}

const std::vector<Json>& Json::Elements() const {
  Exiger(Sorte::Tableau, "an array");
  return elements_;
}

bool Json::Contient(std::string_view nom) const {
  Exiger(Sorte::Objet, "an object");
  for (const std::string& n : noms_)
    if (n == nom) return true;
  return false;
}

const Json& Json::operator[](std::string_view nom) const {
  Exiger(Sorte::Objet, "an object");
  for (std::size_t k = 0; k < noms_.size(); ++k)
    if (noms_[k] == nom) return elements_[k];
  throw std::runtime_error("JSON: no member \"" + std::string(nom) + "\"");
}
