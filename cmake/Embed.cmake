# vx_embed_files(<target> <symbol-prefix> FILES <file>...)
# Embeds each file into <target> with the assembler's .incbin and defines, per
# file, `<prefix>_<stem>` (the bytes) and `<prefix>_<stem>_size` (a uint32_t).
# The stem is the file name with every non-alphanumeric character as '_'.
# Declare them in C++ as: extern "C" const unsigned char x[]; extern "C" const uint32_t x_size;
function(vx_embed_files target prefix)
  cmake_parse_arguments(ARG "" "" "FILES" ${ARGN})
  set(asm "${CMAKE_CURRENT_BINARY_DIR}/${prefix}_blobs.S")
  # Read-only data: ".rodata" in ELF, ".rdata" in Windows' PE/COFF.
  if(WIN32)
    set(text "    .section .rdata,\"dr\"\n")
  else()
    set(text "    .section .rodata\n")
  endif()
  set(deps "")
  foreach(f ${ARG_FILES})
    get_filename_component(abs "${f}" ABSOLUTE)
    get_filename_component(name "${f}" NAME)
    string(MAKE_C_IDENTIFIER "${name}" stem)
    set(sym "${prefix}_${stem}")
    string(APPEND text
      "    .global ${sym}\n    .balign 16\n${sym}:\n    .incbin \"${abs}\"\n${sym}_end:\n"
      "    .global ${sym}_size\n    .balign 4\n${sym}_size:\n    .long ${sym}_end - ${sym}\n")
    list(APPEND deps "${abs}")
  endforeach()
  if(NOT WIN32)
    # No executable stack for the program that links it.
    string(APPEND text "    .section .note.GNU-stack,\"\",@progbits\n")
  endif()
  file(GENERATE OUTPUT "${asm}" CONTENT "${text}")
  target_sources(${target} PRIVATE "${asm}")
  # Source properties are per directory: set them where the target lives, so
  # a changed asset is embedded again by an incremental build.
  set_source_files_properties("${asm}" TARGET_DIRECTORY ${target}
                              PROPERTIES OBJECT_DEPENDS "${deps}" GENERATED TRUE)
endfunction()
