# The release: the programs it ships and the zip a Windows user downloads,
# Corvane-<version>-win64.zip (`cmake --build build --target package`), which holds them next to
# README.txt and LICENSE. The install rules and the package test both read the one list that
# corvane_ship() fills, so a program joins the release with one line.

set(CORVANE_PACKAGE_FILE_NAME "Corvane-${PROJECT_VERSION}-win64")
# Each shipped file next to the build's copy of it, one a line; the package test compares them.
set(CORVANE_RELEASE_MANIFEST "${CMAKE_BINARY_DIR}/release/files.txt")

# corvane_ship(<target> [<file>]): the release ships the program that <target> builds. <file>
# names the program when a custom command makes it rather than an executable target.
function(corvane_ship target)
    if(ARGC GREATER 1)
        set(file "${ARGV1}")
        install(PROGRAMS "${file}" DESTINATION .)
    else()
        set(file "$<TARGET_FILE:${target}>")
        install(TARGETS ${target} RUNTIME DESTINATION .)
    endif()
    set_property(GLOBAL APPEND PROPERTY CORVANE_SHIPPED_FILES "${file}")
endfunction()

# Called once, after every program has been shipped: the documents, the manifest and CPack.
function(corvane_package)
    # Windows users open the texts in Notepad: CRLF line ends.
    configure_file(packaging/README.txt "${CMAKE_BINARY_DIR}/release/README.txt" @ONLY
                   NEWLINE_STYLE CRLF)
    configure_file(LICENSE "${CMAKE_BINARY_DIR}/release/LICENSE" @ONLY NEWLINE_STYLE CRLF)
    set(documents "${CMAKE_BINARY_DIR}/release/README.txt" "${CMAKE_BINARY_DIR}/release/LICENSE")
    install(FILES ${documents} DESTINATION .)

    get_property(files GLOBAL PROPERTY CORVANE_SHIPPED_FILES)
    list(APPEND files ${documents})
    file(GENERATE OUTPUT "${CORVANE_RELEASE_MANIFEST}" CONTENT "$<JOIN:${files},\n>\n")

    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_NAME Corvane)
    set(CPACK_PACKAGE_VENDOR "Corvane's authors")
    set(CPACK_PACKAGE_FILE_NAME "${CORVANE_PACKAGE_FILE_NAME}")
    # The files sit at the top of the zip: Windows' "Extract All" makes the folder itself.
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
    set(CPACK_VERBATIM_VARIABLES ON)
    include(CPack)
endfunction()
