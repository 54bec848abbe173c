# The engine's libraries for Windows, as scripts/build-windows-deps.sh builds them: include after project()
# with the MinGW-w64 tool chain (cmake/mingw-w64.cmake). Then pkg_check_modules finds libzip, libdeflate
# and pugixml as on Linux, and find_package finds GTest, libzip, pugixml and ZLIB, all as static libraries.
get_filename_component(_glyphmere_default_deps ${CMAKE_CURRENT_LIST_DIR}/../.cache/windows-deps ABSOLUTE)
if(DEFINED ENV{GLYPHMERE_WINDOWS_DEPS})
    set(_glyphmere_default_deps $ENV{GLYPHMERE_WINDOWS_DEPS})
endif()
set(GLYPHMERE_WINDOWS_DEPS_PREFIX ${_glyphmere_default_deps}/prefix
    CACHE PATH "Prefix of the Windows libraries that scripts/build-windows-deps.sh built (absolute)")
if(NOT EXISTS ${GLYPHMERE_WINDOWS_DEPS_PREFIX}/versions.txt)
    message(FATAL_ERROR "No Windows libraries in ${GLYPHMERE_WINDOWS_DEPS_PREFIX}: "
                        "run scripts/build-windows-deps.sh first")
endif()

# The prefix is a second root beside the cross compiler's own tree, where zlib is.
list(APPEND CMAKE_FIND_ROOT_PATH ${GLYPHMERE_WINDOWS_DEPS_PREFIX})
list(APPEND CMAKE_PREFIX_PATH ${GLYPHMERE_WINDOWS_DEPS_PREFIX})
# Static libraries only, so that a program carries none of these libraries as a DLL. MinGW-w64's import
# libraries of the system DLLs are named lib*.a, so they are still found.
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
set(ZLIB_USE_STATIC_LIBS ON)
# pkg-config looks at the Windows libraries only, never at the build machine's.
set(ENV{PKG_CONFIG_LIBDIR} ${GLYPHMERE_WINDOWS_DEPS_PREFIX}/lib/pkgconfig:/usr/${GLYPHMERE_MINGW_TRIPLE}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
