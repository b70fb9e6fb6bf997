# The native build: the portable logic under test, sanitizers on, plus the
# cross build of the installer and the Wine tests that run it.
include(${CMAKE_CURRENT_LIST_DIR}/Sources.cmake)
enable_language(ASM)
enable_testing()

set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

# Payloads for the native tests: two small files and an empty one.
set(TEST_PAYLOAD_DIR ${CMAKE_BINARY_DIR}/test-payloads)
file(WRITE ${TEST_PAYLOAD_DIR}/main.bin "MZ stand-in for the editor's program\n")
file(WRITE ${TEST_PAYLOAD_DIR}/engine.bin "MZ engine\n")
file(WRITE ${TEST_PAYLOAD_DIR}/sample.bin "")
add_payload_block(TestPayloadBlock
    ${TEST_PAYLOAD_DIR}/main.bin ${TEST_PAYLOAD_DIR}/engine.bin ${TEST_PAYLOAD_DIR}/sample.bin)

add_library(InstallerLogic STATIC ${PORTABLE_SOURCES})
target_include_directories(InstallerLogic PUBLIC ${PROJECT_SOURCE_DIR})
target_compile_options(InstallerLogic PUBLIC ${SANITIZERS} -Wall -Wextra -Werror)
target_link_options(InstallerLogic PUBLIC ${SANITIZERS})

find_package(GTest REQUIRED)
include(GoogleTest)
file(GLOB NATIVE_TEST_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/base/*.cpp
     ${PROJECT_SOURCE_DIR}/tests/registration/*.cpp ${PROJECT_SOURCE_DIR}/tests/installer/*.cpp)
add_executable(NativeTests ${NATIVE_TEST_SOURCES} $<TARGET_OBJECTS:TestPayloadBlock>)
target_link_libraries(NativeTests PRIVATE InstallerLogic GTest::gtest GTest::gtest_main)
gtest_discover_tests(NativeTests TEST_PREFIX native. DISCOVERY_TIMEOUT 60)

# A fuzz target of whole runs with fuzzed folders, built with clang's
# libFuzzer and run for a bounded time as a test.
find_program(CLANGXX NAMES clang++ clang++-14 REQUIRED)
set(FUZZ_TARGET ${CMAKE_BINARY_DIR}/fuzz_install)
set(FUZZ_SOURCES ${PORTABLE_SOURCES} ${PROJECT_SOURCE_DIR}/tests/base/fake_platform.cpp
    ${PROJECT_SOURCE_DIR}/tests/fuzz/fuzz_install.cpp)
add_custom_command(OUTPUT ${FUZZ_TARGET}
    COMMAND ${CLANGXX} -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined
            -fno-sanitize-recover=all -I${PROJECT_SOURCE_DIR}
            ${FUZZ_SOURCES} $<TARGET_OBJECTS:TestPayloadBlock> -o ${FUZZ_TARGET}
    DEPENDS ${FUZZ_SOURCES} TestPayloadBlock
    COMMAND_EXPAND_LISTS
    COMMENT "Building the fuzz target with libFuzzer")
add_custom_target(FuzzInstall ALL DEPENDS ${FUZZ_TARGET})
# Each fuzz test runs for a bounded time from the checked-in seeds, keeping
# what it finds in a corpus folder of the build; any crash, sanitizer report
# or broken check fails it.
set(FUZZ_OPTIONS -max_len=2400 -timeout=10 -print_final_stats=1)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz-corpus ${CMAKE_BINARY_DIR}/fuzz-payload-corpus)
add_test(NAME fuzz.install COMMAND ${FUZZ_TARGET} -max_total_time=60 ${FUZZ_OPTIONS}
                                   ${CMAKE_BINARY_DIR}/fuzz-corpus ${PROJECT_SOURCE_DIR}/tests/fuzz/seeds)
set_tests_properties(fuzz.install PROPERTIES TIMEOUT 300)

# tessellograph-payload: looks inside a built installer. Its reader is built
# into the command and, with libFuzzer, into a fuzz target of its own.
find_package(OpenSSL REQUIRED COMPONENTS Crypto)
set(PAYLOAD_READER ${PROJECT_SOURCE_DIR}/tools/payload/payload_reader.cpp)
add_executable(PayloadTool ${PAYLOAD_READER} ${PROJECT_SOURCE_DIR}/tools/payload/main.cpp)
set_target_properties(PayloadTool PROPERTIES
    OUTPUT_NAME tessellograph-payload RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
target_include_directories(PayloadTool PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_options(PayloadTool PRIVATE ${SANITIZERS} -Wall -Wextra -Werror)
target_link_options(PayloadTool PRIVATE ${SANITIZERS})
target_link_libraries(PayloadTool PRIVATE OpenSSL::Crypto)

set(PAYLOAD_FUZZ_TARGET ${CMAKE_BINARY_DIR}/fuzz_payload)
set(PAYLOAD_FUZZ_SOURCES ${PAYLOAD_READER} ${PROJECT_SOURCE_DIR}/tests/fuzz/fuzz_payload.cpp)
add_custom_command(OUTPUT ${PAYLOAD_FUZZ_TARGET}
    COMMAND ${CLANGXX} -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined
            -fno-sanitize-recover=all -Wall -Wextra -Werror -I${PROJECT_SOURCE_DIR}
            ${PAYLOAD_FUZZ_SOURCES} -o ${PAYLOAD_FUZZ_TARGET}
    DEPENDS ${PAYLOAD_FUZZ_SOURCES} ${PROJECT_SOURCE_DIR}/tools/payload/payload_reader.h
    COMMAND_EXPAND_LISTS
    COMMENT "Building the payload reader's fuzz target with libFuzzer")
add_custom_target(FuzzPayload ALL DEPENDS ${PAYLOAD_FUZZ_TARGET})
add_test(NAME fuzz.payload COMMAND ${PAYLOAD_FUZZ_TARGET} -max_total_time=30 ${FUZZ_OPTIONS}
                                   ${CMAKE_BINARY_DIR}/fuzz-payload-corpus ${PROJECT_SOURCE_DIR}/tests/fuzz/payload_seeds)
set_tests_properties(fuzz.payload PROPERTIES TIMEOUT 200)

# The installer itself, cross-compiled in a tree of its own.
include(ExternalProject)
ExternalProject_Add(windows
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/windows
    CMAKE_ARGS
        -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/i686-w64-mingw32.cmake
        -DCMAKE_BUILD_TYPE=Release
    BUILD_ALWAYS ON
    INSTALL_COMMAND "")
set(WINDOWS_BUILD_DIR ${CMAKE_BINARY_DIR}/windows)

# The installer as the build makes it: its shape, its signing, and the payload files it refuses.
add_test(NAME executable COMMAND ${PROJECT_SOURCE_DIR}/tests/build/check_build.sh ${PROJECT_SOURCE_DIR} ${WINDOWS_BUILD_DIR}
                                 $<TARGET_FILE:PayloadTool> ${CMAKE_BINARY_DIR}/build-check)
set_tests_properties(executable PROPERTIES TIMEOUT 1200)
# tessellograph-payload on the built installer and on broken copies of it.
add_test(NAME payload_tool COMMAND ${PROJECT_SOURCE_DIR}/tests/tools/check_payload_tool.sh $<TARGET_FILE:PayloadTool>
                                   ${WINDOWS_BUILD_DIR} ${CMAKE_BINARY_DIR}/payload-tool-check)
# tools/wine-machine: its decision, and a run in the emulated machine.
add_test(NAME wine_machine COMMAND ${PROJECT_SOURCE_DIR}/tests/tools/check_wine_machine.sh ${PROJECT_SOURCE_DIR}
                                   ${CMAKE_BINARY_DIR}/wine-machine-check)
set_tests_properties(wine_machine PROPERTIES TIMEOUT 600)

find_package(Python3 COMPONENTS Interpreter REQUIRED)
if(EXISTS ${PROJECT_SOURCE_DIR}/tests/wine/WineTests.cmake)
    include(${PROJECT_SOURCE_DIR}/tests/wine/WineTests.cmake)
endif()

# The benchmark's NSIS peer must install what ours does, or its numbers mean nothing.
if(TEST wine.win32.prepare)
    add_test(NAME bench.nsis_installs_the_same
        COMMAND ${PROJECT_SOURCE_DIR}/bench/run --check ${WINDOWS_BUILD_DIR})
    set_tests_properties(bench.nsis_installs_the_same PROPERTIES
        FIXTURES_REQUIRED "wine_build;wine_prefix_win32" LABELS wine TIMEOUT 1800)
    # The signed installer that the executable test keeps, installed under Wine.
    add_test(NAME wine.win32.signed COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tests/wine/scenario.py
                                            win32 default ${CMAKE_BINARY_DIR}/build-check.signed)
    set_tests_properties(wine.win32.signed PROPERTIES DEPENDS executable
        FIXTURES_REQUIRED wine_prefix_win32 LABELS wine TIMEOUT 1200)
endif()
