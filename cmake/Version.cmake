# The one version of every file built here: the project's version, and the number of commits as
# the build number (0 outside a git checkout). Resource scripts read it from ZtVersion.h through
# res/version.rci; it is worked out again whenever the build is configured.
set(ZT_BUILD_NUMBER 0)
find_package(Git QUIET)
if(GIT_FOUND)
  execute_process(COMMAND ${GIT_EXECUTABLE} rev-list --count HEAD
                  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
                  RESULT_VARIABLE zt_git_result
                  OUTPUT_VARIABLE zt_git_count
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  # A version field holds 16 bits.
  if(zt_git_result EQUAL 0 AND zt_git_count MATCHES "^[0-9]+$" AND zt_git_count LESS 65536)
    set(ZT_BUILD_NUMBER ${zt_git_count})
  endif()
endif()
set(ZT_VERSION ${PROJECT_VERSION}.${ZT_BUILD_NUMBER})
set(ZT_VERSION_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_SOURCE_DIR}/res/ZtVersion.h.in ${ZT_VERSION_DIR}/ZtVersion.h @ONLY)
# Every resource script finds the shared version block and the version beside its own includes.
include_directories($<$<COMPILE_LANGUAGE:RC>:${CMAKE_SOURCE_DIR}/res> $<$<COMPILE_LANGUAGE:RC>:${ZT_VERSION_DIR}>)
message(STATUS "ZtServiceMsg version ${ZT_VERSION}")
