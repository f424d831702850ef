# The release: the programs it ships and the zip a Windows user downloads,
# Corvane-<version>-win64.zip (`cmake --build build --target package`), which holds them next to
# README.txt and LICENSE; and the Windows Installer package of the same files for administrators,
# Corvane-<version>-x64.msi, with its winget manifests (`--target installer`). The install rules,
# the installer and the package tests all read the one list that corvane_ship() fills, so a
# program joins the release with one line.

set(CORVANE_PACKAGE_FILE_NAME "Corvane-${PROJECT_VERSION}-win64")
set(CORVANE_MSI_FILE_NAME "Corvane-${PROJECT_VERSION}-x64.msi")
set(CORVANE_VENDOR "Corvane's authors")
set(CORVANE_DOWNLOAD_URL "${CORVANE_HOMEPAGE}/download" CACHE STRING
    "Web folder the release's files are downloaded from (for the winget manifests)")
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
    set_property(GLOBAL APPEND PROPERTY CORVANE_SHIPPED_TARGETS ${target})
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
    set(CPACK_PACKAGE_VENDOR "${CORVANE_VENDOR}")
    set(CPACK_PACKAGE_FILE_NAME "${CORVANE_PACKAGE_FILE_NAME}")
    # The files sit at the top of the zip: Windows' "Extract All" makes the folder itself.
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
    set(CPACK_VERBATIM_VARIABLES ON)
    include(CPack)

    # The package is made on demand, like the zip: signing (scripts/package.sh) comes between the
    # build and the packing.
    get_property(targets GLOBAL PROPERTY CORVANE_SHIPPED_TARGETS)
    add_custom_target(installer
        COMMAND "${CMAKE_COMMAND}" "-DSOURCE_DIR=${PROJECT_SOURCE_DIR}"
                "-DMANIFEST=${CORVANE_RELEASE_MANIFEST}" "-DVERSION=${PROJECT_VERSION}"
                "-DMANUFACTURER=${CORVANE_VENDOR}" "-DHELP_LINK=${CORVANE_HOMEPAGE}"
                "-DINSTALLER_URL=${CORVANE_DOWNLOAD_URL}/${CORVANE_MSI_FILE_NAME}"
                "-DOUTPUT=${CMAKE_BINARY_DIR}/${CORVANE_MSI_FILE_NAME}"
                "-DWINGET_DIR=${CMAKE_BINARY_DIR}/winget"
                -P "${PROJECT_SOURCE_DIR}/cmake/Msi.cmake"
        VERBATIM)
    add_dependencies(installer ${targets})
endfunction()
