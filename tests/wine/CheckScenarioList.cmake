# cmake -P: fails when scenarios.txt and the driver's scenarios disagree, so
# that no scenario is left out of ctest unnoticed.
include(${CMAKE_CURRENT_LIST_DIR}/ScenarioList.cmake)
list(LENGTH WINE_SCENARIOS listed)
message(STATUS "${listed} scenarios listed")
if(WINE_UNLISTED_SCENARIOS)
    message(SEND_ERROR "defined but not in scenarios.txt: ${WINE_UNLISTED_SCENARIOS}")
endif()
if(WINE_UNDEFINED_SCENARIOS)
    message(SEND_ERROR "in scenarios.txt but defined by no SCENARIO(): ${WINE_UNDEFINED_SCENARIOS}")
endif()
