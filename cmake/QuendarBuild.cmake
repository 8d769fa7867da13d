# Compiler settings shared by every target of the suite.
find_package(Threads REQUIRED)

add_compile_options(-Wall -Wextra)

if(QUENDAR_STATIC)
  add_link_options(-static)
endif()

# The obfuscated literals take their per-text multipliers and offsets from a
# seed drawn when the build tree is configured, so two builds store the same
# texts differently.
if(NOT QUENDAR_OBF_SEED)
  string(RANDOM LENGTH 9 ALPHABET 0123456789 seed)
  string(REGEX REPLACE "^0+" "" seed "${seed}1")
  set(QUENDAR_OBF_SEED "${seed}" CACHE STRING "Seed of the obfuscated literals")
endif()
add_compile_definitions(QUENDAR_OBF_SEED=${QUENDAR_OBF_SEED}u)

# quendar_executable(<name> SOURCES ...): a deliverable or helper program,
# linked against the support library.
function(quendar_executable name)
  cmake_parse_arguments(ARG "STATIC" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE quendar_support ${ARG_LIBS})
  if(ARG_STATIC)
    target_link_options(${name} PRIVATE -static)
  endif()
endfunction()

# quendar_embed_blob(<target> <symbol> <file>): links the bytes of <file> into
# <target> as `extern const unsigned char <symbol>[]` with the length in
# `extern const unsigned long <symbol>_len`, through the assembler's .incbin.
function(quendar_embed_blob target symbol file)
  set(asm ${CMAKE_CURRENT_BINARY_DIR}/${target}_${symbol}_blob.S)
  file(WRITE ${asm}.in
"    .section .rodata
    .global @SYM@
    .global @SYM@_len
    .balign 16
@SYM@:
    .incbin \"@FILE@\"
@SYM@_end:
    .balign 8
@SYM@_len:
    .quad @SYM@_end - @SYM@
    .section .note.GNU-stack,\"\",%progbits
")
  set(SYM ${symbol})
  set(FILE ${file})
  configure_file(${asm}.in ${asm} @ONLY)
  set_source_files_properties(${asm} PROPERTIES OBJECT_DEPENDS ${file})
  target_sources(${target} PRIVATE ${asm})
endfunction()
