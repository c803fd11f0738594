# The Windows build's own settings of the project's targets (preset windows).

# A PE image gets address space randomisation and no-execute data from the MinGW linker
# itself; relro and now are ELF's. The stack protector's checks live in libssp on MinGW, not
# in its C runtime: linked in, so that no further DLL has to ship.
target_link_libraries(rendix_options INTERFACE $<$<CONFIG:Release>:-l:libssp.a>)

# The window program starts without a console window.
set_target_properties(rendix PROPERTIES WIN32_EXECUTABLE ON)

# Every program carries the manifest (UTF-8 as its code page, long paths, no elevation), the
# icon and the version (packaging/windows/rendix.rc.in).
enable_language(RC)
set(RENDIX_WINDOWS_PACKAGING ${CMAKE_SOURCE_DIR}/packaging/windows)
set(RENDIX_VERSION_COMMA
    "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0")
configure_file(${RENDIX_WINDOWS_PACKAGING}/rendix.rc.in ${CMAKE_BINARY_DIR}/generated/rendix.rc
               @ONLY)
get_property(rendix_targets DIRECTORY ${CMAKE_SOURCE_DIR} PROPERTY BUILDSYSTEM_TARGETS)
foreach(target ${rendix_targets})
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    target_sources(${target} PRIVATE ${CMAKE_BINARY_DIR}/generated/rendix.rc)
  endif()
endforeach()
set_property(SOURCE ${CMAKE_BINARY_DIR}/generated/rendix.rc APPEND PROPERTY OBJECT_DEPENDS
             ${RENDIX_WINDOWS_PACKAGING}/rendix.manifest ${RENDIX_WINDOWS_PACKAGING}/rendix.ico)
