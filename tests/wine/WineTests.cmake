# Included by the native build: one ctest per scenario and prefix arch,
# wine.win32.<scenario> and wine.win64.<scenario>, each run by
# run_scenario.sh in a fresh copy of a pristine prefix. Needs the cross
# build in WINDOWS_BUILD_DIR (the ExternalProject "windows").
find_program(WINE_PROGRAM wine)
find_program(WINESERVER_PROGRAM wineserver)
find_program(FLOCK_PROGRAM flock)
if(NOT WINE_PROGRAM OR NOT WINESERVER_PROGRAM OR NOT FLOCK_PROGRAM)
    message(WARNING "wine, wineserver or flock not found: no Wine tests")
    return()
endif()

include(${CMAKE_CURRENT_LIST_DIR}/ScenarioList.cmake)
if(WINE_UNLISTED_SCENARIOS OR WINE_UNDEFINED_SCENARIOS)
    message(WARNING "tests/wine/scenarios.txt is out of step with the driver: "
                    "unlisted: ${WINE_UNLISTED_SCENARIOS}; undefined: ${WINE_UNDEFINED_SCENARIOS}")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${CMAKE_CURRENT_LIST_DIR}/scenarios.txt)

set(wine_runner ${CMAKE_CURRENT_LIST_DIR}/run_scenario.sh)

add_test(NAME wine.scenario_list
    COMMAND ${CMAKE_COMMAND} -P ${CMAKE_CURRENT_LIST_DIR}/CheckScenarioList.cmake)
set_tests_properties(wine.scenario_list PROPERTIES LABELS wine)

# The files the scenarios use: the ExternalProject is brought up to date
# (a quick no-op after a normal build).
add_test(NAME wine.build
    COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target windows)
set_tests_properties(wine.build PROPERTIES FIXTURES_SETUP wine_build LABELS wine TIMEOUT 900)

foreach(arch IN ITEMS win32 win64)
    # Boots the arch's pristine prefix once; the scenarios copy it.
    add_test(NAME wine.${arch}.prepare
        COMMAND ${wine_runner} ${arch} prepare ${WINDOWS_BUILD_DIR})
    set_tests_properties(wine.${arch}.prepare PROPERTIES
        FIXTURES_SETUP wine_prefix_${arch} LABELS wine TIMEOUT 300)
    foreach(scenario IN LISTS WINE_SCENARIOS)
        add_test(NAME wine.${arch}.${scenario}
            COMMAND ${wine_runner} ${arch} ${scenario} ${WINDOWS_BUILD_DIR})
        set_tests_properties(wine.${arch}.${scenario} PROPERTIES
            FIXTURES_REQUIRED "wine_build;wine_prefix_${arch}"
            LABELS wine
            TIMEOUT 180)
    endforeach()
endforeach()

# The shortcuts as a Linux reader of .lnk files sees them.
if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/check_lnkinfo.sh)
    foreach(arch IN ITEMS win32 win64)
        add_test(NAME wine.${arch}.lnkinfo
            COMMAND ${CMAKE_CURRENT_LIST_DIR}/check_lnkinfo.sh ${arch} ${WINDOWS_BUILD_DIR})
        set_tests_properties(wine.${arch}.lnkinfo PROPERTIES
            FIXTURES_REQUIRED "wine_build;wine_prefix_${arch}"
            LABELS wine
            TIMEOUT 180)
    endforeach()
endif()
