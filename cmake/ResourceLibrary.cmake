# zt_add_resource_library(NAME FILE_NAME RC_SOURCE [INCLUDE_DIRS...])
# A resource-only library (no code, no entry point) such as a language library.
function(zt_add_resource_library target file_name rc_source)
  add_library(${target} SHARED ${rc_source})
  set_target_properties(${target} PROPERTIES
    LINKER_LANGUAGE C
    PREFIX ""
    OUTPUT_NAME ${file_name}
    SUFFIX ""
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  target_include_directories(${target} PRIVATE ${ARGN})
  target_link_options(${target} PRIVATE -nostdlib -Wl,--entry=0 -s)
endfunction()
