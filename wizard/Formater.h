// printf-style formatting into a string as long as the output needs.
#pragma once

#include <string>

std::string Formater(const char* modele, ...) __attribute__((format(printf, 1, 2)));
