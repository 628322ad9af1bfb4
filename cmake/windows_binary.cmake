# Cross-builds kesk.exe beside a native build of the tests, so that the end-to-end tests
# can run against the Windows program under Wine (the "windows" presets). The tests stay
# Linux programs; kesk.exe is a separate CMake build of this same source tree with the
# mingw-w64 toolchain and the tests off.
include(ExternalProject)

set(KESK_WINDOWS_BUILD_DIR ${PROJECT_BINARY_DIR}/kesk-windows)
ExternalProject_Add(kesk_windows
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${KESK_WINDOWS_BUILD_DIR}
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake
    -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
    -DKESK_BUILD_TESTS=OFF
    -DKESK_CROSS_BUILD_WINDOWS=OFF
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${KESK_WINDOWS_BUILD_DIR}/kesk.exe)

# Runs a Windows program under Wine in a prefix of this build's own, with Wine's messages
# off: the tests pass it as KESK_WRAPPER.
set(KESK_WINE_PREFIX ${PROJECT_BINARY_DIR}/wine-prefix)
configure_file(${CMAKE_CURRENT_LIST_DIR}/run-under-wine.sh.in ${PROJECT_BINARY_DIR}/run-under-wine
               @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
               GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
