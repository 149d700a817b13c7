# zt_embed(library SYMBOL file SYMBOL file ...): a static library holding each
# file's bytes as `const unsigned char SYMBOL[]` and `std::size_t SYMBOL_taille`.
function(zt_embed library)
  set(sources)
  while(ARGN)
    list(POP_FRONT ARGN symbole fichier)
    set(sortie ${CMAKE_CURRENT_BINARY_DIR}/${symbole}.cpp)
    add_custom_command(
      OUTPUT ${sortie}
      COMMAND ${CMAKE_COMMAND} -DINPUT=${fichier} -DOUTPUT=${sortie} -DSYMBOL=${symbole}
              -P ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake
      DEPENDS ${fichier} ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake
      VERBATIM)
    list(APPEND sources ${sortie})
  endwhile()
  add_library(${library} STATIC ${sources})
endfunction()
