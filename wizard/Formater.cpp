#include "wizard/Formater.h"

#include <cstdarg>
#include <cstdio>

std::string Formater(const char* modele, ...) {
  std::va_list arguments;
  va_start(arguments, modele);
  std::va_list copie;
  va_copy(copie, arguments);
  const int longueur = std::vsnprintf(nullptr, 0, modele, copie);
  va_end(copie);
  std::string texte(longueur > 0 ? static_cast<std::size_t>(longueur) : 0, '\0');
  if (longueur > 0) std::vsnprintf(texte.data(), texte.size() + 1, modele, arguments);
  va_end(arguments);
  return texte;
}
