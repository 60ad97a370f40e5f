# Cross build for 64-bit Windows with Debian's MinGW-w64 compilers. The
# posix thread model is required: std::mutex and std::thread need it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SMTPCLIENT_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SMTPCLIENT_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SMTPCLIENT_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${SMTPCLIENT_MINGW_TRIPLET}-windres)

# Libraries built for the target (libcurl, GoogleTest) are found through
# CMAKE_PREFIX_PATH; programs always come from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${SMTPCLIENT_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# The C++ runtime goes into each binary, so the DLL and the test programs
# need no MinGW DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
