# Builds the sample's 1.44M disk set twice and checks that both sets are the
# same bytes and that inicheck finds nothing in the written script; then a
# 360K set, whose disk 1 must hold the setup files.
# PRODUCT, WORK, MKMEDIA, INICHECK, RUN (empty, or the Wine runner).
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(setup_option)
if(NOT EXISTS ${PRODUCT}/SETUP.EXE)
  file(WRITE ${WORK}/SETUP.EXE "a stand-in for the setup program\n")
  set(setup_option --setup SETUP.EXE)
endif()
file(CREATE_LINK ${PRODUCT} ${WORK}/product SYMBOLIC)

foreach(set a b)
  execute_process(COMMAND ${RUN} ${MKMEDIA} product ${set} --media 1.44M ${setup_option}
                  WORKING_DIRECTORY ${WORK} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "mkmedia: exit ${rc}\n${out}${err}")
  endif()
endforeach()

file(GLOB_RECURSE files_a RELATIVE ${WORK}/a ${WORK}/a/*)
file(GLOB_RECURSE files_b RELATIVE ${WORK}/b ${WORK}/b/*)
if(NOT files_a STREQUAL files_b OR NOT files_a)
  message(FATAL_ERROR "the two sets hold different files:\n${files_a}\n${files_b}")
endif()
foreach(f ${files_a})
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/a/${f} ${WORK}/b/${f}
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${f} differs between two builds of the same product")
  endif()
endforeach()

execute_process(COMMAND ${RUN} ${INICHECK} a/DISK1/INSTALL.INI --media a/DISK1
                WORKING_DIRECTORY ${WORK} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT "${out}${err}" STREQUAL "")
  message(FATAL_ERROR "inicheck on the sample: exit ${rc}\n${out}${err}")
endif()

# The smallest medium: disk 1 of a 360K set still holds SETUP.EXE with the
# script and the readme (mkmedia refuses a set whose setup files fill it).
execute_process(COMMAND ${RUN} ${MKMEDIA} product small --media 360K ${setup_option}
                WORKING_DIRECTORY ${WORK} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "mkmedia --media 360K: exit ${rc}\n${out}${err}")
endif()
foreach(f SETUP.EXE INSTALL.INI README.TXT)
  if(NOT EXISTS ${WORK}/small/DISK1/${f})
    message(FATAL_ERROR "disk 1 of the 360K set has no ${f}")
  endif()
endforeach()
message(STATUS "360K set: ${out}")
