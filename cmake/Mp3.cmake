# MPEG audio files of the project's own for tests, the benchmark and the tour,
# made at build time from a generated signal by scripts/make_mp3 (Debian's lame).
find_program(SONIDRAX_LAME lame REQUIRED)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(SONIDRAX_MEDIA_DIR ${CMAKE_BINARY_DIR}/media)

# sonidrax_make_media(SCRIPT NAME ARGS...): ${SONIDRAX_MEDIA_DIR}/NAME, made by
# scripts/SCRIPT with ARGS; one target per file, built with everything.
function(sonidrax_make_media script name)
  set(out ${SONIDRAX_MEDIA_DIR}/${name})
  add_custom_command(OUTPUT ${out}
    COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/scripts/${script} ${out} ${ARGN}
    DEPENDS ${PROJECT_SOURCE_DIR}/scripts/${script}
    COMMENT "Making ${name}" VERBATIM)
  string(MAKE_C_IDENTIFIER ${name} target)
  add_custom_target(media_${target} ALL DEPENDS ${out})
endfunction()

# sonidrax_make_mp3(NAME ARGS...): ${SONIDRAX_MEDIA_DIR}/NAME, made with make_mp3 ARGS.
function(sonidrax_make_mp3 name)
  sonidrax_make_media(make_mp3 ${name} ${ARGN})
endfunction()
