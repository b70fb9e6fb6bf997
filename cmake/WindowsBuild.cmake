# The installer, cross-compiled: TessellographInstall.exe with its payload.
enable_language(RC)
enable_language(ASM)
include(${CMAKE_CURRENT_LIST_DIR}/Sources.cmake)
# Every program here names the system libraries it links; none by default.
set(CMAKE_C_STANDARD_LIBRARIES "")
set(CMAKE_CXX_STANDARD_LIBRARIES "")
# Link the objects as they are: the platform default first copies them into
# an archive, which for the payload block means writing it all once more.
set(CMAKE_CXX_LINK_EXECUTABLE
    "<CMAKE_CXX_COMPILER> <FLAGS> <CMAKE_CXX_LINK_FLAGS> <LINK_FLAGS> <OBJECTS> -o <TARGET> <LINK_LIBRARIES>")

add_subdirectory(resources)
add_subdirectory(resources/standin)

set(STANDIN_DIR ${CMAKE_BINARY_DIR}/standin)
set(TESSELLOGRAPH_MAIN_PROGRAM ${STANDIN_DIR}/Tessellograph.exe CACHE FILEPATH
    "The editor's program, installed as Tessellograph.exe")
set(TESSELLOGRAPH_ENGINE_PROGRAM ${STANDIN_DIR}/Tessellograph3D.exe CACHE FILEPATH
    "The 3D engine's program, installed as Tessellograph3D.exe")
set(TESSELLOGRAPH_SAMPLE_DOCUMENT ${STANDIN_DIR}/Brick.tpf CACHE FILEPATH
    "The sample document, installed as Brick.tpf")

# The payload is part of the image, which from its base at 0x400000 must fit
# below 2 GiB (the installer is not large-address aware) and under the system
# DLLs that Windows maps high, from about 0x70000000 up (ntdll, which cannot
# move, near 0x77000000). 1.5 GiB ends the image near 0x60410000, leaving a
# quarter GiB for stacks, heaps, address randomisation and the DLLs the folder
# browser loads. (Wine still installs from 1972 MiB, hangs at 1976 MiB, just
# short of its ntdll at 0x7BC00000, and starts nothing past 2 GiB; the linker
# writes them all.)
set(PAYLOAD_CEILING 1610612736)
# Files the release engineer names must be there now, and are checked again
# whenever they change; the stand-ins, a few KiB, are built later.
set(payload_total 0)
foreach(payload IN ITEMS TESSELLOGRAPH_MAIN_PROGRAM TESSELLOGRAPH_ENGINE_PROGRAM
                         TESSELLOGRAPH_SAMPLE_DOCUMENT)
    get_filename_component(${payload} "${${payload}}" ABSOLUTE)
    cmake_path(IS_PREFIX STANDIN_DIR "${${payload}}" NORMALIZE is_standin)
    if(is_standin)
        list(APPEND payload_sizes "${payload} (a stand-in)")
        continue()
    elseif(NOT EXISTS "${${payload}}" OR IS_DIRECTORY "${${payload}}")
        message(FATAL_ERROR "${payload}: no such file: ${${payload}}")
    endif()
    file(SIZE "${${payload}}" size)
    math(EXPR payload_total "${payload_total} + ${size}")
    list(APPEND payload_sizes "${payload} ${size} bytes")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${${payload}}")
endforeach()
if(payload_total GREATER PAYLOAD_CEILING)
    list(JOIN payload_sizes ", " payload_sizes)
    message(FATAL_ERROR "The payload files add up to ${payload_total} bytes, past the ${PAYLOAD_CEILING} "
                        "(1.5 GiB) a 32-bit installer can carry: ${payload_sizes}")
endif()

add_payload_block(PayloadBlockObject
    ${TESSELLOGRAPH_MAIN_PROGRAM} ${TESSELLOGRAPH_ENGINE_PROGRAM} ${TESSELLOGRAPH_SAMPLE_DOCUMENT})
add_dependencies(PayloadBlockObject StandInEditor StandInEngine StandInSample)

# No runtime library, no exceptions, no unwinding tables: only our code and
# the five system DLLs it imports.
# The Windows x86 ABI promises a 4-byte aligned stack, no more. Every buffer
# is static, so no frame reaches past the stack's guard page: no probes are
# needed (there is no runtime to probe with), and arguments are pushed. A
# frame of a page or more stops the build. Data keeps the ABI's alignment,
# not the 32 bytes GCC gives long strings for vector loads we never make.
set(INSTALLER_CODE_OPTIONS
    -Oz -flto -fomit-frame-pointer -malign-data=abi -mpreferred-stack-boundary=2 -mno-stack-arg-probe -mno-accumulate-outgoing-args
    -Werror=frame-larger-than=4096)
set(INSTALLER_COMPILE_OPTIONS
    ${INSTALLER_CODE_OPTIONS} -std=c++17 -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
    -fno-unwind-tables -fno-threadsafe-statics -fno-stack-protector -ffreestanding
    -ffile-prefix-map=${PROJECT_SOURCE_DIR}=. -Wall -Wextra)

add_executable(TessellographInstall WIN32
    ${PORTABLE_SOURCES}
    ${PROJECT_SOURCE_DIR}/base/platform_win32.cpp
    ${PROJECT_SOURCE_DIR}/base/launch_as_user_win32.cpp
    ${PROJECT_SOURCE_DIR}/installer/entry_win32.cpp)
target_include_directories(TessellographInstall PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_options(TessellographInstall PRIVATE ${INSTALLER_COMPILE_OPTIONS})
target_link_libraries(TessellographInstall PRIVATE
    InstallerResources PayloadBlockObject kernel32 user32 advapi32 ole32 shell32)
target_link_options(TessellographInstall PRIVATE
    ${INSTALLER_CODE_OPTIONS} -nostdlib -nostartfiles -Wl,-e,_EntryPoint@0 -Wl,--subsystem,windows
    -Wl,--no-insert-timestamp -Wl,--dynamicbase -Wl,--nxcompat -s
    -Wl,-T,${CMAKE_CURRENT_LIST_DIR}/installer.ld)
set_target_properties(TessellographInstall PROPERTIES LINK_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/installer.ld)
set_target_properties(TessellographInstall PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# Authenticode signing with osslsigncode, on when a certificate and key are
# named: files, or a key that stays in a PKCS#11 token. No password or PIN goes
# in the cache or on a command line: tools/sign-installer reads
# TESSELLOGRAPH_SIGNING_PASSWORD from the build's environment.
set(TESSELLOGRAPH_SIGNING_CERTIFICATE "" CACHE FILEPATH
    "PEM certificate (chain) to sign the installer with, together with TESSELLOGRAPH_SIGNING_KEY \
or TESSELLOGRAPH_SIGNING_PKCS11_KEY")
set(TESSELLOGRAPH_SIGNING_KEY "" CACHE FILEPATH
    "PEM private key of the signing certificate; if encrypted, its password is read from \
the environment variable TESSELLOGRAPH_SIGNING_PASSWORD")
set(TESSELLOGRAPH_SIGNING_PKCS12 "" CACHE FILEPATH
    "PKCS#12 file with the certificate and key, instead of the PEM pair; its password is read \
from the environment variable TESSELLOGRAPH_SIGNING_PASSWORD")
set(TESSELLOGRAPH_SIGNING_PKCS11_MODULE "" CACHE FILEPATH
    "PKCS#11 module of the token that holds the signing key")
set(TESSELLOGRAPH_SIGNING_PKCS11_KEY "" CACHE STRING
    "pkcs11: URI of the signing key in that token; its PIN is read from the environment variable \
TESSELLOGRAPH_SIGNING_PASSWORD")
set(TESSELLOGRAPH_SIGNING_PKCS11_CERTIFICATE "" CACHE STRING
    "pkcs11: URI of the signing certificate in the token, instead of TESSELLOGRAPH_SIGNING_CERTIFICATE")
set(TESSELLOGRAPH_TIMESTAMP_URL "" CACHE STRING
    "RFC 3161 timestamp server to countersign with; a timestamped installer is not reproducible")
set(file_key ${TESSELLOGRAPH_SIGNING_KEY}${TESSELLOGRAPH_SIGNING_PKCS12})
set(token_key ${TESSELLOGRAPH_SIGNING_PKCS11_MODULE}${TESSELLOGRAPH_SIGNING_PKCS11_KEY}${TESSELLOGRAPH_SIGNING_PKCS11_CERTIFICATE})
if(TESSELLOGRAPH_SIGNING_PKCS12 AND NOT TESSELLOGRAPH_SIGNING_CERTIFICATE AND NOT TESSELLOGRAPH_SIGNING_KEY
        AND NOT token_key)
    set(signing_files TESSELLOGRAPH_SIGNING_PKCS12)
    set(signing_options -pkcs12 ${TESSELLOGRAPH_SIGNING_PKCS12})
elseif(TESSELLOGRAPH_SIGNING_CERTIFICATE AND TESSELLOGRAPH_SIGNING_KEY AND NOT TESSELLOGRAPH_SIGNING_PKCS12
        AND NOT token_key)
    set(signing_files TESSELLOGRAPH_SIGNING_CERTIFICATE TESSELLOGRAPH_SIGNING_KEY)
    set(signing_options -certs ${TESSELLOGRAPH_SIGNING_CERTIFICATE} -key ${TESSELLOGRAPH_SIGNING_KEY})
elseif(TESSELLOGRAPH_SIGNING_PKCS11_MODULE AND TESSELLOGRAPH_SIGNING_PKCS11_KEY AND NOT file_key AND
        (TESSELLOGRAPH_SIGNING_CERTIFICATE AND NOT TESSELLOGRAPH_SIGNING_PKCS11_CERTIFICATE OR
         TESSELLOGRAPH_SIGNING_PKCS11_CERTIFICATE AND NOT TESSELLOGRAPH_SIGNING_CERTIFICATE))
    foreach(uri IN ITEMS TESSELLOGRAPH_SIGNING_PKCS11_KEY TESSELLOGRAPH_SIGNING_PKCS11_CERTIFICATE)
        # A PIN in the URI would sit in the cache and on osslsigncode's command line.
        if(${uri} AND (NOT ${uri} MATCHES "^pkcs11:" OR ${uri} MATCHES "pin-(value|source)"))
            message(FATAL_ERROR "${uri} must be a pkcs11: URI without a PIN (that comes from "
                                "TESSELLOGRAPH_SIGNING_PASSWORD)")
        endif()
        # Kept whole through the list of options, ";" and all.
        string(REPLACE ";" "\\;" ${uri} "${${uri}}")
    endforeach()
    set(signing_files TESSELLOGRAPH_SIGNING_PKCS11_MODULE)
    set(signing_options -pkcs11module ${TESSELLOGRAPH_SIGNING_PKCS11_MODULE} -key "${TESSELLOGRAPH_SIGNING_PKCS11_KEY}")
    if(TESSELLOGRAPH_SIGNING_CERTIFICATE)
        list(APPEND signing_files TESSELLOGRAPH_SIGNING_CERTIFICATE)
        list(APPEND signing_options -certs ${TESSELLOGRAPH_SIGNING_CERTIFICATE})
    else()
        list(APPEND signing_options -pkcs11cert "${TESSELLOGRAPH_SIGNING_PKCS11_CERTIFICATE}")
    endif()
elseif(file_key OR token_key OR TESSELLOGRAPH_SIGNING_CERTIFICATE)
    message(FATAL_ERROR "Signing takes TESSELLOGRAPH_SIGNING_CERTIFICATE with TESSELLOGRAPH_SIGNING_KEY, "
                        "TESSELLOGRAPH_SIGNING_PKCS12 alone, or TESSELLOGRAPH_SIGNING_PKCS11_MODULE with "
                        "TESSELLOGRAPH_SIGNING_PKCS11_KEY and one certificate: TESSELLOGRAPH_SIGNING_CERTIFICATE "
                        "or TESSELLOGRAPH_SIGNING_PKCS11_CERTIFICATE")
endif()
if(signing_options)
    find_program(OSSLSIGNCODE osslsigncode REQUIRED)
    foreach(file IN LISTS signing_files)
        if(NOT EXISTS "${${file}}")
            message(FATAL_ERROR "${file}: no such file: ${${file}}")
        endif()
        list(APPEND signing_paths ${${file}})
    endforeach()
    if(TESSELLOGRAPH_TIMESTAMP_URL)
        list(APPEND signing_options -ts ${TESSELLOGRAPH_TIMESTAMP_URL})
    endif()
    # The program is linked apart and signed into its place by a command of
    # its own, so a failed signing leaves nothing there that looks finished.
    set_target_properties(TessellographInstall PROPERTIES
        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/unsigned)
    # Rewritten only when the options change: other files or a server sign again.
    file(CONFIGURE OUTPUT signing-options.txt CONTENT "${signing_options}")
    set(signed ${CMAKE_BINARY_DIR}/TessellographInstall.exe)
    add_custom_command(OUTPUT ${signed}
        COMMAND ${PROJECT_SOURCE_DIR}/tools/sign-installer $<TARGET_FILE:TessellographInstall> ${signed}
                ${signing_options}
        DEPENDS TessellographInstall ${signing_paths} ${CMAKE_BINARY_DIR}/signing-options.txt
                ${PROJECT_SOURCE_DIR}/tools/sign-installer
        COMMENT "Signing TessellographInstall.exe"
        VERBATIM)
    add_custom_target(SignedInstaller ALL DEPENDS ${signed})
endif()

# Presses OK and No for tools/run-installer when there is no display.
add_executable(TessellographHeadlessUser ${PROJECT_SOURCE_DIR}/tools/headless_user.cpp)
target_link_options(TessellographHeadlessUser PRIVATE -static)
target_link_libraries(TessellographHeadlessUser PRIVATE psapi)

if(EXISTS ${PROJECT_SOURCE_DIR}/tests/wine/CMakeLists.txt)
    add_subdirectory(tests/wine)
endif()
