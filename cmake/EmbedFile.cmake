# Run as a script: cmake -DINPUT=file -DOUTPUT=file.cpp -DSYMBOL=name -P EmbedFile.cmake
# Writes the bytes of INPUT as a constant array, so the program reads no file
# at run time.
file(READ "${INPUT}" contenu HEX)
string(LENGTH "${contenu}" longueur)
math(EXPR taille "${longueur} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," octets "${contenu}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n  " octets "${octets}")
file(WRITE "${OUTPUT}"
  "// Generated from ${INPUT}; do not edit.\n"
  "#include <cstddef>\n"
  "extern const unsigned char ${SYMBOL}[] = {\n  ${octets}\n};\n"
  "extern const std::size_t ${SYMBOL}_taille = ${taille};\n")
