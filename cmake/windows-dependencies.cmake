# Read before the first line of the project on the Windows cross build (preset windows,
# through CMAKE_PROJECT_TOP_LEVEL_INCLUDES), so that CMakeLists.txt finds on Windows what
# Debian ships for Linux only, with the same find_package and find_path calls.

# GoogleTest, compiled by the cross compiler from Debian's own sources: find_package(GTest)
# adds it to the build and finds its GTest::gtest.
include(FetchContent)
set(INSTALL_GTEST OFF CACHE BOOL "")
set(BUILD_GMOCK OFF CACHE BOOL "")
FetchContent_Declare(GTest SOURCE_DIR /usr/src/googletest OVERRIDE_FIND_PACKAGE)

# dtl is header only and the same for every system. Its folder is reached through a folder of
# its own, so that no other header of /usr/include can reach the Windows build.
if(EXISTS /usr/include/dtl/dtl.hpp AND NOT DTL_INCLUDE_DIR)
  set(dtl_root ${CMAKE_BINARY_DIR}/host-headers)
  file(MAKE_DIRECTORY ${dtl_root})
  file(CREATE_LINK /usr/include/dtl ${dtl_root}/dtl SYMBOLIC)
  set(DTL_INCLUDE_DIR ${dtl_root} CACHE PATH "dtl, the header-only diff library")
endif()

# Wine runs the test programs, in a Wine prefix of the build's own (wine-run). They are
# listed when ctest runs, not when they are built: the build never starts Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run ${CMAKE_BINARY_DIR}/wine)
# Wine's drive Z: is the root of the Linux file system: the test programs reach the build's
# own files (test data, the programs they run) by Z: and the Linux path, wherever they stand.
set(RENDIX_TEST_PATH_PREFIX Z:)
# The window tests run on Qt's windows platform, on Wine's null display driver (wine-run): no
# display is needed, and text is measured in the fonts Windows draws it in, which the
# offscreen platform of Qt for Windows cannot find.
set(RENDIX_WINDOW_TESTS_QT_PLATFORM windows)
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)

# What the programs load at run time goes beside them in bin/, as it is shipped: the MinGW
# runtime (Qt's DLLs need it, so the programs share that one copy rather than link a second
# one in statically), the Qt DLLs and the plugins Qt looks for in the program's folder. The
# copies are writable whatever the source, which may be a read-only shared folder.
set(runtime_dir ${CMAKE_BINARY_DIR}/bin)
foreach(dll libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
    message(FATAL_ERROR "${CMAKE_CXX_COMPILER} has no ${dll}")
  endif()
  file(COPY ${path} DESTINATION ${runtime_dir} NO_SOURCE_PERMISSIONS)
endforeach()
foreach(module Core Gui Widgets Test)
  file(COPY ${RENDIX_QT_MINGW}/bin/Qt6${module}.dll DESTINATION ${runtime_dir}
       NO_SOURCE_PERMISSIONS)
endforeach()
file(COPY ${RENDIX_QT_MINGW}/plugins/platforms/qwindows.dll
          ${RENDIX_QT_MINGW}/plugins/platforms/qoffscreen.dll
     DESTINATION ${runtime_dir}/platforms NO_SOURCE_PERMISSIONS)
file(COPY ${RENDIX_QT_MINGW}/plugins/styles/qwindowsvistastyle.dll
     DESTINATION ${runtime_dir}/styles NO_SOURCE_PERMISSIONS)
