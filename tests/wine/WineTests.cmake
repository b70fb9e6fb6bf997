# Included by the native build: one test per scenario and prefix arch,
# wine.win32.<scenario> and wine.win64.<scenario>, each played by scenario.py
# in its own copy of a pristine prefix, which wine.<arch>.prepare boots. Needs
# the cross build in WINDOWS_BUILD_DIR (the ExternalProject "windows").
set(scenario_script ${CMAKE_CURRENT_LIST_DIR}/scenario.py)
execute_process(COMMAND ${Python3_EXECUTABLE} ${scenario_script} list
                OUTPUT_VARIABLE scenarios OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${scenario_script})

# The files the scenarios use: the ExternalProject brought up to date.
add_test(NAME wine.build COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target windows)
set_tests_properties(wine.build PROPERTIES FIXTURES_SETUP wine_build LABELS wine TIMEOUT 900)

foreach(arch IN ITEMS win32 win64)
    foreach(scenario IN ITEMS prepare LISTS scenarios)
        add_test(NAME wine.${arch}.${scenario}
            COMMAND ${Python3_EXECUTABLE} ${scenario_script} ${arch} ${scenario} ${WINDOWS_BUILD_DIR})
        set_tests_properties(wine.${arch}.${scenario} PROPERTIES
            FIXTURES_REQUIRED "wine_build;wine_prefix_${arch}" LABELS wine TIMEOUT 1800)
    endforeach()
    set_tests_properties(wine.${arch}.prepare PROPERTIES FIXTURES_SETUP wine_prefix_${arch} FIXTURES_REQUIRED "")
endforeach()
