# Test registration shared by the builds.
#
# On a windows build every test runs under Wine through scripts/wine-run
# (the cross-compiling emulator). A fixture starts one Xvfb and one warm
# wineserver for the whole run and ends them afterwards. Where this host
# cannot run the build's programs (32-bit ones on a kernel without 32-bit
# execution) only the static checks of the images are registered, and
# SETUP_CAN_RUN is false.
set(SETUP_WINE_DIR ${CMAKE_BINARY_DIR}/wine)
set(SETUP_WINE_RUN ${PROJECT_SOURCE_DIR}/scripts/wine-run)

set(SETUP_CAN_RUN TRUE)
if(CMAKE_CROSSCOMPILING)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(bits 32)
  else()
    set(bits 64)
  endif()
  execute_process(COMMAND ${SETUP_WINE_RUN} --can-run ${bits} RESULT_VARIABLE rc
                  OUTPUT_QUIET ERROR_QUIET)
  if(NOT rc EQUAL 0)
    set(SETUP_CAN_RUN FALSE)
    message(STATUS "This host cannot run ${bits}-bit Windows programs: static checks only")
  endif()
endif()

if(CMAKE_CROSSCOMPILING AND SETUP_CAN_RUN)
  add_test(NAME wine_start COMMAND ${SETUP_WINE_RUN} --start)
  add_test(NAME wine_stop COMMAND ${SETUP_WINE_RUN} --stop)
  set_tests_properties(wine_start PROPERTIES FIXTURES_SETUP wine LABELS wine TIMEOUT 180
                       ENVIRONMENT "SETUP_WINE_DIR=${SETUP_WINE_DIR}")
  set_tests_properties(wine_stop PROPERTIES FIXTURES_CLEANUP wine LABELS wine TIMEOUT 60
                       ENVIRONMENT "SETUP_WINE_DIR=${SETUP_WINE_DIR}")
endif()

# setup_add_test(NAME name COMMAND cmd... [LABELS l...] [TIMEOUT s] [SKIP_RETURN_CODE n])
# Adds a test labelled native or wine by build; under Wine it joins the
# fixture. Nothing where the build's programs cannot run here. TIMEOUT is a
# few times what the test takes on a busy machine (default 120 s), so that
# one that hangs costs little of the run.
function(setup_add_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT;SKIP_RETURN_CODE" "COMMAND;LABELS" ${ARGN})
  if(NOT SETUP_CAN_RUN)
    return()
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_COMMAND})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
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
  if(T_SKIP_RETURN_CODE)
    set_tests_properties(${T_NAME} PROPERTIES SKIP_RETURN_CODE ${T_SKIP_RETURN_CODE})
  endif()
endfunction()
