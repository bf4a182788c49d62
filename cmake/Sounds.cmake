# AIFF, AU and 24-bit WAVE files of the project's own for the movie tests, made at
# build time from a generated tone by scripts/make_sound.
# sonidrax_make_sound(NAME ARGS...): ${SONIDRAX_MEDIA_DIR}/NAME, made with make_sound ARGS.
function(sonidrax_make_sound name)
  set(out ${SONIDRAX_MEDIA_DIR}/${name})
  add_custom_command(OUTPUT ${out}
    COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/scripts/make_sound ${out} ${ARGN}
    DEPENDS ${PROJECT_SOURCE_DIR}/scripts/make_sound
    COMMENT "Making ${name}" VERBATIM)
  string(MAKE_C_IDENTIFIER ${name} target)
  add_custom_target(media_${target} ALL DEPENDS ${out})
endfunction()
