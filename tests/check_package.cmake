# Makes the release zip as a user gets it (the build's "package" target) and checks what is in it:
# exactly the files the build ships, each byte for byte the build's copy (for the programs, the
# ones the tests ran), and programs that import system DLLs only.
# BUILD_DIR: the build folder; PACKAGE: the zip's file name; MANIFEST: the shipped files, one a
# line; OBJDUMP: for the import check.
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${BUILD_DIR}" --target package
                RESULT_VARIABLE rc OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "the package target failed:\n${output}")
endif()
set(zip "${BUILD_DIR}/${PACKAGE}")

set(unpacked "${BUILD_DIR}/package-check")
file(REMOVE_RECURSE "${unpacked}")
file(ARCHIVE_EXTRACT INPUT "${zip}" DESTINATION "${unpacked}")
file(GLOB_RECURSE found LIST_DIRECTORIES true RELATIVE "${unpacked}" "${unpacked}/*")
list(SORT found)

file(STRINGS "${MANIFEST}" shipped)
set(expected "")
set(programs "")
set(failed FALSE)
foreach(source IN LISTS shipped)
    get_filename_component(name "${source}" NAME)
    list(APPEND expected "${name}")
    file(SHA256 "${source}" want)
    file(SHA256 "${unpacked}/${name}" got)
    if(NOT got STREQUAL want)
        message(SEND_ERROR "${name} in the zip is not the build's ${source}")
        set(failed TRUE)
    endif()
    if(name MATCHES "\\.exe$")
        list(APPEND programs "${unpacked}/${name}")
    endif()
endforeach()
list(SORT expected)
if(NOT found STREQUAL expected)
    message(SEND_ERROR "${PACKAGE} holds [${found}]; the release ships [${expected}]")
    set(failed TRUE)
endif()
file(SIZE "${zip}" size)
message(STATUS "${zip}: ${size} bytes, ${found}")

set(FILES ${programs})
include("${CMAKE_CURRENT_LIST_DIR}/check_imports.cmake")
if(failed)
    message(FATAL_ERROR "package check failed")
endif()
