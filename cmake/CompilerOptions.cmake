# Warning and size options for our own targets; compiler-specific flags stay behind checks.
add_library(corvane_options INTERFACE)
target_compile_definitions(corvane_options INTERFACE
    UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601
    __USE_MINGW_ANSI_STDIO=0)

if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    # A guarded function-local static (the pages' command tables: GCC cannot build a
    # pointer-to-member conversion at compile time) calls __cxa_guard_acquire, which throws and so
    # links libstdc++'s exception and terminate code, and with the posix thread model winpthread
    # and emutls: about 110 KiB. The window code runs on one thread, so the guard buys nothing.
    target_compile_options(corvane_options INTERFACE
        -Wall -Wextra -Werror
        $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti -fno-threadsafe-statics>
        -Oz -ffunction-sections -fdata-sections)
    target_link_options(corvane_options INTERFACE -static -Wl,--gc-sections -s)
elseif(MSVC)
    target_compile_options(corvane_options INTERFACE /W4 /WX /O1 /GR- /EHs-c-)
    target_compile_definitions(corvane_options INTERFACE _CRT_SECURE_NO_WARNINGS)
endif()
