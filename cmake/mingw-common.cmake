# Shared part of the MinGW-w64 toolchain files; ZT_MINGW_TRIPLE names the target.
set(CMAKE_C_COMPILER ${ZT_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZT_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZT_MINGW_TRIPLE}-windres)
set(ZT_WINDMC ${ZT_MINGW_TRIPLE}-windmc)
set(ZT_OBJDUMP ${ZT_MINGW_TRIPLE}-objdump)
set(CMAKE_FIND_ROOT_PATH /usr/${ZT_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The product and its tests must need no MinGW runtime DLL beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
# windres runs the C preprocessor: let it write the headers and scripts a resource script
# includes, so that a change to any of them rebuilds it. Binary files it reads (images, message
# tables, manifests) still need OBJECT_DEPENDS.
set(CMAKE_DEPFILE_FLAGS_RC "--preprocessor-arg=-MMD --preprocessor-arg=-MQ --preprocessor-arg=<OBJECT> --preprocessor-arg=-MF --preprocessor-arg=<DEP_FILE>")
