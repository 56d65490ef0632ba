# The host's header-only libraries from Debian's packages (scripts/setup.sh installs them):
#   norv_cli11  CLI11, the command line (libcli11-dev, /usr/include/CLI)
#   norv_json   nlohmann-json, the JSON output (nlohmann-json3-dev, /usr/include/nlohmann)
# The mingw builds must not see /usr/include, which holds the build machine's C library, so
# each library's folder is linked alone into a folder of the build tree and only that folder
# is added. The headers are the system's: their warnings are not ours.
set(NORV_HEADER_LIBRARY_ROOT /usr/include)
set(norv_header_folder ${CMAKE_BINARY_DIR}/header-libraries)

function(norv_header_library target folder header)
  if(NOT EXISTS ${NORV_HEADER_LIBRARY_ROOT}/${folder}/${header})
    message(FATAL_ERROR "${NORV_HEADER_LIBRARY_ROOT}/${folder}/${header} not found: "
      "scripts/setup.sh installs the host's header-only libraries")
  endif()
  set(own ${norv_header_folder}/${target})
  file(MAKE_DIRECTORY ${own})
  if(NOT EXISTS ${own}/${folder})
    file(CREATE_LINK ${NORV_HEADER_LIBRARY_ROOT}/${folder} ${own}/${folder} SYMBOLIC)
  endif()
  add_library(${target} INTERFACE)
  target_include_directories(${target} SYSTEM INTERFACE ${own})
endfunction()

norv_header_library(norv_cli11 CLI CLI.hpp)
norv_header_library(norv_json nlohmann json.hpp)
