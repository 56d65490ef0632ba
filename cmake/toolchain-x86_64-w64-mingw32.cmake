# Cross build for x86_64 Windows with mingw-w64 (MingwToolchain.cmake).
set(NORV_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
