# Cross build for 64-bit Windows with clang instead of GCC: the same MinGW-w64 headers, import
# libraries and binutils as cmake/mingw-w64-x86_64.cmake, and the libstdc++ of the posix-thread
# GCC, named here: clang's own search for a MinGW GCC misses Debian's "12-posix" folders (and,
# without a sysroot, takes the host's /usr/include). This tree keeps the sources free of
# GCC-only code; the tests run from the GCC tree.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VELLUM_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${VELLUM_MINGW_TRIPLE})
set(CMAKE_CXX_COMPILER_TARGET ${VELLUM_MINGW_TRIPLE})
set(CMAKE_RC_COMPILER ${VELLUM_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${VELLUM_MINGW_TRIPLE}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${VELLUM_MINGW_TRIPLE}-ranlib CACHE FILEPATH "")
set(CMAKE_NM ${VELLUM_MINGW_TRIPLE}-nm CACHE FILEPATH "")
set(CMAKE_DLLTOOL ${VELLUM_MINGW_TRIPLE}-dlltool CACHE FILEPATH "")

# The MinGW-w64 headers and libraries, as clang's --sysroot.
set(CMAKE_SYSROOT /usr/${VELLUM_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH /usr/${VELLUM_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# libstdc++, libgcc and libgcc_eh from the posix GCC (std::mutex and GoogleTest need its
# threads); it says where they are.
execute_process(COMMAND ${VELLUM_MINGW_TRIPLE}-gcc-posix -print-libgcc-file-name
                OUTPUT_VARIABLE _vellum_libgcc OUTPUT_STRIP_TRAILING_WHITESPACE
                RESULT_VARIABLE _vellum_gcc_status)
if(NOT _vellum_gcc_status EQUAL 0 OR NOT EXISTS "${_vellum_libgcc}")
    message(FATAL_ERROR "clang-mingw: ${VELLUM_MINGW_TRIPLE}-gcc-posix not found (its libstdc++ is needed)")
endif()
get_filename_component(VELLUM_MINGW_GCC_DIR "${_vellum_libgcc}" DIRECTORY)
set(_vellum_cxx_include "${VELLUM_MINGW_GCC_DIR}/include/c++")
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES ${_vellum_cxx_include}
    ${_vellum_cxx_include}/${VELLUM_MINGW_TRIPLE} ${_vellum_cxx_include}/backward)
# -pthread puts winpthread among the default libraries, after libgcc_eh, which needs it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-L${VELLUM_MINGW_GCC_DIR} -pthread")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-L${VELLUM_MINGW_GCC_DIR} -pthread")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-L${VELLUM_MINGW_GCC_DIR} -pthread")

# ctest in this tree could run its tests under Wine, as in the GCC tree.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
