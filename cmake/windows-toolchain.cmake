# The toolchain of preset windows: Debian's MinGW-w64 compilers (mingw-w64.cmake), a Qt 6
# built for them (scripts/qt-mingw) and Debian's Qt of the same version for moc, rcc and uic.
#
# CMake reads this file again for every compiler check, so everything it finds is kept in
# cache variables that those checks are handed.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES RENDIX_QT_MINGW)

if(NOT RENDIX_QT_MINGW)
  # One lookup for the scripts and the build: $RENDIX_QT_MINGW, a shared prefix beside the
  # repository, then the per-user cache.
  execute_process(
    COMMAND "${CMAKE_CURRENT_LIST_DIR}/../scripts/qt-mingw" --prefix
    OUTPUT_VARIABLE prefix
    ERROR_VARIABLE why
    RESULT_VARIABLE status
    OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "No Qt for MinGW-w64 was found.\n${why}")
  endif()
  set(RENDIX_QT_MINGW "${prefix}" CACHE PATH "Qt 6 for MinGW-w64 (scripts/qt-mingw)")
endif()

# The host tools of Qt come from Debian's own Qt, which must be the same version.
set(QT_HOST_PATH /usr CACHE PATH "Qt of the build machine (moc, rcc, uic)")
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/${CMAKE_HOST_SYSTEM_PROCESSOR}-linux-gnu/cmake
    CACHE PATH "CMake packages of the build machine's Qt")
set(QT_CHAINLOAD_TOOLCHAIN_FILE "${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake")
include("${RENDIX_QT_MINGW}/lib/cmake/Qt6/qt.toolchain.cmake")
