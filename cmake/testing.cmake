# Test registration shared by both builds.
#
# On the windows build every test runs under Wine through scripts/wine-run
# (the cross-compiling emulator). A fixture starts one Xvfb and one warm
# wineserver for the whole run and ends them afterwards.
set(SETUP_WINE_DIR ${CMAKE_BINARY_DIR}/wine)
set(SETUP_WINE_RUN ${PROJECT_SOURCE_DIR}/scripts/wine-run)

if(CMAKE_CROSSCOMPILING)
  add_test(NAME wine_start COMMAND ${SETUP_WINE_RUN} --start)
  add_test(NAME wine_stop COMMAND ${SETUP_WINE_RUN} --stop)
  set_tests_properties(wine_start PROPERTIES FIXTURES_SETUP wine LABELS wine
                       ENVIRONMENT "SETUP_WINE_DIR=${SETUP_WINE_DIR}")
  set_tests_properties(wine_stop PROPERTIES FIXTURES_CLEANUP wine LABELS wine
                       ENVIRONMENT "SETUP_WINE_DIR=${SETUP_WINE_DIR}")
endif()

# setup_add_test(NAME name COMMAND cmd... [LABELS l...] [TIMEOUT s])
# Adds a test labelled native or wine by build; under Wine it joins the fixture.
function(setup_add_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "COMMAND;LABELS" ${ARGN})
  add_test(NAME ${T_NAME} COMMAND ${T_COMMAND})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  if(CMAKE_CROSSCOMPILING)
    set_tests_properties(${T_NAME} PROPERTIES
      FIXTURES_REQUIRED wine
      LABELS "wine;${T_LABELS}"
      TIMEOUT ${T_TIMEOUT}
      ENVIRONMENT "SETUP_WINE_DIR=${SETUP_WINE_DIR}")
  else()
    set_tests_properties(${T_NAME} PROPERTIES
      LABELS "native;${T_LABELS}"
      TIMEOUT ${T_TIMEOUT})
  endif()
endfunction()
