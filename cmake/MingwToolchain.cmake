# Cross build for Windows with mingw-w64 (posix threading model, so that std::thread and
# std::mutex exist); tests run under Wine, through the runner WineTest.cmake makes. The
# toolchain file that includes this one names the target in NORV_MINGW_TRIPLE
# (i686-w64-mingw32, x86_64-w64-mingw32).
set(CMAKE_SYSTEM_NAME Windows)
string(REGEX REPLACE "-.*" "" CMAKE_SYSTEM_PROCESSOR "${NORV_MINGW_TRIPLE}")

set(CMAKE_C_COMPILER   ${NORV_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${NORV_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${NORV_MINGW_TRIPLE}-windres)
set(NORV_WIDL          ${NORV_MINGW_TRIPLE}-widl)
set(NORV_OBJDUMP       ${NORV_MINGW_TRIPLE}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${NORV_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The module and the tests need nothing beyond the system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
