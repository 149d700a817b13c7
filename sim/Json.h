// The few JSON helpers the simulator's report needs: it is written by hand.
#pragma once

#include <string>
#include <string_view>

namespace sim {

// `texte` as a JSON string, quotes included. Bytes of 0x80 and above are taken
// as Latin-1 and escaped, so the result is plain ASCII whatever the input.
inline std::string JsonTexte(std::string_view texte) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string json = "\"";
  for (char c : texte) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      json += '\\';
      json += c;
    } else if (c == '\n') {
      json += "\\n";
    } else if (c == '\t') {
      json += "\\t";
    } else if (u < 0x20 || u >= 0x7F) {
      json += "\\u00";
      json += kHex[u >> 4];
      json += kHex[u & 0xF];
    } else {
      json += c;
    }
  }
  return json + '"';
}

inline const char* JsonBooleen(bool b) { return b ? "true" : "false"; }

}  // namespace sim
