# Cross build for i686 Windows with mingw-w64 (MingwToolchain.cmake).
set(NORV_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
