# Makes the Windows Installer package, Corvane-<version>-x64.msi, with wixl from
# packaging/Corvane.wxs and the release's own list of files, so that a program shipped in the zip
# is in the package too; signs it when a certificate is given (scripts/sign.sh); then writes the
# winget manifests for it, with its version and SHA-256, into winget/<version>/.
# Run with cmake -P. SOURCE_DIR: the project; MANIFEST: the shipped files, one a line; VERSION;
# MANUFACTURER; HELP_LINK; INSTALLER_URL: where the package will be downloaded from;
# OUTPUT: the package's path. WINGET_DIR (optional): where the manifests go, none without it.
file(STRINGS "${MANIFEST}" files)
set(fragment "${OUTPUT}.files.wxs")
# wixl takes sources relative to its working folder only.
get_filename_component(work "${OUTPUT}" DIRECTORY)
set(components "")
foreach(file IN LISTS files)
    # The file's name is its id; the component's GUID follows from its path, so it stays the same
    # from one version to the next.
    get_filename_component(name "${file}" NAME)
    file(RELATIVE_PATH file "${work}" "${file}")
    string(APPEND components "      <Component Id=\"${name}\" Guid=\"*\">"
           "<File Id=\"${name}\" Source=\"${file}\" KeyPath=\"yes\" /></Component>\n")
endforeach()
file(WRITE "${fragment}"
     "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
     "<Wix xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">\n  <Fragment>\n"
     "    <ComponentGroup Id=\"Shipped\" Directory=\"INSTALLDIR\">\n${components}"
     "    </ComponentGroup>\n  </Fragment>\n</Wix>\n")

find_program(WIXL wixl REQUIRED)
file(RELATIVE_PATH icon "${work}" "${SOURCE_DIR}/src/resources/corvane.ico")
execute_process(COMMAND "${WIXL}" --arch x64 -D "Version=${VERSION}"
                        -D "Manufacturer=${MANUFACTURER}" -D "HelpLink=${HELP_LINK}"
                        -D "Icon=${icon}"
                        -o "${OUTPUT}" "${SOURCE_DIR}/packaging/Corvane.wxs" "${fragment}"
                WORKING_DIRECTORY "${work}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "wixl could not make ${OUTPUT}")
endif()

if(DEFINED ENV{CORVANE_SIGN_PFX})
    execute_process(COMMAND "${SOURCE_DIR}/scripts/sign.sh" "${OUTPUT}" RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${OUTPUT} could not be signed")
    endif()
endif()

if(DEFINED WINGET_DIR)
    file(SHA256 "${OUTPUT}" INSTALLER_SHA256)
    string(TOUPPER "${INSTALLER_SHA256}" INSTALLER_SHA256)
    # Each build has a product code of its own; winget matches the installed entry by it.
    execute_process(COMMAND msiinfo export "${OUTPUT}" Property OUTPUT_VARIABLE properties)
    string(REGEX MATCH "ProductCode\t([^\r\n]+)" _ "${properties}")
    set(PRODUCT_CODE "${CMAKE_MATCH_1}")
    string(REGEX MATCH "UpgradeCode\t([^\r\n]+)" _ "${properties}")
    set(UPGRADE_CODE "${CMAKE_MATCH_1}")
    file(GLOB manifests "${SOURCE_DIR}/packaging/winget/*.yaml")
    file(REMOVE_RECURSE "${WINGET_DIR}/${VERSION}")
    foreach(manifest IN LISTS manifests)
        get_filename_component(name "${manifest}" NAME)
        configure_file("${manifest}" "${WINGET_DIR}/${VERSION}/${name}" @ONLY)
    endforeach()
endif()
file(SIZE "${OUTPUT}" size)
message(STATUS "${OUTPUT}: ${size} bytes")
