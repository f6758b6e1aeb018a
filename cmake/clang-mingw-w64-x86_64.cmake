# Cross build for 64-bit Windows with Clang and the LLD linker, over the
# MinGW-w64 headers and libraries (Debian's clang, lld and mingw-w64
# packages): the same program as cmake/mingw-w64-x86_64.cmake builds with GCC.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${TOOLCHAIN_PREFIX})
set(CMAKE_CXX_COMPILER_TARGET ${TOOLCHAIN_PREFIX})
# LLVM's windres preprocesses with clang too; the versioned name is the one
# Debian puts on the path.
find_program(DEREZIZ_LLVM_WINDRES NAMES llvm-windres llvm-windres-19 llvm-windres-18 llvm-windres-17
             llvm-windres-16 llvm-windres-15 llvm-windres-14 REQUIRED)
set(CMAKE_RC_COMPILER ${DEREZIZ_LLVM_WINDRES})

set(DEREZIZ_MINGW_ROOT /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_SYSROOT ${DEREZIZ_MINGW_ROOT})
set(CMAKE_FIND_ROOT_PATH ${DEREZIZ_MINGW_ROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C++ library is GCC's (POSIX threads), which Debian keeps in a folder
# named after GCC's version and thread model, e.g. 12-posix. Clang before 16
# does not recognise that name, so the folder is given explicitly.
file(GLOB DEREZIZ_GCC_DIRS LIST_DIRECTORIES true /usr/lib/gcc/${TOOLCHAIN_PREFIX}/*-posix)
list(SORT DEREZIZ_GCC_DIRS COMPARE NATURAL ORDER DESCENDING)
list(GET DEREZIZ_GCC_DIRS 0 DEREZIZ_GCC_DIR)
if(NOT EXISTS "${DEREZIZ_GCC_DIR}/include/c++")
  message(FATAL_ERROR "No MinGW-w64 GCC C++ library (POSIX threads) under /usr/lib/gcc/${TOOLCHAIN_PREFIX}: "
                      "install g++-mingw-w64-x86-64-posix")
endif()
set(CMAKE_CXX_FLAGS_INIT "-isystem ${DEREZIZ_GCC_DIR}/include/c++ -isystem ${DEREZIZ_GCC_DIR}/include/c++/${TOOLCHAIN_PREFIX} -isystem ${DEREZIZ_GCC_DIR}/include/c++/backward")
# One standalone executable, as with GCC: the C++ library, its threads and
# GCC's helpers linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -static -pthread -L${DEREZIZ_GCC_DIR}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-fuse-ld=lld -static -pthread -L${DEREZIZ_GCC_DIR}")
