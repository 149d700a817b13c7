// The pictures compiled into the program.
#pragma once

#include <cstddef>

extern const unsigned char RessourceLogo[];  // the maker's banner, JPEG 330 x 53
extern const std::size_t RessourceLogo_taille;
extern const unsigned char RessourceConnexion[];  // device and PC, JPEG 362 x 193
extern const std::size_t RessourceConnexion_taille;
extern const unsigned char RessourceIcone[];  // the window's icon, PNG 32 x 32, 16 colours
extern const std::size_t RessourceIcone_taille;
