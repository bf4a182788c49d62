# Each folder of src/ is a library whose headers clients name "folder/header.h".
# The folder is reachable only through its own target: the target's include
# root holds one link, to the folder itself. A file that includes a header of a
# folder its target does not link to (a folder above it) does not build.
function(sonidrax_folder_headers target)
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  set(root ${CMAKE_BINARY_DIR}/include/${folder})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${folder} SYMBOLIC)
  target_include_directories(${target} PUBLIC ${root})
endfunction()
