# AIFF, AU and 24-bit WAVE files of the project's own for the movie tests, made at
# build time from a generated tone by scripts/make_sound.
# sonidrax_make_sound(NAME ARGS...): ${SONIDRAX_MEDIA_DIR}/NAME, made with make_sound ARGS.
function(sonidrax_make_sound name)
  sonidrax_make_media(make_sound ${name} ${ARGN})
endfunction()
