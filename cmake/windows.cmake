# The Windows build's own settings of the project's targets (preset windows).

# A PE image gets address space randomisation and no-execute data from the MinGW linker
# itself; relro and now are ELF's. The stack protector's checks live in libssp on MinGW, not
# in its C runtime: linked in, so that no further DLL has to ship.
target_link_libraries(rendix_options INTERFACE $<$<CONFIG:Release>:-l:libssp.a>)

# The window program starts without a console window.
set_target_properties(rendix PROPERTIES WIN32_EXECUTABLE ON)
